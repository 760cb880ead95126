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

LocalFtpServer::LocalFtpServer(const QHostAddress& address, quint16 port)
    : LocalFtpServer({"-m", "pyftpdlib", "-w", "-u", user(), "-P", password()}, false, address, port)
{
}

LocalFtpServer::LocalFtpServer(const QStringList& arguments, bool bSaysReady, const QHostAddress& address, quint16 port)
    : m_nPort(port ? port : freePort(address))
{
    m_server.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_server.start("/usr/bin/python3", arguments + QStringList{"-i", address.toString(), "-p", QString::number(m_nPort),
                                                               "-d", m_root.path()});
    if (!m_server.waitForStarted()) {
        m_strError = "python3-pyftpdlib is installed by scripts/install-deps.sh";
        return;
    }
    if (bSaysReady) {
        if (!m_server.waitForReadyRead(10000))
            m_strError = "the FTP server did not come up";
        return;
    }
    if (!waitForPort(address, m_nPort))
        m_strError = "the FTP server did not come up";
}

bool LocalFtpServer::waitForPort(const QHostAddress& address, quint16 port)
{
    for (int n = 0; n < 100; ++n) {
        QTcpSocket probe;
        probe.connectToHost(address, port);
        if (probe.waitForConnected(100))
            return true;
        QThread::msleep(100);
    }
    return false;
}

LocalFtpServer::~LocalFtpServer()
{
    m_server.kill();
    m_server.waitForFinished();
}

} // namespace TestKit
