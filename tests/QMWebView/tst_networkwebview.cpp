#include <QMWebView/NativeWebView.h>

#include "LocalHttpServer.h"
#include "TestMain.h"

#include <QNetworkProxy>
#include <QPointer>
#include <QSignalSpy>
#include <QtTest>

using QMWebView::Engine;
using QMWebView::NativeWebView;
using TestKit::LocalHttpServer;

class TestNetworkWebView : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QNetworkProxy::setApplicationProxy(QNetworkProxy::NoProxy);
        NativeWebView::setPreferredEngine(Engine::Network);
    }

    void testLoadReportsStartAddressAndEnd()
    {
        LocalHttpServer server;
        server.setAnswer("/", LocalHttpServer::ok("<html><body>ping</body></html>", "text/html"));
        NativeWebView view;
        QCOMPARE(view.engine(), Engine::Automatic);
        QSignalSpy spyStarted(&view, SIGNAL(loadStarted()));
        QSignalSpy spyFinished(&view, SIGNAL(loadFinished(bool)));
        QSignalSpy spyUrl(&view, SIGNAL(urlChanged(const QString&)));
        const QUrl url(server.base() + "/?a=x");
        view.load(url);
        QCOMPARE(view.engine(), Engine::Network);
        // The view's own start and the loader's start are both there before the event loop runs.
        QCOMPARE(spyStarted.size(), 2);
        QTRY_COMPARE(spyFinished.size(), 1);
        QCOMPARE(spyFinished.at(0).at(0).toBool(), true);
        QCOMPARE(spyUrl.size(), 1);
        QCOMPARE(spyUrl.at(0).at(0).toString(), url.toString());
        QCOMPARE(server.requestLines(), QStringList{"GET /?a=x HTTP/1.1"});
        QCOMPARE(spyStarted.size(), 2);
    }

    void testFailedLoadReportsFalse_data()
    {
        QTest::addColumn<bool>("closedPort");
        QTest::newRow("closed port") << true;
        QTest::newRow("server closes early") << false;
    }

    void testFailedLoadReportsFalse()
    {
        QFETCH(bool, closedPort);
        LocalHttpServer server;
        server.setDefaultAnswer(LocalHttpServer::closeEarly());
        NativeWebView view;
        QSignalSpy spyFinished(&view, SIGNAL(loadFinished(bool)));
        view.load(QUrl(closedPort ? QString("http://127.0.0.1:1/") : server.base() + "/"));
        QTRY_COMPARE(spyFinished.size(), 1);
        QCOMPARE(spyFinished.at(0).at(0).toBool(), false);
    }

    void testResizeFillsTheHost()
    {
        NativeWebView view;
        view.resize(320, 200);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        QWidget* pInternal = view.findChild<QWidget*>(QString(), Qt::FindDirectChildrenOnly);
        QVERIFY(pInternal);
        QVERIFY(pInternal->inherits("QMWebView::NativeWebViewInternal"));
        QWidget* pHost = pInternal->findChild<QWidget*>(QString(), Qt::FindDirectChildrenOnly);
        QVERIFY(pHost);
        QCOMPARE(pHost->pos(), QPoint(0, 0));
        QTRY_COMPARE(pHost->size(), QSize(320, 200));
        view.resize(500, 123);
        QTRY_COMPARE(pHost->size(), QSize(500, 123));
        QCOMPARE(pInternal->size(), QSize(500, 123));
    }

    void testDeletedMidLoad()
    {
        LocalHttpServer server;
        server.setAnswer("/slow", LocalHttpServer::silent());
        QPointer<NativeWebView> pView = new NativeWebView;
        int nSignals = 0;
        connect(pView.data(), &NativeWebView::loadFinished, this, [&nSignals]() { ++nSignals; });
        pView->load(QUrl(server.base() + "/slow"));
        QTRY_COMPARE(server.requestLines().size(), 1);
        delete pView;
        QTest::qWait(100);
        QCOMPARE(nSignals, 0);
        QVERIFY(pView.isNull());
    }
};

TRELVANIC_TEST_MAIN(TestNetworkWebView)
#include "tst_networkwebview.moc"
