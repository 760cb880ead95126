// Single-instance check across two processes: this executable runs itself again as the second instance.
#include "TestMain.h"

#include <QMRequest/SingleAppCheck.h>

#include <QCoreApplication>
#include <QLocalSocket>
#include <QProcess>
#include <QSharedMemory>
#include <QSignalSpy>

#include <cstdio>
#include <cstdlib>

using QMRequest::SingleAppCheck;

namespace {

const char* const kChildKey = "SINGLEAPP_CHILD_KEY";
const char* const kChildMessage = "SINGLEAPP_CHILD_MESSAGE_HEX";

// Second-instance mode: prints "running=R sent=S" and exits before the test suite starts.
void runAsSecondInstance()
{
    if (!qEnvironmentVariableIsSet(kChildKey))
        return;
    static int argc = 1;
    static char name[] = "second";
    static char* argv[] = {name, nullptr};
    int nExit = 0;
    {
        QCoreApplication app(argc, argv);
        SingleAppCheck check(qEnvironmentVariable(kChildKey));
        const QByteArray utf8 = QByteArray::fromHex(qgetenv(kChildMessage));
        const bool bSent = check.sendMessage(QString::fromUtf8(utf8.constData(), utf8.size()));
        std::printf("running=%d sent=%d\n", check.isRunning() ? 1 : 0, bSent ? 1 : 0);
        std::fflush(stdout);
        nExit = bSent ? 0 : 1;
    }
    std::exit(nExit);
}

Q_CONSTRUCTOR_FUNCTION(runAsSecondInstance)

QString uniqueKey()
{
    static int sn = 0;
    return QStringLiteral("trelvanic-sia-%1-%2").arg(QCoreApplication::applicationPid()).arg(++sn);
}

} // namespace

class TestSingleInstance : public QObject
{
    Q_OBJECT

private slots:
    void testFirstInstance();
    void testMessageFromSecondProcess_data();
    void testMessageFromSecondProcess();
    void testStaleMarker();
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
    QTest::addColumn<QString>("expected");
    QTest::newRow("paths") << QStringLiteral("/tmp/a.wav\n/tmp/b.flac") << QStringLiteral("/tmp/a.wav\n/tmp/b.flac");
    QTest::newRow("non-ascii") << QString::fromUtf8("Grüße – 音楽 ♫") << QString::fromUtf8("Grüße – 音楽 ♫");
    QTest::newRow("zero cuts") << QString::fromUtf8("before\0after", 12) << QStringLiteral("before");
}

void TestSingleInstance::testMessageFromSecondProcess()
{
    QFETCH(QString, message);
    QFETCH(QString, expected);
    const QString key = uniqueKey();
    SingleAppCheck first(key);
    QVERIFY(!first.isRunning());
    QSignalSpy received(&first, SIGNAL(messageAvailable(QString)));

    QProcess second;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QLatin1String(kChildKey), key);
    env.insert(QLatin1String(kChildMessage), QString::fromLatin1(message.toUtf8().toHex()));
    second.setProcessEnvironment(env);
    second.start(QCoreApplication::applicationFilePath(), QStringList());
    QVERIFY(second.waitForStarted());
    QVERIFY(second.waitForFinished(20000));
    QCOMPARE(QString::fromLatin1(second.readAllStandardOutput()).trimmed(), QStringLiteral("running=1 sent=1"));
    QCOMPARE(second.exitCode(), 0);

    QTRY_COMPARE(received.count(), 1);
    QCOMPARE(received.at(0).at(0).toString(), expected);
}

void TestSingleInstance::testStaleMarker()
{
    // A segment left behind without a listening first instance.
    const QString key = uniqueKey();
    QSharedMemory stale(key);
    QVERIFY(stale.create(1));
    SingleAppCheck second(key);
    QVERIFY(second.isRunning());
    QVERIFY(!second.sendMessage(QStringLiteral("lost")));
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
    SingleAppCheck second(key);
    QVERIFY(second.sendMessage(QStringLiteral("after the silent one")));
    QTRY_COMPARE(received.count(), 1);
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
    QSignalSpy received(&again, SIGNAL(messageAvailable(QString)));
    SingleAppCheck other(key);
    QVERIFY(other.isRunning());
    QVERIFY(other.sendMessage(QStringLiteral("same process")));
    QTRY_COMPARE(received.count(), 1);
    QCOMPARE(received.at(0).at(0).toString(), QStringLiteral("same process"));
}

TRELVANIC_TEST_MAIN(TestSingleInstance)
#include "tst_singleinstance.moc"
