// Control-connection details of the FTP client, checked against a scripted server on 127.0.0.1.
#include "TestMain.h"

#include <QMRequest/FtpCore.h>

#include <QBuffer>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

#include <functional>

using QMRequest::FtpCore;
using QMRequest::UrlInfo;

namespace {

// Answers each command line with what the script returns for it and records the lines.
class ScriptedServer : public QObject
{
public:
    using Script = std::function<QByteArray(const QString& line)>;

    explicit ScriptedServer(Script script) : m_script(std::move(script))
    {
        m_server.listen(QHostAddress::LocalHost, 0);
        connect(&m_server, &QTcpServer::newConnection, this, [this] {
            m_pClient = m_server.nextPendingConnection();
            connect(m_pClient, &QTcpSocket::readyRead, this, [this] {
                while (m_pClient->canReadLine()) {
                    const QString line = QString::fromLatin1(m_pClient->readLine()).trimmed();
                    lines << line;
                    m_pClient->write(m_script(line));
                }
            });
            m_pClient->write("220 scripted server ready\r\n");
        });
    }

    quint16 port() const { return m_server.serverPort(); }

    QStringList lines;

private:
    Script m_script;
    QTcpServer m_server;
    QTcpSocket* m_pClient = nullptr;
};

} // namespace

class TestFtpProtocol : public QObject
{
    Q_OBJECT

private slots:
    void testDefaultLogin();
    void testMultiLineReplies();
    void testReplyBounds_data();
    void testReplyBounds();
    void testMalformedLinesDropped_data();
    void testMalformedLinesDropped();
    void testLineBreaksRefused_data();
    void testLineBreaksRefused();
    void testNamesBeyondLatin1_data();
    void testNamesBeyondLatin1();
    void testProxyLogin();
    void testTransferCompleteHeldUntilDataClose();
    void testExtendedPassiveReply();
    void testActivePortLine();
};

void TestFtpProtocol::testDefaultLogin()
{
    ScriptedServer server([](const QString& line) -> QByteArray {
        if (line.startsWith(QLatin1String("USER ")))
            return "331 password please\r\n";
        if (line.startsWith(QLatin1String("PASS ")))
            return "230 welcome\r\n";
        return "500 what\r\n";
    });
    FtpCore ftp;
    QSignalSpy done(&ftp, SIGNAL(done(bool)));
    ftp.connectToHost(QStringLiteral("127.0.0.1"), server.port());
    ftp.login();
    QVERIFY(done.wait(5000));
    QCOMPARE(done.at(0).at(0).toBool(), false);
    // The features are asked for once, right after the login.
    QCOMPARE(server.lines, QStringList() << QStringLiteral("USER anonymous") << QStringLiteral("PASS plainsong@")
                                         << QStringLiteral("FEAT"));
    QCOMPARE(ftp.state(), FtpCore::LoggedIn);

    done.clear();
    ftp.login(QStringLiteral("bob"), QStringLiteral(""));
    QVERIFY(done.wait(5000));
    QCOMPARE(server.lines.mid(3), QStringList() << QStringLiteral("USER bob") << QStringLiteral("PASS"));
}

void TestFtpProtocol::testMultiLineReplies()
{
    ScriptedServer server([](const QString& line) -> QByteArray {
        if (line.startsWith(QLatin1String("USER ")))
            return "230-first\r\n230-second\r\n230 last\r\n";
        if (line == QLatin1String("STAT"))
            return "211-status\r\nno marker here\r\n211 end\r\n";
        return "502 no\r\n";
    });
    FtpCore ftp;
    QSignalSpy done(&ftp, SIGNAL(done(bool)));
    QSignalSpy raw(&ftp, SIGNAL(rawCommandReply(int, QString)));
    ftp.connectToHost(QStringLiteral("127.0.0.1"), server.port());
    ftp.login(QStringLiteral("joe"), QStringLiteral("pw"));
    ftp.rawCommand(QStringLiteral("STAT"));
    QVERIFY(done.wait(5000));
    QCOMPARE(done.at(0).at(0).toBool(), false);
    // A 230 to USER makes the PASS line unnecessary.
    QCOMPARE(server.lines,
             QStringList() << QStringLiteral("USER joe") << QStringLiteral("FEAT") << QStringLiteral("STAT"));
    QCOMPARE(ftp.state(), FtpCore::LoggedIn);
    QCOMPARE(raw.count(), 1);
    QCOMPARE(raw.at(0).at(0).toInt(), 211);
    QCOMPARE(raw.at(0).at(1).toString(), QStringLiteral("status\r\nno marker here\r\nend"));
}

