#include "ModalCloser.h"
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
#include <QDir>
#include <QMutex>
#include <QSignalSpy>
#include <QThread>
#include <QUrlQuery>
#include <QtTest>

#include <fcntl.h>
#include <unistd.h>

namespace {

// A D-Bus service that records every call it gets and answers from a table.
class FakeService : public QDBusVirtualObject
{
public:
    QStringList calls() const
    {
        QMutexLocker lock(&m_mutex);
        return m_lstCalls;
    }
    void clear()
    {
        QMutexLocker lock(&m_mutex);
        m_lstCalls.clear();
    }
    void setFailing(bool bFailing)
    {
        QMutexLocker lock(&m_mutex);
        m_bFailing = bFailing;
    }
    // Read end of the pipe whose write end the logind fake hands out as inhibitor.
    int inhibitReadEnd() const { return m_nReadEnd; }

    QString introspect(const QString&) const override { return QString(); }

    bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override
    {
        QStringList args;
        for (const QVariant& arg : message.arguments())
            args << arg.toStringList().join('|') + (arg.canConvert<QStringList>() ? "" : arg.toString());
        bool bFailing;
        {
            QMutexLocker lock(&m_mutex);
            m_lstCalls << message.member() + "(" + args.join(',') + ")";
            bFailing = m_bFailing;
        }
        if (bFailing) {
            connection.send(message.createErrorReply(QDBusError::Failed, "refused"));
            return true;
        }
        QDBusMessage reply = message.createReply();
        if (message.interface() == "org.freedesktop.ScreenSaver" && message.member() == "Inhibit")
            reply << uint(42);
        else if (message.member() == "GetSessionByPID")
            reply << QVariant::fromValue(QDBusObjectPath("/org/freedesktop/login1/session/_7"));
        else if (message.interface() == "org.freedesktop.login1.Manager" && message.member() == "Inhibit") {
            int fds[2];
            if (pipe(fds) != 0)
                return false;
            fcntl(fds[0], F_SETFL, O_NONBLOCK);
            m_nReadEnd = fds[0];
            reply << QVariant::fromValue(QDBusUnixFileDescriptor(fds[1]));
            ::close(fds[1]);
        }
        connection.send(reply);
        return true;
    }

private:
    mutable QMutex m_mutex;
    QStringList m_lstCalls;
    bool m_bFailing = false;
    int m_nReadEnd = -1;
};

// Collects the launcher-entry signals seen on the bus.
class BadgeListener : public QObject
{
    Q_OBJECT

public:
    QList<QPair<QString, QVariantMap>> updates;

public slots:
    void slotUpdate(const QString& app, const QVariantMap& properties) { updates.append({app, properties}); }
};

} // namespace

class TestOs : public QObject
{
    Q_OBJECT

private:
    struct Service
    {
        QString connection;
        FakeService* fake = nullptr;
        QThread* thread = nullptr;
    };

    Service startService(const QString& name, const QString& path)
    {
        Service service;
        service.connection = "fake-" + name;
        service.thread = new QThread;
        service.thread->start();
        service.fake = new FakeService;
        service.fake->moveToThread(service.thread);
        QDBusConnection bus = QDBusConnection::connectToBus(m_pBus->address(), service.connection);
        // Registered from the service's own thread, where its calls are handled.
        QMetaObject::invokeMethod(
            service.fake,
            [&bus, &service, &path] { bus.registerVirtualObject(path, service.fake, QDBusConnection::SubPath); },
            Qt::BlockingQueuedConnection);
        bus.registerService(name);
        return service;
    }

    static void stopService(Service& service)
    {
        QDBusConnection::disconnectFromBus(service.connection);
        service.thread->quit();
        service.thread->wait();
        delete service.fake;
        delete service.thread;
    }

    // True when the other end of the pipe is still held open by someone.
    static bool isPipeHeld(int readEnd)
    {
        char c;
        return ::read(readEnd, &c, 1) < 0 && errno == EAGAIN;
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
        m_screenSaver.fake->clear();
        m_screenSaver.fake->setFailing(false);
        m_fileManager.fake->clear();
        m_fileManager.fake->setFailing(false);
        m_login.fake->clear();
    }

