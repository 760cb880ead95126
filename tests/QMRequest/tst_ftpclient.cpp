// FTP client against real FTP servers started on 127.0.0.1 for the test (pyftpdlib and vsftpd), each serving a
// temporary folder. Both announce 127.0.0.2 in their passive replies, which the client must not follow.
#include "Tools.h"
#include "TestMain.h"
#include "VsftpdServer.h"

#include <QMRequest/FtpClient.h>
#include <QMRequest/FtpCore.h>

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTimer>

using QMRequest::FtpClient;
using QMRequest::FtpCore;
using QMRequest::UrlInfo;

namespace {

const char* const kUser = "tester";
const char* const kPassword = "secret";

// pyftpdlib with a write-enabled user; its passive replies name another address.
const char* const kPyftpdlibScript = R"(
import sys
from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.handlers import FTPHandler
from pyftpdlib.servers import FTPServer
port, root, user, password = int(sys.argv[1]), sys.argv[2], sys.argv[3], sys.argv[4]
authorizer = DummyAuthorizer()
authorizer.add_user(user, password, root, perm="elradfmwMT")
FTPHandler.authorizer = authorizer
FTPHandler.masquerade_address = "127.0.0.2"
FTPServer(("127.0.0.1", port), FTPHandler).serve_forever()
)";

enum ServerKind { Pyftpdlib = 0, Vsftpd = 1 };

quint16 freePort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();
}

QByteArray randomBytes(int count)
{
    QByteArray bytes(count, '\0');
    for (int n = 0; n < count; ++n)
        bytes[n] = char(QRandomGenerator::global()->bounded(256));
    return bytes;
}

using TestKit::readFile;
using TestKit::writeFile;

// Collects the command ids in the order of the client's signals.
struct CommandLog : public QObject
{
    explicit CommandLog(FtpCore* ftp)
    {
        connect(ftp, &FtpCore::commandStarted, this, [this](int id) { started << id; });
        connect(ftp, &FtpCore::commandFinished, this, [this](int id, bool error) {
            finished << id;
            failed << error;
        });
        connect(ftp, &FtpCore::done, this, [this](bool error) { doneErrors << error; });
        connect(ftp, &FtpCore::listInfo, this, [this](const UrlInfo& info) { entries << info; });
        connect(ftp, &FtpCore::stateChanged, this, [this](int state) { states << state; });
    }

    QList<int> started, finished, states;
    QList<bool> failed, doneErrors;
    QList<UrlInfo> entries;
};

// A device that fails after its first 4 KiB either way, like a disk that breaks.
class FailingDevice : public QIODevice
{
public:
    FailingDevice()
    {
        open(QIODevice::ReadWrite | QIODevice::Unbuffered);
        setErrorString(QStringLiteral("Input/output error"));
    }
    qint64 size() const override { return 100000; }

protected:
    qint64 readData(char* data, qint64 len) override
    {
        const qint64 n = qMin(len, 4096 - m_nRead);
        if (n <= 0)
            return -1;
        memset(data, 'u', size_t(n));
        m_nRead += n;
        return n;
    }
    qint64 writeData(const char*, qint64 len) override
    {
        m_nWritten += len;
        return m_nWritten <= 4096 ? len : -1;
    }

private:
    qint64 m_nRead = 0;
    qint64 m_nWritten = 0;
};

bool waitForPort(quint16 port)
{
    for (int n = 0; n < 100; ++n) {
        QTcpSocket probe;
        probe.connectToHost(QHostAddress::LocalHost, port);
        if (probe.waitForConnected(100))
            return true;
        QTest::qWait(100);
    }
    return false;
}

} // namespace

class TestFtpClient : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void testQueueAndListing();
    void testListingMatchesFolder();
    void testTransfersAndFileCommands_data();
    void testTransfersAndFileCommands();
    void testUtf8Names_data();
    void testUtf8Names();
    void testUtf8FirstListing_data();
    void testUtf8FirstListing();
    void testSlowUpload();
    void testDownloadWithoutDevice();
    void testSequentialUpload();
    void testUnreadableUploadSource();
    void testDeviceFailures_data();
    void testDeviceFailures();
    void testDestroyWhileBusy();
    void testFailedCdDropsQueue();
    void testMissingFileAndRawCommand();
    void testLocalCommands();
    void testBlockingClient_data();
    void testBlockingClient();
    void testBlockingClientFailedConnect();

