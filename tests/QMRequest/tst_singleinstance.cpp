// Single-instance check across real processes: this executable runs itself again as a first or second instance.
#include "TestMain.h"

#include <QMRequest/SingleAppCheck.h>

#include <QCoreApplication>
#include <QLocalServer>
#include <QLocalSocket>
#include <QProcess>
#include <QSharedMemory>
#include <QSignalSpy>

#include <cstdio>
#include <cstdlib>

using QMRequest::SingleAppCheck;

namespace {

const char* const kChildKey = "SINGLEAPP_CHILD_KEY";
const char* const kChildRole = "SINGLEAPP_CHILD_ROLE";
const char* const kChildMessage = "SINGLEAPP_CHILD_MESSAGE_HEX";
const char* const kChildLength = "SINGLEAPP_CHILD_LENGTH";

// The pattern repeated up to length characters (the pattern itself when length is 0).
QString repeatedTo(const QString& pattern, int length)
{
    return length > 0 ? pattern.repeated(length / pattern.size() + 1).left(length) : pattern;
}

// Child mode, before the test suite starts. "first": holds the key and prints "first running=R" until killed;
// otherwise sends the message and prints "running=R sent=S".
void runAsChild()
{
    if (!qEnvironmentVariableIsSet(kChildKey))
        return;
    static int argc = 1;
    static char name[] = "child";
    static char* argv[] = {name, nullptr};
    int nExit = 0;
    {
        QCoreApplication app(argc, argv);
        SingleAppCheck check(qEnvironmentVariable(kChildKey));
        if (qgetenv(kChildRole) == "first") {
            std::printf("first running=%d\n", check.isRunning() ? 1 : 0);
            std::fflush(stdout);
            app.exec();
        }
        const QByteArray utf8 = QByteArray::fromHex(qgetenv(kChildMessage));
        const QString message =
            repeatedTo(QString::fromUtf8(utf8.constData(), utf8.size()), qEnvironmentVariableIntValue(kChildLength));
        const bool bSent = check.sendMessage(message);
        std::printf("running=%d sent=%d\n", check.isRunning() ? 1 : 0, bSent ? 1 : 0);
        std::fflush(stdout);
        nExit = bSent ? 0 : 1;
    }
    std::exit(nExit);
}

Q_CONSTRUCTOR_FUNCTION(runAsChild)

QString uniqueKey()
{
    static int sn = 0;
    return QStringLiteral("trelvanic-sia-%1-%2").arg(QCoreApplication::applicationPid()).arg(++sn);
}

void startChild(QProcess& child, const QString& key, const QByteArray& role, const QString& message = QString(),
                int length = 0)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QLatin1String(kChildKey), key);
    env.insert(QLatin1String(kChildRole), QString::fromLatin1(role));
    env.insert(QLatin1String(kChildMessage), QString::fromLatin1(message.toUtf8().toHex()));
    env.insert(QLatin1String(kChildLength), QString::number(length));
    if (!env.contains(QStringLiteral("ASAN_OPTIONS")))
        env.insert(QStringLiteral("ASAN_OPTIONS"), QStringLiteral("detect_leaks=0"));
    child.setProcessEnvironment(env);
    child.start(QCoreApplication::applicationFilePath(), QStringList());
}

// Runs a second instance that sends the message; the event loop keeps running so the first can answer.
QString sendFromChild(const QString& key, const QString& message, int length = 0)
{
    QProcess second;
    QSignalSpy finished(&second, SIGNAL(finished(int, QProcess::ExitStatus)));
    startChild(second, key, "send", message, length);
    if (!second.waitForStarted() || !finished.wait(30000))
        return QStringLiteral("no result");
    return QString::fromLatin1(second.readAllStandardOutput()).trimmed();
}

} // namespace

class TestSingleInstance : public QObject
{
    Q_OBJECT

private slots:
    void testFirstInstance();
    void testMessageFromSecondProcess_data();
    void testMessageFromSecondProcess();
    void testNoReceiptIsNoSuccess();
    void testKilledFirstIsTakenOver();
    void testSilentConnection();
    void testSegmentFreedWithObject();
};

void TestSingleInstance::testFirstInstance()
{
    SingleAppCheck first(uniqueKey());
    QVERIFY(!first.isRunning());
    QVERIFY(!first.sendMessage(QStringLiteral("nobody listens")));
}