void TestFtpProtocol::testReplyBounds_data()
{
    QTest::addColumn<QByteArray>("reply");
    QTest::newRow("line over the bound") << "200 " + QByteArray(9000, 'x') + "\r\n";
    QByteArray manyLines = "211-start\r\n";
    for (int n = 0; n < 300; ++n)
        manyLines += " " + QByteArray(1000, 'y') + "\r\n";
    QTest::newRow("multi-line reply over the bound") << manyLines + "211 end\r\n";
    QTest::newRow("line without end") << QByteArray(20000, 'z');
}

void TestFtpProtocol::testReplyBounds()
{
    QFETCH(QByteArray, reply);
    ScriptedServer server([&](const QString& line) -> QByteArray {
        if (line.startsWith(QLatin1String("USER ")))
            return "230 ok\r\n";
        return line == QLatin1String("NOOP") ? reply : QByteArray("502 no\r\n");
    });
    FtpCore ftp;
    QSignalSpy done(&ftp, SIGNAL(done(bool)));
    ftp.connectToHost(QStringLiteral("127.0.0.1"), server.port());
    ftp.login(QStringLiteral("u"), QStringLiteral("p"));
    QVERIFY(done.wait(5000));
    QCOMPARE(done.at(0).at(0).toBool(), false);
    done.clear();
    ftp.rawCommand(QStringLiteral("NOOP"));
    // The command fails and the connection, no longer in step, is dropped.
    QVERIFY(done.wait(5000));
    QCOMPARE(done.at(0).at(0).toBool(), true);
    QCOMPARE(ftp.error(), FtpCore::UnknownError);
    QTRY_COMPARE(ftp.state(), FtpCore::Unconnected);
}

void TestFtpProtocol::testMalformedLinesDropped_data()
{
    QTest::addColumn<QByteArray>("lines");
    QTest::newRow("text") << QByteArray("hello\r\n");
    QTest::newRow("short lines") << QByteArray("x1\r\n42\r\n\r\n");
    QTest::newRow("code out of range") << QByteArray("290 odd\r\n");
}

void TestFtpProtocol::testMalformedLinesDropped()
{
    QFETCH(QByteArray, lines);
    ScriptedServer server([&](const QString& line) -> QByteArray {
        if (line.startsWith(QLatin1String("USER ")))
            return lines + "230 ok\r\n";
        return line == QLatin1String("NOOP") ? lines + "200 fine\r\n" : QByteArray("502 no\r\n");
    });
    FtpCore ftp;
    QSignalSpy done(&ftp, SIGNAL(done(bool)));
    QSignalSpy raw(&ftp, SIGNAL(rawCommandReply(int, QString)));
    ftp.connectToHost(QStringLiteral("127.0.0.1"), server.port());
    ftp.login(QStringLiteral("u"), QStringLiteral("p"));
    ftp.rawCommand(QStringLiteral("NOOP"));
    QVERIFY(done.wait(5000));
    QCOMPARE(done.at(0).at(0).toBool(), false);
    QCOMPARE(raw.count(), 1);
    QCOMPARE(raw.at(0).at(1).toString(), QStringLiteral("fine"));
    QCOMPARE(ftp.state(), FtpCore::LoggedIn);
}

void TestFtpProtocol::testLineBreaksRefused_data()
{
    QTest::addColumn<int>("operation");
    QTest::addColumn<QString>("argument");
    const QString crlf = QStringLiteral("x\r\nDELE important.txt");
    QTest::newRow("cd") << 0 << crlf;
    QTest::newRow("list, LF") << 1 << QStringLiteral("x\nDELE important.txt");
    QTest::newRow("get, NUL") << 2 << QString::fromUtf8("x\0DELE important.txt", 20);
    QTest::newRow("put, CR") << 3 << QStringLiteral("x\rDELE important.txt");
    QTest::newRow("rename") << 4 << crlf;
    QTest::newRow("raw command") << 5 << QStringLiteral("NOOP\r\nDELE important.txt");
    QTest::newRow("login") << 6 << crlf;
}

