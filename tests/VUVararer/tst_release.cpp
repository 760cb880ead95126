#include <VUVararer/Endpoints.h>
#include <VUVararer/Release/ReleaseApp.h>

#include "LocalHttpServer.h"
#include "SelfRun.h"
#include "TestMain.h"
#include "UrlRecorder.h"

#include <QMWebView/NativeWebView.h>

#include <QDir>
#include <QNetworkProxy>
#include <QSettings>
#include <QSignalSpy>
#include <QUrlQuery>
#include <QtTest>

using MRelease::ReleaseApp;
using TestKit::LocalHttpServer;

namespace {
// The usage ping loads a local page with the web engine; CI runs as root.
const bool s_bSandboxOff = qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");

// "first" (fresh home), "later" (an earlier run left its folders and a week-old check date) or
// "off" (like later, with the automatic check switched off).
QByteArray role()
{
    const QByteArray baRole = qgetenv("RELEASE_TEST_ROLE");
    return baRole.isEmpty() ? QByteArray("first") : baRole;
}

QString weekAgo() { return QDate::currentDate().addDays(-7).toString("yyyy-MM-dd"); }
} // namespace

// The release application object, started on a home prepared for the role.
class ReleaseTestApp : public ReleaseApp
{
public:
    ReleaseTestApp(int& argc, char** argv) : ReleaseApp(prepareHome(argc), argv) {}

private:
    static int& prepareHome(int& argc)
    {
        if (role() != "first") {
            const QString strConfig = qEnvironmentVariable("XDG_CONFIG_HOME") + "/Trelvanic";
            QDir().mkpath(qEnvironmentVariable("XDG_DATA_HOME") + "/Trelvanic");
            QDir().mkpath(strConfig);
            QSettings ini(strConfig + "/settings.plist", QSettings::IniFormat);
            ini.setValue("Trelvanic/Stamp5", weekAgo());
            if (role() == "off")
                ini.setValue("Trelvanic/checkupdates", false);
        }
        return argc;
    }
};

class TestRelease : public QObject
{
    Q_OBJECT

    LocalHttpServer m_server;

    void checkChild(const QByteArray& baRole)
    {
        const TestKit::ToolResult result =
            TestKit::runSelf({"testStartUpTimers"}, {"RELEASE_TEST_ROLE=" + QString::fromLatin1(baRole)});
        QVERIFY2(result.exitCode == 0, result.out.constData());
        QVERIFY2(result.out.contains("PASS   : TestRelease::testStartUpTimers()"), result.out.constData());
    }

    void useLocalServer()
    {
        QNetworkProxy::setApplicationProxy(QNetworkProxy::NoProxy);
        VUVararer::Endpoints e = VUVararer::Endpoints::defaults();
        e.m_strUpdateServer = m_server.hostAndPort();
        e.m_strUpdateServerFallback = m_server.base();
        e.m_strMetricsBase = m_server.base();
        VUVararer::Endpoints::setOverride(e);
    }

private slots:
    void initTestCase()
    {
        QVERIFY(s_bSandboxOff);
        useLocalServer();
        m_server.setAnswer("/", LocalHttpServer::ok("<html><body>thanks</body></html>", "text/html"));
    }

    void testStartUpTimers()
    {
        ReleaseApp* pApp = static_cast<ReleaseApp*>(VUVararer::App::theApp());
        const QString strPing = role() == "later" || role() == "off" ? "/?a=trelvanic" : "/?f=trelvanic";
        QTRY_VERIFY_WITH_TIMEOUT(m_server.countTargets("/?") > 0, 20000);
        QCOMPARE(m_server.targets().filter("/?"), QStringList{strPing});
        const int nChecks = m_server.countTargets("/apps/buildsinfo/trelvanic_linux");
        if (role() == "first") {
            // The first automatic check stores today and asks no server.
            QCOMPARE(nChecks, 0);
            QCOMPARE(ReleaseApp::stamp5(), QDate::currentDate().toString("yyyy-MM-dd"));
        } else if (role() == "later") {
            // A week since the last check: both servers are asked (they have no record), nothing is stored.
            QCOMPARE(nChecks, 2);
            QCOMPARE(ReleaseApp::stamp5(), weekAgo());
        } else {
            QCOMPARE(nChecks, 0);
            QCOMPARE(ReleaseApp::stamp5(), weekAgo());
            QCOMPARE(pApp->settingsValue("checkupdates").toBool(), false);
        }
        // Once per run.
        QTest::qWait(500);
        QCOMPARE(m_server.countTargets("/?"), 1);
    }

    void testLaterStart() { checkChild("later"); }

    void testAutomaticCheckSwitchedOff() { checkChild("off"); }

    void testEditionFacts()
    {
        ReleaseApp* pApp = static_cast<ReleaseApp*>(VUVararer::App::theApp());
        QVERIFY(pApp->isIndependent());
        QCOMPARE(pApp->applicationExecutableName("trelvanic"), QString("Trelvanic"));
        QCOMPARE(pApp->applicationExecutableName("TRELVANIC"), QString());
        QCOMPARE(pApp->applicationExecutableName("nosuchapp"), QString());
        QCOMPARE(pApp->storeLink(""), QString());
        QCOMPARE(pApp->storeLink("trelvanic"), QString("trelvanic"));
        // Through the base class, as the frame's menus call it.
        VUVararer::App* pBase = pApp;
        QCOMPARE(pBase->storeLink("quorvel"), QString("quorvel"));
    }

    // Endpoints on the reserved .invalid domain are never looked up or requested: the ping and the update check
    // stay local. Requests would reach the local server, set as the proxy.
    void testUnconfiguredEndpointsStayLocal()
    {
        ReleaseApp* pApp = static_cast<ReleaseApp*>(VUVararer::App::theApp());
        QMWebView::NativeWebView* pView = nullptr;
        for (QWidget* pWidget : QApplication::topLevelWidgets())
            pView = pView ? pView : qobject_cast<QMWebView::NativeWebView*>(pWidget);
        QVERIFY(pView);
        QSignalSpy pings(pView, SIGNAL(loadStarted()));
        LocalHttpServer proxy;
        QNetworkProxy::setApplicationProxy(QNetworkProxy(QNetworkProxy::HttpProxy, "127.0.0.1", proxy.port()));
        VUVararer::Endpoints::clearOverride();
        pApp->slotDoWebMetrics();
        const QString strRecord = ReleaseApp::getUpdateRequest();
        useLocalServer();
        QTest::qWait(200);
        QCOMPARE(pings.count(), 0);
        QVERIFY(strRecord.isEmpty());
        QCOMPARE(proxy.requestLines(), QStringList());
    }

    void testShowMoreApps()
    {
        TestKit::UrlRecorder recorder;
        QMetaObject::invokeMethod(VUVararer::App::theApp(), "slotShowMoreApps");
        QCOMPARE(recorder.urls().size(), 1);
        const QUrl url = recorder.urls().first();
        QCOMPARE(url.host(), QString("127.0.0.1"));
        QCOMPARE(url.path(), QString("/apps/crosspromo.php"));
        QCOMPARE(QUrlQuery(url).queryItemValue("appname", QUrl::FullyDecoded), QString("\"\""));
    }
};

TRELVANIC_TEST_MAIN_APP(ReleaseTestApp, TestRelease)
#include "tst_release.moc"
