// Linear timecode: signals made by libltc's encoder, decoded here and checked against libltc's decoder.
#include "Helpers.h"
#include "TestMain.h"

#include <ZADovuzIdida/_VozIdavi/Input/GeneralFileInput.h>
#include <ZADovuzIdida/_VozIdavi/Input/LTCDecoder.h>
#include <ZADovuzIdida/_VozIdavi/Input/WaveInput.h>

#include <QTemporaryDir>
#include <QtTest>

#include <cmath>

using namespace ZADovuzIdida;

#ifndef LTC_SIGNAL
#define LTC_SIGNAL ""
#endif

namespace {

QByteArray local(const QString& path) { return path.toLocal8Bit(); }

struct Reference
{
    QStringList lines; // "HH:MM:SS:FF drop=D user=XXXXXXXX"
    QList<qint64> ends;
};

QString describe(const LTCData& frame)
{
    const quint32 user = quint32(frame.bitGroup(0)) | quint32(frame.bitGroup(1)) << 8 |
                         quint32(frame.bitGroup(2)) << 16 | quint32(frame.bitGroup(3)) << 24;
    return QString::asprintf("%02d:%02d:%02d:%02d drop=%d user=%08x", frame.hour(), frame.minute(), frame.sec(),
                             frame.frame(), int(frame.drop()), user);
}

QByteArray record(int valid, quint32 audioFrame, const QByteArray& fields)
{
    QByteArray out(1, char(valid));
    for (int i = 0; i < 4; ++i)
        out.append(char(audioFrame >> (8 * i)));
    return out + fields;
}

} // namespace

class TestTimecode : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void testAgainstReference_data();
    void testAgainstReference();
    void testTooFewSamplesPerBit();
    void testCacheFile();
    void testLookups();

private:
    // Makes an 8-bit signal with the helper and a 16-bit WAV of it; false when a tool failed.
    bool makeSignal(const QString& name, int rate, const QString& fps, const QString& userBits);
    Reference reference(const QString& name, int samplesPerFrame);
    QString path(const QString& name) const { return m_dir.filePath(name); }

    QTemporaryDir m_dir;
};

void TestTimecode::initTestCase()
{
    if (QString(LTC_SIGNAL).isEmpty() || !TestKit::haveTool("sox"))
        QSKIP("libltc (the timecode helper) or sox is not installed");
    QVERIFY(m_dir.isValid());
    FileInput::setTempPath(m_dir.path());
}

bool TestTimecode::makeSignal(const QString& name, int rate, const QString& fps, const QString& userBits)
{
    QStringList args{"generate", QString::number(rate), fps, "2", "10", "0", "0", "0"};
    if (!userBits.isEmpty())
        args << userBits;
    const auto made = TestKit::runTool(LTC_SIGNAL, args);
    if (made.exitCode != 0 || !VozIdaviTest::writeAll(path(name + ".u8"), made.out))
        return false;
    return TestKit::runTool("sox", {"-t", "raw", "-r", QString::number(rate), "-e", "unsigned", "-b", "8", "-c", "1",
                                    path(name + ".u8"), "-b", "16", "-t", "wavpcm", path(name + ".wav")})
               .exitCode == 0;
}

Reference TestTimecode::reference(const QString& name, int samplesPerFrame)
{
    Reference result;
    QProcess helper;
    helper.setStandardInputFile(path(name + ".u8"));
    helper.start(LTC_SIGNAL, {"decode", QString::number(samplesPerFrame)});
    helper.waitForFinished(60000);
    for (const QByteArray& line : helper.readAllStandardOutput().split('\n')) {
        const int end = line.indexOf(" end=");
        if (end > 0) {
            result.lines << QString::fromLatin1(line.left(end));
            result.ends << line.mid(end + 5).toLongLong();
        }
    }
    return result;
}

void TestTimecode::testAgainstReference_data()
{
    QTest::addColumn<int>("rate");
    QTest::addColumn<QString>("fps");
    QTest::addColumn<QString>("userBits");
    // After the signal is made: "" as it is, "quiet" 30 dB lower, "stereo" beside pink noise on channel 1,
    // "lead" after half a second of dithered silence, "bwf" with a bext chunk (frame rate -1).
    QTest::addColumn<QString>("variant");
    QTest::newRow("48k 25") << 48000 << "25"
                            << ""
                            << "";
    QTest::newRow("44.1k 30 user bits") << 44100 << "30"
                                        << "12345678"
                                        << "";
    QTest::newRow("48k 29.97 drop") << 48000 << "29.97"
                                    << ""
                                    << "";
    QTest::newRow("96k 24") << 96000 << "24"
                            << ""
                            << "";
    QTest::newRow("48k 25 -30 dB") << 48000 << "25"
                                   << ""
                                   << "quiet";
    QTest::newRow("48k 25 on channel 2") << 48000 << "25"
                                         << ""
                                         << "stereo";
    QTest::newRow("48k 25 after silence") << 48000 << "25"
                                          << ""
                                          << "lead";
    QTest::newRow("48k 25 broadcast wave") << 48000 << "25"
                                           << ""
                                           << "bwf";
}