void TestFtpProtocol::testLineBreaksRefused()
{
    QFETCH(int, operation);
    QFETCH(QString, argument);
    ScriptedServer server([](const QString& line) -> QByteArray {
        return line.startsWith(QLatin1String("USER ")) ? "230 ok\r\n" : "200 ok\r\n";
    });
    FtpCore ftp;
    QSignalSpy done(&ftp, SIGNAL(done(bool)));
    ftp.connectToHost(QStringLiteral("127.0.0.1"), server.port());
    ftp.login(QStringLiteral("u"), QStringLiteral("p"));
    QVERIFY(done.wait(5000));
    server.lines.clear();
    done.clear();
    QBuffer sink;
    sink.open(QIODevice::WriteOnly);
    switch (operation) {
    case 0:
        ftp.cd(argument);
        break;
    case 1:
        ftp.list(argument);
        break;
    case 2:
        ftp.get(argument, &sink);
        break;
    case 3:
        ftp.put(QByteArray("data"), argument);
        break;
    case 4:
        ftp.rename(QStringLiteral("a"), argument);
        break;
    case 5:
        ftp.rawCommand(argument);
        break;
    default:
        ftp.login(argument, QStringLiteral("p"));
        break;
    }
    ftp.mkdir(QStringLiteral("dropped with the queue"));
    QVERIFY(done.wait(5000));
    QCOMPARE(done.at(0).at(0).toBool(), true);
    QVERIFY2(ftp.errorString().endsWith(QStringLiteral("Refused: a name or command must not contain CR, LF or NUL")),
             qPrintable(ftp.errorString()));
    // Nothing reached the server: the next command is the first line it sees.
    done.clear();
    ftp.rawCommand(QStringLiteral("NOOP"));
    QVERIFY(done.wait(5000));
    QCOMPARE(server.lines, QStringList() << QStringLiteral("NOOP"));
}

void TestFtpProtocol::testNamesBeyondLatin1_data()
{
    QTest::addColumn<QByteArray>("features");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("sent");
    const QByteArray plain = "211-Features:\r\n SIZE\r\n MDTM\r\n211 End\r\n";
    const QByteArray utf8 = "211-Features:\r\n SIZE\r\n UTF8\r\n211 End\r\n";
    const QString wide = QString::fromUtf8("音楽 ♫.txt");
    const QString latin1 = QString::fromUtf8("café.txt");
    QTest::newRow("no UTF8: refused") << plain << wide << QByteArray();
    QTest::newRow("FEAT refused: refused") << QByteArray("500 unknown\r\n") << wide << QByteArray();
    QTest::newRow("no UTF8: Latin-1 name as Latin-1") << plain << latin1 << latin1.toLatin1();
    QTest::newRow("UTF8: as UTF-8") << utf8 << wide << wide.toUtf8();
    QTest::newRow("UTF8: Latin-1 name as UTF-8") << utf8 << latin1 << latin1.toUtf8();
}

void TestFtpProtocol::testNamesBeyondLatin1()
{
    QFETCH(QByteArray, features);
    QFETCH(QString, name);
    QFETCH(QByteArray, sent);
    ScriptedServer server([&](const QString& line) -> QByteArray {
        if (line.startsWith(QLatin1String("USER ")))
            return "230 ok\r\n";
        return line == QLatin1String("FEAT") ? features : QByteArray("250 deleted\r\n");
    });
    FtpCore ftp;
    QSignalSpy done(&ftp, SIGNAL(done(bool)));
    ftp.connectToHost(QStringLiteral("127.0.0.1"), server.port());
    ftp.login(QStringLiteral("u"), QStringLiteral("p"));
    ftp.remove(name);
    QVERIFY(done.wait(5000));
    QCOMPARE(done.at(0).at(0).toBool(), sent.isEmpty());
    QStringList expected{QStringLiteral("USER u"), QStringLiteral("FEAT")};
    if (!sent.isEmpty())
        expected << QString::fromLatin1("DELE " + sent);
    QCOMPARE(server.lines, expected);
}