private:
    bool connectAndLogin(FtpCore& ftp, int server = Pyftpdlib);
    // Skips the running test when vsftpd could not start here.
    void requireServer(int server);
    QString rootPath(const QString& name) const { return m_root.filePath(name); }
    QString serverRoot(int server) const { return server == Vsftpd ? m_pVsftpd->root() : m_root.path(); }

    QTemporaryDir m_root;
    QProcess m_server;
    quint16 m_nPort = 0;
    QScopedPointer<TestKit::VsftpdServer> m_pVsftpd;
};

void TestFtpClient::initTestCase()
{
    QVERIFY(m_root.isValid());
    m_nPort = freePort();
    QVERIFY(m_nPort != 0);
    m_server.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_server.start(QStringLiteral("/usr/bin/python3"),
                   {QStringLiteral("-c"), QLatin1String(kPyftpdlibScript), QString::number(m_nPort), m_root.path(),
                    QLatin1String(kUser), QLatin1String(kPassword)});
    QVERIFY2(m_server.waitForStarted(), "python3-pyftpdlib is installed by scripts/install-deps.sh");
    QVERIFY2(waitForPort(m_nPort), "pyftpdlib did not come up");
    m_pVsftpd.reset(new TestKit::VsftpdServer);
}

void TestFtpClient::cleanupTestCase()
{
    m_server.kill();
    m_server.waitForFinished();
    m_pVsftpd.reset();
}

void TestFtpClient::requireServer(int server)
{
    if (server == Vsftpd && !m_pVsftpd->isRunning())
        QSKIP(qPrintable(m_pVsftpd->error()));
}

bool TestFtpClient::connectAndLogin(FtpCore& ftp, int server)
{
    QSignalSpy done(&ftp, SIGNAL(done(bool)));
    if (server == Vsftpd) {
        ftp.connectToHost(QStringLiteral("127.0.0.1"), m_pVsftpd->port());
        ftp.login(QLatin1String(TestKit::VsftpdServer::user()), QLatin1String(TestKit::VsftpdServer::password()));
    } else {
        ftp.connectToHost(QStringLiteral("127.0.0.1"), m_nPort);
        ftp.login(QLatin1String(kUser), QLatin1String(kPassword));
    }
    return done.wait(10000) && !done.at(0).at(0).toBool() && ftp.state() == FtpCore::LoggedIn;
}

void TestFtpClient::testQueueAndListing()
{
    QDir(m_root.path()).mkpath(QStringLiteral("queue"));
    QVERIFY(writeFile(rootPath(QStringLiteral("queue/one.txt")), "1"));

    FtpCore ftp;
    CommandLog log(&ftp);
    QSignalSpy done(&ftp, SIGNAL(done(bool)));
    QCOMPARE(ftp.currentId(), 0);
    QVERIFY(!ftp.hasPendingCommands());
    const int nConnect = ftp.connectToHost(QStringLiteral("127.0.0.1"), m_nPort);
    const int nLogin = ftp.login(QLatin1String(kUser), QLatin1String(kPassword));
    const int nList = ftp.list(QStringLiteral("queue"));
    const int nClose = ftp.close();
    QCOMPARE(nLogin, nConnect + 1);
    QCOMPARE(nList, nConnect + 2);
    QCOMPARE(nClose, nConnect + 3);
    QCOMPARE(ftp.currentId(), nConnect);
    QCOMPARE(ftp.currentCommand(), FtpCore::ConnectToHost);
    QVERIFY(ftp.hasPendingCommands());

    QVERIFY(done.wait(10000));
    QCOMPARE(done.count(), 1);
    QCOMPARE(log.doneErrors, QList<bool>() << false);
    const QList<int> ids = {nConnect, nLogin, nList, nClose};
    QCOMPARE(log.started, ids);
    QCOMPARE(log.finished, ids);
    QCOMPARE(log.failed, QList<bool>() << false << false << false << false);
    QCOMPARE(log.entries.count(), 1);
    QCOMPARE(log.entries.at(0).name(), QStringLiteral("one.txt"));
    // The close ends only once the connection has gone.
    QVERIFY(log.states.contains(FtpCore::Connected));
    QVERIFY(log.states.contains(FtpCore::LoggedIn));
    QVERIFY(log.states.contains(FtpCore::Closing));
    QCOMPARE(log.states.last(), int(FtpCore::Unconnected));
    QCOMPARE(ftp.state(), FtpCore::Unconnected);
    QCOMPARE(ftp.currentId(), 0);
}

