#pragma once
// A real FTP server (pyftpdlib) on a loopback address (127.0.0.1 at a free port unless told), serving a temporary
// folder with one user.

#include <QHostAddress>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

namespace TestKit {

class LocalFtpServer
{
public:
    static const char* user() { return "tester"; }
    static const char* password() { return "secret"; }

    // Starts the server and waits until it accepts connections; port 0 takes a free one.
    explicit LocalFtpServer(const QHostAddress& address = QHostAddress(QHostAddress::LocalHost), quint16 port = 0);
    virtual ~LocalFtpServer();
    LocalFtpServer(const LocalFtpServer&) = delete;
    LocalFtpServer& operator=(const LocalFtpServer&) = delete;

    bool isRunning() const { return m_strError.isEmpty(); }
    QString error() const { return m_strError; }
    quint16 port() const { return m_nPort; }
    // The served folder, and a path inside it.
    QString root() const { return m_root.path(); }
    QString path(const QString& name) const { return m_root.filePath(name); }

    // A port on address (127.0.0.1 unless told) that nothing listens on at the moment.
    static quint16 freePort(const QHostAddress& address = QHostAddress(QHostAddress::LocalHost));
    // Waits up to 10 s until something accepts connections on address and port.
    static bool waitForPort(const QHostAddress& address, quint16 port);

protected:
    // Starts python3 with the arguments, the address ("-i"), the port ("-p") and the served folder ("-d"), and waits
    // until the server prints a line (bSaysReady) or accepts a connection.
    LocalFtpServer(const QStringList& arguments, bool bSaysReady,
                   const QHostAddress& address = QHostAddress(QHostAddress::LocalHost), quint16 port = 0);

private:
    QTemporaryDir m_root;
    QProcess m_server;
    quint16 m_nPort = 0;
    QString m_strError;
};

} // namespace TestKit