void TestFtpProtocol::testProxyLogin()
{
    ScriptedServer proxy([](const QString& line) -> QByteArray {
        if (line.startsWith(QLatin1String("USER ")))
            return "230 through\r\n";
        return "502 no\r\n";
    });
    FtpCore ftp;
    QSignalSpy done(&ftp, SIGNAL(done(bool)));
    ftp.setProxy(QStringLiteral("127.0.0.1"), proxy.port());
    ftp.connectToHost(QStringLiteral("real.example"), 2121);
    ftp.login(QStringLiteral("bob"), QStringLiteral("pw"));
    QVERIFY(done.wait(5000));
    QCOMPARE(done.at(0).at(0).toBool(), false);
    QCOMPARE(proxy.lines, QStringList() << QStringLiteral("USER bob@real.example:2121") << QStringLiteral("FEAT"));
}

void TestFtpProtocol::testTransferCompleteHeldUntilDataClose()
{
    QTcpServer data;
    QVERIFY(data.listen(QHostAddress::LocalHost, 0));
    QTcpSocket* pData = nullptr;
    connect(&data, &QTcpServer::newConnection, this, [&] { pData = data.nextPendingConnection(); });
    const quint16 nPort = data.serverPort();
    ScriptedServer server([&](const QString& line) -> QByteArray {
        if (line.startsWith(QLatin1String("USER ")))
            return "230 ok\r\n";
        if (line.startsWith(QLatin1String("TYPE")))
            return "200 type\r\n";
        if (line == QLatin1String("PASV"))
            // The announced address is not the control peer's; the client must not follow it.
            return QStringLiteral("227 Entering Passive Mode (127,0,0,2,%1,%2).\r\n")
                .arg(nPort >> 8)
                .arg(nPort & 0xff)
                .toLatin1();
        if (line == QLatin1String("LIST")) {
            // The listing goes out now, the data connection closes only later.
            pData->write("-rw-r--r--   1 ftp  ftp  512 Aug 10  2004 archive.tar.gz\r\n");
            QTimer::singleShot(300, pData, [&] {
                pData->write("01-16-02  11:14AM       <DIR>          epsgroup\r\n");
                pData->disconnectFromHost();
            });
            return "150 here it comes\r\n226 done\r\n";
        }
        return "502 no\r\n";
    });
    FtpCore ftp;
    QList<UrlInfo> entries;
    connect(&ftp, &FtpCore::listInfo, this, [&](const UrlInfo& info) { entries << info; });
    QSignalSpy done(&ftp, SIGNAL(done(bool)));
    ftp.connectToHost(QStringLiteral("127.0.0.1"), server.port());
    ftp.login(QStringLiteral("u"), QStringLiteral("p"));
    ftp.list();
    QVERIFY(done.wait(5000));
    QCOMPARE(done.at(0).at(0).toBool(), false);
    QCOMPARE(entries.count(), 2);
    QCOMPARE(entries.at(0).name(), QStringLiteral("archive.tar.gz"));
    QCOMPARE(entries.at(1).name(), QStringLiteral("epsgroup"));
    QVERIFY(entries.at(1).isDir());
}

