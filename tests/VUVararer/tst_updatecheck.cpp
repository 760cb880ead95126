#include <VUVararer/Endpoints.h>
#include <VUVararer/Release/AppUpdateDialog.h>
#include <VUVararer/Release/ReleaseApp.h>

#include "LocalHttpServer.h"
#include "ModalCloser.h"
#include "TestMain.h"
#include "UrlRecorder.h"

#include <QCheckBox>
#include <QLabel>
#include <QNetworkProxy>
#include <QSettings>
#include <QUrlQuery>
#include <QtTest>

using MRelease::AppUpdateDialog;
using MRelease::ReleaseApp;
using TestKit::LocalHttpServer;
using TestKit::ModalCloser;

Q_DECLARE_METATYPE(TestKit::LocalHttpServer::Answer)

namespace {
// The usage ping of the application object loads a local page with the web engine; CI runs as root.
const bool s_bSandboxOff = qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");

const QByteArray s_baNewer = "build:2.0.0;date:2099-01-01;macos:all";
const QByteArray s_baOlder = "build:0.9;date:2000-01-01;macos:all";

QString dialogMessage(QWidget* dialog)
{
    for (QLabel* label : dialog->findChildren<QLabel*>()) {
        if (label->text().contains("<H2>"))
            return label->text();
    }
    return QString();
}
} // namespace

class TestUpdateCheck : public QObject
{
    Q_OBJECT

    ReleaseApp* app() { return static_cast<ReleaseApp*>(VUVararer::App::theApp()); }

    LocalHttpServer m_primary;
    LocalHttpServer m_fallback;
    const QString m_strPath = "/apps/buildsinfo/trelvanic_linux";

    // Runs the manual check and returns the message of the dialog it shows, pressing "No".
    QString manualCheckMessage()
    {
        QString strMessage;
        ModalCloser closer(
            [&strMessage](QWidget* dialog) {
                strMessage = dialogMessage(dialog);
                QVERIFY(ModalCloser::clickButton(dialog, "No"));
            },
            "MRelease::AppUpdateDialog");
        app()->slotCheckUpdate();
        return closer.hasFired() ? strMessage : QString("no dialog");
    }

private slots:
    void initTestCase()
    {
        QVERIFY(s_bSandboxOff);
        QNetworkProxy::setApplicationProxy(QNetworkProxy::NoProxy);
        VUVararer::Endpoints e = VUVararer::Endpoints::defaults();
        e.m_strUpdateServer = m_primary.hostAndPort(); // no scheme: the downloader adds it
        e.m_strUpdateServerFallback = m_fallback.base();
        e.m_strMetricsBase = m_fallback.base() + "/metrics";
        VUVararer::Endpoints::setOverride(e);
        // Long enough for a loaded machine to answer on loopback; only the silent server waits it out.
        ReleaseApp::setRequestTimeout(5000);
        // The first automatic check (2 s after start) stores today and asks no server.
        QTRY_VERIFY_WITH_TIMEOUT(!ReleaseApp::stamp5().isEmpty(), 10000);
        QCOMPARE(ReleaseApp::stamp5(), QDate::currentDate().toString("yyyy-MM-dd"));
        QCOMPARE(m_primary.countTargets("/apps/"), 0);
        QCOMPARE(m_fallback.countTargets("/apps/"), 0);
    }

    void init()
    {
        m_primary.clear();
        m_fallback.clear();
        m_primary.setAnswer(m_strPath, LocalHttpServer::status(404));
        m_fallback.setAnswer(m_strPath, LocalHttpServer::status(404));
    }

    void testPrimaryAnswers()
    {
        m_primary.setAnswer(m_strPath, LocalHttpServer::ok(s_baNewer));
        QCOMPARE(ReleaseApp::getUpdateRequest(), QString::fromLatin1(s_baNewer));
        QCOMPARE(m_primary.requestLines(), QStringList{"GET /apps/buildsinfo/trelvanic_linux HTTP/1.1"});
        QCOMPARE(m_fallback.countTargets("/apps/"), 0);
    }

    void testFallbackIsAsked_data()
    {
        QTest::addColumn<LocalHttpServer::Answer>("primary");
        QTest::newRow("empty body") << LocalHttpServer::ok("");
        QTest::newRow("404") << LocalHttpServer::status(404, s_baNewer);
        QTest::newRow("closes early") << LocalHttpServer::closeEarly();
        QTest::newRow("redirect") << LocalHttpServer::redirect(301, "/apps/buildsinfo/other");
        QTest::newRow("no answer") << LocalHttpServer::silent();
        QTest::newRow("oversized") << LocalHttpServer::ok("build:1;" + QByteArray(70 * 1024, ' '));
        QTest::newRow("NUL first") << LocalHttpServer::ok(QByteArray("\0build:1", 8));
    }