void TestTimecode::testAgainstReference()
{
    QFETCH(int, rate);
    QFETCH(QString, fps);
    QFETCH(QString, userBits);
    QFETCH(QString, variant);
    const QString name = QString("ltc%1_%2_%3").arg(rate).arg(fps).arg(variant);
    QVERIFY(makeSignal(name, rate, fps, userBits));
    QString wav = path(name + ".wav");
    const QString made = path(name + "_" + variant + ".wav");
    qint64 offset = 0;
    int track = 0;
    if (variant == "quiet") {
        QCOMPARE(TestKit::runTool("sox", {"-v", "0.0316", wav, made}).exitCode, 0);
    } else if (variant == "stereo") {
        const QString noise = path("noise.wav");
        QCOMPARE(TestKit::runTool("sox", {"-n", "-r", QString::number(rate), "-b", "16", "-c", "1", noise, "synth", "2",
                                          "pinknoise", "vol", "0.5"})
                     .exitCode,
                 0);
        QCOMPARE(TestKit::runTool("sox", {"-M", noise, wav, "-t", "wavpcm", made}).exitCode, 0);
        track = 1;
    } else if (variant == "lead") {
        const QString silence = path("silence.wav");
        QCOMPARE(TestKit::runTool("sox", {"-n", "-r", QString::number(rate), "-b", "16", "-c", "1", silence, "synth",
                                          "0.5", "whitenoise", "vol", "0.0002"})
                     .exitCode,
                 0);
        QCOMPARE(TestKit::runTool("sox", {silence, wav, "-t", "wavpcm", made}).exitCode, 0);
        offset = rate / 2;
    } else if (variant == "bwf") {
        QByteArray bytes = VozIdaviTest::readAll(wav);
        bytes.insert(36, QByteArray("bext\x5A\x02\0\0", 8) + QByteArray(602, '\0'));
        const quint32 riff = quint32(bytes.size() - 8);
        memcpy(bytes.data() + 4, &riff, 4);
        QVERIFY(VozIdaviTest::writeAll(made, bytes));
    }
    if (!variant.isEmpty())
        wav = made;

    const Reference expected = reference(name, int(rate / fps.toDouble()));
    QVERIFY(expected.lines.size() >= 45);
    GeneralFileInput input;
    QVERIFY(input.load(local(wav).constData(), false));
    QCOMPARE(input.fileFormat(), variant == "bwf" ? 0 : 1);
    QCOMPARE(input.getLTCTrack(), track);
    QVERIFY(!input.isLTCDataAvailable());
    QCOMPARE(input.createLTCData(-1), 0);
    QVERIFY(input.isLTCDataAvailable());

    WaveInput wave;
    QVERIFY(wave.load(local(wav).constData(), false));
    LTCDecoder decoder(&wave);
    decoder.process(track);
    const std::vector<LTCData>& frames = decoder.frames();
    QCOMPARE(int(frames.size()), expected.lines.size());
    for (int k = 0; k < expected.lines.size(); ++k) {
        const LTCData& frame = frames[size_t(k)];
        QCOMPARE(describe(frame), expected.lines[k]);
        QVERIFY2(std::llabs(frame.audioFrame() - (expected.ends[k] + 1 + offset)) <= 2, qPrintable(describe(frame)));
        // The file input answers with the same frame: by timecode, and for the samples inside the frame.
        QCOMPARE(qint64(input.getAudioFrameLTC(expected.lines[k].left(11))), frame.audioFrame());
        if (k > 0)
            QCOMPARE(input.getLTC(frame.audioFrame() - 1).audioFrame(), frame.audioFrame());
    }
    QCOMPARE(input.ltcFps(), std::ceil(fps.toFloat()));
    QCOMPARE(input.ltcTimeCode(frames[1].audioFrame(), false).contains(';'), frames[1].drop());
}

void TestTimecode::testTooFewSamplesPerBit()
{
    QVERIFY(makeSignal("ltc8k", 8000, "30", ""));
    WaveInput input;
    QVERIFY(input.load(local(path("ltc8k.wav")).constData(), false));
    QCOMPARE(input.getLTCTrack(), -1);
    QCOMPARE(input.createLTCData(-1), -1);
    QCOMPARE(input.createLTCData(0), 0);
    QVERIFY(!input.isLTCDataAvailable());
    QCOMPARE(input.ltcFps(), 0.0f);
}

