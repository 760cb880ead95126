#include "LocalFtpServer.h"

#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>

namespace TestKit {

quint16 LocalFtpServer::freePort(const QHostAddress& address)
{
    QTcpServer probe;
    probe.listen(address, 0);
    return probe.serverPort();
}

LocalFtpServer::LocalFtpServer(const QHostAddress& address, quint16 port) : m_nPort(port ? port : freePort(address))
{
    m_server.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_server.start("/usr/bin/python3", {"-m", "pyftpdlib", "-i", address.toString(), "-p", QString::number(m_nPort),
                                        "-w", "-d", m_root.path(), "-u", user(), "-P", password()});
    if (!m_server.waitForStarted()) {
        m_strError = "python3-pyftpdlib is installed by scripts/install-deps.sh";
        return;
    }
    for (int n = 0; n < 100; ++n) {
        QTcpSocket probe;
        probe.connectToHost(address, m_nPort);
        if (probe.waitForConnected(100))
            return;
        QThread::msleep(100);
    }
    m_strError = "the FTP server did not come up";
}

LocalFtpServer::~LocalFtpServer()
{
    m_server.kill();
    m_server.waitForFinished();
}

} // namespace TestKit