    // Runs first: the temporary home has no data folder yet.
    void testTrashWithoutDataFolder()
    {
        const QString home = QDir::homePath();
        const QString dataHome = QString::fromLocal8Bit(qgetenv("XDG_DATA_HOME"));
        QVERIFY(dataHome.startsWith(home));
        QDir(dataHome).removeRecursively();
        QVERIFY(!QFileInfo::exists(dataHome));

        const QString work = home + "/work";
        QVERIFY(QDir().mkpath(work));
        const QString oldCwd = QDir::currentPath();
        QVERIFY(QDir::setCurrent(work));

        const QString file = home + "/song one.m4a";
        {
            QFile out(file);
            QVERIFY(out.open(QIODevice::WriteOnly));
            out.write("payload");
        }
        const bool bTrashed = Os::moveToTrash(file);
        QDir::setCurrent(oldCwd);
        QVERIFY(bTrashed);
        QVERIFY(!QFileInfo::exists(file));

        QFile trashed(dataHome + "/Trash/files/song one.m4a");
        QVERIFY(trashed.open(QIODevice::ReadOnly));
        QCOMPARE(trashed.readAll(), QByteArray("payload"));
        QFile info(dataHome + "/Trash/info/song one.m4a.trashinfo");
        QVERIFY(info.open(QIODevice::ReadOnly));
        const QByteArray infoText = info.readAll();
        QVERIFY(infoText.startsWith("[Trash Info]"));
        QVERIFY2(infoText.contains("\nPath=" + file.toUtf8() + "\n") ||
                     infoText.contains("\nPath=" + QUrl::toPercentEncoding(file, "/") + "\n"),
                 infoText.constData());
        QVERIFY(infoText.contains("DeletionDate="));
        QCOMPARE(QDir(work).entryList(QDir::NoDotAndDotDot | QDir::AllEntries), QStringList());

        QVERIFY(!Os::moveToTrash(home + "/missing.m4a"));
        QVERIFY(!Os::moveToTrash(QString()));
    }

    void testSleepInhibition()
    {
        Os::setDisableSleepMode(false);
        QCOMPARE(m_screenSaver.fake->calls(), QStringList());

        Os::setDisableSleepMode(true);
        Os::setDisableSleepMode(true);
        QVERIFY(Os_Linux::isSleepInhibited());
        QCOMPARE(m_screenSaver.fake->calls(), QStringList{"Inhibit(Trelvanic,Program Running)"});
        Os::setDisableSleepMode(false);
        QCOMPARE(m_screenSaver.fake->calls(),
                 (QStringList{"Inhibit(Trelvanic,Program Running)", "UnInhibit(42)"}));
        QVERIFY(!Os_Linux::isSleepInhibited());
        Os::setDisableSleepMode(false);
        QCOMPARE(m_screenSaver.fake->calls().size(), 2);
    }

    void testSleepInhibitionThroughLogind()
    {
        m_screenSaver.fake->setFailing(true);
        Os::setDisableSleepMode(true);
        QVERIFY(Os_Linux::isSleepInhibited());
        QCOMPARE(m_login.fake->calls(), QStringList{"Inhibit(idle,Trelvanic,Program Running,block)"});
        const int readEnd = m_login.fake->inhibitReadEnd();
        QVERIFY(readEnd >= 0);
        QTRY_VERIFY(isPipeHeld(readEnd));
        Os::setDisableSleepMode(false);
        QVERIFY(!Os_Linux::isSleepInhibited());
        QTRY_VERIFY(!isPipeHeld(readEnd));
        ::close(readEnd);
        // Releasing the inhibitor fd makes no further call.
        QCOMPARE(m_login.fake->calls().size(), 1);
        QCOMPARE(m_screenSaver.fake->calls(), QStringList{"Inhibit(Trelvanic,Program Running)"});
    }

    void testRevealInFileManager()
    {
        QVERIFY(Os::openFolderAndSelectFile("/x y/z.m4a"));
        QCOMPARE(m_fileManager.fake->calls(), QStringList{"ShowItems(file:///x%20y/z.m4a,)"});

        m_fileManager.fake->setFailing(true);
        TestKit::UrlRecorder recorder;
        QVERIFY(Os::openFolderAndSelectFile("/x y/z.m4a"));
        QCOMPARE(recorder.urls(), QList<QUrl>{QUrl::fromLocalFile("/x y")});
    }

