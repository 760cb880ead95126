#pragma once
// A private D-Bus daemon for one test process that activates no services; stands in for session and system bus.

#include <QProcess>
#include <QString>
#include <QTemporaryDir>

namespace TestKit {

class PrivateBus
{
public:
    PrivateBus();
    ~PrivateBus();
    PrivateBus(const PrivateBus&) = delete;
    PrivateBus& operator=(const PrivateBus&) = delete;

    bool isRunning() const { return !m_strAddress.isEmpty(); }
    QString address() const { return m_strAddress; }
    // What went wrong when the daemon did not start.
    QString error() const { return m_strError; }
    // Points DBUS_SESSION_BUS_ADDRESS and DBUS_SYSTEM_BUS_ADDRESS at this bus.
    void exportToEnvironment() const;

private:
    QTemporaryDir m_dir;
    QProcess m_process;
    QString m_strAddress;
    QString m_strError;
};

} // namespace TestKit
