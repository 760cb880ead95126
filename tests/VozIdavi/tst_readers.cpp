// WAV, AIFF and general readers against files made by ffmpeg, sox and the library's own writer.
#include "Helpers.h"
#include "TestMain.h"

#include <MTools/FrameCount.h>
#include <ZADovuzIdida/_VozIdavi/Common/ProductionParameters.h>
#include <ZADovuzIdida/_VozIdavi/Input/AiffInput.h>
#include <ZADovuzIdida/_VozIdavi/Input/GeneralFileInput.h>
#include <ZADovuzIdida/_VozIdavi/Input/WaveInput.h>
#include <ZADovuzIdida/_VozIdavi/Output/WaveOutput.h>

#include <QTemporaryDir>
#include <QtTest>

#include <cmath>
#include <vector>

using namespace ZADovuzIdida;

namespace {

QByteArray local(const QString& path) { return path.toLocal8Bit(); }

// Samples of a file as ffmpeg decodes them to 32-bit floats.
std::vector<float> reference(const QString& path)
{
    const auto result = TestKit::runTool("ffmpeg", {"-v", "error", "-i", path, "-f", "f32le", "-"});
    std::vector<float> samples(size_t(result.out.size()) / 4);
    memcpy(samples.data(), result.out.constData(), samples.size() * 4);
    return samples;
}

std::vector<float> readAllSamples(FileInput& input)
{
    std::vector<float> samples(input.fileInfo().numSamples() + 64);
    input.rewind();
    const int n = input.read(samples.data(), int(samples.size()));
    samples.resize(size_t(std::max(n, 0)));
    return samples;
}

} // namespace

class TestReaders : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void testWavSamples_data();
    void testWavSamples();
    void testFloatWavRefused();
    void testAiffSamples_data();
    void testAiffSamples();
    void testOwnBroadcastWave_data();
    void testOwnBroadcastWave();
    void testGeneralInput();
    void testSoxSamples_data();
    void testSoxSamples();
    void testSparseLargeWav();

private:
    QTemporaryDir m_dir;
};

void TestReaders::initTestCase()
{
    QVERIFY(m_dir.isValid());
    FileInput::setTempPath(m_dir.path());
}

void TestReaders::testWavSamples_data()
{
    QTest::addColumn<QString>("codec");
    QTest::addColumn<int>("bits");
    QTest::addColumn<int>("code");
    QTest::addColumn<int>("channels");
    QTest::newRow("u8") << "pcm_u8" << 8 << 8 << 1;
    QTest::newRow("s16") << "pcm_s16le" << 16 << 16 << 2;
    QTest::newRow("s24") << "pcm_s24le" << 24 << 2048 << 2;
    QTest::newRow("s32") << "pcm_s32le" << 32 << 16 << 3;
}

void TestReaders::testWavSamples()
{
    QFETCH(QString, codec);
    QFETCH(int, bits);
    QFETCH(int, code);
    QFETCH(int, channels);
    const QString path = m_dir.filePath(codec + ".wav");
    QVERIFY(TestKit::makeTone(path, 0.25, 22050, channels, {"-c:a", codec}));
    if (bits > 16) {
        // ffmpeg writes the extensible format tag here, which the reader refuses; the first 16 bytes of
        // that format chunk are a plain PCM one, so tag 1 makes a file the reader takes.
        WaveInput extensible;
        QVERIFY(!extensible.load(local(path).constData(), false));
        QByteArray bytes = VozIdaviTest::readAll(path);
        const int fmt = bytes.indexOf("fmt ");
        QCOMPARE(VozIdaviTest::le16(bytes, fmt + 8), quint16(0xFFFE));
        bytes[fmt + 8] = 1;
        bytes[fmt + 9] = 0;
        QVERIFY(VozIdaviTest::writeAll(path, bytes));
    }
    const std::vector<float> expected = reference(path);
    QVERIFY(!expected.empty());

    WaveInput input;
    QVERIFY(input.load(local(path).constData(), false));
    QCOMPARE(input.name(), QString("WaveInput"));
    QCOMPARE(int(input.sampleRate()), 22050);
    QCOMPARE(int(input.channels()), channels);
    QCOMPARE(int(input.bitsPerSample()), bits);
    QCOMPARE(int(input.settings().fmt()), code);
    QCOMPARE(input.fileInfo().numSamples(), quint64(expected.size()));
    QCOMPARE(input.fileInfo().url().path(), path);
    QVERIFY(input.ebuInfo().isNull());

    const std::vector<float> samples = readAllSamples(input);
    QCOMPARE(samples.size(), expected.size());
    const float tolerance = std::max(1e-6f, 1.01f / float(1 << (bits - 1)));
    for (size_t i = 0; i < samples.size(); ++i)
        QVERIFY2(std::fabs(samples[i] - expected[i]) <= tolerance, qPrintable(QString::number(i)));
    float one = 0.0f;
    QCOMPARE(input.read(&one, 1), 0);

    // Frame access lands on the same samples.
    std::vector<float> frame(static_cast<size_t>(channels), 0.0f);
    QCOMPARE(input.readFrames(100, frame.data(), 1, channels), 1);
    for (int c = 0; c < channels; ++c)
        QVERIFY(std::fabs(frame[size_t(c)] - expected[size_t(100 * channels + c)]) <= tolerance);
    input.gotoFrame(200);
    QCOMPARE(input.readChannel(&one, 1, channels - 1), 1);
    QVERIFY(std::fabs(one - expected[size_t(200 * channels + channels - 1)]) <= tolerance);
    QCOMPARE(input.readChannel(&one, 1, channels), -1);
    auto buffer = MTools::Handle<AudioFloatBuffer>(new AudioFloatBuffer(10, channels));
    QCOMPARE(input.read(buffer, 50ul), 10);
    QVERIFY(std::fabs(buffer->data()[0] - expected[size_t(50 * channels)]) <= tolerance);
    QCOMPARE(input.tell(), 60 * channels * (bits / 8));
}