    void testFallbackIsAsked()
    {
        QFETCH(LocalHttpServer::Answer, primary);
        m_primary.setAnswer(m_strPath, primary);
        m_fallback.setAnswer(m_strPath, LocalHttpServer::chunked(s_baOlder));
        QCOMPARE(ReleaseApp::getUpdateRequest(), QString::fromLatin1(s_baOlder));
        // The network stack retries once when a connection closes without an answer.
        QVERIFY(m_primary.countTargets(m_strPath) >= 1);
        // The fallback also takes the usage ping, which may come meanwhile.
        QCOMPARE(m_fallback.requestLines().filter("/apps/"),
                 QStringList{"GET /apps/buildsinfo/trelvanic_linux HTTP/1.1"});
    }

    void testBodyIsCutAtNul()
    {
        m_primary.setAnswer(m_strPath, LocalHttpServer::ok(QByteArray("build:1.5;\0date:2099-01-01", 26)));
        QCOMPARE(ReleaseApp::getUpdateRequest(m_primary.base()), QString("build:1.5;"));
        m_primary.setAnswer(m_strPath, LocalHttpServer::ok("gr\xc3\xbc\xc3\x9f"));
        QCOMPARE(ReleaseApp::getUpdateRequest(m_primary.base()), QString::fromUtf8("grüß"));
    }

    void testDecision_data()
    {
        QTest::addColumn<QByteArray>("record");
        QTest::addColumn<bool>("available");
        QTest::addColumn<QString>("version");
        QTest::newRow("newer") << s_baNewer << true << "2.0.0";
        QTest::newRow("mac only") << QByteArray("build:3.0;date:2099-01-01;macos:10_09") << false << "3.0";
        QTest::newRow("no marker") << QByteArray("build :3.1;date:2099-01-01;macos:all") << false << "3.0";
    }

    void testDecision()
    {
        QFETCH(QByteArray, record);
        QFETCH(bool, available);
        QFETCH(QString, version);
        m_primary.setAnswer(m_strPath, LocalHttpServer::ok(record));
        QCOMPARE(ReleaseApp::isUpdateAvailable(), available);
        // The version stays from the last record that had one.
        QCOMPARE(ReleaseApp::sm_strUpdateVersion, version);
    }

    void testAutomaticCheck_data()
    {
        QTest::addColumn<QString>("stamp");
        QTest::addColumn<QByteArray>("record");
        QTest::addColumn<int>("requests");
        QTest::addColumn<bool>("dialog");
        QTest::addColumn<QString>("stampAfter");
        const QString today = QDate::currentDate().toString("yyyy-MM-dd");
        const QString fiveDays = QDate::currentDate().addDays(-5).toString("yyyy-MM-dd");
        const QString sixDays = QDate::currentDate().addDays(-6).toString("yyyy-MM-dd");
        const QString future = QDate::currentDate().addDays(30).toString("yyyy-MM-dd");
        QTest::newRow("never checked") << QString() << s_baNewer << 0 << false << today;
        QTest::newRow("not a date") << "2019-13-45" << s_baNewer << 0 << false << today;
        QTest::newRow("five days") << fiveDays << s_baNewer << 0 << false << fiveDays;
        QTest::newRow("six days, update") << sixDays << s_baNewer << 1 << true << today;
        QTest::newRow("six days, none") << sixDays << s_baOlder << 1 << false << sixDays;
        QTest::newRow("future") << future << s_baNewer << 0 << false << today;
    }

    void testAutomaticCheck()
    {
        QFETCH(QString, stamp);
        QFETCH(QByteArray, record);
        QFETCH(int, requests);
        QFETCH(bool, dialog);
        QFETCH(QString, stampAfter);
        m_primary.setAnswer(m_strPath, LocalHttpServer::ok(record));
        if (stamp.isEmpty())
            app()->settings()->remove("Trelvanic/Stamp5");
        else
            ReleaseApp::setStamp5(stamp);
        QString strMessage;
        ModalCloser closer(
            [&strMessage](QWidget* window) {
                strMessage = dialogMessage(window);
                QVERIFY(ModalCloser::clickButton(window, "No"));
            },
            "MRelease::AppUpdateDialog");
        app()->nop_cuos();
        QCOMPARE(m_primary.countTargets(m_strPath), requests);
        QCOMPARE(closer.hasFired(), dialog);
        if (dialog)
            QVERIFY2(strMessage.contains("The newer version 2.0.0 of Trelvanic is available."), qPrintable(strMessage));
        QCOMPARE(ReleaseApp::stamp5(), stampAfter);
    }