void TestFtpClient::testListingMatchesFolder()
{
    QDir root(m_root.path());
    QVERIFY(root.mkpath(QStringLiteral("listing/sub dir")));
    QVERIFY(writeFile(rootPath(QStringLiteral("listing/fresh.bin")), randomBytes(5000)));
    QVERIFY(writeFile(rootPath(QStringLiteral("listing/old archive.tar.gz")), randomBytes(512)));
    QFile old(rootPath(QStringLiteral("listing/old archive.tar.gz")));
    QVERIFY(old.open(QIODevice::ReadWrite));
    QVERIFY(old.setFileTime(QDateTime(QDate(2004, 8, 10), QTime(12, 0), Qt::UTC), QFileDevice::FileModificationTime));
    old.close();
    QVERIFY(old.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup));

    FtpCore ftp;
    QVERIFY(connectAndLogin(ftp));
    CommandLog log(&ftp);
    QSignalSpy done(&ftp, SIGNAL(done(bool)));
    ftp.list(QStringLiteral("listing"));
    QVERIFY(done.wait(10000));
    QCOMPARE(done.at(0).at(0).toBool(), false);

    QMap<QString, UrlInfo> byName;
    for (const UrlInfo& info : qAsConst(log.entries))
        byName.insert(info.name(), info);
    const QFileInfoList files =
        QDir(rootPath(QStringLiteral("listing"))).entryInfoList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
    QCOMPARE(byName.keys().count(), files.count());
    for (const QFileInfo& fileInfo : files) {
        QVERIFY2(byName.contains(fileInfo.fileName()), qPrintable(fileInfo.fileName()));
        const UrlInfo info = byName.value(fileInfo.fileName());
        QCOMPARE(info.isDir(), fileInfo.isDir());
        QCOMPARE(info.isFile(), fileInfo.isFile());
        QVERIFY(!info.isSymLink());
        if (fileInfo.isFile())
            QCOMPARE(info.size(), fileInfo.size());
        // The server lists times in UTC.
        const QDateTime utc = fileInfo.lastModified().toUTC();
        QCOMPARE(info.lastModified().date(), utc.date());
        if (fileInfo.fileName() != QLatin1String("old archive.tar.gz"))
            QCOMPARE(info.lastModified().time().toString(QStringLiteral("hh:mm")),
                     utc.time().toString(QStringLiteral("hh:mm")));
    }
    const UrlInfo archive = byName.value(QStringLiteral("old archive.tar.gz"));
    QCOMPARE(archive.lastModified().date(), QDate(2004, 8, 10));
    QCOMPARE(archive.permissions(), 0640);
    QVERIFY(!archive.isReadable());
    QVERIFY(!archive.isWritable());
    QCOMPARE(archive.size(), qint64(512));
}

void TestFtpClient::testTransfersAndFileCommands_data()
{
    QTest::addColumn<int>("server");
    QTest::addColumn<int>("mode");
    QTest::newRow("pyftpdlib, passive") << int(Pyftpdlib) << int(FtpCore::Passive);
    QTest::newRow("pyftpdlib, active") << int(Pyftpdlib) << int(FtpCore::Active);
    QTest::newRow("vsftpd, passive") << int(Vsftpd) << int(FtpCore::Passive);
    QTest::newRow("vsftpd, active") << int(Vsftpd) << int(FtpCore::Active);
}

