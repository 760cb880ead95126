// The FTP test window driven against real FTP servers (pyftpdlib, vsftpd) on 127.0.0.1, on ::1 where IPv6 is the
// point, and against a scripted server that misbehaves. The window always dials port 21, so the servers listen there.
#include "Gallery.h"
#include "LocalFtpServer.h"
#include "ScriptedFtpServer.h"
#include "TestMain.h"
#include "Tools.h"
#include "VsftpdServer.h"

#include <QMRequest/Widgets/FtpGuiClient.h>

#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QRegularExpression>
#include <QTcpServer>
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
using Server = TestKit::ScriptedFtpServer;
const quint16 kPort = 21;
const QString kWideFolder = QString::fromUtf8("Grüße ♫ Ünïcødé");

// The edits in the order of the window: host, user, password, path.
QList<QLineEdit*> edits(FtpGuiClient& window) { return window.findChildren<QLineEdit*>(); }

// The first column's texts, the first one kept first and the others sorted.
QStringList names(QTreeWidget* tree)
{
    QStringList list;
    for (int n = 1; n < tree->topLevelItemCount(); ++n)
        list << tree->topLevelItem(n)->text(0);
    list.sort();
    if (tree->topLevelItemCount() > 0)
        list.prepend(tree->topLevelItem(0)->text(0));
    return list;
}

QTreeWidgetItem* itemNamed(QTreeWidget* tree, const QString& name)
{
    const QList<QTreeWidgetItem*> items = tree->findItems(name, Qt::MatchExactly);
    return items.isEmpty() ? nullptr : items.first();
}

// What a listing of the server's folder shows, after "..", in the order of names().
QStringList listed(const QString& folder)
{
    QStringList list = QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
    list.sort();
    return QStringList{".."} + list;
}

} // namespace

class FtpGuiClientTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QTcpServer probe;
        if (!probe.listen(QHostAddress::LocalHost, kPort))
            QSKIP(qPrintable("the window dials port 21, where the test servers cannot listen here: " +
                             probe.errorString()));
    }

    void testConnectListUpload()
    {
        TestKit::LocalFtpServer server(QHostAddress(QHostAddress::LocalHost), kPort);
        QVERIFY2(server.isRunning(), qPrintable(server.error()));
        QDir root(server.root());
        QVERIFY(root.mkpath("share/inner") && root.mkpath("share/" + kWideFolder) && root.mkpath("share/gone"));
        QVERIFY(writeFile(server.path("share/track.bin"), QByteArray(70000, 't')));
        QVERIFY(writeFile(server.path("share/notes <b>bold<i>.txt"), "notes"));
        FtpGuiClient window;
        QVERIFY(edits(window).at(0)->text().isEmpty());
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
        goTo(window, "share");
        QCOMPARE(names(tree), listed(server.path("share")));
        QVERIFY(!itemNamed(tree, "inner")->icon(0).isNull());
        QVERIFY(itemNamed(tree, "track.bin")->icon(0).isNull());
        const QDateTime modified = QDateTime::fromString(itemNamed(tree, "track.bin")->text(1), Qt::ISODate);
        QCOMPARE(modified.date(), QFileInfo(server.path("share/track.bin")).lastModified().toUTC().date());

        // A double-click on a file changes to its name and lists again; nothing is saved.
        QVERIFY(writeFile(server.path("share/later.txt"), "x"));
        QTest::ignoreMessage(
            QtWarningMsg, QRegularExpression("changing directory failed: \"track.bin\" \"Changing directory failed:"));
        emit tree->itemDoubleClicked(itemNamed(tree, "track.bin"), 0);
        QCOMPARE(names(tree), listed(server.path("share")));
        QDirIterator saved(QDir::homePath(), {"track.bin"}, QDir::Files, QDirIterator::Subdirectories);
        QVERIFY(!saved.hasNext());

        // Double-clicks move through folders; the path field keeps what was typed.
        emit tree->itemDoubleClicked(itemNamed(tree, "inner"), 0);
        QCOMPARE(names(tree), QStringList{".."});
        emit tree->itemDoubleClicked(tree->topLevelItem(0), 0);
        QVERIFY(itemNamed(tree, "track.bin"));
        emit tree->itemDoubleClicked(itemNamed(tree, kWideFolder), 0);
        QCOMPARE(names(tree), QStringList{".."});
        emit tree->itemDoubleClicked(tree->topLevelItem(0), 0);
        QCOMPARE(edits(window).at(3)->text(), QString("share"));

        // A folder gone meanwhile: the client's error text goes where the window's other failures go.
        QVERIFY(QDir(server.path("share/gone")).removeRecursively());
        QTest::ignoreMessage(QtWarningMsg,
                             QRegularExpression("changing directory failed: \"gone\" \"Changing directory failed:"));
        emit tree->itemDoubleClicked(itemNamed(tree, "gone"), 0);
        QVERIFY(!itemNamed(tree, "gone"));

        // Test uploads its 14 bytes into the current folder; Rfr shows it.
        TestKit::buttonWithText(&window, "Test")->click();
        QCOMPARE(readFile(server.path("share/TestFile.txt")), QByteArray("!!!TESTTEST!!!"));
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
        edits(window).at(0)->setText("127.0.0.1");
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
        QVERIFY(silent.listen(QHostAddress::LocalHost, kPort));
        QPointer<FtpGuiClient> window = new FtpGuiClient;
        window->setAttribute(Qt::WA_DeleteOnClose, ending == ClosedDeletingItself);
        edits(*window).at(0)->setText("127.0.0.1");
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

    // A row's abort closes the window.
    void testFaults_data()
    {
        Server::addFaultRows({Server::Login, Server::Cd, Server::List, Server::Put, Server::Close});
    }

    void testFaults()
    {
        QFETCH(QStringList, faults);
        QFETCH(int, action);
        QFETCH(int, abort);
        QFETCH(int, state);
        QFETCH(bool, active);
        Server server(faults, kPort);
        QVERIFY2(server.isRunning(), qPrintable(server.error()));
        FtpGuiClient window;
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
            login(window);
        if (abort)
            QTimer::singleShot(200, &window, [&] { window.close(); });
        QElapsedTimer clock;
        clock.start();
        // Login on an open session closes it first.
        if (action == Server::Login || action == Server::Close)
            login(window);
        else if (action == Server::Cd)
            goTo(window, "share");
        else
            TestKit::buttonWithText(&window, action == Server::List ? "Rfr" : "Test")->click();
        QVERIFY(clock.elapsed() < 5000);
        QTEST(failures.value(0), "text");
        QCOMPARE(int(window.client()->state()), action == Server::Close ? int(FtpCore::LoggedIn) : state);

        // Opened again, the window serves the next command.
        window.show();
        if (window.client()->state() != FtpCore::LoggedIn)
            login(window);
        goTo(window, "/share");
        QCOMPARE(names(tree), listed(server.path("share")));
        QVERIFY(!bHung);
    }

    void testDeleteFromDone()
    {
        TestKit::LocalFtpServer server(QHostAddress(QHostAddress::LocalHost), kPort);
        QVERIFY2(server.isRunning(), qPrintable(server.error()));
        QPointer<FtpGuiClient> window = new FtpGuiClient;
        login(*window);
        connect(window->client(), &QMRequest::FtpClient::done, [&] { delete window; });
        TestKit::buttonWithText(window, "Rfr")->click();
        QVERIFY(window.isNull());
    }

    void testHostSpellings_data()
    {
        QTest::addColumn<QString>("address");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("loggedIn");
        QTest::newRow("v4") << "127.0.0.1"
                            << "127.0.0.1" << true;
        QTest::newRow("v4, a port is no port") << "127.0.0.1"
                                               << "127.0.0.1:21" << false;
        QTest::newRow("[v6]") << "::1"
                              << "[::1]" << true;
        QTest::newRow("bare v6") << "::1"
                                 << "::1" << true;
        QTest::newRow("[v6], a port is no port") << "::1"
                                                 << "[::1]:21" << false;
    }

    void testHostSpellings()
    {
        QFETCH(QString, address);
        QFETCH(QString, typed);
        QFETCH(bool, loggedIn);
        const QHostAddress host(address);
        {
            QTcpServer probe;
            if (!probe.listen(host, kPort))
                QSKIP(qPrintable(QString("cannot listen on %1 port 21 here: %2").arg(address, probe.errorString())));
        }
        TestKit::LocalFtpServer server(host, kPort);
        QVERIFY2(server.isRunning(), qPrintable(server.error()));
        QVERIFY(writeFile(server.path("here.txt"), "x"));
        FtpGuiClient window;
        edits(window).at(0)->setText(typed);
        edits(window).at(1)->setText(TestKit::LocalFtpServer::user());
        edits(window).at(2)->setText(TestKit::LocalFtpServer::password());
        TestKit::buttonWithText(&window, "&Login")->click();
        QVERIFY2((window.client()->state() == FtpCore::LoggedIn) == loggedIn,
                 qPrintable(window.client()->ftpDevice()->errorString()));
        TestKit::buttonWithText(&window, "Rfr")->click();
        QCOMPARE(itemNamed(window.findChild<QTreeWidget*>(), "here.txt") != nullptr, loggedIn);
    }

    void testGallery()
    {
        const QStringList shots{"ftpguiclient.png", "ftpguiclient-folder.png", "ftpguiclient-busy.png"};
        if (!TestKit::galleryOnScreen("testGallery", shots))
            return;
        TestKit::VsftpdServer server(0, kPort);
        QVERIFY2(server.isRunning(), qPrintable(server.error()));
        QDir root(server.root());
        QVERIFY(root.mkpath(kWideFolder + "/a folder whose name is long enough to need the room"));
        QVERIFY(writeFile(server.path(kWideFolder + "/bell.wav"), QByteArray(100000, 'x')));
        QVERIFY(writeFile(server.path("inner file with a long name.txt"), "x"));
        FtpGuiClient window;
        window.setGeometry(40, 40, 640, 240);
        edits(window).at(0)->setText("127.0.0.1");
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
        QVERIFY(itemNamed(tree, "bell.wav"));
        QVERIFY(TestKit::saveShot(&window, shots.at(1)));
        // The buttons are off while a command waits.
        bool bSaved = false;
        QTimer::singleShot(0, &window, [&] { bSaved = TestKit::saveShot(&window, shots.at(2)); });
        TestKit::buttonWithText(&window, "Rfr")->click();
        QVERIFY(bSaved);
    }

private:
    void goTo(FtpGuiClient& window, const QString& path)
    {
        edits(window).at(3)->setText(path);
        TestKit::buttonWithText(&window, "&Go")->click();
    }

    void login(FtpGuiClient& window)
    {
        edits(window).at(0)->setText("127.0.0.1");
        edits(window).at(1)->setText(TestKit::LocalFtpServer::user());
        edits(window).at(2)->setText(TestKit::LocalFtpServer::password());
        TestKit::buttonWithText(&window, "&Login")->click();
    }
};

TRELVANIC_TEST_MAIN(FtpGuiClientTest)
#include "tst_ftpguiclient.moc"
