// The blocking FTP client against a scripted server that misbehaves on 127.0.0.1: each call returns in time with a
// clear error, an existing local file is left alone, and the next command works.
#include "ScriptedFtpServer.h"
#include "TestMain.h"
#include "Tools.h"

#include <QMRequest/FtpClient.h>

#include <QBuffer>
#include <QDir>
#include <QElapsedTimer>
#include <QPointer>
#include <QSaveFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTimer>

using QMRequest::FtpClient;
using QMRequest::FtpCore;
using Server = TestKit::ScriptedFtpServer;

namespace {

void login(FtpClient& client, const Server& server)
{
    client.connectToHost("127.0.0.1", server.port());
    client.login("tester", "secret");
}

QStringList names(const QList<QMRequest::UrlInfo>& entries)
{
    QStringList list;
    for (const QMRequest::UrlInfo& info : entries)
        list << info.name();
    return list;
}

} // namespace

class TestFtpFaults : public QObject
{
    Q_OBJECT

private slots:
    void testFaults_data() { Server::addFaultRows(); }
    void testFaults();
    void testDoneHandler_data();
    void testDoneHandler();
};

void TestFtpFaults::testFaults()
{
    QFETCH(QStringList, faults);
    QFETCH(int, action);
    QFETCH(int, abort);
    QFETCH(int, error);
    QFETCH(bool, active);
    Server server(faults);
    QVERIFY2(server.isRunning(), qPrintable(server.error()));
    QTemporaryDir local;
    const QString kept = local.filePath("big.bin");
    QVERIFY(TestKit::writeFile(kept, "kept"));

    FtpClient client;
    // An abort the server answers in full must end before a reply timeout could end it: a wide one, so that a loaded
    // machine is no cause.
    const int replyTimeout = abort == Server::Abort ? 4000 : 1000;
    client.ftpDevice()->setReplyTimeout(replyTimeout);
    if (active)
        client.ftpDevice()->setTransferMode(FtpCore::Active);
    // Should a call hang, this ends its wait, again and again, and the row fails.
    bool bHung = false;
    QTimer watchdog;
    connect(&watchdog, &QTimer::timeout, [&] {
        bHung = true;
        client.slotDone(true);
    });
    watchdog.start(15000);
    if (action != Server::Login)
        login(client, server);
    if (action != Server::Login && action != Server::Cd)
        client.cd("share");
    QCOMPARE(client.ftpDevice()->error(), FtpCore::NoError);
    if (abort)
        QTimer::singleShot(200, &client, [&] { client.abort(); });
    QSaveFile target(kept);
    const QByteArray upload(action == Server::LongPut ? 4 << 20 : 100000, 'u');
    QElapsedTimer clock;
    clock.start();
    if (action == Server::Login)
        login(client, server);
    else if (action == Server::Cd)
        client.cd("share");
    else if (action == Server::List)
        client.dirEntry();
    else if (action == Server::Put || action == Server::LongPut)
        client.put(upload, "up.bin");
    else if (action == Server::Close)
        client.close();
    else if (action == Server::Mkdir || action == Server::MkdirTaken) {
        QSignalSpy done(&client, &FtpClient::done);
        client.ftpDevice()->mkdir(action == Server::Mkdir ? "made" : "inner");
        QVERIFY(done.wait(15000));
    }
    // Only a download that completed replaces the file.
    else if (target.open(QIODevice::WriteOnly) && client.get("big.bin", &target) > 0 &&
             client.ftpDevice()->error() == FtpCore::NoError)
        target.commit();
    QVERIFY(clock.elapsed() < 10000);
    QCOMPARE(int(client.ftpDevice()->error()), error);
    QTEST(error ? client.ftpDevice()->errorString() : QString(), "text");
    QTEST(int(client.state()), "state");
    const bool bReplaced = action == Server::Get && !error;
    QCOMPARE(TestKit::readFile(kept), bReplaced ? TestKit::readFile(server.path("share/big.bin")) : "kept");
    if (action == Server::LongPut)
        QVERIFY(TestKit::readFile(server.path("share/up.bin")) == upload);

    // The next commands get their own replies; an aborted download left the client in "share".
    if (client.state() != FtpCore::LoggedIn)
        login(client, server);
    if (!(abort && action == Server::Get))
        client.cd("/share");
    QCOMPARE(names(client.dirEntry()), QDir(server.path("share")).entryList(QDir::AllEntries | QDir::NoDotAndDotDot));
    if (abort == Server::Abort)
        QVERIFY2(clock.elapsed() < replyTimeout, qPrintable(QString::number(clock.elapsed())));
    client.cd("inner");
    QCOMPARE(names(client.dirEntry()), QStringList{"small.txt"});
    client.cd("..");
    QBuffer fetched;
    fetched.open(QIODevice::WriteOnly);
    client.get("big.bin", &fetched);
    QCOMPARE(client.ftpDevice()->error(), FtpCore::NoError);
    QVERIFY(fetched.data() == TestKit::readFile(server.path("share/big.bin")));
    QVERIFY(!bHung);
}

void TestFtpFaults::testDoneHandler_data()
{
    QTest::addColumn<bool>("callFirst");
    QTest::newRow("deletes the client") << false;
    QTest::newRow("makes the next call, then deletes the client") << true;
}

void TestFtpFaults::testDoneHandler()
{
    QFETCH(bool, callFirst);
    Server server;
    QVERIFY2(server.isRunning(), qPrintable(server.error()));
    QPointer<FtpClient> client = new FtpClient;
    int nCalls = 0;
    int nNextId = 0;
    connect(client, &FtpClient::done, [&] {
        if (callFirst && nCalls++ == 0)
            nNextId = client->cd("/");
        else
            delete client;
    });
    login(*client, server);
    QVERIFY(client.isNull());
    QCOMPARE(nNextId > 0, callFirst);
}

TRELVANIC_TEST_MAIN(TestFtpFaults)
#include "tst_ftpfaults.moc"