void TestFtpClient::testTransfersAndFileCommands()
{
    QFETCH(int, server);
    QFETCH(int, mode);
    requireServer(server);
    const QString folder = mode == FtpCore::Passive ? QStringLiteral("passive") : QStringLiteral("active");
    const QDir root(serverRoot(server));
    const QByteArray small = "hello, server\r\nline two\n";
    const QByteArray large = randomBytes(100 * 1024 + 123);
    const QString largeLocal = QDir(QDir::tempPath()).filePath(QStringLiteral("ftp-upload-%1.bin").arg(folder));
    QVERIFY(writeFile(largeLocal, large));

    FtpCore ftp;
    QVERIFY(connectAndLogin(ftp, server));
    CommandLog log(&ftp);
    QSignalSpy progress(&ftp, SIGNAL(dataTransferProgress(qint64, qint64)));
    QSignalSpy done(&ftp, SIGNAL(done(bool)));

    QFile upload(largeLocal);
    QBuffer download;
    download.open(QIODevice::WriteOnly);
    ftp.setTransferMode(FtpCore::TransferMode(mode));
    ftp.mkdir(folder);
    ftp.cd(folder);
    ftp.put(small, QStringLiteral("small.txt"));
    ftp.put(&upload, QStringLiteral("large.bin"));
    ftp.get(QStringLiteral("large.bin"), &download);
    ftp.rename(QStringLiteral("small.txt"), QStringLiteral("renamed.txt"));
    ftp.mkdir(QStringLiteral("gone"));
    ftp.rmdir(QStringLiteral("gone"));
    ftp.list();
    QVERIFY(done.wait(20000));
    QCOMPARE(log.doneErrors, QList<bool>() << false);
    QVERIFY2(!log.failed.contains(true), qPrintable(ftp.errorString()));

    QCOMPARE(readFile(root.filePath(folder + QStringLiteral("/renamed.txt"))), small);
    QVERIFY(!QFile::exists(root.filePath(folder + QStringLiteral("/small.txt"))));
    QCOMPARE(readFile(root.filePath(folder + QStringLiteral("/large.bin"))), large);
    QCOMPARE(download.data(), large);
    QVERIFY(!QFileInfo::exists(root.filePath(folder + QStringLiteral("/gone"))));
    QStringList names;
    for (const UrlInfo& info : qAsConst(log.entries))
        names << info.name();
    names.sort();
    QCOMPARE(names, QStringList() << QStringLiteral("large.bin") << QStringLiteral("renamed.txt"));

    // The download reported its size from SIZE and ended at the full count.
    bool bSawFullDownload = false;
    for (const QList<QVariant>& report : qAsConst(progress))
        bSawFullDownload |= report.at(0).toLongLong() == large.size() && report.at(1).toLongLong() == large.size();
    QVERIFY(bSawFullDownload);

    done.clear();
    log.failed.clear();
    ftp.remove(QStringLiteral("renamed.txt"));
    ftp.remove(QStringLiteral("large.bin"));
    QVERIFY(done.wait(10000));
    QCOMPARE(log.failed, QList<bool>() << false << false);
    QVERIFY(QDir(root.filePath(folder)).entryList(QDir::AllEntries | QDir::NoDotAndDotDot).isEmpty());
    QFile::remove(largeLocal);
}

void TestFtpClient::testUtf8Names_data()
{
    QTest::addColumn<int>("server");
    QTest::newRow("pyftpdlib") << int(Pyftpdlib);
    QTest::newRow("vsftpd") << int(Vsftpd);
}

