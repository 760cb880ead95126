#include <QMRequest/Downloader.h>

#include "LocalHttpServer.h"
#include "TestMain.h"

#include <QElapsedTimer>
#include <QFile>
#include <QNetworkProxy>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

using QMRequest::Downloader;
using TestKit::LocalHttpServer;

Q_DECLARE_METATYPE(TestKit::LocalHttpServer::Answer)

class TestDownloader : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QNetworkProxy::setApplicationProxy(QNetworkProxy::NoProxy); }

    void testBodyComesBackByteExact_data()
    {
        QTest::addColumn<bool>("chunked");
        QTest::newRow("content-length") << false;
        QTest::newRow("chunked") << true;
    }

    void testBodyComesBackByteExact()
    {
        QFETCH(bool, chunked);
        QByteArray body;
        for (int i = 0; i < 3000; ++i)
            body.append(char(i * 7 % 256));
        LocalHttpServer server;
        server.setAnswer("/p", chunked ? LocalHttpServer::chunked(body) : LocalHttpServer::ok(body));
        Downloader downloader;
        QVERIFY(!downloader.isFinished());
        // No scheme: "http://" goes in front.
        QCOMPARE(downloader.get(server.hostAndPort() + "/p"), body);
        QVERIFY(downloader.isFinished());
        QCOMPARE(server.requestLines(), QStringList{"GET /p HTTP/1.1"});
        // The same downloader serves the next transfer, and a full http address stays as it is.
        QCOMPARE(downloader.get(server.base() + "/p"), body);
        QCOMPARE(server.requestLines().size(), 2);
    }

    void testFailuresGiveEmpty_data()
    {
        QTest::addColumn<LocalHttpServer::Answer>("answer");
        QTest::newRow("404") << LocalHttpServer::status(404, "missing page");
        QTest::newRow("500") << LocalHttpServer::status(500, "oops");
        QTest::newRow("301") << LocalHttpServer::redirect(301, "/elsewhere");
        QTest::newRow("302") << LocalHttpServer::redirect(302, "/elsewhere");
        QTest::newRow("closed early") << LocalHttpServer::closeEarly();
        QTest::newRow("garbage") << LocalHttpServer::raw("this is no http\r\n\r\n");
    }

    void testFailuresGiveEmpty()
    {
        QFETCH(LocalHttpServer::Answer, answer);
        LocalHttpServer server;
        server.setAnswer("/p", answer);
        server.setAnswer("/elsewhere", LocalHttpServer::ok("target body"));
        Downloader downloader;
        QCOMPARE(downloader.get(server.base() + "/p"), QByteArray());
        QVERIFY(downloader.isFinished());
        QCOMPARE(server.countTargets("/elsewhere"), 0);
    }

    void testAbortEndsTheWait()
    {
        LocalHttpServer server;
        server.setAnswer("/never", LocalHttpServer::silent());
        Downloader downloader;
        QTimer::singleShot(200, &downloader, SLOT(slotAbort()));
        QElapsedTimer clock;
        clock.start();
        QCOMPARE(downloader.get(server.base() + "/never"), QByteArray());
        QVERIFY(downloader.isFinished());
        QCOMPARE(server.requestLines(), QStringList{"GET /never HTTP/1.1"});
        // An abort with nothing in flight changes nothing; the next transfer works.
        downloader.slotAbort();
        server.setAnswer("/p", LocalHttpServer::ok("fine"));
        QCOMPARE(downloader.get(server.base() + "/p"), QByteArray("fine"));
    }

    void testReentrantCallReturnsEmptyAtOnce()
    {
        LocalHttpServer server;
        server.setAnswer("/p", LocalHttpServer::chunked(QByteArray(5000, 'x')));
        Downloader downloader;
        bool bInnerRan = false;
        QByteArray baInner = "not called";
        QTimer::singleShot(0, this, [&]() {
            QVERIFY(!downloader.isFinished());
            baInner = downloader.get(server.base() + "/p");
            bInnerRan = true;
        });
        QCOMPARE(downloader.get(server.base() + "/p"), QByteArray(5000, 'x'));
        QVERIFY(bInnerRan);
        QCOMPARE(baInner, QByteArray());
        QCOMPARE(server.requestLines().size(), 1);
    }

    void testSchemes_data()
    {
        QTest::addColumn<QString>("request");
        QTest::addColumn<QString>("expected");
        QTest::newRow("none") << "127.0.0.1:8/x"
                              << "http://127.0.0.1:8/x";
        QTest::newRow("host name with port") << "localhost:8/x"
                                             << "http://localhost:8/x";
        QTest::newRow("http") << "http://h/x"
                              << "http://h/x";
        QTest::newRow("https") << "https://h/x"
                               << "https://h/x";
        QTest::newRow("upper case") << "HTTPS://h/x"
                                    << "HTTPS://h/x";
        QTest::newRow("path only") << "h/a://b"
                                   << "http://h/a://b";
    }

    void testSchemes()
    {
        QFETCH(QString, request);
        QFETCH(QString, expected);
        QCOMPARE(Downloader().fullRequest(request), expected);
        QCOMPARE(Downloader::withScheme(request), expected);
    }

    void testHttpsIsTriedAsHttps()
    {
        // Port 1 refuses; the address keeps its scheme, so TLS is attempted (no request reaches a server).
        Downloader downloader;
        QCOMPARE(downloader.get("https://127.0.0.1:1/x"), QByteArray());
        QVERIFY(downloader.isFinished());
        QCOMPARE(QUrl(downloader.fullRequest("https://127.0.0.1:1/x")).host(), QString("127.0.0.1"));
        QCOMPARE(QUrl(downloader.fullRequest("https://127.0.0.1:1/x")).scheme(), QString("https"));
    }

    void testSizeLimit()
    {
        LocalHttpServer server;
        server.setAnswer("/big", LocalHttpServer::ok(QByteArray(100000, 'b')));
        server.setAnswer("/small", LocalHttpServer::chunked(QByteArray(1000, 's')));
        Downloader downloader;
        downloader.setMaximumSize(65536);
        QCOMPARE(downloader.get(server.base() + "/big"), QByteArray());
        QCOMPARE(downloader.get(server.base() + "/small"), QByteArray(1000, 's'));
    }

    void testGetToFile()
    {
        QTemporaryDir dir;
        const QString strPath = dir.filePath("target.bin");
        QFile file(strPath);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("old contents");
        file.close();

        LocalHttpServer server;
        server.setAnswer("/gone", LocalHttpServer::status(404));
        server.setAnswer("/never", LocalHttpServer::silent());
        server.setAnswer("/body", LocalHttpServer::ok(QByteArray("new\0body", 8)));
        Downloader downloader;
        QVERIFY(!downloader.getToFile(server.base() + "/gone", strPath));
        QTimer::singleShot(100, &downloader, SLOT(slotAbort()));
        QVERIFY(!downloader.getToFile(server.base() + "/never", strPath));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), QByteArray("old contents"));
        file.close();

        QVERIFY(downloader.getToFile(server.base() + "/body", strPath));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), QByteArray("new\0body", 8));
    }

    void testProgress_data()
    {
        QTest::addColumn<qint64>("received");
        QTest::addColumn<qint64>("total");
        QTest::addColumn<int>("percent");
        QTest::newRow("quarter") << qint64(50) << qint64(200) << 25;
        QTest::newRow("truncated") << qint64(2) << qint64(3) << 66;
        QTest::newRow("unknown total") << qint64(10) << qint64(-1) << -1000;
        QTest::newRow("zero total") << qint64(0) << qint64(0) << 0;
        QTest::newRow("bytes, zero total") << qint64(7) << qint64(0) << 0;
        QTest::newRow("huge, unknown total") << qint64(3000000000LL) << qint64(-1) << INT_MIN;
    }

    void testProgress()
    {
        QFETCH(qint64, received);
        QFETCH(qint64, total);
        QFETCH(int, percent);
        Downloader downloader;
        QSignalSpy spyBytes(&downloader, SIGNAL(progress(int)));
        QSignalSpy spyPercent(&downloader, SIGNAL(progressPercent(int)));
        downloader.slotProgress(received, total);
        QCOMPARE(spyBytes.size(), 1);
        QCOMPARE(spyPercent.size(), 1);
        QCOMPARE(spyBytes.at(0).at(0).toLongLong(), qMin<qint64>(received, INT_MAX));
        QCOMPARE(spyPercent.at(0).at(0).toInt(), percent);
    }

    void testProgressDuringTransfer()
    {
        LocalHttpServer server;
        server.setAnswer("/p", LocalHttpServer::ok(QByteArray(4000, 'p')));
        Downloader downloader;
        QSignalSpy spyPercent(&downloader, SIGNAL(progressPercent(int)));
        QCOMPARE(downloader.get(server.base() + "/p").size(), 4000);
        QVERIFY(!spyPercent.isEmpty());
        QCOMPARE(spyPercent.last().at(0).toInt(), 100);
    }
};

TRELVANIC_TEST_MAIN(TestDownloader)
#include "tst_downloader.moc"
