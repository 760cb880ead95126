#include "TerminationSignals.h"

#include <QDebug>
#include <QSocketNotifier>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace VUVararer {

namespace {

constexpr int kSignals[] = {SIGTERM, SIGINT, SIGHUP};
int sSockets[2] = {-1, -1};

extern "C" void writeSignalNumber(int signalNumber)
{
    const int savedErrno = errno;
    const unsigned char number = static_cast<unsigned char>(signalNumber);
    [[maybe_unused]] const ssize_t written = ::write(sSockets[0], &number, 1);
    errno = savedErrno;
}

} // namespace

TerminationSignals::TerminationSignals(QObject* parent) : QObject(parent)
{
    if (sSockets[0] >= 0 || ::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, sSockets) != 0) {
        qWarning() << "TerminationSignals: no signal channel";
        return;
    }
    for (int socket : sSockets)
        ::fcntl(socket, F_SETFL, O_NONBLOCK);
    m_pNotifier = new QSocketNotifier(sSockets[1], QSocketNotifier::Read, this);
    connect(m_pNotifier, SIGNAL(activated(int)), this, SLOT(slotReadSignal()));

    struct sigaction action = {};
    action.sa_handler = writeSignalNumber;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int signalNumber : kSignals)
        ::sigaction(signalNumber, &action, nullptr);
}

TerminationSignals::~TerminationSignals()
{
    if (!m_pNotifier)
        return;
    for (int signalNumber : kSignals)
        ::signal(signalNumber, SIG_DFL);
    delete m_pNotifier;
    ::close(sSockets[0]);
    ::close(sSockets[1]);
    sSockets[0] = sSockets[1] = -1;
}

void TerminationSignals::slotReadSignal()
{
    unsigned char number = 0;
    while (::read(sSockets[1], &number, 1) == 1)
        emit terminationRequested(number);
}

} // namespace VUVararer
