#pragma once
// A real FTP server (pyftpdlib) on 127.0.0.1 at a free port, serving a temporary folder with one user.

#include <QProcess>
#include <QString>
#include <QTemporaryDir>

namespace TestKit {

class LocalFtpServer
{
public:
    static const char* user() { return "tester"; }
    static const char* password() { return "secret"; }

    // Starts the server and waits until it accepts connections.
    LocalFtpServer();
    ~LocalFtpServer();
    LocalFtpServer(const LocalFtpServer&) = delete;
    LocalFtpServer& operator=(const LocalFtpServer&) = delete;

    bool isRunning() const { return m_strError.isEmpty(); }
    QString error() const { return m_strError; }
    quint16 port() const { return m_nPort; }
    // The served folder, and a path inside it.
    QString root() const { return m_root.path(); }
    QString path(const QString& name) const { return m_root.filePath(name); }

    // A port on 127.0.0.1 that nothing listens on at the moment.
    static quint16 freePort();

private:
    QTemporaryDir m_root;
    QProcess m_server;
    quint16 m_nPort = 0;
    QString m_strError;
};

} // namespace TestKit