    void testBadge()
    {
        BadgeListener listener;
        QDBusConnection bus = QDBusConnection::connectToBus(m_pBus->address(), "badge-listener");
        QVERIFY(bus.connect(QString(), QString(), "com.canonical.Unity.LauncherEntry", "Update", &listener,
                            SLOT(slotUpdate(QString, QVariantMap))));
        Os::setAppIconNumber(5);
        QTRY_COMPARE(listener.updates.size(), 1);
        QCOMPARE(listener.updates[0].first, QString("application://com.zembrel.Trelvanic.desktop"));
        QCOMPARE(listener.updates[0].second.value("count").toLongLong(), 5LL);
        QCOMPARE(listener.updates[0].second.value("count-visible").toBool(), true);
        Os::unsetAppIconNumber();
        QTRY_COMPARE(listener.updates.size(), 2);
        QCOMPARE(listener.updates[1].second.value("count-visible").toBool(), false);
        QDBusConnection::disconnectFromBus("badge-listener");
    }

    void testSleepAndLogoutSignals()
    {
        Os* os = Os::instance();
        QCOMPARE(Os::instance(), os);
        QSignalSpy standBy(os, SIGNAL(atSwitchToStandBy()));
        QSignalSpy wakeUp(os, SIGNAL(atWakeUpFromStandBy()));
        QSignalSpy logout(os, SIGNAL(atUserLogout()));
        QDBusConnection login(m_login.connection);
        auto send = [&login](const QString& path, const QString& interfaceName, const QString& name,
                             const QVariantList& args) {
            QDBusMessage signal = QDBusMessage::createSignal(path, interfaceName, name);
            signal.setArguments(args);
            QVERIFY(login.send(signal));
        };
        const QString manager = "org.freedesktop.login1.Manager";
        send("/org/freedesktop/login1", manager, "PrepareForSleep", {true});
        QTRY_COMPARE(standBy.count(), 1);
        QCOMPARE(wakeUp.count(), 0);
        send("/org/freedesktop/login1", manager, "PrepareForSleep", {false});
        QTRY_COMPARE(wakeUp.count(), 1);
        QCOMPARE(standBy.count(), 1);
        send("/org/freedesktop/login1", manager, "PrepareForShutdown", {true});
        QTRY_COMPARE(logout.count(), 1);

        // The session found through logind turning inactive (a user switch) is a logout too.
        QTRY_VERIFY(m_login.fake->calls().contains(QString("GetSessionByPID(%1)").arg(QCoreApplication::applicationPid())));
        const QVariantMap inactive{{"Active", false}};
        for (int i = 0; i < 100 && logout.count() < 2; ++i) {
            send("/org/freedesktop/login1/session/_7", "org.freedesktop.DBus.Properties", "PropertiesChanged",
                 {"org.freedesktop.login1.Session", inactive, QStringList()});
            QTest::qWait(20);
        }
        QVERIFY(logout.count() >= 2);
        const int logouts = logout.count();
        send("/org/freedesktop/login1/session/_7", "org.freedesktop.DBus.Properties", "PropertiesChanged",
             {"org.freedesktop.login1.Session", QVariantMap{{"Active", true}}, QStringList()});
        send("/org/freedesktop/login1", manager, "PrepareForShutdown", {false});
        send("/org/freedesktop/login1", manager, "PrepareForSleep", {true});
        QTRY_COMPARE(standBy.count(), 2);
        QCOMPARE(logout.count(), logouts);
        QCOMPARE(wakeUp.count(), 1);
    }

    void testAutostart()
    {
        const QString path = QString::fromLocal8Bit(qgetenv("XDG_CONFIG_HOME")) +
                             "/autostart/com.zembrel.Trelvanic.desktop";
        QDir(QFileInfo(path).absolutePath()).removeRecursively();
        QVERIFY(!Os::isAutorunAtLogon());
        Os::changeAutorunAtLogon(true);
        QVERIFY(QFileInfo::exists(path));
        QVERIFY(Os::isAutorunAtLogon());
        QFile entry(path);
        QVERIFY(entry.open(QIODevice::ReadOnly));
        const QByteArray text = entry.readAll();
        entry.close();
        QVERIFY(text.startsWith("[Desktop Entry]\n"));
        QVERIFY(text.contains("\nExec=\"" + QCoreApplication::applicationFilePath().toUtf8() + "\"\n"));
        QVERIFY(text.contains("\nType=Application\n"));
        QVERIFY(text.contains("\nHidden=false\n"));
        Os::changeAutorunAtLogon(false);
        QVERIFY(!QFileInfo::exists(path));
        QVERIFY(!Os::isAutorunAtLogon());

        // A user's hidden entry for this program is not ours: it stays, and it does not start the program.
        QVERIFY(entry.open(QIODevice::WriteOnly));
        entry.write("[Desktop Entry]\nType=Application\nExec=\"" +
                    QCoreApplication::applicationFilePath().toUtf8() + "\"\nHidden=true\n");
        entry.close();
        QVERIFY(!Os::isAutorunAtLogon());
        Os::changeAutorunAtLogon(false);
        QVERIFY(QFileInfo::exists(path));
        Os::changeAutorunAtLogon(true);
        QVERIFY(Os::isAutorunAtLogon());
        Os::changeAutorunAtLogon(false);
        QVERIFY(!QFileInfo::exists(path));
    }

