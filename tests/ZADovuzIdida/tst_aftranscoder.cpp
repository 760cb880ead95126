#include "MediaTestKit.h"
#include "TestMain.h"

#include <ZADovuzIdida/AFTransCoder.h>
#include <ZADovuzIdida/CoreLender.h>
#include <ZADovuzIdida/NativeAudioTools.h>
#include <ZADovuzIdida/ProcessGroups.h>
#include <afconvert/EncodeParts.h>

#include <QRegularExpression>
#include <QTemporaryDir>

#include <algorithm>
#include <atomic>
#include <thread>

using namespace ZADovuzIdida;

namespace {

// Lends up to a number of cores at a time and counts them.
class CountingLender : public CoreLender
{
public:
    explicit CountingLender(int nMost) : m_nMost(nMost) {}
    bool lend() override
    {
        if (nHeld >= m_nMost)
            return false;
        ++nHeld;
        ++nLent;
        return true;
    }
    void giveBack(int nCores) override { nHeld -= nCores; }

    std::atomic<int> nHeld{0};
    std::atomic<int> nLent{0};

private:
    const int m_nMost;
};

} // namespace

class TestAFTransCoder : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QByteArray m_baPath;

    QString path(const QString& name) const { return m_dir.filePath(name); }

private slots:
    // A stand-in afconvert first on PATH records its arguments, each ended by a NUL.
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        m_baPath = qgetenv("PATH");
        QVERIFY(MediaKit::writeFile(
            path("fake/afconvert"),
            "#!/bin/bash\nfor a in \"$@\"; do printf '%s\\0' \"$a\"; done > \"$AFCONVERT_RECORD\"\n"));
        QVERIFY(QFile::setPermissions(path("fake/afconvert"), QFile::ReadOwner | QFile::ExeOwner));
        qputenv("AFCONVERT_RECORD", path("args").toLocal8Bit());
    }

    void cleanup() { qputenv("PATH", m_baPath); }

    void testDescriptions()
    {
        AFTransCoder coder;
        QCOMPARE(coder.format(), QString("m4af"));
        QCOMPARE(coder.formatDescription(), QString("Apple MPEG-4 Audio"));
        QCOMPARE(coder.extensions(), QStringList({"m4a", "m4r"}));
        QCOMPARE(coder.dataFormats(), QStringList({"aac ", "aace", "aacf", "aacg", "aach", "aacl", "aacp", "ac-3",
                                                   "alac", "ec-3", "paac", "pac3", "pec3"}));
    }

    void testArguments_data()
    {
        QTest::addColumn<QString>("input");
        QTest::addColumn<QString>("output");
        QTest::addColumn<int>("quality");
        QTest::addColumn<int>("bitrate");
        QTest::addColumn<int>("parts");
        QTest::newRow("defaults") << "/tmp/in.wav"
                                  << "/tmp/out.m4a" << -1 << -1 << -1;
        QTest::newRow("blanks") << "/tmp/my folder/a b.wav"
                                << "/tmp/other folder/c d.m4a" << 0 << 16000 << -1;
        QTest::newRow("quotes") << "/tmp/say \"hi\".wav"
                                << "/tmp/it's \"here\".m4a" << 64 << 256000 << -1;
        QTest::newRow("unicode") << QString::fromUtf8("/tmp/Ünïcødé ♪.wav") << "/tmp/out.m4a" << 127 << 320000 << -1;
        QTest::newRow("one part") << "/tmp/in.wav"
                                  << "/tmp/out.m4a" << -1 << -1 << 1;
        QTest::newRow("six parts") << "/tmp/in.wav"
                                   << "/tmp/out.m4a" << -1 << -1 << 6;
        QTest::newRow("parts above the bound") << "/tmp/in.wav"
                                               << "/tmp/out.m4a" << -1 << -1 << EncodeParts::kMaxParts + 1;
    }

    // The tool gets input, -o, output, -q, quality, -b, bit rate, -f m4af, -d aac, each intact, and a part count only
    // above one.
    void testArguments()
    {
        QFETCH(QString, input);
        QFETCH(QString, output);
        QFETCH(int, quality);
        QFETCH(int, bitrate);
        QFETCH(int, parts);
        qputenv("PATH", (path("fake") + ":").toLocal8Bit() + m_baPath);
        AFTransCoder coder;
        if (quality >= 0)
            coder.setQuality(quality);
        if (bitrate >= 0)
            coder.setBitrate(bitrate);
        if (parts >= 0)
            coder.setParts(parts);
        if (parts > 1)
            QTest::ignoreMessage(QtDebugMsg,
                                 QRegularExpression("^COMMAND: afconvert .* --parts " +
                                                    QString::number(std::min(parts, EncodeParts::kMaxParts)) + "$"));
        coder.convert(input, output);
        QList<QByteArray> entries = MediaKit::readAll(path("args")).split('\0');
        QVERIFY(QFile::remove(path("args")));
        entries.removeLast();
        QStringList args;
        for (const QByteArray& entry : entries)
            args << QString::fromUtf8(entry);
        const QString q = QString::number(quality >= 0 ? quality : 127);
        const QString b = QString::number(bitrate >= 0 ? bitrate : 128000);
        const QString bounded = QString::number(std::min(parts, EncodeParts::kMaxParts));
        const QStringList split = parts > 1 ? QStringList{"--parts", bounded} : QStringList();
        QCOMPARE(args, QStringList({input, "-o", output, "-q", q, "-b", b, "-f", "m4af", "-d", "aac"}) + split);
    }

    void testDecodedPeak_data()
    {
        QTest::addColumn<QString>("said"); // the tool's standard output, in pieces a little apart
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<float>("peak");
        QTest::addColumn<float>("passed");
        QTest::newRow("told among other messages") << "p|w|k1.146|86751\\n|r" << 0 << 1.14686751f << -1.0f;
        QTest::newRow("told by a tool that failed") << "p|k0.875\\n" << 3 << -1.0f << -1.0f;
        QTest::newRow("none told") << "p" << 0 << -1.0f << -1.0f;
        QTest::newRow("cut short") << "p|k0.875" << 0 << -1.0f << -1.0f;
        QTest::newRow("not a number") << "p|knan\\n" << 0 << -1.0f << -1.0f;
        QTest::newRow("passed the stop level") << "p|w|a1.01|5\\n" << 5 << -1.0f << 1.015f;
        QTest::newRow("passed, by a tool that ended well") << "p|a1.015\\n" << 0 << -1.0f << -1.0f;
        QTest::newRow("passed, by a tool that failed otherwise") << "p|a1.015\\n" << 3 << -1.0f << -1.0f;
        QTest::newRow("a peak, by a tool that passed") << "p|k1.015\\n" << 5 << -1.0f << -1.0f;
    }

    // Asked for, the peak is what the tool told, exactly, and only after it ended well; the peak a passed encode
    // reached only after it ended so.
    void testDecodedPeak()
    {
        QFETCH(QString, said);
        QFETCH(int, exitCode);
        QFETCH(float, peak);
        QFETCH(float, passed);
        QVERIFY(
            MediaKit::writeFile(path("talking/afconvert"),
                                "#!/bin/bash\nfor a in \"$@\"; do printf '%s\\0' \"$a\"; done > \"$AFCONVERT_RECORD\"\n"
                                "IFS='|'; for piece in $SAID; do printf \"$piece\"; sleep 0.05; done\nexit $CODE\n"));
        QVERIFY(QFile::setPermissions(path("talking/afconvert"), QFile::ReadOwner | QFile::ExeOwner));
        qputenv("PATH", (path("talking") + ":").toLocal8Bit() + m_baPath);
        qputenv("SAID", said.toLocal8Bit());
        qputenv("CODE", QByteArray::number(exitCode));
        AFTransCoder coder;
        coder.setMeasurePeak(true);
        QTest::ignoreMessage(QtDebugMsg, QRegularExpression("^COMMAND: afconvert .* -d aac  --peak$"));
        coder.convert(path("in.wav"), path("out.m4a"));
        QVERIFY(MediaKit::readAll(path("args")).endsWith(QByteArray("aac\0--peak\0", 11)));
        QVERIFY2(coder.decodedPeak() == peak, qPrintable(QString::number(coder.decodedPeak(), 'g', 9)));
        QVERIFY2(coder.passedPeak() == passed, qPrintable(QString::number(coder.passedPeak(), 'g', 9)));
    }

    // With the project's tool: a real M4A appears, a failed run leaves nothing.
    void testRealTool()
    {
        const QByteArray bin = qgetenv("TRELVANIC_BIN_DIR");
        QVERIFY(!bin.isEmpty());
        qputenv("PATH", bin + ":" + m_baPath);
        QCOMPARE(TestKit::runTool(
                     "sox", {"-n", "-r", "22050", "-c", "1", "-b", "16", path("in put.wav"), "synth", "1", "pinknoise"})
                     .exitCode,
                 0);
        AFTransCoder coder;
        coder.convert(path("in put.wav"), path("out put.m4a"));
        QCOMPARE(MediaKit::probe("stream=codec_name,sample_rate,channels", path("out put.m4a"), {"-of", "csv=p=0"}),
                 QString("aac,22050,1"));
        coder.convert(path("missing.wav"), path("missing.m4a"));
        QCOMPARE(QDir(m_dir.path()).entryList({"missing*"}), QStringList());
    }

    // Lent cores while it runs, the tool cuts parts off on them, and every core is back by its end; the peak it tells
    // is the decoded one.
    void testLentCores()
    {
        qputenv("PATH", qgetenv("TRELVANIC_BIN_DIR") + ":" + m_baPath);
        // Long enough for two parts.
        QCOMPARE(TestKit::runTool("sox", {"-R", "-n", "-r", "8000", "-c", "1", "-b", "16", path("long.wav"), "synth",
                                          "1600", "pinknoise", "vol", "0.3"})
                     .exitCode,
                 0);
        CountingLender lender(3);
        AFTransCoder coder;
        coder.setParts(8);
        coder.setCoreLender(&lender);
        coder.setMeasurePeak(true);
        QTest::ignoreMessage(QtDebugMsg, QRegularExpression("^COMMAND: afconvert .* --parts 8 --lend --peak$"));
        coder.convert(path("long.wav"), path("long.m4a"));
        QCOMPARE(coder.errorText(), QString());
        QVERIFY(lender.nLent > 0);
        QCOMPARE(lender.nHeld.load(), 0);
        QCOMPARE(MediaKit::probe("stream=duration_ts", path("long.m4a"), {"-of", "csv=p=0"}),
                 QString::number(1600 * 8000));
        QVERIFY(coder.decodedPeak() == NativeAudioTools::peak(path("long.m4a")));
    }

    // Ended while it runs, a tool deaf to SIGTERM is killed a little later, with the unfinished target it made.
    void testEndedTool()
    {
        QVERIFY(MediaKit::writeFile(
            path("deaf/afconvert"),
            "#!/bin/bash\ntrap '' TERM\ntouch \"$3.partial\"\nprintf p\nwhile :; do sleep 0.1; done\n"));
        QVERIFY(QFile::setPermissions(path("deaf/afconvert"), QFile::ReadOwner | QFile::ExeOwner));
        qputenv("PATH", (path("deaf") + ":").toLocal8Bit() + m_baPath);
        ProcessGroups groups;
        AFTransCoder coder;
        coder.setProcessGroups(&groups);
        std::thread ender([&] {
            while (!QFile::exists(path("out.m4a.partial")))
                QThread::msleep(20);
            groups.endAll();
        });
        coder.convert(path("in.wav"), path("out.m4a"));
        ender.join();
        QCOMPARE(coder.errorText(), QString("afconvert was ended"));
        QVERIFY(!QFile::exists(path("out.m4a.partial")));
        QCOMPARE(TestKit::encodersWriting(path("out.m4a")), QList<int>());
        // Once ended, no tool starts.
        coder.convert(path("in.wav"), path("again.m4a"));
        QVERIFY(!QFile::exists(path("again.m4a.partial")));
    }

    void testReverseString()
    {
        const QList<QPair<QByteArray, QByteArray>> cases{{"abc", "cba"}, {"abcd", "dcba"}, {"a", "a"}, {"", ""}};
        for (const auto& pair : cases) {
            QByteArray buffer = pair.first;
            QCOMPARE(reverse_string(buffer.data()), buffer.data());
            QCOMPARE(buffer, pair.second);
        }
        QVERIFY(reverse_string(nullptr) == nullptr);
    }
};

TRELVANIC_TEST_MAIN(TestAFTransCoder)
#include "tst_aftranscoder.moc"
