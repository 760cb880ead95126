// The FTP test window driven against real FTP servers (pyftpdlib, vsftpd) on 127.0.0.1, on ::1 where IPv6 is the
// point, and against a scripted server that misbehaves.
#include "Gallery.h"
#include "LocalFtpServer.h"
#include "ScriptedFtpServer.h"
#include "TestMain.h"
#include "Tools.h"
#include "VsftpdServer.h"

#include <QMRequest/Widgets/FtpGuiClient.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeWidget>
#include <QtTest>

using QMRequest::FtpCore;
using QMRequest::FtpGuiClient;

namespace {

using TestKit::readFile;
using TestKit::writeFile;

// How the window ends while a command waits.
enum Ending { Closed, ClosedDeletingItself, Deleted };
// A fault row's abort beside the kit's (which closes the window).
const int AbortClient = 2;
using Server = TestKit::ScriptedFtpServer;
const QString kWideFolder = QString::fromUtf8("Grüße ♫ Ünïcødé");

// The edits in the order of the window: host, user, password, path.
QList<QLineEdit*> edits(FtpGuiClient& window) { return window.findChildren<QLineEdit*>(); }

QStringList names(QTreeWidget* tree)
{
    QStringList list;
    for (int n = 0; n < tree->topLevelItemCount(); ++n)
        list << tree->topLevelItem(n)->text(0);
    return list;
}

QTreeWidgetItem* itemNamed(QTreeWidget* tree, const QString& name)
{
    const QList<QTreeWidgetItem*> items = tree->findItems(name, Qt::MatchExactly);
    return items.isEmpty() ? nullptr : items.first();
}

} // namespace

class FtpGuiClientTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        if (TestKit::onScreen())
            return;
        m_pServer.reset(new TestKit::LocalFtpServer);
        QVERIFY2(m_pServer->isRunning(), qPrintable(m_pServer->error()));
        QDir root(m_pServer->root());
        QVERIFY(root.mkpath("share/inner") && root.mkpath("share/" + kWideFolder) && root.mkpath("share/gone"));
        m_baPayload.resize(70000);
        for (char& byte : m_baPayload)
            byte = char(QRandomGenerator::global()->bounded(256));
        QVERIFY(writeFile(m_pServer->path("share/track.bin"), m_baPayload));
        QVERIFY(writeFile(m_pServer->path("share/notes <b>bold<i>.txt"), "notes"));
        QVERIFY(writeFile(m_pServer->path("share/empty.txt"), QByteArray()));
    }

    void cleanupTestCase() { m_pServer.reset(); }

    void testConnectListDownloadUpload()
    {
        QTemporaryDir downloads;
        FtpGuiClient window;
        QVERIFY(edits(window).at(0)->text().isEmpty());
        window.setDownloadFolder(downloads.path());
        auto* tree = window.findChild<QTreeWidget*>();
        // A command asked for while another one waits is refused, not nested.
        // Meanwhile the buttons are off.
        bool bBusyMeanwhile = false;
        QTimer::singleShot(0, &window, [&] {
            bBusyMeanwhile = window.isBusy();
            for (const char* text : {"&Login", "&Go", "Rfr", "Test"})
                bBusyMeanwhile = bBusyMeanwhile && !TestKit::buttonWithText(&window, text)->isEnabled();
            window.slotRefresh();
        });
        QTest::ignoreMessage(QtWarningMsg, "FtpGuiClient: a command is still waiting for the server");
        login(window);
        QVERIFY(bBusyMeanwhile && !window.isBusy() && TestKit::buttonWithText(&window, "Test")->isEnabled());
        QCOMPARE(tree->topLevelItemCount(), 0);
        QCOMPARE(window.client()->state(), FtpCore::LoggedIn);

        // Go lists the folder: "..", then every entry as the server has it.
        edits(window).at(3)->setText("share");
        TestKit::buttonWithText(&window, "&Go")->click();
        QStringList listed = names(tree);
        QCOMPARE(listed.takeFirst(), QString(".."));
        listed.sort();
        QStringList expected = QDir(m_pServer->path("share")).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
        expected.sort();
        QCOMPARE(listed, expected);
        QTreeWidgetItem* inner = itemNamed(tree, "inner");
        QVERIFY(!inner->icon(0).isNull());
        QVERIFY(itemNamed(tree, "track.bin")->icon(0).isNull());
        const QDateTime modified = QDateTime::fromString(itemNamed(tree, "track.bin")->text(1), Qt::ISODate);
        QCOMPARE(modified.date(), QFileInfo(m_pServer->path("share/track.bin")).lastModified().toUTC().date());

        // Double-clicks download files byte for byte and move through folders.
        emit tree->itemDoubleClicked(itemNamed(tree, "track.bin"), 0);
        QCOMPARE(readFile(downloads.filePath("track.bin")), m_baPayload);
        emit tree->itemDoubleClicked(itemNamed(tree, "empty.txt"), 0);
        QVERIFY(QFileInfo::exists(downloads.filePath("empty.txt")));
        emit tree->itemDoubleClicked(itemNamed(tree, "inner"), 0);
        QCOMPARE(names(tree), QStringList{".."});
        QCOMPARE(edits(window).at(3)->text(), QString("/share/inner"));
        emit tree->itemDoubleClicked(tree->topLevelItem(0), 0);
        QVERIFY(itemNamed(tree, "track.bin"));
        QCOMPARE(edits(window).at(3)->text(), QString("/share"));
        emit tree->itemDoubleClicked(itemNamed(tree, kWideFolder), 0);
        QCOMPARE(edits(window).at(3)->text(), "/share/" + kWideFolder);
        emit tree->itemDoubleClicked(tree->topLevelItem(0), 0);

        // A folder gone meanwhile: the client's error text goes where the window's other failures go.
        QVERIFY(QDir(m_pServer->path("share/gone")).removeRecursively());
        QTest::ignoreMessage(QtWarningMsg,
                             QRegularExpression("changing directory failed: \"gone\" \"Changing directory failed:"));
        emit tree->itemDoubleClicked(itemNamed(tree, "gone"), 0);
        QCOMPARE(edits(window).at(3)->text(), QString("/share"));

        // A vanished file leaves nothing behind in the download folder.
        QVERIFY(QFile::remove(m_pServer->path("share/empty.txt")));
        QFile::remove(downloads.filePath("empty.txt"));
        emit tree->itemDoubleClicked(itemNamed(tree, "empty.txt"), 0);
        QVERIFY(QDir(downloads.path()).entryList(QDir::Files) == QStringList{"track.bin"});

        // A server's name never leads out of the download folder.
        QTreeWidgetItem climbing(QStringList{"../escape.txt"});
        QTest::ignoreMessage(QtWarningMsg, "FtpGuiClient: refusing to save the remote name \"../escape.txt\"");
        window.slotItemDoubleClicked(&climbing, 0);
        QVERIFY(!QFileInfo::exists(downloads.filePath("../escape.txt")));

        // Test uploads its 14 bytes into the current folder; Rfr shows it.
        TestKit::buttonWithText(&window, "Test")->click();
        QCOMPARE(readFile(m_pServer->path("share/TestFile.txt")), QByteArray("!!!TESTTEST!!!"));
        TestKit::buttonWithText(&window, "Rfr")->click();
        QVERIFY(itemNamed(tree, "TestFile.txt"));

        // A second login closes the session first and starts again at the top.
        login(window);
        QCOMPARE(window.client()->state(), FtpCore::LoggedIn);
        TestKit::buttonWithText(&window, "Rfr")->click();
        QVERIFY(itemNamed(tree, "share"));
    }

    void testFailedConnectListsNothing()
    {
        FtpGuiClient window;
        edits(window).at(0)->setText(QString("127.0.0.1:%1").arg(TestKit::LocalFtpServer::freePort()));
        TestKit::buttonWithText(&window, "&Login")->click();
        QCOMPARE(window.client()->ftpDevice()->error(), FtpCore::ConnectionRefused);
        TestKit::buttonWithText(&window, "Rfr")->click();
        QCOMPARE(names(window.findChild<QTreeWidget*>()), QStringList{".."});
    }

    void testCloseWhileWaiting_data()
    {
        QTest::addColumn<int>("ending");
        QTest::newRow("closed") << int(Closed);
        QTest::newRow("closed, deleting itself") << int(ClosedDeletingItself);
        QTest::newRow("deleted") << int(Deleted);
    }

    void testCloseWhileWaiting()
    {
        QFETCH(int, ending);
        // A server that accepts the connection and never answers.
        QTcpServer silent;
        QVERIFY(silent.listen(QHostAddress::LocalHost));
        QPointer<FtpGuiClient> window = new FtpGuiClient;
        window->setAttribute(Qt::WA_DeleteOnClose, ending == ClosedDeletingItself);
        edits(*window).at(0)->setText(QString("127.0.0.1:%1").arg(silent.serverPort()));
        QTimer::singleShot(300, window, [&] {
            if (ending == Deleted)
                delete window;
            else
                window->close();
        });
        // Should the wait outlast the window's end, this ends it, and the test fails instead of hanging.
        bool bWaitEndedByHand = false;
        const QPointer<QMRequest::FtpClient> client = window->client();
        QTimer::singleShot(30000, &silent, [&] {
            bWaitEndedByHand = true;
            if (client)
                client->slotDone(true);
        });
        window->slotLogin();
        QVERIFY(!bWaitEndedByHand);
        QCOMPARE(window.isNull(), ending == Deleted);
        if (ending == Deleted)
            return;
        QVERIFY(!window->isBusy());
        if (ending == ClosedDeletingItself)
            QTRY_VERIFY(window.isNull());
        else
            delete window;
    }

    void testFaults_data()
    {
        Server::addFaultRows();
        // The window is closed during the wait in the other rows with an abort.
        QTest::newRow("client aborted") << QStringList{"--rate", "20000"} << int(Server::Get) << int(AbortClient) << 1
                                        << "Downloading file failed:\nAborted" << int(FtpCore::LoggedIn) << false;
    }

    void testFaults()
    {
        QFETCH(QStringList, faults);
        QFETCH(int, action);
        QFETCH(int, abort);
        QFETCH(int, error);
        QFETCH(int, state);
        QFETCH(bool, active);
        Server server(faults);
        QVERIFY2(server.isRunning(), qPrintable(server.error()));
        QTemporaryDir downloads;
        QVERIFY(writeFile(downloads.filePath("big.bin"), "kept"));
        FtpGuiClient window;
        window.setDownloadFolder(downloads.path());
        window.client()->ftpDevice()->setReplyTimeout(1000);
        if (active)
            window.client()->ftpDevice()->setTransferMode(FtpCore::Active);
        auto* tree = window.findChild<QTreeWidget*>();
        // What failed first (a failed Go lists the folder all the same).
        QStringList failures;
        connect(window.client()->ftpDevice(), &FtpCore::commandFinished, &window, [&](int, bool bError) {
            if (bError)
                failures << window.client()->ftpDevice()->errorString();
        });
        // Should a command hang, this ends its wait, again and again, and the row fails.
        bool bHung = false;
        QTimer watchdog;
        connect(&watchdog, &QTimer::timeout, [&] {
            bHung = true;
            window.client()->slotDone(true);
        });
        watchdog.start(15000);
        if (action != Server::Login)
            login(window, server.port());
        if (action == Server::Get)
            goTo(window, "share");
        if (abort)
            QTimer::singleShot(200, &window, [&] {
                if (abort == AbortClient)
                    window.client()->abort();
                else
                    window.close();
            });
        QElapsedTimer clock;
        clock.start();
        // Login on an open session closes it first.
        if (action == Server::Login || action == Server::Close)
            login(window, server.port());
        else if (action == Server::Cd)
            goTo(window, "share");
        else if (action == Server::Get)
            emit tree->itemDoubleClicked(itemNamed(tree, "big.bin"), 0);
        else
            TestKit::buttonWithText(&window, action == Server::List ? "Rfr" : "Test")->click();
        QVERIFY(clock.elapsed() < 5000);
        QTEST(failures.value(0), "text");
        QCOMPARE(int(window.client()->state()), action == Server::Close ? int(FtpCore::LoggedIn) : state);
        QCOMPARE(QDir(downloads.path()).entryList(QDir::Files), QStringList{"big.bin"});
        const bool bReplaced = action == Server::Get && !error;
        QCOMPARE(readFile(downloads.filePath("big.bin")), bReplaced ? readFile(server.path("share/big.bin")) : "kept");

        // Opened again, the window serves the next command.
        window.show();
        if (window.client()->state() != FtpCore::LoggedIn)
            login(window, server.port());
        goTo(window, "/share");
        QCOMPARE(names(tree), (QStringList{"..", "big.bin"}));
        QVERIFY(!bHung);
    }

    void testDeleteFromDone()
    {
        QPointer<FtpGuiClient> window = new FtpGuiClient;
        login(*window);
        connect(window->client(), &QMRequest::FtpClient::done, [&] { delete window; });
        TestKit::buttonWithText(window, "Rfr")->click();
        QVERIFY(window.isNull());
    }

    void testHostSpellings_data()
    {
        QTest::addColumn<QString>("address");
        QTest::addColumn<bool>("defaultPort");
        QTest::addColumn<QString>("typed");
        QTest::newRow("v4 and port") << "127.0.0.1" << false << "127.0.0.1:%1";
        QTest::newRow("v4") << "127.0.0.1" << true << "127.0.0.1";
        QTest::newRow("[v6]:port") << "::1" << false << "[::1]:%1";
        QTest::newRow("[v6]") << "::1" << true << "[::1]";
        QTest::newRow("bare v6") << "::1" << true << "::1";
    }

    void testHostSpellings()
    {
        QFETCH(QString, address);
        QFETCH(bool, defaultPort);
        QFETCH(QString, typed);
        const QHostAddress host(address);
        const quint16 nPort = defaultPort ? 21 : TestKit::LocalFtpServer::freePort(host);
        {
            QTcpServer probe;
            if (!probe.listen(host, nPort))
                QSKIP(qPrintable(
                    QString("cannot listen on %1 port %2 here: %3").arg(address).arg(nPort).arg(probe.errorString())));
        }
        TestKit::LocalFtpServer server(host, nPort);
        QVERIFY2(server.isRunning(), qPrintable(server.error()));
        QVERIFY(writeFile(server.path("here.txt"), "x"));
        FtpGuiClient window;
        edits(window).at(0)->setText(typed.contains("%1") ? typed.arg(nPort) : typed);
        edits(window).at(1)->setText(TestKit::LocalFtpServer::user());
        edits(window).at(2)->setText(TestKit::LocalFtpServer::password());
        TestKit::buttonWithText(&window, "&Login")->click();
        QVERIFY2(window.client()->state() == FtpCore::LoggedIn,
                 qPrintable(window.client()->ftpDevice()->errorString()));
        TestKit::buttonWithText(&window, "Rfr")->click();
        QVERIFY(itemNamed(window.findChild<QTreeWidget*>(), "here.txt"));
    }

    void testGallery()
    {
        const QStringList shots{"ftpguiclient.png", "ftpguiclient-folder.png", "ftpguiclient-busy.png"};
        if (!TestKit::galleryOnScreen("testGallery", shots))
            return;
        // vsftpd sends 20000 bytes a second: the download below waits.
        TestKit::VsftpdServer server(20000);
        QVERIFY2(server.isRunning(), qPrintable(server.error()));
        QDir root(server.root());
        QVERIFY(root.mkpath(kWideFolder + "/a folder whose name is long enough to need the room"));
        QVERIFY(writeFile(server.path(kWideFolder + "/bell.wav"), QByteArray(100000, 'x')));
        QVERIFY(writeFile(server.path("inner file with a long name.txt"), "x"));
        QTemporaryDir downloads;
        FtpGuiClient window;
        window.setDownloadFolder(downloads.path());
        window.setGeometry(40, 40, 640, 240);
        edits(window).at(0)->setText(QString("127.0.0.1:%1").arg(server.port()));
        edits(window).at(1)->setText(TestKit::VsftpdServer::user());
        edits(window).at(2)->setText(TestKit::VsftpdServer::password());
        TestKit::buttonWithText(&window, "&Login")->click();
        TestKit::buttonWithText(&window, "Rfr")->click();
        QVERIFY(TestKit::showAndSave(&window, shots.at(0)));
        auto* tree = window.findChild<QTreeWidget*>();
        // Long names are shown whole.
        const int nLongest = tree->fontMetrics().horizontalAdvance("inner file with a long name.txt");
        QVERIFY(tree->columnWidth(0) > nLongest + 2 * tree->indentation());
        emit tree->itemDoubleClicked(itemNamed(tree, kWideFolder), 0);
        // vsftpd run as the test's user does not chroot: the path is the folder's.
        QVERIFY(edits(window).at(3)->text().endsWith("/" + kWideFolder));
        QVERIFY(TestKit::saveShot(&window, shots.at(1)));
        // The buttons are off until the window closes.
        bool bSaved = false;
        QTimer::singleShot(1000, &window, [&] {
            bSaved = TestKit::saveShot(&window, shots.at(2));
            window.close();
        });
        emit tree->itemDoubleClicked(itemNamed(tree, "bell.wav"), 0);
        QVERIFY(bSaved);
    }

private:
    void goTo(FtpGuiClient& window, const QString& path)
    {
        edits(window).at(3)->setText(path);
        TestKit::buttonWithText(&window, "&Go")->click();
    }

    void login(FtpGuiClient& window, quint16 port = 0)
    {
        edits(window).at(0)->setText(QString("127.0.0.1:%1").arg(port ? port : m_pServer->port()));
        edits(window).at(1)->setText(TestKit::LocalFtpServer::user());
        edits(window).at(2)->setText(TestKit::LocalFtpServer::password());
        TestKit::buttonWithText(&window, "&Login")->click();
    }

    QScopedPointer<TestKit::LocalFtpServer> m_pServer;
    QByteArray m_baPayload;
};

TRELVANIC_TEST_MAIN(FtpGuiClientTest)
#include "tst_ftpguiclient.moc"
