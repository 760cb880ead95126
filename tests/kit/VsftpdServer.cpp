#include "VsftpdServer.h"

#include "LocalFtpServer.h"
#include "Tools.h"

#include <QDir>
#include <QStandardPaths>

namespace TestKit {

namespace {

const char* const kConfig = R"(listen=YES
listen_ipv6=NO
listen_address=127.0.0.1
listen_port=%1
background=NO
run_as_launching_user=YES
anonymous_enable=YES
local_enable=NO
anon_root=%2
no_anon_password=YES
write_enable=YES
anon_upload_enable=YES
anon_mkdir_write_enable=YES
anon_other_write_enable=YES
anon_umask=022
anon_max_rate=%4
anon_world_readable_only=NO
delete_failed_uploads=YES
pasv_address=127.0.0.2
connect_from_port_20=NO
utf8_filesystem=YES
seccomp_sandbox=NO
secure_chroot_dir=%3
xferlog_enable=NO
dirmessage_enable=NO
)";

} // namespace

VsftpdServer::VsftpdServer(int bytesPerSecond, quint16 port) : m_nPort(port ? port : LocalFtpServer::freePort())
{
    const QString program = QStandardPaths::findExecutable("vsftpd", {"/usr/sbin"});
    if (program.isEmpty()) {
        m_strError = "vsftpd is not installed (scripts/install-deps.sh installs it)";
        return;
    }
    const QString empty = m_home.filePath("empty");
    const QString config = m_home.filePath("vsftpd.conf");
    QDir().mkpath(empty);
    writeFile(config, QString(kConfig).arg(m_nPort).arg(m_root.path(), empty).arg(bytesPerSecond).toLocal8Bit());
    m_server.setProcessChannelMode(QProcess::ForwardedChannels);
    m_server.start(program, {config});
    if (!m_server.waitForStarted() || !LocalFtpServer::waitForPort(QHostAddress(QHostAddress::LocalHost), m_nPort))
        m_strError = "vsftpd could not start: " + m_server.errorString();
}

VsftpdServer::~VsftpdServer()
{
    m_server.kill();
    m_server.waitForFinished();
}

} // namespace TestKit
