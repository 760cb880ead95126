#include "LocalFtpServer.h"

#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>

namespace TestKit {

quint16 LocalFtpServer::freePort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();
}

LocalFtpServer::LocalFtpServer() : m_nPort(freePort())
{
    m_server.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_server.start("/usr/bin/python3", {"-m", "pyftpdlib", "-i", "127.0.0.1", "-p", QString::number(m_nPort), "-w",
                                        "-d", m_root.path(), "-u", user(), "-P", password()});
    if (!m_server.waitForStarted()) {
        m_strError = "python3-pyftpdlib is installed by scripts/install-deps.sh";
        return;
    }
    for (int n = 0; n < 100; ++n) {
        QTcpSocket probe;
        probe.connectToHost(QHostAddress::LocalHost, m_nPort);
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