void TestFtpProtocol::testExtendedPassiveReply()
{
    QTcpServer data;
    QVERIFY(data.listen(QHostAddress::LocalHost, 0));
    QTcpSocket* pData = nullptr;
    connect(&data, &QTcpServer::newConnection, this, [&] { pData = data.nextPendingConnection(); });
    const quint16 nPort = data.serverPort();
    ScriptedServer server([&](const QString& line) -> QByteArray {
        if (line.startsWith(QLatin1String("USER ")))
            return "230 ok\r\n";
        if (line.startsWith(QLatin1String("TYPE")))
            return "200 type\r\n";
        if (line == QLatin1String("PASV"))
            return QStringLiteral("229 Entering Extended Passive Mode (|||%1|)\r\n").arg(nPort).toLatin1();
        if (line == QLatin1String("SIZE f.bin"))
            return "550 no size here\r\n";
        if (line == QLatin1String("RETR f.bin")) {
            pData->write("0123456789");
            pData->disconnectFromHost();
            return "150 sending\r\n226 sent\r\n";
        }
        return "502 no\r\n";
    });
    FtpCore ftp;
    QSignalSpy done(&ftp, SIGNAL(done(bool)));
    QSignalSpy progress(&ftp, SIGNAL(dataTransferProgress(qint64, qint64)));
    QBuffer sink;
    sink.open(QIODevice::WriteOnly);
    ftp.connectToHost(QStringLiteral("127.0.0.1"), server.port());
    ftp.login(QStringLiteral("u"), QStringLiteral("p"));
    ftp.get(QStringLiteral("f.bin"), &sink);
    QVERIFY(done.wait(5000));
    // A refused SIZE does not fail the download; the total becomes 0.
    QCOMPARE(done.at(0).at(0).toBool(), false);
    QCOMPARE(sink.data(), QByteArray("0123456789"));
    QVERIFY(!progress.isEmpty());
    QCOMPARE(progress.first().at(0).toLongLong(), qint64(0));
    QCOMPARE(progress.first().at(1).toLongLong(), qint64(0));
    QCOMPARE(progress.last().at(0).toLongLong(), qint64(10));
}

void TestFtpProtocol::testActivePortLine()
{
    QTcpSocket rogue;
    QTcpSocket dataOut;
    quint16 nPort = 0;
    ScriptedServer server([&](const QString& line) -> QByteArray {
        if (line.startsWith(QLatin1String("USER ")))
            return "230 ok\r\n";
        if (line.startsWith(QLatin1String("TYPE")))
            return "200 type\r\n";
        if (line.startsWith(QLatin1String("PORT "))) {
            const QStringList fields = line.mid(5).split(QLatin1Char(','));
            if (fields.count() != 6 || fields.mid(0, 4).join(QLatin1Char('.')) != QLatin1String("127.0.0.1"))
                return "501 bad address\r\n";
            nPort = quint16(fields.at(4).toUInt() * 256 + fields.at(5).toUInt());
            return "200 port ok\r\n";
        }
        if (line == QLatin1String("LIST")) {
            // Another host gets in first; only the control peer may deliver the listing.
            rogue.bind(QHostAddress(QStringLiteral("127.0.0.2")));
            rogue.connectToHost(QHostAddress::LocalHost, nPort);
            rogue.waitForConnected(2000);
            rogue.write("drwxr-xr-x   2 ftp  ftp  4096 Aug 10  2004 planted\r\n");
            rogue.waitForBytesWritten(2000);
            dataOut.connectToHost(QHostAddress::LocalHost, nPort);
            dataOut.waitForConnected(2000);
            dataOut.write("drwxr-xr-x   2 ftp  ftp  4096 Aug 10  2004 folder\r\n");
            dataOut.disconnectFromHost();
            return "150 listing\r\n226 done\r\n";
        }
        return "502 no\r\n";
    });
    FtpCore ftp;
    QList<UrlInfo> entries;
    connect(&ftp, &FtpCore::listInfo, this, [&](const UrlInfo& info) { entries << info; });
    QSignalSpy done(&ftp, SIGNAL(done(bool)));
    ftp.setTransferMode(FtpCore::Active);
    ftp.connectToHost(QStringLiteral("127.0.0.1"), server.port());
    ftp.login(QStringLiteral("u"), QStringLiteral("p"));
    ftp.list();
    QVERIFY(done.wait(5000));
    QCOMPARE(done.at(0).at(0).toBool(), false);
    QVERIFY(nPort != 0);
    QCOMPARE(entries.count(), 1);
    QCOMPARE(entries.at(0).name(), QStringLiteral("folder"));
    QVERIFY(entries.at(0).isDir());
    QCOMPARE(entries.at(0).permissions(), 0755);
}

TRELVANIC_TEST_MAIN(TestFtpProtocol)
#include "tst_ftpprotocol.moc"
