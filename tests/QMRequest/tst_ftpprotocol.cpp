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
    QCOMPARE(server.lines, QStringList() << QStringLiteral("USER anonymous") << QStringLiteral("PASS plainsong@"));
    QCOMPARE(ftp.state(), FtpCore::LoggedIn);

    done.clear();
    ftp.login(QStringLiteral("bob"), QStringLiteral(""));
    QVERIFY(done.wait(5000));
    QCOMPARE(server.lines.mid(2), QStringList() << QStringLiteral("USER bob") << QStringLiteral("PASS"));
}

void TestFtpProtocol::testMultiLineReplies()
{
    ScriptedServer server([](const QString& line) -> QByteArray {
        if (line.startsWith(QLatin1String("USER ")))
            return "230-first\r\n230-second\r\n230 last\r\n";
        if (line == QLatin1String("STAT"))
            return "211-status\r\nno marker here\r\n211 end\r\n";
        if (line == QLatin1String("NOOP"))
            return "x1\r\n42\r\n200 fine\r\n";
        return "502 no\r\n";
    });
    FtpCore ftp;
    QSignalSpy done(&ftp, SIGNAL(done(bool)));
    QSignalSpy raw(&ftp, SIGNAL(rawCommandReply(int, QString)));
    ftp.connectToHost(QStringLiteral("127.0.0.1"), server.port());
    ftp.login(QStringLiteral("joe"), QStringLiteral("pw"));
    ftp.rawCommand(QStringLiteral("STAT"));
    ftp.rawCommand(QStringLiteral("NOOP"));
    QVERIFY(done.wait(5000));
    QCOMPARE(done.at(0).at(0).toBool(), false);
    // A 230 to USER makes the PASS line unnecessary.
    QCOMPARE(server.lines,
             QStringList() << QStringLiteral("USER joe") << QStringLiteral("STAT") << QStringLiteral("NOOP"));
    QCOMPARE(ftp.state(), FtpCore::LoggedIn);
    QCOMPARE(raw.count(), 2);
    QCOMPARE(raw.at(0).at(0).toInt(), 211);
    QCOMPARE(raw.at(0).at(1).toString(), QStringLiteral("status\r\nno marker here\r\nend"));
    // Malformed lines before a reply are dropped.
    QCOMPARE(raw.at(1).at(0).toInt(), 200);
    QCOMPARE(raw.at(1).at(1).toString(), QStringLiteral("fine"));
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
    QCOMPARE(proxy.lines, QStringList() << QStringLiteral("USER bob@real.example:2121"));
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
            return QStringLiteral("227 Entering Passive Mode (127,0,0,1,%1,%2).\r\n")
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