void TestFtpClient::testUtf8Names()
{
    QFETCH(int, server);
    requireServer(server);
    const QString folder = QString::fromUtf8("Ordner ♫");
    const QString name = QString::fromUtf8("Grüße 音楽.bin");
    const QByteArray payload = randomBytes(30000);
    FtpCore ftp;
    QVERIFY(connectAndLogin(ftp, server));
    CommandLog log(&ftp);
    QSignalSpy done(&ftp, SIGNAL(done(bool)));
    QBuffer back;
    back.open(QIODevice::WriteOnly);
    ftp.mkdir(folder);
    ftp.cd(folder);
    ftp.put(payload, name);
    ftp.get(name, &back);
    ftp.list();
    QVERIFY(done.wait(20000));
    QVERIFY2(!done.at(0).at(0).toBool(), qPrintable(ftp.errorString()));
    QCOMPARE(readFile(QDir(serverRoot(server)).filePath(folder + QLatin1Char('/') + name)), payload);
    QCOMPARE(back.data(), payload);
    QCOMPARE(log.entries.count(), 1);
    QCOMPARE(log.entries.at(0).name(), name);
}

void TestFtpClient::testUtf8FirstListing_data() { testUtf8Names_data(); }

// A fresh session lists the names as the server has them and can use them at once.
void TestFtpClient::testUtf8FirstListing()
{
    QFETCH(int, server);
    requireServer(server);
    const QString folder = QString::fromUtf8("Ünïcødé 日本語");
    const QString file = QString::fromUtf8("Grüße ♫.bin");
    const QByteArray payload = randomBytes(20000);
    const QDir root(serverRoot(server));
    QVERIFY(root.mkpath(QStringLiteral("fresh/") + folder));
    QVERIFY(writeFile(root.filePath(QStringLiteral("fresh/") + folder + QLatin1Char('/') + file), payload));
    const bool bVsftpd = server == Vsftpd;
    FtpClient client;
    client.connectToHost(QStringLiteral("127.0.0.1"), bVsftpd ? m_pVsftpd->port() : m_nPort);
    client.login(QLatin1String(bVsftpd ? TestKit::VsftpdServer::user() : kUser),
                 QLatin1String(bVsftpd ? TestKit::VsftpdServer::password() : kPassword));
    const QList<UrlInfo> entries = client.dirEntry(QStringLiteral("fresh"));
    QCOMPARE(entries.count(), 1);
    QCOMPARE(entries.at(0).name(), folder);
    client.cd(QStringLiteral("fresh/") + entries.at(0).name());
    QBuffer back;
    back.open(QIODevice::WriteOnly);
    client.get(file, &back);
    QVERIFY2(client.ftpDevice()->error() == FtpCore::NoError, qPrintable(client.ftpDevice()->errorString()));
    QCOMPARE(back.data(), payload);
}

// vsftpd takes the upload at 1 MB/s, for longer than the reply timeout, which only the server's silence may use up.
void TestFtpClient::testSlowUpload()
{
    TestKit::VsftpdServer slow(1024 * 1024);
    if (!slow.isRunning())
        QSKIP(qPrintable(slow.error()));
    QTemporaryDir local;
    const QByteArray payload = randomBytes(4 * 1024 * 1024);
    QVERIFY(writeFile(local.filePath(QStringLiteral("source.bin")), payload));
    QFile source(local.filePath(QStringLiteral("source.bin")));
    FtpClient client;
    client.ftpDevice()->setReplyTimeout(2000);
    client.connectToHost(QStringLiteral("127.0.0.1"), slow.port());
    client.login(QLatin1String(TestKit::VsftpdServer::user()), QLatin1String(TestKit::VsftpdServer::password()));
    client.put(&source, QStringLiteral("slow.bin"));
    QVERIFY2(client.ftpDevice()->error() == FtpCore::NoError, qPrintable(client.ftpDevice()->errorString()));
    QCOMPARE(readFile(slow.path(QStringLiteral("slow.bin"))), payload);
}

void TestFtpClient::testDownloadWithoutDevice()
{
    const QByteArray payload = randomBytes(70000);
    QVERIFY(writeFile(rootPath(QStringLiteral("plain.bin")), payload));
    FtpCore ftp;
    QVERIFY(connectAndLogin(ftp));
    QByteArray received;
    connect(&ftp, &FtpCore::readyRead, this, [&] { received += ftp.readAll(); });
    QSignalSpy done(&ftp, SIGNAL(done(bool)));
    ftp.get(QStringLiteral("plain.bin"));
    QVERIFY(done.wait(10000));
    QCOMPARE(done.at(0).at(0).toBool(), false);
    received += ftp.readAll();
    QCOMPARE(received.size(), payload.size());
    QCOMPARE(received, payload);
}

