#include "FileSizeLimit.h"
#include "MediaTestKit.h"
#include "TestMain.h"

#include <ZADovuzIdida/EncoderBase.h>
#include <ZADovuzIdida/EncoderFactory.h>
#include <ZADovuzIdida/Native/FlacStreamWriter.h>
#include <ZADovuzIdida/NativeAudioEncoder.h>

#include <QSignalSpy>
#include <QTemporaryDir>

#include <cmath>
#include <vector>

using namespace ZADovuzIdida;

namespace {

class WavEncoder : public EncoderBase
{
public:
    void write(float* samples, long long count) override
    {
        Q_UNUSED(samples)
        m_nTotal += count;
    }
    long long m_nTotal = 0;
};

class TestFactory : public EncoderFactory
{
public:
    EncoderBase* encoder(const QString& codec) override { return codec == "flac" ? new WavEncoder : nullptr; }
};

// Interleaved test signal: a different sine per channel, with a few samples beyond full scale.
std::vector<float> makeSignal(int frames, int channels, int rate)
{
    std::vector<float> samples(size_t(frames) * size_t(channels));
    for (int f = 0; f < frames; ++f)
        for (int c = 0; c < channels; ++c)
            samples[size_t(f * channels + c)] = float(0.8 * std::sin(2.0 * M_PI * (330.0 + 110.0 * c) * f / rate));
    if (frames > 10) {
        samples[5] = 1.5f;
        samples[6] = -1.5f;
        samples[7] = 1.0f;
        samples[8] = -1.0f;
    }
    return samples;
}

std::vector<qint16> toS16(const QByteArray& bytes)
{
    std::vector<qint16> samples(size_t(bytes.size()) / 2);
    memcpy(samples.data(), bytes.constData(), samples.size() * 2);
    return samples;
}

} // namespace

class TestFlacEncoder : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;

    QString path(const QString& name) const { return m_dir.filePath(name); }

    static QStringList metaflac(const QString& file)
    {
        const TestKit::ToolResult result = TestKit::runTool(
            "metaflac", {"--show-sample-rate", "--show-channels", "--show-bps", "--show-total-samples", file});
        return QString::fromUtf8(result.out).split('\n', Qt::SkipEmptyParts);
    }