    void testManualCheck_data()
    {
        QTest::addColumn<QByteArray>("record");
        QTest::addColumn<QString>("expected");
        QTest::newRow("servers down") << QByteArray()
                                      << "Could not check for updates.<br>Go to the app web page anyway?";
        QTest::newRow("latest") << s_baOlder << "You are using the latest version available.";
        QTest::newRow("newer") << s_baNewer << "The newer version 2.0.0 of Trelvanic is available.";
        QTest::newRow("escaped") << QByteArray("build:<b>x</b>;date:2099-01-01;macos:all")
                                 << "The newer version &lt;b&gt;x&lt;/b&gt; of Trelvanic";
        QTest::newRow("capped") << "build:" + QByteArray(500, '9') + ";date:2099-01-01;macos:all"
                                << "version " + QString(64, '9') + " of";
    }

    void testManualCheck()
    {
        QFETCH(QByteArray, record);
        QFETCH(QString, expected);
        if (!record.isEmpty())
            m_primary.setAnswer(m_strPath, LocalHttpServer::ok(record));
        const QString strStamp = "2001-02-03";
        ReleaseApp::setStamp5(strStamp);
        const QString strMessage = manualCheckMessage();
        QVERIFY2(strMessage.contains(expected), qPrintable(strMessage));
        QVERIFY(!strMessage.contains("<b>x"));
        QCOMPARE(ReleaseApp::stamp5(), strStamp);
    }

    void testDialogCheckBox()
    {
        app()->settings()->remove("Trelvanic/checkupdates");
        QVERIFY(AppUpdateDialog::isChecked());
        ModalCloser closer(
            [](QWidget* dialog) {
                QCOMPARE(dialog->objectName(), QString("UpdateDialog"));
                QCOMPARE(dialog->windowTitle(), QString("Trelvanic Updates Notification"));
                QCheckBox* box = dialog->findChild<QCheckBox*>();
                QVERIFY(box);
                QCOMPARE(box->text(), QString("Check for updates on start"));
                QVERIFY(box->isChecked());
                box->setChecked(false);
                QVERIFY(ModalCloser::clickButton(dialog, "No"));
            },
            "MRelease::AppUpdateDialog");
        AppUpdateDialog dialog;
        // Ticking the box on construction stored the value once.
        QCOMPARE(app()->settingsValue("checkupdates").toString(), QString("true"));
        QCOMPARE(dialog.exec(), int(QDialog::Rejected));
        QVERIFY(closer.hasFired());
        app()->settings()->sync();
        QSettings ini(app()->supportDirectory(false) + "settings.plist", QSettings::IniFormat);
        QCOMPARE(ini.value("Trelvanic/checkupdates").toString(), QString("false"));
        QVERIFY(!AppUpdateDialog::isChecked());
        AppUpdateDialog::setChecked(true);
    }

    void testYesOpensTheUpdatePage()
    {
        TestKit::UrlRecorder recorder;
        const QString strName = QCoreApplication::applicationName();
        QCoreApplication::setApplicationName("My App");
        ModalCloser closer([](QWidget* dialog) { QVERIFY(ModalCloser::clickButton(dialog, "Yes")); },
                           "MRelease::AppUpdateDialog");
        AppUpdateDialog dialog;
        dialog.setMessage("anything");
        QCOMPARE(dialog.exec(), int(QDialog::Rejected));
        QCoreApplication::setApplicationName(strName);
        QCOMPARE(recorder.urls().size(), 1);
        const QUrl url = recorder.urls().first();
        QCOMPARE(url.scheme(), QString("http"));
        QCOMPARE(url.port(), int(m_primary.port()));
        QCOMPARE(url.path(), QString("/apps/updatepage.php"));
        QCOMPARE(QUrlQuery(url).queryItemValue("appname", QUrl::FullyDecoded), QString("my app"));
    }
};

TRELVANIC_TEST_MAIN_APP(MRelease::ReleaseApp, TestUpdateCheck)
#include "tst_updatecheck.moc"