void TestSingleInstance::testMessageFromSecondProcess_data()
{
    QTest::addColumn<QString>("message");
    QTest::addColumn<int>("length");
    QTest::addColumn<QString>("expected");
    QTest::newRow("paths") << QStringLiteral("/tmp/a.wav\n/tmp/b.flac") << 0
                           << QStringLiteral("/tmp/a.wav\n/tmp/b.flac");
    QTest::newRow("non-ascii") << QString::fromUtf8("Grüße – 音楽 ♫") << 0 << QString::fromUtf8("Grüße – 音楽 ♫");
    QTest::newRow("zero cuts") << QString::fromUtf8("before\0after", 12) << 0 << QStringLiteral("before");
    const QString pattern = QString::fromUtf8("/music/Grüße ♫ 0123456789\n");
    QTest::newRow("2,000,000 characters") << pattern << 2000000 << repeatedTo(pattern, 2000000);
}

void TestSingleInstance::testMessageFromSecondProcess()
{
    QFETCH(QString, message);
    QFETCH(int, length);
    QFETCH(QString, expected);
    const QString key = uniqueKey();
    SingleAppCheck first(key);
    QVERIFY(!first.isRunning());
    QSignalSpy received(&first, SIGNAL(messageAvailable(QString)));
    QCOMPARE(sendFromChild(key, message, length), QStringLiteral("running=1 sent=1"));
    QCOMPARE(received.count(), 1);
    const QString got = received.at(0).at(0).toString();
    QCOMPARE(got.size(), expected.size());
    QVERIFY(got == expected);
}

void TestSingleInstance::testNoReceiptIsNoSuccess()
{
    // A listener under the key that takes the bytes but never confirms them.
    const QString key = uniqueKey();
    QSharedMemory marker(key);
    QVERIFY(marker.create(1));
    QLocalServer server;
    QLocalServer::removeServer(key);
    QVERIFY(server.listen(key));
    connect(&server, &QLocalServer::newConnection, this, [&] {
        QLocalSocket* pSocket = server.nextPendingConnection();
        connect(pSocket, &QLocalSocket::readyRead, pSocket, [pSocket] { pSocket->readAll(); });
    });
    QCOMPARE(sendFromChild(key, QStringLiteral("lost")), QStringLiteral("running=1 sent=0"));
}

void TestSingleInstance::testKilledFirstIsTakenOver()
{
    const QString key = uniqueKey();
    QProcess first;
    startChild(first, key, "first");
    QVERIFY(first.waitForStarted());
    QTRY_VERIFY_WITH_TIMEOUT(first.canReadLine(), 20000);
    QCOMPARE(QString::fromLatin1(first.readLine()).trimmed(), QStringLiteral("first running=0"));
    first.kill();
    QVERIFY(first.waitForFinished(10000));
    QCOMPARE(first.exitStatus(), QProcess::CrashExit);

    // The next start finds the marker and socket of the killed one and becomes the first.
    SingleAppCheck next(key);
    QVERIFY(!next.isRunning());
    QSignalSpy received(&next, SIGNAL(messageAvailable(QString)));
    QCOMPARE(sendFromChild(key, QStringLiteral("after the takeover")), QStringLiteral("running=1 sent=1"));
    QCOMPARE(received.count(), 1);
    QCOMPARE(received.at(0).at(0).toString(), QStringLiteral("after the takeover"));
}

void TestSingleInstance::testSilentConnection()
{
    const QString key = uniqueKey();
    SingleAppCheck first(key);
    QSignalSpy received(&first, SIGNAL(messageAvailable(QString)));
    QLocalSocket silent;
    silent.connectToServer(key);
    QVERIFY(silent.waitForConnected(1000));
    // The first instance gives up after its wait and keeps serving later senders.
    QTest::qWait(1300);
    QCOMPARE(received.count(), 0);
    QCOMPARE(sendFromChild(key, QStringLiteral("after the silent one")), QStringLiteral("running=1 sent=1"));
    QCOMPARE(received.count(), 1);
    QCOMPARE(received.at(0).at(0).toString(), QStringLiteral("after the silent one"));
}

void TestSingleInstance::testSegmentFreedWithObject()
{
    const QString key = uniqueKey();
    {
        SingleAppCheck first(key);
        QVERIFY(!first.isRunning());
        SingleAppCheck second(key);
        QVERIFY(second.isRunning());
    }
    SingleAppCheck again(key);
    QVERIFY(!again.isRunning());
    SingleAppCheck other(key);
    QVERIFY(other.isRunning());
}

TRELVANIC_TEST_MAIN(TestSingleInstance)
#include "tst_singleinstance.moc"
