#pragma once
// Linux bodies of the platform facade: freedesktop D-Bus services, XDG autostart and the freedesktop trash.

#include <QDBusConnection>
#include <QList>
#include <QObject>
#include <QPixmap>
#include <QString>
#include <QStringList>
#include <QVariantMap>

class Os;
class QDBusPendingCallWatcher;

class Os_Linux : public QObject
{
    Q_OBJECT

public:
    // Listens to logind's sleep, shutdown and session signals and re-emits them on os.
    explicit Os_Linux(Os* os);
    ~Os_Linux() override;

    // Buses used from now on (a test hands in its private bus); the running listener moves to them.
    static void setBuses(const QDBusConnection& session, const QDBusConnection& system);
    static QDBusConnection sessionBus();
    static QDBusConnection systemBus();

    // Reverse-domain id of the application, also the base name of its desktop entries.
    static QString desktopId();
    static QString autostartPath();

    static void setBadge(int count, bool visible);
    static bool isAutorun();
    static void changeAutorun(bool on);
    static bool showItem(const QString& path);
    static bool trash(const QString& path);
    static void inhibitSleep(bool on);
    static bool isSleepInhibited();
    static void mail(const QString& subject, const QString& body, const QPixmap& attachment);

private slots:
    void slotPrepareForSleep(bool start);
    void slotPrepareForShutdown(bool start);
    void slotSessionPropertiesChanged(const QString& interfaceName, const QVariantMap& changed,
                                      const QStringList& invalidated);
    void slotSessionFound(QDBusPendingCallWatcher* watcher);
    void slotCommitDataRequest();

private:
    void listen();
    void stopListening();
    static bool inhibitThroughScreenSaver();
    static bool inhibitThroughLogind();

    Os* m_pOs;
    QString m_strSessionPath;

    static QList<Os_Linux*> sm_lstListeners;
    static QString sm_strSessionBus;
    static QString sm_strSystemBus;
    static bool sm_bInhibited;
    static uint sm_nCookie;
    static int sm_nInhibitFd;
};
