#include "TiedProcess.h"

#include "ProcessGroups.h"

#include <csignal>
#include <sys/prctl.h>
#include <unistd.h>

namespace ZADovuzIdida {

namespace {

// How long an ended tool may take to clean up after itself before it is killed.
constexpr qint64 EndGraceMs = 2000;
constexpr int PollMs = 100;

} // namespace

TiedProcess::TiedProcess(QObject* parent) : QProcess(parent), m_nParentPid(getpid()) {}

bool TiedProcess::run(const QString& program, const QStringList& arguments, ProcessGroups* pGroups,
                      const std::function<void()>& whileRunning)
{
    if (pGroups && !pGroups->waitUntilFree())
        return false;
    start(program, arguments, QIODevice::ReadWrite);
    if (!pGroups && !whileRunning) {
        waitForFinished(-1);
        return true;
    }
    if (!waitForStarted(-1))
        return true;
    const qint64 group = processId();
    if (pGroups)
        pGroups->add(group);
    for (;;) {
        if (whileRunning) {
            waitForReadyRead(PollMs);
            whileRunning();
        }
        if (waitForFinished(whileRunning ? 0 : PollMs) || state() == QProcess::NotRunning)
            break;
        if (pGroups && pGroups->msecsSinceEnd() > EndGraceMs)
            ::kill(-pid_t(group), SIGKILL);
    }
    if (pGroups)
        pGroups->remove(group);
    return true;
}

void TiedProcess::setupChildProcess()
{
    // Its own process group: a terminal's Ctrl+C or hang-up reaches the program, which stops the run in order,
    // and not the encoder in the middle of a file; a paused run stops and continues the group as a whole.
    setpgid(0, 0);
    prctl(PR_SET_PDEATHSIG, SIGTERM);
    // The parent may have gone between fork and prctl: then nobody is left to wait for this child.
    if (getppid() != m_nParentPid)
        _exit(1);
}

} // namespace ZADovuzIdida