private slots:
    void testFactory()
    {
        QCOMPARE(Encoders::factory(), static_cast<EncoderFactory*>(nullptr));
        QCOMPARE(EncoderFactory().encoder("mp3"), static_cast<EncoderBase*>(nullptr));
        TestFactory factory;
        Encoders::setFactory(&factory);
        QCOMPARE(Encoders::factory(), static_cast<EncoderFactory*>(&factory));
        QCOMPARE(Encoders::factory()->encoder("mp3"), static_cast<EncoderBase*>(nullptr));
        std::unique_ptr<EncoderBase> encoder(Encoders::factory()->encoder("flac"));
        QVERIFY(encoder);
        float block[4] = {};
        encoder->write(block, 4);
        QCOMPARE(static_cast<WavEncoder*>(encoder.get())->m_nTotal, 4LL);
        Encoders::setFactory(nullptr);
        QCOMPARE(Encoders::factory(), static_cast<EncoderFactory*>(nullptr));
    }

    void testEncoderBase()
    {
        EncoderBase encoder;
        QCOMPARE(encoder.status(), 0);
        QCOMPARE(encoder.format().codec, QString("WAV"));
        QCOMPARE(encoder.format().sampleRate, 44100);
        QCOMPARE(encoder.format().channels, 2);
        QCOMPARE(encoder.format().bitsPerSample, 16);
        QCOMPARE(encoder.format().bitRate, 128000);
        QCOMPARE(encoder.format().quality, 3);
        QVERIFY(encoder.file().isEmpty());
        QVERIFY(encoder.metaInfoFile().isEmpty());
        QVERIFY(!encoder.copyMetaTags());

        MAudioFormat format;
        format.codec = "FLAC";
        format.sampleRate = 96000;
        format.channels = 6;
        format.bitsPerSample = 24;
        format.bitRate = 320000;
        format.quality = 4;
        encoder.setFormat(format);
        encoder.setFile("a.flac");
        encoder.setMetaInfoFile("b.txt");
        encoder.setCopyMetaTags(true);
        QCOMPARE(encoder.format().codec, QString("FLAC"));
        QCOMPARE(encoder.format().sampleRate, 96000);
        QCOMPARE(encoder.format().channels, 6);
        QCOMPARE(encoder.format().bitsPerSample, 24);
        QCOMPARE(encoder.format().bitRate, 320000);
        QCOMPARE(encoder.format().quality, 4);
        QCOMPARE(encoder.file(), QString("a.flac"));
        QCOMPARE(encoder.metaInfoFile(), QString("b.txt"));
        QVERIFY(encoder.copyMetaTags());
    }

    void testEncode_data()
    {
        QTest::addColumn<int>("rate");
        QTest::addColumn<int>("channels");
        QTest::addColumn<int>("bits");
        QTest::addColumn<int>("reportedBits");
        QTest::newRow("44100 stereo 16") << 44100 << 2 << 16 << 16;
        QTest::newRow("48000 mono 24") << 48000 << 1 << 24 << 24;
        QTest::newRow("22050 5.1 16") << 22050 << 6 << 16 << 16;
        QTest::newRow("32 bits stored as 24") << 44100 << 2 << 32 << 24;
    }

    // The file passes flac's own test, metaflac reports the format, and ffmpeg decodes the samples that
    // ffmpeg makes of the same floats.
    void testEncode()
    {
        QFETCH(int, rate);
        QFETCH(int, channels);
        QFETCH(int, bits);
        QFETCH(int, reportedBits);
        const int frames = rate / 2 + 123;
        std::vector<float> signal = makeSignal(frames, channels, rate);
        const QString raw = path("signal.f32");
        QVERIFY(MediaKit::writeFile(
            raw, QByteArray(reinterpret_cast<const char*>(signal.data()), int(signal.size() * sizeof(float)))));
        const QString flac = path("out.flac");
        QVERIFY(MediaKit::writeFile(flac, "old contents"));
        {
            MAudioFormat format;
            format.sampleRate = rate;
            format.channels = channels;
            format.bitsPerSample = bits;
            NativeAudioEncoder encoder(flac, format);
            QSignalSpy errors(&encoder, SIGNAL(error(QString)));
            const int block = 1000 * channels;
            for (size_t offset = 0; offset < signal.size(); offset += size_t(block)) {
                const int count = int(qMin(signal.size() - offset, size_t(block)));
                QVERIFY(encoder.write(signal.data() + offset, count));
            }
            encoder.finish();
            QCOMPARE(errors.count(), 0);
        }

        const TestKit::ToolResult test = TestKit::runTool("flac", {"-t", "-s", flac});
        QVERIFY2(test.exitCode == 0, test.err.constData());
        QCOMPARE(metaflac(flac), QStringList({QString::number(rate), QString::number(channels),
                                              QString::number(reportedBits), QString::number(frames)}));

        const TestKit::ToolResult decoded = TestKit::runTool("ffmpeg", {"-v", "error", "-i", flac, "-f", "s16le", "-"});
        const TestKit::ToolResult reference =
            TestKit::runTool("ffmpeg", {"-v", "error", "-f", "f32le", "-ar", QString::number(rate), "-ac",
                                        QString::number(channels), "-i", raw, "-f", "s16le", "-"});
        QCOMPARE(decoded.exitCode, 0);
        QCOMPARE(reference.exitCode, 0);
        const std::vector<qint16> got = toS16(decoded.out);
        const std::vector<qint16> want = toS16(reference.out);
        QCOMPARE(got.size(), signal.size());
        QCOMPARE(want.size(), signal.size());
        int worst = 0;
        for (size_t i = 0; i < got.size(); ++i)
            worst = qMax(worst, std::abs(int(got[i]) - int(want[i])));
        QVERIFY2(worst <= 1, qPrintable(QString("largest difference %1").arg(worst)));
        QCOMPARE(got[5], qint16(32767));
        QCOMPARE(got[6], qint16(-32768));
    }

    void testPartialFrames_data()
    {
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("frames");
        QTest::newRow("7 floats") << 7 << 3;
        QTest::newRow("1 float") << 1 << 0;
        QTest::newRow("0 floats") << 0 << 0;
    }

    void testPartialFrames()
    {
        QFETCH(int, count);
        QFETCH(int, frames);
        const QString flac = path("partial.flac");
        float samples[8] = {0.1f, -0.1f, 0.2f, -0.2f, 0.3f, -0.3f, 0.4f, -0.4f};
        {
            NativeAudioEncoder encoder(flac, MAudioFormat());
            QVERIFY(encoder.write(samples, count));
            encoder.finish();
        }
        QCOMPARE(TestKit::runTool("flac", {"-t", "-s", flac}).exitCode, 0);
        QCOMPARE(metaflac(flac).value(3), QString::number(frames));
    }

    // Creation and writing report their failures: an uncreatable file, and a disk that fills up while writing.
    void testFailures()
    {
        const QString missing = path("no/such/folder/x.flac");
        QTest::ignoreMessage(QtDebugMsg, QRegularExpression("ExtAudioFileCreateWithURL"));
        NativeAudioEncoder uncreated(missing, MAudioFormat());
        QVERIFY(!uncreated.isOpen());
        QSignalSpy errors(&uncreated, SIGNAL(error(QString)));
        float silence[4] = {};
        QTest::ignoreMessage(QtDebugMsg, QRegularExpression("ExtAudioFileWrite"));
        QVERIFY(!uncreated.write(silence, 4));
        QCOMPARE(errors.count(), 1);
        QVERIFY(!QFile::exists(missing));

        std::vector<float> noise(88200 * 2);
        for (size_t i = 0; i < noise.size(); ++i)
            noise[i] = float((i * 7919 % 2001) / 1000.0 - 1.0);
        NativeAudioEncoder encoder(path("full.flac"), MAudioFormat());
        QVERIFY(encoder.isOpen());
        QSignalSpy writeErrors(&encoder, SIGNAL(error(QString)));
        bool bWritten = true;
        {
            TestKit::FileSizeLimit limit(4096);
            QVERIFY(limit.isActive());
            QTest::ignoreMessage(QtDebugMsg, QRegularExpression("ExtAudioFileWrite|ExtAudioFileDispose"));
            bWritten = encoder.write(noise.data(), int(noise.size())) && encoder.finish();
        }
        QVERIFY(!bWritten);
        QCOMPARE(writeErrors.count(), 1);
    }

    void testStreamFormats()
    {
        const auto fields = [](const EncoderStreamFormat& f) {
            return QList<unsigned>({f.formatFlags, f.bytesPerPacket, f.framesPerPacket, f.bytesPerFrame,
                                    f.channelsPerFrame, f.bitsPerChannel, f.reserved});
        };
        MAudioFormat format;
        format.sampleRate = 48000;
        format.channels = 6;
        format.bitsPerSample = 24;
        NativeAudioEncoder encoder(path("formats.flac"), format);
        EncoderStreamFormat output;
        output.reserved = 7;
        encoder.createOutputFormat(&output);
        QCOMPARE(output.sampleRate, 48000.0);
        QCOMPARE(output.formatID, 0x666C6163u); // 'flac'
        QCOMPARE(fields(output), QList<unsigned>({1, 0, 1024, 0, 6, 24, 0}));
        EncoderStreamFormat client;
        client.reserved = 7;
        encoder.createCanonicalFormat(&client);
        QCOMPARE(client.sampleRate, 48000.0);
        QCOMPARE(client.formatID, 0x6C70636Du); // 'lpcm'
        QCOMPARE(fields(client), QList<unsigned>({9, 24, 1, 24, 6, 32, 7}));

        // A lossless stream has no bit rate to set; a file that is not open says so.
        FlacStreamWriter file;
        QCOMPARE(setBitRate(&file, 128000), 0x7772706D); // 'wrpm'
        QCOMPARE(file.open(path("rate.flac"), 44100, 2, 16), 0);
        QCOMPARE(setBitRate(&file, 128000), 0x7074793F); // 'pty?'
        QCOMPARE(file.finish(), 0);
        encoder.finish();
    }

    void testCheckResult()
    {
        NativeAudioEncoder encoder(path("check.flac"), MAudioFormat());
        QSignalSpy errors(&encoder, SIGNAL(error(QString)));
        QVERIFY(encoder.checkResult(0, "op"));
        QCOMPARE(errors.count(), 0);
        QTest::ignoreMessage(QtDebugMsg, "\"1718449215 : op 'fmt?'\"");
        QVERIFY(!encoder.checkResult(0x666d743f, "op"));
        QCOMPARE(errors.count(), 1);
        QCOMPARE(errors.at(0).at(0).toString(), QString("1718449215 : op 'fmt?'"));
        encoder.finish();
    }
};

TRELVANIC_TEST_MAIN(TestFlacEncoder)
#include "tst_flacencoder.moc"