void TestReaders::testFloatWavRefused()
{
    const QString path = m_dir.filePath("float.wav");
    QVERIFY(TestKit::makeTone(path, 0.1, 8000, 1, {"-c:a", "pcm_f32le"}));
    WaveInput input;
    QVERIFY(!input.load(local(path).constData(), false));
    QVERIFY(input.filePointer() == nullptr);
    GeneralFileInput general;
    QVERIFY(!general.load(local(path).constData(), true));
    QCOMPARE(general.formatString(), QString("UNKNOWN"));
}

void TestReaders::testAiffSamples_data()
{
    QTest::addColumn<QString>("type");
    QTest::addColumn<int>("bits");
    QTest::addColumn<int>("code");
    QTest::addColumn<bool>("accepted");
    QTest::newRow("aiff16") << "aiff" << 16 << 32 << true;
    QTest::newRow("aiff24") << "aiff" << 24 << 4096 << true;
    QTest::newRow("aiff8") << "aiff" << 8 << 64 << true;
    QTest::newRow("aifc16") << "aifc" << 16 << 0 << false;
}

void TestReaders::testAiffSamples()
{
    QFETCH(QString, type);
    QFETCH(int, bits);
    QFETCH(int, code);
    QFETCH(bool, accepted);
    const QString path = m_dir.filePath(QString("tone%1.%2").arg(bits).arg(type == "aiff" ? "aif" : "aifc"));
    const auto made = TestKit::runTool("sox", {"-n",         "-r",   "32000", "-b",  QString::number(bits),
                                               "-c",         "2",    "-t",    type,  "--comment",
                                               "hello aiff", path,   "synth", "0.2", "sine",
                                               "300",        "sine", "500",   "vol", "0.7"});
    QVERIFY2(made.exitCode == 0, made.err.constData());
    AiffInput input;
    QCOMPARE(input.fmt(), short(32));
    QCOMPARE(input.load(local(path).constData(), true), accepted);
    if (!accepted)
        return;
    QCOMPARE(int(input.sampleRate()), 32000);
    QCOMPARE(int(input.channels()), 2);
    QCOMPARE(int(input.settings().fmt()), code);
    QCOMPARE(int(input.fmt()), code);
    QCOMPARE(input.fileInfo().comment(), QString("hello aiff"));
    const std::vector<float> expected = reference(path);
    const std::vector<float> samples = readAllSamples(input);
    QCOMPARE(samples.size(), expected.size());
    const float tolerance = 1.01f / float(1 << (bits - 1));
    for (size_t i = 0; i < samples.size(); ++i)
        QVERIFY2(std::fabs(samples[i] - expected[i]) <= tolerance, qPrintable(QString::number(i)));

    GeneralFileInput general;
    QVERIFY(general.load(local(path).constData(), true));
    QCOMPARE(general.formatString(), QString("AIFF"));
    QCOMPARE(general.fileFormat(), 2);
    // The WAV reader refuses a FORM file even when forced.
    WaveInput wave;
    QVERIFY(!wave.load(local(path).constData(), true));
}

void TestReaders::testOwnBroadcastWave_data()
{
    QTest::addColumn<int>("format");
    QTest::addColumn<bool>("shortRiff");
    QTest::newRow("8-bit peaks") << int(EBUEnvelope::EightBit) << false;
    QTest::newRow("16-bit peaks") << int(EBUEnvelope::SixteenBit) << false;
    QTest::newRow("16-bit peaks, riff 8 short") << int(EBUEnvelope::SixteenBit) << true;
}

