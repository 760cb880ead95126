#include "PrivateBus.h"
#include "SelfRun.h"
#include "TestMain.h"
#include "UrlRecorder.h"

#include <VUVararer/Os.h>
#include <VUVararer/Platform/Os_Linux.h>

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusUnixFileDescriptor>
#include <QDBusVirtualObject>
#include <QMutex>
#include <QSignalSpy>
#include <QThread>
#include <QUrlQuery>
#include <QtTest>

#include <fcntl.h>
#include <unistd.h>

namespace {

// A D-Bus service that records every call it gets and answers from a table (or refuses all).
class FakeService : public QDBusVirtualObject
{
public:
    QStringList calls() const
    {
        QMutexLocker lock(&m_mutex);
        return m_lstCalls;
    }
    void reset(bool bFailing = false)
    {
        QMutexLocker lock(&m_mutex);
        m_lstCalls.clear();
        m_bFailing = bFailing;
    }
    // Read end of the pipe whose write end the logind fake hands out as inhibitor.
    int m_nReadEnd = -1;

    QString introspect(const QString&) const override { return QString(); }

    bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override
    {
        QStringList args;
        for (const QVariant& arg : message.arguments())
            args << arg.toStringList().join('|') + (arg.canConvert<QStringList>() ? "" : arg.toString());
        QMutexLocker lock(&m_mutex);
        m_lstCalls << message.member() + "(" + args.join(',') + ")";
        if (m_bFailing)
            return connection.send(message.createErrorReply(QDBusError::Failed, "refused"));
        QDBusMessage reply = message.createReply();
        if (message.interface() == "org.freedesktop.ScreenSaver" && message.member() == "Inhibit") {
            reply << uint(42);
        } else if (message.member() == "GetSessionByPID") {
            reply << QVariant::fromValue(QDBusObjectPath("/org/freedesktop/login1/session/_7"));
        } else if (message.member() == "Inhibit") {
            int fds[2];
            if (pipe(fds) != 0)
                return false;
            fcntl(fds[0], F_SETFL, O_NONBLOCK);
            m_nReadEnd = fds[0];
            reply << QVariant::fromValue(QDBusUnixFileDescriptor(fds[1]));
            ::close(fds[1]);
        }
        return connection.send(reply);
    }

private:
    mutable QMutex m_mutex;
    QStringList m_lstCalls;
    bool m_bFailing = false;
};

// Collects the launcher-entry signals seen on the bus.
class BadgeListener : public QObject
{
    Q_OBJECT

public:
    QList<QVariantMap> m_lstUpdates;
    QStringList m_lstApps;

public slots:
    void slotUpdate(const QString& app, const QVariantMap& properties)
    {
        m_lstApps << app;
        m_lstUpdates << properties;
    }
};

// True when the other end of the pipe is still held open by someone.
bool isPipeHeld(int readEnd)
{
    char c;
    return ::read(readEnd, &c, 1) < 0 && errno == EAGAIN;
}

} // namespace

class TestOs : public QObject
{
    Q_OBJECT

private:
    // A fake service on its own connection, handled in its own thread.
    struct Service
    {
        QString connection;
        FakeService* fake = nullptr;
        QThread* thread = nullptr;
    };

    Service startService(const QString& name, const QString& path)
    {
        Service service{"fake-" + name, new FakeService, new QThread};
        service.thread->start();
        service.fake->moveToThread(service.thread);
        QDBusConnection bus = QDBusConnection::connectToBus(m_pBus->address(), service.connection);
        QMetaObject::invokeMethod(
            service.fake, [&] { bus.registerVirtualObject(path, service.fake, QDBusConnection::SubPath); },
            Qt::BlockingQueuedConnection);
        bus.registerService(name);
        return service;
    }

    // The fake goes while its connection is open: the connection's thread learns of its end through a blocking
    // call, which races the connection's own deletion once the connection has closed.
    static void stopService(Service& service)
    {
        service.thread->quit();
        service.thread->wait();
        delete service.fake;
        QDBusConnection::disconnectFromBus(service.connection);
        delete service.thread;
    }

    void sendLoginSignal(const QString& path, const QString& interfaceName, const QString& name,
                         const QVariantList& args)
    {
        QDBusMessage signal = QDBusMessage::createSignal(path, interfaceName, name);
        signal.setArguments(args);
        QVERIFY(QDBusConnection(m_login.connection).send(signal));
    }