void TestFtpClient::testSequentialUpload()
{
    const QByteArray payload = randomBytes(90000);
    const QString source = QDir(QDir::tempPath()).filePath(QStringLiteral("ftp-sequential.bin"));
    QVERIFY(writeFile(source, payload));
    FtpCore ftp;
    QVERIFY(connectAndLogin(ftp));
    QProcess cat;
    // The source delivers its bytes only after the upload has started.
    cat.start(QStringLiteral("/bin/sh"), {QStringLiteral("-c"), QStringLiteral("sleep 0.5; cat \"$0\""), source});
    QVERIFY(cat.waitForStarted());
    QVERIFY(cat.isSequential());
    QSignalSpy done(&ftp, SIGNAL(done(bool)));
    ftp.put(&cat, QStringLiteral("sequential.bin"));
    QVERIFY(done.wait(20000));
    QVERIFY2(!done.at(0).at(0).toBool(), qPrintable(ftp.errorString()));
    QCOMPARE(readFile(rootPath(QStringLiteral("sequential.bin"))), payload);
    cat.waitForFinished();
    QFile::remove(source);
}

void TestFtpClient::testUnreadableUploadSource()
{
    // Nothing is sent: the remote file keeps its content, and the command ends at once instead of waiting for data.
    QVERIFY(writeFile(rootPath(QStringLiteral("keep.txt")), "precious"));
    FtpCore ftp;
    QVERIFY(connectAndLogin(ftp));
    CommandLog log(&ftp);
    QSignalSpy done(&ftp, SIGNAL(done(bool)));
    QFile missing(QDir(m_root.path()).filePath(QStringLiteral("no-such-local-file")));
    ftp.setTransferMode(FtpCore::Active);
    ftp.put(&missing, QStringLiteral("keep.txt"));
    QVERIFY(done.wait(10000));
    QCOMPARE(log.failed, QList<bool>() << false << true);
    QVERIFY2(ftp.errorString().startsWith(QStringLiteral("Uploading file failed:\n")), qPrintable(ftp.errorString()));
    QCOMPARE(readFile(rootPath(QStringLiteral("keep.txt"))), QByteArray("precious"));
}

void TestFtpClient::testDeviceFailures_data()
{
    QTest::addColumn<bool>("download");
    QTest::addColumn<int>("server");
    QTest::newRow("download") << true << int(Pyftpdlib);
    QTest::newRow("upload") << false << int(Pyftpdlib);
    QTest::newRow("upload, vsftpd") << false << int(Vsftpd);
}

void TestFtpClient::testDeviceFailures()
{
    QFETCH(bool, download);
    QFETCH(int, server);
    requireServer(server);
    QVERIFY(writeFile(rootPath(QStringLiteral("sizable.bin")), randomBytes(300000)));
    FtpCore ftp;
    QVERIFY(connectAndLogin(ftp, server));
    FailingDevice device;
    QSignalSpy done(&ftp, SIGNAL(done(bool)));
    if (download)
        ftp.get(QStringLiteral("sizable.bin"), &device);
    else
        ftp.put(&device, QStringLiteral("cut.bin"));
    QVERIFY(done.wait(10000));
    QCOMPARE(done.at(0).at(0).toBool(), true);
    QVERIFY2(ftp.errorString().contains(QStringLiteral("Input/output error")), qPrintable(ftp.errorString()));
    // The cut upload must not end as a whole one would: vsftpd deletes it as failed.
    if (server == Vsftpd)
        QTRY_VERIFY(!QFileInfo::exists(QDir(serverRoot(server)).filePath(QStringLiteral("cut.bin"))));

    // The connection serves the next command.
    done.clear();
    ftp.cd(QStringLiteral("/"));
    QVERIFY(done.wait(10000));
    QCOMPARE(done.at(0).at(0).toBool(), false);
}