void TestReaders::testOwnBroadcastWave()
{
    QFETCH(int, format);
    QFETCH(bool, shortRiff);
    const QString path = m_dir.filePath(QString("own%1%2.wav").arg(format).arg(shortRiff));
    const int frames = 5000;
    std::vector<float> written(size_t(frames) * 2);
    for (int i = 0; i < frames; ++i) {
        written[size_t(2 * i)] = 0.8f * std::sin(float(i) * 0.01f);
        written[size_t(2 * i + 1)] = -0.3f * std::cos(float(i) * 0.003f);
    }
    {
        WaveOutput output(local(path).constData(), Settings(48000, 2, 1, 16), QString(),
                          MTools::Handle<EBUInfo>(new EBUInfo(96000, 25.0f)), true);
        output.setEnvelopeFormat(EBUEnvelope::Format(format));
        QVERIFY(output.write(written.data(), int(written.size())));
        QVERIFY(output.close());
    }
    if (shortRiff) {
        QByteArray bytes = VozIdaviTest::readAll(path);
        const quint32 size = VozIdaviTest::le32(bytes, 4) - 8;
        memcpy(bytes.data() + 4, &size, 4);
        QVERIFY(VozIdaviTest::writeAll(path, bytes));
    }

    GeneralFileInput input;
    QVERIFY(input.load(local(path).constData(), false));
    QCOMPARE(input.formatString(), QString("BWF"));
    QCOMPARE(input.fileFormat(), 0);
    QVERIFY(!input.ebuInfo().isNull());
    QVERIFY(!input.ebuEnvelope().isNull());
    QCOMPARE(input.ebuInfo()->timeReference(), 96000ll);
    QCOMPARE(input.ebuEnvelope()->format(), format);
    QCOMPARE(input.fileInfo().numSamples(), quint64(written.size()));
    // 96000 samples at 48 kHz is two seconds; a stored chunk has no rate, so the production rate counts.
    const float rate = Production::fps();
    const auto text = [rate](int frames) {
        return MTools::FrameCount(frames, rate).timecodeFromFrameCount(false, false, 0, false);
    };
    QCOMPARE(input.start(), text(int(2 * rate)));
    QCOMPARE(input.duration(), text(int(rate * 5000 / 48000)));
    QCOMPARE(input.end(), text(int(rate * 101000 / 48000)));
    QCOMPARE(input.timecode(48000), text(int(rate)));
    QCOMPARE(input.absoluteTimecode(48000), text(int(3 * rate)));

    // Stored peaks agree with peaks taken from the samples.
    input.createPeakVector();
    const PeakVector stored = *input.peakVector();
    QCOMPARE(stored.numPeakFrames(), (frames + 255) / 256);
    WaveInput computed;
    QVERIFY(computed.load(local(path).constData(), false));
    computed.buildPeakVectorFromAudioData();
    const float step = format == EBUEnvelope::EightBit ? 2.0f / 255.0f : 2.0f / 65535.0f;
    for (int ch = 0; ch < 2; ++ch) {
        for (int p = 0; p < stored.numPeakFrames(); ++p) {
            QVERIFY(std::fabs(stored.peakInfo(p, ch).min - computed.peakVector()->peakInfo(p, ch).min) <= step);
            QVERIFY(std::fabs(stored.peakInfo(p, ch).max - computed.peakVector()->peakInfo(p, ch).max) <= step);
        }
    }
    const std::vector<float> samples = readAllSamples(computed);
    QCOMPARE(samples.size(), written.size());
    for (size_t i = 0; i < samples.size(); ++i)
        QVERIFY(std::fabs(samples[i] - written[i]) <= 1.01f / 32768.0f);
}

void TestReaders::testGeneralInput()
{
    GeneralFileInput input;
    QCOMPARE(input.formatString(), QString("UNKNOWN"));
    QCOMPARE(input.fileFormat(), 3);
    QVERIFY(input.name().isNull());
    QCOMPARE(input.read(static_cast<char*>(nullptr), 4), 0);
    QVERIFY(input.peakVector().isNull());
    QCOMPARE(input.fileInfo().numSamples(), quint64(0));
    QCOMPARE(input.peakInfo(3, 0, 10.0f).max, 0.0f);
    QVERIFY(!input.open("x.wav"));

    const QString wav = m_dir.filePath("plain.wav");
    QVERIFY(TestKit::makeTone(wav, 0.1, 16000, 1, {"-c:a", "pcm_s16le", "-map_metadata", "-1"}));
    const QString text = m_dir.filePath("notes.wav");
    QVERIFY(VozIdaviTest::writeAll(text, QByteArray(200, 'x')));
    QVERIFY(input.load(local(wav).constData(), false));
    QCOMPARE(input.formatString(), QString("WAVE"));
    QCOMPARE(input.fileFormat(), 1);
    QCOMPARE(input.name(), QString("WaveInput"));
    QCOMPARE(int(input.sampleRate()), 16000);
    QVERIFY(!input.load(local(text).constData(), false));
    QCOMPARE(input.formatString(), QString("WAVE"));
    QCOMPARE(input.fileInfo().numSamples(), quint64(1600));
    float s[4];
    QCOMPARE(input.read(s, 4), 4);
}

