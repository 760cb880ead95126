#include "ModalCloser.h"
#include "TestMain.h"
#include "UrlRecorder.h"

#include <VUVararer/App.h>
#include <VUVararer/Reminders.h>

#include <QSettings>
#include <QtTest>

#include <climits>

using TestKit::ModalCloser;
using VUVararer::App;
using VUVararer::Reminders;

namespace {

class ReminderApp : public App
{
public:
    ReminderApp(int& argc, char** argv) : App(argc, argv) {}
    void setIndependent(bool bIndependent) { m_bIndependent = bIndependent; }
};

ReminderApp* app() { return static_cast<ReminderApp*>(App::theApp()); }

// Runs one reminder opportunity; answers a dialog with the button and returns the dialog's class name.
QByteArray remind(const QString& button = "Close")
{
    QByteArray shown;
    ModalCloser closer(
        [&](QWidget* window) {
            shown = window->metaObject()->className();
            QVERIFY(ModalCloser::clickButton(window, button));
        },
        "VUVararer::ReminderStateDialog");
    app()->slotCallRateReminderInternal();
    return shown;
}

} // namespace

class TestReminders : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        app()->settings()->remove("Trelvanic");
        app()->setIndependent(true);
        app()->setRemiderCount(10);
    }

    // First, while no other test has armed a reminder: each call adds one opportunity at quit.
    void testArmedReminderComesAtQuit()
    {
        app()->callJoinReminder(1);
        app()->callJoinReminder(1);
        QList<QByteArray> shown;
        QTimer closer;
        connect(&closer, &QTimer::timeout, [&shown] {
            if (QWidget* window = ModalCloser::findModal("VUVararer::ReminderStateDialog")) {
                shown << window->metaObject()->className();
                ModalCloser::clickButton(window, "Close");
            }
        });
        closer.start(10);
        QVERIFY(QMetaObject::invokeMethod(app(), "aboutToQuit", Qt::DirectConnection));
        QCOMPARE(shown, (QList<QByteArray>{"VUVararer::JoinReminderDialog", "VUVararer::JoinReminderDialog"}));
        QCOMPARE(app()->settingsValue("AutoReminderCount").toInt(), 3);
        disconnect(app(), SIGNAL(aboutToQuit()), app(), SLOT(slotCallRateReminderInternal()));
    }

    void testRemindersOff()
    {
        app()->setSettingsValue("AutoReminder", false);
        app()->callTellReminder(1);
        QCOMPARE(remind(), QByteArray());
        app()->settings()->sync();
        QFile ini(app()->supportDirectory(false) + "settings.plist");
        QVERIFY(ini.open(QIODevice::ReadOnly));
        const QByteArray text = ini.readAll();
        QVERIFY(text.contains("AutoReminder=false"));
        QVERIFY(!text.contains("AutoReminderCount"));
    }

    void testEveryTenthOpportunity()
    {
        app()->callTellReminder(10);
        QList<int> shownAt;
        for (int opportunity = 1; opportunity <= 30; ++opportunity) {
            QCOMPARE(app()->settingsValue("AutoReminderCount", 1).toInt(), opportunity);
            if (!remind().isEmpty())
                shownAt << opportunity;
        }
        QCOMPARE(shownAt, (QList<int>{10, 20, 30}));
        QCOMPARE(app()->settingsValue("AutoReminderCount").toInt(), 31);
    }

    void testCounterSteps_data()
    {
        QTest::addColumn<int>("stored");
        QTest::addColumn<int>("period");
        QTest::addColumn<bool>("shown");
        QTest::addColumn<int>("written");
        QTest::newRow("9") << 9 << 10 << false << 10;
        QTest::newRow("10") << 10 << 10 << true << 11;
        QTest::newRow("-1") << -1 << 10 << false << 0;
        QTest::newRow("-5") << -5 << 10 << false << 1;
        QTest::newRow("period 0") << 10 << 0 << false << 11;
        QTest::newRow("period -3") << 9 << -3 << false << 10;
        QTest::newRow("top") << INT_MAX << 10 << false << INT_MAX;
    }

    void testCounterSteps()
    {
        QFETCH(int, stored);
        QFETCH(int, period);
        QFETCH(bool, shown);
        QFETCH(int, written);
        app()->callJoinReminder(period);
        app()->setSettingsValue("AutoReminderCount", stored);
        QCOMPARE(remind() == "VUVararer::JoinReminderDialog", shown);
        QCOMPARE(app()->settingsValue("AutoReminderCount").toInt(), written);
    }

    void testKindChoice()
    {
        app()->setIndependent(true);
        app()->callReminder(10, 8);
        QCOMPARE(app()->reminderKind(), 2);
        QCOMPARE(app()->reminderCount(), 10);
        app()->setSettingsValue("AutoReminderCount", 10);
        QCOMPARE(remind(), QByteArray("VUVararer::TellReminderDialog"));
        app()->setIndependent(false);
        app()->callReminder(10, 8);
        QCOMPARE(app()->reminderKind(), QFile::exists(app()->bundleResourcePath() + "independent") ? 2 : 1);
        QCOMPARE(Reminders::chooseKind(8, 0, true), 1);
        QCOMPARE(Reminders::chooseKind(8, 0, false), 2);
        QCOMPARE(Reminders::chooseKind(16, 5, false), 16);
        // A mask of several kinds picks each of them, and only them, over the seeds.
        QSet<int> seen;
        for (quint32 seed = 0; seed < 50; ++seed)
            seen.insert(Reminders::chooseKind(7, seed, false));
        QCOMPARE(seen, (QSet<int>{1, 2, 4}));
    }

    void testAnswers()
    {
        TestKit::UrlRecorder recorder;
        app()->callRateReminder(1);
        // The first rating prompt of the run comes; once shown, a rate reminder neither comes nor counts.
        QCOMPARE(remind("Later"), QByteArray("VUVararer::RateAppStoreDialog"));
        QCOMPARE(app()->settingsValue("AutoReminderCount").toInt(), 2);
        QCOMPARE(app()->settingsValue("AutoReminder", true).toBool(), true);
        QCOMPARE(remind("Later"), QByteArray());
        QCOMPARE(app()->settingsValue("AutoReminderCount").toInt(), 2);

        QByteArray shown;
        ModalCloser closer(
            [&](QWidget* window) {
                shown = window->metaObject()->className();
                QVERIFY(ModalCloser::clickButton(window, "Rate It Now"));
            },
            "VUVararer::ReminderStateDialog");
        app()->slotImmediatelyRate();
        QCOMPARE(shown, QByteArray("VUVararer::RateAppStoreDialog"));
        QCOMPARE(recorder.urls().size(), 1);
        QCOMPARE(recorder.urls().at(0).path(), QString("/rate.php"));
        QCOMPARE(app()->settingsValue("AutoReminder", true).toBool(), false);
        QCOMPARE(app()->settingsValue("AutoReminderCount").toInt(), 2);

        app()->setSettingsValue("AutoReminder", true);
        app()->callTellReminder(1);
        QCOMPARE(remind("Don't ask me again"), QByteArray("VUVararer::TellReminderDialog"));
        QCOMPARE(app()->settingsValue("AutoReminder", true).toBool(), false);
        QCOMPARE(recorder.urls().size(), 1);
    }
};

TRELVANIC_TEST_MAIN_APP(ReminderApp, TestReminders)
#include "tst_reminders.moc"