    TestKit::PrivateBus* m_pBus = nullptr;
    Service m_screenSaver;
    Service m_fileManager;
    Service m_login;

private slots:
    void initTestCase()
    {
        m_pBus = new TestKit::PrivateBus;
        QVERIFY2(m_pBus->isRunning(), qPrintable(m_pBus->error()));
        m_pBus->exportToEnvironment();
        QCoreApplication::setOrganizationName("Zembrel");
        QCoreApplication::setApplicationName("Trelvanic");
        m_screenSaver = startService("org.freedesktop.ScreenSaver", "/org/freedesktop/ScreenSaver");
        m_fileManager = startService("org.freedesktop.FileManager1", "/org/freedesktop/FileManager1");
        m_login = startService("org.freedesktop.login1", "/org/freedesktop/login1");
        QDBusConnection client = QDBusConnection::connectToBus(m_pBus->address(), "os-client");
        QVERIFY(client.isConnected());
        Os_Linux::setBuses(client, client);
    }

    void cleanupTestCase()
    {
        Os::setDisableSleepMode(false);
        delete Os::instance();
        QDBusConnection::disconnectFromBus("os-client");
        stopService(m_screenSaver);
        stopService(m_fileManager);
        stopService(m_login);
        delete m_pBus;
    }

    void init()
    {
        m_screenSaver.fake->reset();
        m_fileManager.fake->reset();
        m_login.fake->reset();
    }

    // Runs first: the temporary home has no data folder yet.
    void testTrashWithoutDataFolder()
    {
        const QString home = QDir::homePath();
        const QString dataHome = qEnvironmentVariable("XDG_DATA_HOME");
        QVERIFY(dataHome.startsWith(home));
        QDir(dataHome).removeRecursively();
        const QString work = home + "/work";
        QVERIFY(QDir().mkpath(work));
        const QString oldCwd = QDir::currentPath();
        QVERIFY(QDir::setCurrent(work));
        const QString file = home + "/song one.m4a";
        {
            QFile out(file);
            QVERIFY(out.open(QIODevice::WriteOnly) && out.write("payload") == 7);
        }
        const bool bTrashed = Os::moveToTrash(file);
        QDir::setCurrent(oldCwd);
        QVERIFY(bTrashed && !QFileInfo::exists(file));

        QFile trashed(dataHome + "/Trash/files/song one.m4a");
        QVERIFY(trashed.open(QIODevice::ReadOnly));
        QCOMPARE(trashed.readAll(), QByteArray("payload"));
        QFile info(dataHome + "/Trash/info/song one.m4a.trashinfo");
        QVERIFY(info.open(QIODevice::ReadOnly));
        const QByteArray infoText = info.readAll();
        QVERIFY(infoText.startsWith("[Trash Info]") && infoText.contains("DeletionDate="));
        QVERIFY2(infoText.contains("\nPath=" + file.toUtf8() + "\n") ||
                     infoText.contains("\nPath=" + QUrl::toPercentEncoding(file, "/") + "\n"),
                 infoText.constData());
        QCOMPARE(QDir(work).entryList(QDir::NoDotAndDotDot | QDir::AllEntries), QStringList());
        QVERIFY(!Os::moveToTrash(home + "/missing.m4a"));
        QVERIFY(!Os::moveToTrash(QString()));
    }

    void testSleepInhibition()
    {
        Os::setDisableSleepMode(false);
        // A second request while one is held does nothing.
        Os::setDisableSleepMode(true);
        Os::setDisableSleepMode(true);
        QVERIFY(Os_Linux::isSleepInhibited());
        Os::setDisableSleepMode(false);
        Os::setDisableSleepMode(false);
        QVERIFY(!Os_Linux::isSleepInhibited());
        QCOMPARE(m_screenSaver.fake->calls(), (QStringList{"Inhibit(Trelvanic,Program Running)", "UnInhibit(42)"}));

        // Without the screen saver service: a logind inhibitor, held as an open descriptor.
        m_screenSaver.fake->reset(true);
        Os::setDisableSleepMode(true);
        QVERIFY(Os_Linux::isSleepInhibited());
        QCOMPARE(m_login.fake->calls(), QStringList{"Inhibit(idle,Trelvanic,Program Running,block)"});
        const int readEnd = m_login.fake->m_nReadEnd;
        QVERIFY(readEnd >= 0);
        QTRY_VERIFY(isPipeHeld(readEnd));
        Os::setDisableSleepMode(false);
        QVERIFY(!Os_Linux::isSleepInhibited());
        QTRY_VERIFY(!isPipeHeld(readEnd));
        ::close(readEnd);
        QCOMPARE(m_login.fake->calls().size(), 1);
    }

