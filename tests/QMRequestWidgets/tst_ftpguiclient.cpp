// The FTP test window driven against a real FTP server (pyftpdlib) on 127.0.0.1, and on ::1 where IPv6 is the point.
#include "Gallery.h"
#include "LocalFtpServer.h"
#include "TestMain.h"
#include "Tools.h"

#include <QMRequest/Widgets/FtpGuiClient.h>

#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QRandomGenerator>
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
        QVERIFY(root.mkpath("share/inner"));
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
        bool bBusyMeanwhile = false;
        QTimer::singleShot(0, &window, [&] {
            bBusyMeanwhile = window.isBusy();
            window.slotRefresh();
        });
        QTest::ignoreMessage(QtWarningMsg, "FtpGuiClient: a command is still waiting for the server");
        login(window);
        QVERIFY(bBusyMeanwhile && !window.isBusy());
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
        emit tree->itemDoubleClicked(tree->topLevelItem(0), 0);
        QVERIFY(itemNamed(tree, "track.bin"));

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
        if (!TestKit::galleryOnScreen("testGallery", {"ftpguiclient.png"}))
            return;
        TestKit::LocalFtpServer server;
        QVERIFY(QDir(server.root()).mkpath("Albums") && writeFile(server.path("bell.wav"), QByteArray(1000, 'x')));
        FtpGuiClient window;
        window.setGeometry(40, 40, 640, 240);
        login(window, server.port());
        TestKit::buttonWithText(&window, "Rfr")->click();
        QVERIFY(TestKit::showAndSave(&window, "ftpguiclient.png"));
    }

private:
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
