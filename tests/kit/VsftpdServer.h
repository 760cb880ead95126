#pragma once
// vsftpd from Debian's package on 127.0.0.1 (at a free port unless told), in the foreground as the user who runs the
// test: anonymous with write rights, announcing UTF8 and 127.0.0.2 in its passive replies (an address a client must
// not follow), deleting uploads that fail, serving a temporary folder.

#include <QProcess>
#include <QString>
#include <QTemporaryDir>

namespace TestKit {

class VsftpdServer
{
public:
    static const char* user() { return "anonymous"; }
    static const char* password() { return "tester@"; }

    // Starts the server and waits until it accepts connections; bytesPerSecond limits each transfer (0: no limit);
    // port 0 takes a free one.
    explicit VsftpdServer(int bytesPerSecond = 0, quint16 port = 0);
    ~VsftpdServer();
    VsftpdServer(const VsftpdServer&) = delete;
    VsftpdServer& operator=(const VsftpdServer&) = delete;

    bool isRunning() const { return m_strError.isEmpty(); }
    QString error() const { return m_strError; }
    quint16 port() const { return m_nPort; }
    // The served folder, and a path inside it.
    QString root() const { return m_root.path(); }
    QString path(const QString& name) const { return m_root.filePath(name); }

private:
    QTemporaryDir m_root;
    QTemporaryDir m_home;
    QProcess m_server;
    quint16 m_nPort = 0;
    QString m_strError;
};

} // namespace TestKit
