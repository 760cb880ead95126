#include "TiedProcess.h"

#include <csignal>
#include <sys/prctl.h>
#include <unistd.h>

namespace ZADovuzIdida {

TiedProcess::TiedProcess(QObject* parent) : QProcess(parent), m_nParentPid(getpid()) {}

void TiedProcess::setupChildProcess()
{
    // Its own process group: a terminal's Ctrl+C or hang-up reaches the program, which stops the run in order,
    // and not the encoder in the middle of a file.
    setpgid(0, 0);
    prctl(PR_SET_PDEATHSIG, SIGTERM);
    // The parent may have gone between fork and prctl: then nobody is left to wait for this child.
    if (getppid() != m_nParentPid)
        _exit(1);
}

} // namespace ZADovuzIdida