void TestFtpClient::testDestroyWhileBusy()
{
    QVERIFY(writeFile(rootPath(QStringLiteral("big.bin")), randomBytes(8 * 1024 * 1024)));
    auto* pFtp = new FtpCore;
    QVERIFY(connectAndLogin(*pFtp));
    QBuffer sink;
    sink.open(QIODevice::WriteOnly);
    QSignalSpy progress(pFtp, SIGNAL(dataTransferProgress(qint64, qint64)));
    pFtp->get(QStringLiteral("big.bin"), &sink);
    QTRY_VERIFY(sink.size() > 0);
    delete pFtp;
    QTest::qWait(50);

    // The server is still there for the next client.
    FtpCore next;
    QVERIFY(connectAndLogin(next));
}

void TestFtpClient::testFailedCdDropsQueue()
{
    FtpCore ftp;
    QVERIFY(connectAndLogin(ftp));
    CommandLog log(&ftp);
    QSignalSpy done(&ftp, SIGNAL(done(bool)));
    const int nCd = ftp.cd(QStringLiteral("no-such-folder"));
    const int nList = ftp.list();
    QVERIFY(done.wait(10000));
    QCOMPARE(log.doneErrors, QList<bool>() << true);
    QCOMPARE(log.started, QList<int>() << nCd);
    QCOMPARE(log.finished, QList<int>() << nCd);
    QCOMPARE(log.failed, QList<bool>() << true);
    QVERIFY(!log.started.contains(nList));
    QCOMPARE(ftp.error(), FtpCore::UnknownError);
    QVERIFY2(ftp.errorString().startsWith(QStringLiteral("Changing directory failed:\n")),
             qPrintable(ftp.errorString()));
    QVERIFY(ftp.errorString().length() > int(qstrlen("Changing directory failed:\n")));

    // The connection stays usable.
    done.clear();
    log.failed.clear();
    ftp.cd(QStringLiteral("/"));
    QVERIFY(done.wait(10000));
    QCOMPARE(log.failed, QList<bool>() << false);
}

void TestFtpClient::testMissingFileAndRawCommand()
{
    FtpCore ftp;
    QVERIFY(connectAndLogin(ftp));
    CommandLog log(&ftp);
    QSignalSpy done(&ftp, SIGNAL(done(bool)));
    QSignalSpy raw(&ftp, SIGNAL(rawCommandReply(int, QString)));

    QBuffer sink;
    sink.open(QIODevice::WriteOnly);
    ftp.get(QStringLiteral("missing.bin"), &sink);
    QVERIFY(done.wait(10000));
    QCOMPARE(log.doneErrors, QList<bool>() << true);
    QVERIFY2(ftp.errorString().startsWith(QStringLiteral("Downloading file failed:\n")), qPrintable(ftp.errorString()));

    done.clear();
    ftp.rawCommand(QStringLiteral("  PWD  "));
    QVERIFY(done.wait(10000));
    QCOMPARE(done.at(0).at(0).toBool(), false);
    QCOMPARE(raw.count(), 1);
    QCOMPARE(raw.at(0).at(0).toInt(), 257);
    QVERIFY(raw.at(0).at(1).toString().contains(QLatin1String("\"/\"")));

    done.clear();
    ftp.remove(QStringLiteral("missing.bin"));
    QVERIFY(done.wait(10000));
    QCOMPARE(done.at(0).at(0).toBool(), true);
    QVERIFY(ftp.errorString().startsWith(QStringLiteral("Removing file failed:\n")));
}