void TestTimecode::testCacheFile()
{
    QVERIFY(makeSignal("ltccache", 48000, "25", "81FF0000"));
    WaveInput input;
    QVERIFY(input.load(local(path("ltccache.wav")).constData(), false));
    LTCDecoder decoder(&input);
    decoder.process(0);
    const std::vector<LTCData> frames = decoder.frames();
    QVERIFY(frames.size() >= 45);
    QCOMPARE(frames[0].bitGroup(2), 0xFF);
    QCOMPARE(frames[0].bitGroup(3), 0x81);

    const QString cache = path("frames.ltcc");
    QVERIFY(decoder.save(local(cache).constData()));
    const QByteArray bytes = VozIdaviTest::readAll(cache);
    QVERIFY(bytes.startsWith("LTCC"));
    QCOMPARE(VozIdaviTest::le32(bytes, 4), quint32(frames.size()));
    QCOMPARE(bytes.size(), 8 + 14 * int(frames.size()));
    for (int pass = 0; pass < 2; ++pass) {
        QVERIFY(decoder.load(local(cache).constData()));
        QCOMPARE(decoder.frames().size(), frames.size());
    }
    for (size_t k = 0; k < frames.size(); ++k) {
        QCOMPARE(describe(decoder.frames()[k]), describe(frames[k]));
        QCOMPARE(decoder.frames()[k].audioFrame(), frames[k].audioFrame());
    }

    // Damaged files leave an empty list: a count beyond the file, a cut record, another tag.
    const QList<QByteArray> damaged{bytes.left(4) + QByteArray(4, '\xFF') + bytes.mid(8), bytes.left(bytes.size() - 3),
                                    "LTCD" + bytes.mid(4)};
    for (const QByteArray& bad : damaged) {
        QVERIFY(VozIdaviTest::writeAll(cache, bad));
        QVERIFY(!decoder.load(local(cache).constData()));
        QVERIFY(!decoder.isLTCDataAvailable());
    }
}

void TestTimecode::testLookups()
{
    // Frames at 0, 1920 and 3840, and one beyond 2^31 frames.
    const QByteArray fields("\x0A\x00\x00\x00\x00\x81\x00\x00\x00", 9);
    QByteArray cache = "LTCC" + QByteArray("\x04\0\0\0", 4) + record(1, 0, fields) + record(1, 1920, fields) +
                       record(1, 3840, fields) + record(1, 0xF0000000u, QByteArray("\x0B\0\0\0\0\0\0\0\0", 9));
    QVERIFY(VozIdaviTest::writeAll(path("lookups.ltcc"), cache));
    QVERIFY(VozIdaviTest::writeAll(path("silent.wav"), QByteArray("RIFF\x2C\0\0\0WAVEfmt \x10\0\0\0\x01\0\x01\0"
                                                                  "\x80\xBB\0\0\0\x77\x01\0\x02\0\x10\0data\x08\0\0\0",
                                                                  44) +
                                                           QByteArray(8, '\0')));
    WaveInput input;
    QVERIFY(input.load(local(path("silent.wav")).constData(), false));
    LTCDecoder decoder(&input);
    QVERIFY(decoder.load(local(path("lookups.ltcc")).constData()));
    QCOMPARE(decoder.frames()[0].bitGroup(0), 129);
    QCOMPARE(decoder.getLTC(2000).audioFrame(), 3840ll);
    QCOMPARE(decoder.getLTC(1920).audioFrame(), 3840ll);
    QCOMPARE(decoder.getLTC(0).audioFrame(), 1920ll);
    QCOMPARE(decoder.getLTC(0xF0000000ll).audioFrame(), 0xF0000000ll);
    QVERIFY(!decoder.getLTC(0xF0000001ll).isValid());
    QCOMPARE(decoder.getAudioFrame(10, 0, 0, 0), 0);
    QCOMPARE(decoder.getAudioFrame(11, 0, 0, 0), -1);
    QCOMPARE(decoder.ltcFps(), 1.0f);
    QCOMPARE(input.getAudioFrameLTC("10:00:00"), -1);
    QVERIFY(!input.getLTC(0).isValid());
    QCOMPARE(input.getLTC(0).audioFrame(), -1ll);

    const QString bits = QString(80, '0').replace(0, 1, "1").replace(3, 1, "1").replace(9, 1, "1");
    QCOMPARE(LTCData(5, bits, 25.0f).frame(), 29);
    QVERIFY(LTCData(5, QString(bits).replace(10, 1, "1"), 29.97f).drop());
    QVERIFY(!LTCData(5, QString(bits).replace(10, 1, "1"), 25.0f).drop());
    QVERIFY(!LTCData(0, bits, 30.0f).isValid());
    QCOMPARE(LTCData(5, bits.left(79), 30.0f).timecode(30.0f, false), QString());
    QCOMPARE(LTCData(5, bits, 25.0f).bitGroup(4), -1);
}

TRELVANIC_TEST_MAIN(TestTimecode)
#include "tst_timecode.moc"
