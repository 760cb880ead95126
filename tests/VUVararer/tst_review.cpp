#include "ModalCloser.h"
#include "SelfRun.h"
#include "TestMain.h"
#include "UrlRecorder.h"

#include <VUVararer/App.h>
#include <VUVararer/Os.h>

#include <QSettings>
#include <QtTest>

using TestKit::ModalCloser;
using VUVararer::App;

namespace {

struct Counters
{
    QVariant count;
    QVariant calls;
    QVariant date;
};

App* app() { return App::theApp(); }

QString daysAgo(int days) { return QDate::currentDate().addDays(-days).toString("yyyy-MM-dd"); }

void store(const QVariant& count, const QVariant& calls, const QVariant& date)
{
    app()->setSettingsValue("RequestedReviewsCount", count);
    app()->setSettingsValue("RequestedReviewsCalls", calls);
    app()->setSettingsValue("RequestedReviewsLastDate", date);
}

Counters stored()
{
    return {app()->settingsValue("RequestedReviewsCount"), app()->settingsValue("RequestedReviewsCalls"),
            app()->settingsValue("RequestedReviewsLastDate")};
}

// Calls requestReview; answers the rating dialog, if one comes, with the button; true when one came.
bool review(bool force, const QString& button = "Later")
{
    ModalCloser closer([button](QWidget* window) { QVERIFY(ModalCloser::clickButton(window, button)); },
                       "VUVararer::RateAppStoreDialog");
    Os::requestReview(force);
    return closer.hasFired();
}

void expect(int count, int calls, const QString& date)
{
    const Counters now = stored();
    QCOMPARE(now.count.toInt(), count);
    QCOMPARE(now.calls.toInt(), calls);
    QCOMPARE(now.date.toString(), date);
}

} // namespace

// The once-per-process flag makes every scenario run in a fresh process of its own.
class TestReview : public QObject
{
    Q_OBJECT

private slots:
    void testScenario_data()
    {
        QTest::addColumn<QString>("name");
        for (const char* name : {"first", "notDue", "forced", "exceeded", "reset", "damagedCalls", "rateNow",
                                 "secondCall", "unreadableDate", "futureDate", "zeroPeriod"})
            QTest::newRow(name) << QString(name);
    }

    void testScenario()
    {
        QFETCH(QString, name);
        if (qEnvironmentVariableIsSet("TRELVANIC_REVIEW_CHILD")) {
            run(name);
            return;
        }
        const TestKit::ToolResult child = TestKit::runSelf({"testScenario:" + name}, {"TRELVANIC_REVIEW_CHILD=1"});
        QVERIFY2(child.exitCode == 0, (child.out + child.err).constData());
        QVERIFY(child.out.contains(("PASS   : TestReview::testScenario(" + name + ")").toUtf8()));
    }

    void testQuotaBoundaries()
    {
        const QString today = QDate::currentDate().toString("yyyy-MM-dd");
        store(0, 4, daysAgo(366));
        QVERIFY(Os::isRequestedReviewsQuotaExceeded());
        QCOMPARE(Os::numRequestedReviewsAvalable(), 0);
        expect(0, 4, daysAgo(366));
        store(0, 4, daysAgo(367));
        QVERIFY(!Os::isRequestedReviewsQuotaExceeded());
        expect(0, 0, today);
        store(1, 1, daysAgo(10));
        QCOMPARE(Os::numRequestedReviewsAvalable(), 2);
        QCOMPARE(Os::requestedReviewsLastDate(), QDate::currentDate().addDays(-10));
        app()->setSettingsValue("RequestedReviewsLastDate", QString());
        QCOMPARE(Os::requestedReviewsLastDate(), QDate::currentDate());
    }

private:
    void run(const QString& name)
    {
        const QString today = QDate::currentDate().toString("yyyy-MM-dd");
        if (name == "first") {
            QVERIFY(review(false));
            expect(1, 1, today);
            QCOMPARE(app()->settingsValue("AutoReminder", true).toBool(), true);
        } else if (name == "notDue") {
            store(1, 1, daysAgo(3));
            QVERIFY(!review(false));
            expect(1, 2, daysAgo(3));
        } else if (name == "forced") {
            store(1, 1, daysAgo(3));
            QVERIFY(review(true));
            expect(2, 2, today);
        } else if (name == "exceeded") {
            store(3, 8, daysAgo(100));
            QVERIFY(!review(true));
            expect(3, 8, daysAgo(100));
        } else if (name == "reset") {
            store(3, 8, daysAgo(367));
            QVERIFY(review(false));
            expect(1, 1, today);
        } else if (name == "damagedCalls") {
            store(1, -5, daysAgo(3));
            QVERIFY(!review(false));
            expect(1, 1, daysAgo(3));
        } else if (name == "rateNow") {
            TestKit::UrlRecorder recorder;
            app()->setZembrelOrgLinks("");
            QVERIFY(review(false, "Rate It Now"));
            QCOMPARE(recorder.urls().size(), 1);
            QCOMPARE(recorder.urls().at(0).toString(), app()->storeLink("trelvanic") + "&action=write-review");
            app()->settings()->sync();
            QFile ini(app()->supportDirectory(false) + "settings.plist");
            QVERIFY(ini.open(QIODevice::ReadOnly));
            QVERIFY(ini.readAll().contains("AutoReminder=false"));
        } else if (name == "secondCall") {
            QVERIFY(review(false));
            app()->setSettingsValue("RequestedReviewsCount", 0);
            QVERIFY(!review(true));
            expect(0, 1, today);
        } else if (name == "unreadableDate") {
            store(3, 8, "31.12.2020");
            QVERIFY(review(false));
            expect(1, 1, today);
        } else if (name == "futureDate") {
            store(3, 8, daysAgo(-40));
            QVERIFY(review(false));
            expect(1, 1, today);
        } else if (name == "zeroPeriod") {
            Os::setRequestPeriod(0);
            Os::setRequestPeriod(-3);
            store(1, 4, daysAgo(3));
            QVERIFY(review(false));
            expect(2, 5, today);
        } else {
            QFAIL(qPrintable("unknown scenario " + name));
        }
    }
};

TRELVANIC_TEST_MAIN_APP(App, TestReview)
#include "tst_review.moc"
