#include "PrivateBus.h"

#include <QFile>

namespace TestKit {

PrivateBus::PrivateBus()
{
    const QString configPath = m_dir.path() + "/bus.conf";
    QFile config(configPath);
    if (!config.open(QIODevice::WriteOnly)) {
        m_strError = "cannot write " + configPath;
        return;
    }
    config.write("<!DOCTYPE busconfig PUBLIC \"-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN\"\n"
                 " \"http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd\">\n"
                 "<busconfig>\n  <type>session</type>\n  <listen>unix:dir=" +
                 m_dir.path().toUtf8() +
                 "</listen>\n  <auth>EXTERNAL</auth>\n"
                 "  <policy context=\"default\">\n    <allow send_destination=\"*\" eavesdrop=\"true\"/>\n"
                 "    <allow eavesdrop=\"true\"/>\n    <allow own=\"*\"/>\n  </policy>\n</busconfig>\n");
    config.close();

    m_process.start("dbus-daemon", {"--config-file=" + configPath, "--nofork", "--print-address=1"});
    if (!m_process.waitForStarted(10000)) {
        m_strError = "dbus-daemon did not start: " + m_process.errorString();
        return;
    }
    while (!m_process.canReadLine() && m_process.waitForReadyRead(10000)) {
    }
    m_strAddress = QString::fromUtf8(m_process.readLine()).trimmed();
    if (m_strAddress.isEmpty())
        m_strError = "dbus-daemon printed no address: " + QString::fromLocal8Bit(m_process.readAllStandardError());
}

PrivateBus::~PrivateBus()
{
    if (m_process.state() != QProcess::NotRunning) {
        m_process.terminate();
        if (!m_process.waitForFinished(5000)) {
            m_process.kill();
            m_process.waitForFinished();
        }
    }
}

void PrivateBus::exportToEnvironment() const
{
    qputenv("DBUS_SESSION_BUS_ADDRESS", m_strAddress.toUtf8());
    qputenv("DBUS_SYSTEM_BUS_ADDRESS", m_strAddress.toUtf8());
}

} // namespace TestKit
