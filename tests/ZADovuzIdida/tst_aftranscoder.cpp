#include "TestMain.h"
#include "Tools.h"

#include <ZADovuzIdida/AFTransCoder.h>

#include <QFile>
#include <QTemporaryDir>

#include <cstring>

using namespace ZADovuzIdida;

class TestAFTransCoder : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QByteArray m_baPath;

    QString path(const QString& name) const { return m_dir.filePath(name); }

    // Puts a stand-in afconvert first on PATH that records its arguments, one per NUL-terminated entry.
    void useRecorder()
    {
        qputenv("PATH", (path("fake") + ":" + m_baPath).toLocal8Bit());
    }

    QStringList recorded()
    {
        QFile file(path("args"));
        if (!file.open(QIODevice::ReadOnly))
            return {};
        QList<QByteArray> entries = file.readAll().split('\0');
        entries.removeLast();
        QStringList args;
        for (const QByteArray& entry : entries)
            args << QString::fromUtf8(entry);
        file.close();
        QFile::remove(path("args"));
        return args;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        m_baPath = qgetenv("PATH");
        QVERIFY(QDir().mkpath(path("fake")));
        QFile script(path("fake/afconvert"));
        QVERIFY(script.open(QIODevice::WriteOnly));
        script.write("#!/bin/bash\nfor a in \"$@\"; do printf '%s\\0' \"$a\"; done > \"$AFCONVERT_RECORD\"\n");
        script.close();
        QVERIFY(script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
        qputenv("AFCONVERT_RECORD", path("args").toLocal8Bit());
    }

    void cleanup()
    {
        qputenv("PATH", m_baPath);
    }

    void testDescriptions()
    {
        AFTransCoder coder;
        QCOMPARE(coder.format(), QString("m4af"));
        QCOMPARE(coder.formatDescription(), QString("Apple MPEG-4 Audio"));
        QCOMPARE(coder.extensions(), QStringList({"m4a", "m4r"}));
        const QStringList formats = coder.dataFormats();
        QCOMPARE(formats.size(), 13);
        QCOMPARE(formats.first(), QString("aac "));
        QCOMPARE(formats, QStringList({"aac ", "aace", "aacf", "aacg", "aach", "aacl", "aacp", "ac-3", "alac", "ec-3",
                                       "paac", "pac3", "pec3"}));
    }

    void testArguments_data()
    {
        QTest::addColumn<QString>("input");
        QTest::addColumn<QString>("output");
        QTest::addColumn<int>("quality");
        QTest::addColumn<int>("bitrate");
        QTest::newRow("defaults") << "/tmp/in.wav" << "/tmp/out.m4a" << -1 << -1;
        QTest::newRow("blanks") << "/tmp/my folder/a b.wav" << "/tmp/other folder/c d.m4a" << 0 << 16000;
        QTest::newRow("quotes") << "/tmp/say \"hi\".wav" << "/tmp/it's \"here\".m4a" << 64 << 256000;
        QTest::newRow("unicode") << QString::fromUtf8("/tmp/Ünïcødé ♪.wav") << "/tmp/out.m4a" << 127 << 320000;
    }

    // The tool gets input, -o, output, -q, quality, -b, bit rate, -f m4af, -d aac, each intact.
    void testArguments()
    {
        QFETCH(QString, input);
        QFETCH(QString, output);
        QFETCH(int, quality);
        QFETCH(int, bitrate);
        useRecorder();
        AFTransCoder coder;
        if (quality >= 0)
            coder.setQuality(quality);
        if (bitrate >= 0)
            coder.setBitrate(bitrate);
        coder.convert(input, output);
        const QString q = QString::number(quality >= 0 ? quality : 127);
        const QString b = QString::number(bitrate >= 0 ? bitrate : 128000);
        QCOMPARE(recorded(), QStringList({input, "-o", output, "-q", q, "-b", b, "-f", "m4af", "-d", "aac"}));
    }

    // With the project's tool: a real M4A appears, a failed run leaves nothing.
    void testRealTool()
    {
        const QByteArray bin = qgetenv("TRELVANIC_BIN_DIR");
        QVERIFY(!bin.isEmpty());
        qputenv("PATH", bin + ":" + m_baPath);
        const TestKit::ToolResult sox = TestKit::runTool(
            "sox", {"-n", "-r", "22050", "-c", "1", "-b", "16", path("in put.wav"), "synth", "1", "pinknoise"});
        QCOMPARE(sox.exitCode, 0);
        AFTransCoder coder;
        coder.convert(path("in put.wav"), path("out put.m4a"));
        QVERIFY(QFile::exists(path("out put.m4a")));
        const TestKit::ToolResult probe =
            TestKit::runTool("ffprobe", {"-v", "error", "-show_entries", "stream=codec_name,sample_rate,channels", "-of",
                                         "csv=p=0", path("out put.m4a")});
        QCOMPARE(probe.out.trimmed(), QByteArray("aac,22050,1"));

        coder.convert(path("missing.wav"), path("missing.m4a"));
        QVERIFY(!QFile::exists(path("missing.m4a")));
        QVERIFY(!QFile::exists(path("missing.m4a.partial")));
    }

    void testReverseString_data()
    {
        QTest::addColumn<QByteArray>("input");
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("abc") << QByteArray("abc") << QByteArray("cba");
        QTest::newRow("even") << QByteArray("abcd") << QByteArray("dcba");
        QTest::newRow("one") << QByteArray("a") << QByteArray("a");
        QTest::newRow("empty") << QByteArray("") << QByteArray("");
    }

    void testReverseString()
    {
        QFETCH(QByteArray, input);
        QFETCH(QByteArray, expected);
        QByteArray buffer = input;
        char* result = reverse_string(buffer.data());
        QCOMPARE(result, buffer.data());
        QCOMPARE(QByteArray(result), expected);
        QVERIFY(reverse_string(nullptr) == nullptr);
    }
};

TRELVANIC_TEST_MAIN(TestAFTransCoder)
#include "tst_aftranscoder.moc"