    void testRevealAndBadge()
    {
        QVERIFY(Os::openFolderAndSelectFile("/x y/z.m4a"));
        QCOMPARE(m_fileManager.fake->calls(), QStringList{"ShowItems(file:///x%20y/z.m4a,)"});
        m_fileManager.fake->reset(true);
        TestKit::UrlRecorder recorder;
        QVERIFY(Os::openFolderAndSelectFile("/x y/z.m4a"));
        QCOMPARE(recorder.urls(), QList<QUrl>{QUrl::fromLocalFile("/x y")});

        // The listener is declared after the connection, so that it is gone before the connection's last reference.
        QDBusConnection bus = QDBusConnection::connectToBus(m_pBus->address(), "badge-listener");
        BadgeListener listener;
        QVERIFY(bus.connect(QString(), QString(), "com.canonical.Unity.LauncherEntry", "Update", &listener,
                            SLOT(slotUpdate(QString, QVariantMap))));
        Os::setAppIconNumber(5);
        Os::unsetAppIconNumber();
        QTRY_COMPARE(listener.m_lstUpdates.size(), 2);
        QCOMPARE(listener.m_lstApps.first(), QString("application://com.zembrel.Trelvanic.desktop"));
        QCOMPARE(listener.m_lstUpdates[0].value("count").toLongLong(), 5LL);
        QCOMPARE(listener.m_lstUpdates[0].value("count-visible").toBool(), true);
        QCOMPARE(listener.m_lstUpdates[1].value("count-visible").toBool(), false);
        QDBusConnection::disconnectFromBus("badge-listener");
    }

    void testSleepAndLogoutSignals()
    {
        Os* os = Os::instance();
        QSignalSpy standBy(os, SIGNAL(atSwitchToStandBy()));
        QSignalSpy wakeUp(os, SIGNAL(atWakeUpFromStandBy()));
        QSignalSpy logout(os, SIGNAL(atUserLogout()));
        const QString login = "/org/freedesktop/login1", manager = "org.freedesktop.login1.Manager";
        const QString session = "/org/freedesktop/login1/session/_7", properties = "org.freedesktop.DBus.Properties";
        sendLoginSignal(login, manager, "PrepareForSleep", {true});
        QTRY_COMPARE(standBy.count(), 1);
        sendLoginSignal(login, manager, "PrepareForSleep", {false});
        QTRY_COMPARE(wakeUp.count(), 1);
        sendLoginSignal(login, manager, "PrepareForShutdown", {true});
        QTRY_COMPARE(logout.count(), 1);
        QCOMPARE(standBy.count(), 1);

        // The session found through logind turning inactive (a user switch) is a logout too.
        QTRY_VERIFY(
            m_login.fake->calls().contains(QString("GetSessionByPID(%1)").arg(QCoreApplication::applicationPid())));
        for (int i = 0; i < 100 && logout.count() < 2; ++i) {
            sendLoginSignal(session, properties, "PropertiesChanged",
                            {"org.freedesktop.login1.Session", QVariantMap{{"Active", false}}, QStringList()});
            QTest::qWait(20);
        }
        QVERIFY(logout.count() >= 2);
        const int logouts = logout.count();
        sendLoginSignal(session, properties, "PropertiesChanged",
                        {"org.freedesktop.login1.Session", QVariantMap{{"Active", true}}, QStringList()});
        sendLoginSignal(login, manager, "PrepareForShutdown", {false});
        sendLoginSignal(login, manager, "PrepareForSleep", {true});
        QTRY_COMPARE(standBy.count(), 2);
        QCOMPARE(logout.count(), logouts);
        QCOMPARE(wakeUp.count(), 1);
    }