void TestReaders::testSoxSamples_data()
{
    QTest::addColumn<QString>("type");
    QTest::addColumn<int>("bits");
    for (const char* type : {"wavpcm", "aiff"}) {
        for (int bits : {8, 16, 24, 32})
            QTest::newRow(qPrintable(QString("%1 %2").arg(type).arg(bits))) << QString(type) << bits;
    }
}

void TestReaders::testSoxSamples()
{
    QFETCH(QString, type);
    QFETCH(int, bits);
    const QString path = m_dir.filePath(QString("sox%1.%2").arg(bits).arg(type == "aiff" ? "aif" : "wav"));
    const auto made = TestKit::runTool("sox", {"-n", "-r", "44100", "-b", QString::number(bits), "-c", "2", "-t", type,
                                               path, "synth", "0.1", "sine", "300", "noise", "vol", "0.9"});
    QVERIFY2(made.exitCode == 0, made.err.constData());
    const auto decoded = TestKit::runTool("sox", {path, "-t", "f32", "-"});
    QCOMPARE(decoded.exitCode, 0);
    GeneralFileInput input;
    QVERIFY(input.load(local(path).constData(), false));
    std::vector<float> samples(input.fileInfo().numSamples());
    QCOMPARE(size_t(input.read(samples.data(), int(samples.size()))) * 4, size_t(decoded.out.size()));
    // Up to 24 bits a float holds every sample exactly; 32-bit samples may round in the last float bit.
    const float tolerance = bits == 32 ? 1.0f / float(1 << 23) : 0.0f;
    const float* expected = reinterpret_cast<const float*>(decoded.out.constData());
    for (size_t i = 0; i < samples.size(); ++i)
        QVERIFY2(std::fabs(samples[i] - expected[i]) <= tolerance, qPrintable(QString::number(i)));
}

void TestReaders::testSparseLargeWav()
{
    // A real header from sox, grown to 3 GiB of stereo 16-bit data by truncate, with known last frames.
    const QString path = m_dir.filePath("large.wav");
    QVERIFY(TestKit::runTool("sox", {"-n", "-r", "8000", "-b", "16", "-c", "2", "-t", "wavpcm", path, "trim", "0", "0"})
                .exitCode == 0);
    const qint64 dataSize = 3ll << 30;
    QByteArray header = VozIdaviTest::readAll(path);
    QCOMPARE(header.size(), 44);
    const quint32 riffSize = quint32(dataSize + 36);
    const quint32 chunkSize = quint32(dataSize);
    header.replace(4, 4, reinterpret_cast<const char*>(&riffSize), 4);
    header.replace(40, 4, reinterpret_cast<const char*>(&chunkSize), 4);
    QVERIFY(VozIdaviTest::writeAll(path, header));
    QCOMPARE(TestKit::runTool("truncate", {"-s", QString::number(44 + dataSize), path}).exitCode, 0);
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadWrite));
    QVERIFY(file.seek(44 + dataSize - 8));
    QCOMPARE(file.write(QByteArray("\x10\x27\xF0\xD8\x00\x40\x00\xC0", 8)), qint64(8));
    file.close();

    const qint64 frames = dataSize / 4;
    QCOMPARE(TestKit::runTool("sox", {"--i", "-s", path}).out.trimmed(), QByteArray::number(frames));
    const auto tail = TestKit::runTool("sox", {path, "-t", "f32", "-", "trim", QString("%1s").arg(frames - 2)});
    QCOMPARE(tail.out.size(), 16);
    WaveInput input;
    QVERIFY(input.load(local(path).constData(), false));
    QCOMPARE(qint64(input.fileInfo().numSamples()), 2 * frames);
    float last[4] = {};
    QCOMPARE(input.readFrames(frames - 2, last, 2, 2), 2);
    QCOMPARE(QByteArray(reinterpret_cast<const char*>(last), 16), tail.out);
    QCOMPARE(input.tell(), dataSize);
    QVERIFY(input.gotoFrame(frames - 1) == 0);
    QCOMPARE(input.readChannel(last, 1, 1), 1);
    QCOMPARE(last[0], -0.5f);
}

TRELVANIC_TEST_MAIN(TestReaders)
#include "tst_readers.moc"
