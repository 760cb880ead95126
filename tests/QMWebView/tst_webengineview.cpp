#include <QMWebView/NativeWebView.h>

#include "LocalHttpServer.h"
#include "TestMain.h"

#include <QNetworkProxy>
#include <QSignalSpy>
#include <QtTest>

using QMWebView::Engine;
using QMWebView::NativeWebView;
using TestKit::LocalHttpServer;

namespace {
// The engine reads this attribute when the application object is created.
const bool s_bPrepared = (NativeWebView::prepareApplication(), true);
} // namespace

class TestWebEngineView : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY(s_bPrepared);
        QNetworkProxy::setApplicationProxy(QNetworkProxy::NoProxy);
        QString strReason;
        QVERIFY2(NativeWebView::isWebEngineUsable(&strReason), qPrintable(strReason));
    }

    void testRealPageLoad()
    {
        LocalHttpServer server;
        server.setAnswer("/", LocalHttpServer::ok("<html><body><p>ping</p></body></html>", "text/html"));
        NativeWebView view;
        QSignalSpy spyStarted(&view, SIGNAL(loadStarted()));
        QSignalSpy spyFinished(&view, SIGNAL(loadFinished(bool)));
        QSignalSpy spyUrl(&view, SIGNAL(urlChanged(const QString&)));
        const QUrl url(server.base() + "/?f=trelvanic");
        view.load(url);
        QCOMPARE(view.engine(), Engine::WebEngine);
        QCOMPARE(spyStarted.size(), 1);
        QTRY_COMPARE_WITH_TIMEOUT(spyFinished.size(), 1, 30000);
        QCOMPARE(spyFinished.at(0).at(0).toBool(), true);
        QCOMPARE(spyStarted.size(), 2);
        QVERIFY(!spyUrl.isEmpty());
        QCOMPARE(spyUrl.last().at(0).toString(), url.toString());
        QVERIFY(server.requestLines().contains("GET /?f=trelvanic HTTP/1.1"));
    }

    void testClosedPortReportsFalse()
    {
        NativeWebView view;
        QSignalSpy spyFinished(&view, SIGNAL(loadFinished(bool)));
        view.load(QUrl("http://127.0.0.1:1/"));
        QTRY_COMPARE_WITH_TIMEOUT(spyFinished.size(), 1, 30000);
        QCOMPARE(spyFinished.at(0).at(0).toBool(), false);
    }

    void testEngineViewFollowsTheHost()
    {
        LocalHttpServer server;
        server.setAnswer("/", LocalHttpServer::ok("<html></html>", "text/html"));
        NativeWebView view;
        QSignalSpy spyFinished(&view, SIGNAL(loadFinished(bool)));
        view.load(QUrl(server.base() + "/"));
        QTRY_COMPARE_WITH_TIMEOUT(spyFinished.size(), 1, 30000);
        QWidget* pEngine = nullptr;
        for (QWidget* pChild : view.findChildren<QWidget*>()) {
            if (pChild->inherits("QWebEngineView"))
                pEngine = pChild;
        }
        QVERIFY(pEngine);
        QWidget* pHost = pEngine->parentWidget();
        QVERIFY(pHost->inherits("QMWebView::WebViewInQt"));
        QCOMPARE(pEngine->size(), pHost->size());
        // Hidden widgets get no resize events by themselves (showing the engine needs OpenGL here).
        const QSize oldSize = pHost->size();
        pHost->resize(420, 240);
        QResizeEvent event(pHost->size(), oldSize);
        QCoreApplication::sendEvent(pHost, &event);
        QCOMPARE(pEngine->size(), QSize(420, 240));
    }

    void testDeletedMidLoad()
    {
        LocalHttpServer server;
        server.setAnswer("/slow", LocalHttpServer::silent());
        NativeWebView* pView = new NativeWebView;
        int nFinished = 0;
        connect(pView, &NativeWebView::loadFinished, this, [&nFinished]() { ++nFinished; });
        pView->load(QUrl(server.base() + "/slow"));
        QTRY_VERIFY_WITH_TIMEOUT(server.countTargets("/slow") == 1, 30000);
        delete pView;
        QTest::qWait(200);
        QCOMPARE(nFinished, 0);
    }
};

TRELVANIC_TEST_MAIN(TestWebEngineView)
#include "tst_webengineview.moc"