    void testSharingItems_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("image");
        QTest::addColumn<QString>("link");
        QTest::addColumn<QString>("order");
        QTest::newRow("all") << "hi" << true << "http://a.invalid/" << "image,link,text";
        QTest::newRow("text+image") << "hi" << true << "" << "image,text";
        QTest::newRow("text+link") << "hi" << false << "http://a.invalid/" << "text,link";
        QTest::newRow("text") << "hi" << false << "" << "text";
        QTest::newRow("empty text") << "" << true << "http://a.invalid/" << "text";
        QTest::newRow("nothing") << "" << false << "" << "text";
    }

    void testSharingItems()
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
        const QVariantList items = Os::sharingItems(text, pixmap, QUrl(link));
        for (const QVariant& item : items) {
            if (item.userType() == QMetaType::QPixmap)
                kinds << "image";
            else if (item.userType() == QMetaType::QUrl) {
                kinds << "link";
                QCOMPARE(item.toUrl(), QUrl(link));
            } else {
                kinds << "text";
                QCOMPARE(item.toString(), text);
            }
        }
        QCOMPARE(kinds.join(','), order);
    }

    void testMailFallback()
    {
        const QByteArray path = qgetenv("PATH");
        qputenv("PATH", QDir::homePath().toUtf8() + "/no-programs");
        TestKit::UrlRecorder recorder;
        QPixmap pixmap(4, 4);
        pixmap.fill(Qt::blue);
        Os::postToEmail("Convert & enjoy = 100%", pixmap, QUrl("http://a.invalid/x?y=1"));
        Os::postToEmail(QString(), pixmap, QUrl("http://a.invalid/"));
        Os::postToTwitter("t", pixmap, QUrl("http://a.invalid/"));
        Os::postToFacebook("t", pixmap, QUrl("http://a.invalid/"));
        Os::postToLinkedin("t", pixmap, QUrl("http://a.invalid/"));
        qputenv("PATH", path);
        QCOMPARE(recorder.urls().size(), 2);
        const QUrl first = recorder.urls().at(0);
        QCOMPARE(first.scheme(), QString("mailto"));
        const QUrlQuery query(first);
        QCOMPARE(query.queryItemValue("subject", QUrl::FullyDecoded), QString("Trelvanic"));
        QCOMPARE(query.queryItemValue("body", QUrl::FullyDecoded),
                 QString("Convert & enjoy = 100%\nhttp://a.invalid/x?y=1"));
        QCOMPARE(QUrlQuery(recorder.urls().at(1)).queryItemValue("body", QUrl::FullyDecoded), QString());
    }

    void testSmallOperations()
    {
        QCOMPARE(Os::nativeLibraryName("abc"), QString("libabc.so"));
        QCOMPARE(Os::nativeLibraryName(QString()), QString("lib.so"));
        QVERIFY(!Os::hasSystemReviewPrompt());
        Os::hideWindowFromTaskBar(nullptr);
        QWidget widget(nullptr, Qt::Tool);
        Os::hideWindowFromTaskBar(&widget);
        QVERIFY(widget.windowFlags().testFlag(Qt::Window));
        QCOMPARE(widget.windowFlags() & Qt::WindowType_Mask, Qt::Tool);
        Os::fbJoin();
    }

    // Run again in a child process with QT_SCALE_FACTOR=2, which Qt reads only at start-up.
    void testScaleFactor()
    {
        if (qgetenv("QT_SCALE_FACTOR") == "2") {
            QCOMPARE(Os::scaleFactor(), 2.0);
            return;
        }
        QCOMPARE(Os::scaleFactor(), 1.0);
        const TestKit::ToolResult child = TestKit::runSelf({"testScaleFactor"}, {"QT_SCALE_FACTOR=2"});
        QVERIFY2(child.exitCode == 0, child.out.constData());
        QVERIFY(child.out.contains("PASS   : TestOs::testScaleFactor()"));
    }
};

TRELVANIC_TEST_MAIN(TestOs)
#include "tst_os.moc"