    void testAutostart()
    {
        const QString path = qEnvironmentVariable("XDG_CONFIG_HOME") + "/autostart/com.zembrel.Trelvanic.desktop";
        const QByteArray exec = "\nExec=\"" + QCoreApplication::applicationFilePath().toUtf8() + "\"\n";
        // Turning it on creates the autostart folder.
        QDir(QFileInfo(path).absolutePath()).removeRecursively();
        QVERIFY(!Os::isAutorunAtLogon());
        Os::changeAutorunAtLogon(true);
        QVERIFY(Os::isAutorunAtLogon());
        QFile entry(path);
        QVERIFY(entry.open(QIODevice::ReadOnly));
        const QByteArray text = entry.readAll();
        entry.close();
        QVERIFY2(text.startsWith("[Desktop Entry]\n") && text.contains(exec) && text.contains("\nType=Application\n") &&
                     text.contains("\nHidden=false\n"),
                 text.constData());
        Os::changeAutorunAtLogon(false);
        QVERIFY(!QFileInfo::exists(path));

        // A user's hidden entry for this program is not ours: it stays, and it does not start the program.
        QVERIFY(entry.open(QIODevice::WriteOnly));
        entry.write("[Desktop Entry]\nType=Application" + exec + "Hidden=true\n");
        entry.close();
        QVERIFY(!Os::isAutorunAtLogon());
        Os::changeAutorunAtLogon(false);
        QVERIFY(QFileInfo::exists(path));
    }

    void testSharing_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("image");
        QTest::addColumn<QString>("link");
        QTest::addColumn<QString>("order");
        QTest::newRow("all") << "hi" << true << "http://a.invalid/"
                             << "image,link,text";
        QTest::newRow("text+link") << "hi" << false << "http://a.invalid/"
                                   << "text,link";
        QTest::newRow("empty text") << "" << true << "http://a.invalid/"
                                    << "text";
    }

    void testSharing()
    {
        QFETCH(QString, text);
        QFETCH(bool, image);
        QFETCH(QString, link);
        QFETCH(QString, order);
        QPixmap pixmap;
        if (image) {
            pixmap = QPixmap(4, 4);
            pixmap.fill(Qt::red);
        }
        QStringList kinds;
        for (const QVariant& item : Os::sharingItems(text, pixmap, QUrl(link)))
            kinds << (item.userType() == QMetaType::QPixmap ? "image"
                      : item.userType() == QMetaType::QUrl  ? "link"
                                                            : "text:" + item.toString());
        QCOMPARE(kinds.join(','), QString(order).replace("text", "text:" + text));

        // Without xdg-email: a mailto link whose encoded body survives "&", "=" and "%".
        const QByteArray path = qgetenv("PATH");
        qputenv("PATH", QDir::homePath().toUtf8() + "/no-programs");
        TestKit::UrlRecorder recorder;
        Os::postToEmail(text + " & = 100%", pixmap, QUrl(link));
        Os::postToTwitter("t", pixmap, QUrl(link));
        qputenv("PATH", path);
        QCOMPARE(recorder.urls().size(), 1);
        const QUrlQuery query(recorder.urls().first());
        QCOMPARE(recorder.urls().first().scheme(), QString("mailto"));
        QCOMPARE(query.queryItemValue("subject", QUrl::FullyDecoded), QString("Trelvanic"));
        QCOMPARE(query.queryItemValue("body", QUrl::FullyDecoded), text + " & = 100%\n" + link);
    }

    // Run again in a child process with QT_SCALE_FACTOR=2, which Qt reads only at start-up.
    void testSmallOperations()
    {
        QCOMPARE(Os::nativeLibraryName("abc"), QString("libabc.so"));
        QVERIFY(!Os::hasSystemReviewPrompt());
        Os::hideWindowFromTaskBar(nullptr);
        QWidget widget(nullptr, Qt::Tool);
        Os::hideWindowFromTaskBar(&widget);
        QCOMPARE(widget.windowFlags() & Qt::WindowType_Mask, Qt::Tool);
        if (qgetenv("QT_SCALE_FACTOR") == "2") {
            QCOMPARE(Os::scaleFactor(), 2.0);
            return;
        }
        QCOMPARE(Os::scaleFactor(), 1.0);
        const TestKit::ToolResult child = TestKit::runSelf({"testSmallOperations"}, {"QT_SCALE_FACTOR=2"});
        QVERIFY2(child.exitCode == 0, child.out.constData());
        QVERIFY(child.out.contains("PASS   : TestOs::testSmallOperations()"));
    }
};

TRELVANIC_TEST_MAIN(TestOs)
#include "tst_os.moc"