void TestFtpClient::testLocalCommands()
{
    FtpCore ftp;
    CommandLog log(&ftp);
    QSignalSpy done(&ftp, SIGNAL(done(bool)));
    const int nMode = ftp.setTransferMode(FtpCore::Active);
    const int nProxy = ftp.setProxy(QStringLiteral("proxy.invalid"), 2121);
    QVERIFY(done.wait(5000));
    QCOMPARE(log.started, QList<int>() << nMode << nProxy);
    QCOMPARE(log.failed, QList<bool>() << false << false);
    QCOMPARE(log.doneErrors, QList<bool>() << false);
    QVERIFY(log.states.isEmpty());

    // Commands that need the server fail at once without a connection.
    done.clear();
    ftp.cd(QStringLiteral("x"));
    QVERIFY(done.wait(5000));
    QCOMPARE(done.at(0).at(0).toBool(), true);
    QCOMPARE(ftp.error(), FtpCore::NotConnected);
    QCOMPARE(ftp.errorString(), QStringLiteral("Changing directory failed:\nNot connected"));
}

void TestFtpClient::testBlockingClient_data()
{
    QTest::addColumn<bool>("cdWhileLoginWaits");
    QTest::newRow("one call after another") << false;
    QTest::newRow("a cd made while login waits is refused") << true;
}

void TestFtpClient::testBlockingClient()
{
    QFETCH(bool, cdWhileLoginWaits);
    QDir(m_root.path()).mkpath(QStringLiteral("blocking"));
    FtpClient client;
    QSignalSpy percent(&client, SIGNAL(progressPercent(int)));
    QSignalSpy finished(&client, SIGNAL(done(bool)));
    // Queued, the failing cd would end the session's queue with done(true).
    int nNestedCd = 0;
    if (cdWhileLoginWaits) {
        QTest::ignoreMessage(QtWarningMsg, "FtpClient: refused a waiting call made while another one waits");
        QTimer::singleShot(0, &client, [&] { nNestedCd = client.cd(QStringLiteral("no-such-folder")); });
    }
    client.connectToHost(QStringLiteral("127.0.0.1"), m_nPort);
    client.login(QLatin1String(kUser), QLatin1String(kPassword));
    QCOMPARE(client.state(), FtpCore::LoggedIn);
    if (cdWhileLoginWaits)
        QCOMPARE(nNestedCd, -1);
    client.cd(QStringLiteral("blocking"));
    const QByteArray payload = randomBytes(40000);
    client.put(payload, QStringLiteral("up.bin"));
    QCOMPARE(readFile(rootPath(QStringLiteral("blocking/up.bin"))), payload);
    QVERIFY(!percent.isEmpty());
    QCOMPARE(percent.last().at(0).toInt(), 100);

    QBuffer back;
    back.open(QIODevice::WriteOnly);
    client.get(QStringLiteral("up.bin"), &back);
    QCOMPARE(back.data(), payload);

    const QList<UrlInfo> entries = client.dirEntry();
    QCOMPARE(entries.count(), 1);
    QCOMPARE(entries.at(0).name(), QStringLiteral("up.bin"));
    QCOMPARE(entries.at(0).size(), qint64(payload.size()));
    client.cd(QStringLiteral(".."));
    QVERIFY(!client.dirEntry().isEmpty());
    for (const QList<QVariant>& report : qAsConst(finished))
        QCOMPARE(report.at(0).toBool(), false);

    percent.clear();
    client.slotReadProgress(50, 200);
    QCOMPARE(percent.count(), 1);
    QCOMPARE(percent.at(0).at(0).toInt(), 25);
    client.slotReadProgress(0, 0);
    QCOMPARE(percent.at(1).at(0).toInt(), 0);
    client.close();
    QCOMPARE(client.state(), FtpCore::Unconnected);
}

void TestFtpClient::testBlockingClientFailedConnect()
{
    FtpClient client;
    QSignalSpy finished(&client, SIGNAL(done(bool)));
    client.connectToHost(QStringLiteral("127.0.0.1"), freePort());
    const QList<UrlInfo> entries = client.dirEntry();
    QVERIFY(entries.isEmpty());
    QCOMPARE(finished.count(), 1);
    QCOMPARE(finished.at(0).at(0).toBool(), true);
    QCOMPARE(client.ftpDevice()->error(), FtpCore::ConnectionRefused);
    QVERIFY(client.ftpDevice()->errorString().startsWith(QStringLiteral("Connecting to host failed:\n")));
}

TRELVANIC_TEST_MAIN(TestFtpClient)
#include "tst_ftpclient.moc"
