#include "TestMain.h"
#include "Tools.h"

#include <ZADovuzIdida/Native/MediaStatus.h>
#include <ZADovuzIdida/NativeAudioDecoder.h>

#include <QSignalSpy>
#include <QTemporaryDir>

#include <cmath>
#include <cstring>
#include <vector>

using namespace ZADovuzIdida;

namespace {

// Reads the whole file through the batch worker's protocol.
std::vector<float> decodeAll(NativeAudioDecoder& decoder, const QString& path, int rate, int bits, int channels)
{
    std::vector<float> samples;
    std::vector<float> block(32000);
    decoder.setFile(path, rate, bits, channels);
    for (;;) {
        const int got = decoder.read(block.data(), int(block.size()));
        if (got <= 0)
            break;
        samples.insert(samples.end(), block.begin(), block.begin() + got);
    }
    decoder.finish();
    return samples;
}

std::vector<qint16> referenceS16(const QString& path, int rate, bool mono)
{
    QStringList args{"-v", "error", "-i", path, "-map", "0:a:0"};
    if (mono)
        args << "-af" << QString("pan=stereo|c0=c0|c1=c0,aresample=%1").arg(rate);
    else
        args << "-ac" << "2" << "-ar" << QString::number(rate);
    args << "-f" << "s16le" << "-";
    const TestKit::ToolResult result = TestKit::runTool("ffmpeg", args);
    std::vector<qint16> samples(size_t(result.out.size()) / 2);
    if (!samples.empty())
        std::memcpy(samples.data(), result.out.constData(), samples.size() * 2);
    return result.exitCode == 0 ? samples : std::vector<qint16>();
}

} // namespace

class TestNativeAudioDecoder : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;

    QString path(const QString& name) const { return m_dir.filePath(name); }

    void ffmpeg(const QStringList& args)
    {
        const TestKit::ToolResult result =
            TestKit::runTool("ffmpeg", QStringList{"-hide_banner", "-v", "error", "-y"} + args);
        QVERIFY2(result.exitCode == 0, result.err.constData());
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        const QString tone = "sine=f=440:r=48000:d=2";
        ffmpeg({"-f", "lavfi", "-i", "aevalsrc=0.3*sin(2*PI*440*t)|0.2*sin(2*PI*660*t):s=48000:d=2", "-c:a",
                "pcm_s16le", path("stereo.wav")});
        ffmpeg({"-f", "lavfi", "-i", tone, "-c:a", "pcm_s16le", path("mono.wav")});
        ffmpeg({"-i", path("stereo.wav"), path("stereo.flac")});
        ffmpeg({"-i", path("stereo.wav"), "-c:a", "libmp3lame", "-b:a", "192k", path("stereo.mp3")});
        ffmpeg({"-i", path("stereo.wav"), "-c:a", "libvorbis", path("stereo.ogg")});
        ffmpeg({"-i", path("stereo.wav"), "-c:a", "libopus", path("stereo.opus")});
        ffmpeg({"-i", path("stereo.wav"), "-c:a", "aac", path("stereo.m4a")});
        ffmpeg({"-f", "lavfi", "-i", "testsrc=size=160x120:rate=10:duration=2", "-f", "lavfi", "-i", tone, "-c:v",
                "mpeg4", "-c:a", "aac", "-shortest", path("video.mp4")});
        ffmpeg({"-f", "lavfi", "-i",
                "aevalsrc=0.6*sin(2*PI*300*t)|0.5*sin(2*PI*400*t)|0.4*sin(2*PI*500*t)|0.2*sin(2*PI*60*t)|"
                "0.5*sin(2*PI*700*t)|0.5*sin(2*PI*800*t):c=5.1:s=44100:d=2",
                "-c:a", "flac", path("surround.flac")});
        ffmpeg({"-f", "lavfi", "-i", "aevalsrc=0.5|0.5:s=8000:d=0.5", "-c:a", "pcm_s16le", path("pp.wav")});
        ffmpeg({"-f", "lavfi", "-i", "aevalsrc=-0.5|-0.5:s=8000:d=0.5", "-c:a", "pcm_s16le", path("nn.wav")});
        ffmpeg({"-f", "lavfi", "-i", "aevalsrc=0.5|-0.5:s=8000:d=0.5", "-c:a", "pcm_s16le", path("pn.wav")});
        ffmpeg({"-f", "lavfi", "-i", "aevalsrc=0|0.3:s=8000:d=0.5", "-c:a", "pcm_s16le", path("zp.wav")});
        ffmpeg({"-f", "lavfi", "-i", "aevalsrc=1|1:s=8000:d=0.5", "-c:a", "pcm_s16le", path("ones.wav")});
        QFile text(path("notes.txt"));
        QVERIFY(text.open(QIODevice::WriteOnly));
        text.write("just some words, no sound\n");
    }

    void testAgainstFfmpeg_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<int>("rate");
        QTest::addColumn<bool>("mono");
        QTest::newRow("wav") << "stereo.wav" << 44100 << false;
        QTest::newRow("wav same rate") << "stereo.wav" << 48000 << false;
        QTest::newRow("flac") << "stereo.flac" << 44100 << false;
        QTest::newRow("mp3") << "stereo.mp3" << 44100 << false;
        QTest::newRow("vorbis") << "stereo.ogg" << 44100 << false;
        QTest::newRow("opus") << "stereo.opus" << 44100 << false;
        QTest::newRow("aac") << "stereo.m4a" << 44100 << false;
        QTest::newRow("video sound track") << "video.mp4" << 44100 << true;
        QTest::newRow("mono wav at unity") << "mono.wav" << 44100 << true;
        QTest::newRow("5.1 flac") << "surround.flac" << 48000 << false;
    }

    // The decoded 16-bit samples match ffmpeg's own conversion within 2 LSB, and the length within a few frames.
    void testAgainstFfmpeg()
    {
        QFETCH(QString, file);
        QFETCH(int, rate);
        QFETCH(bool, mono);
        NativeAudioDecoder decoder;
        QSignalSpy errors(&decoder, SIGNAL(error(QString)));
        const std::vector<float> decoded = decodeAll(decoder, path(file), rate, 16, 2);
        const std::vector<qint16> reference = referenceS16(path(file), rate, mono);
        QCOMPARE(errors.count(), 0);
        QVERIFY(reference.size() > size_t(rate));
        const long frameDifference = long(decoded.size() / 2) - long(reference.size() / 2);
        QVERIFY2(std::abs(frameDifference) <= 4, qPrintable(QString::number(frameDifference)));
        const size_t common = std::min(decoded.size(), reference.size());
        int worst = 0;
        double peak = 0;
        for (size_t i = 0; i < common; ++i) {
            const float scaled = decoded[i] * 32768.0f;
            QCOMPARE(scaled, std::round(scaled));
            worst = std::max(worst, std::abs(int(scaled) - int(reference[i])));
            peak = std::max(peak, std::fabs(double(decoded[i])));
        }
        QVERIFY2(worst <= 2, qPrintable(QString("largest difference %1 LSB").arg(worst)));
        QVERIFY(peak > 0.05);
    }

    // A mono source reaches both channels unchanged; the peak equals sox's maximum amplitude.
    void testMonoAtUnityAndPeak()
    {
        NativeAudioDecoder decoder;
        const std::vector<float> decoded = decodeAll(decoder, path("mono.wav"), 48000, 16, 2);
        QVERIFY(!decoded.empty());
        float peak = 0;
        for (size_t i = 0; i + 1 < decoded.size(); i += 2) {
            QCOMPARE(decoded[i], decoded[i + 1]);
            peak = std::max(peak, std::fabs(decoded[i]));
        }
        const TestKit::ToolResult stat = TestKit::runTool("sox", {path("mono.wav"), "-n", "stat"});
        QCOMPARE(stat.exitCode, 0);
        const QString text = QString::fromLocal8Bit(stat.err);
        const int at = text.indexOf("Maximum amplitude:");
        QVERIFY(at >= 0);
        const double soxPeak = text.mid(at + 18).section('\n', 0, 0).trimmed().toDouble();
        QVERIFY2(std::fabs(peak - soxPeak) < 1.0 / 32768 + 1e-6, qPrintable(QString("%1 vs %2").arg(peak).arg(soxPeak)));
    }

    // The frame count follows ffprobe's stream length scaled to the target rate.
    void testFrameCount()
    {
        const TestKit::ToolResult probe = TestKit::runTool(
            "ffprobe", {"-v", "error", "-select_streams", "a:0", "-show_entries", "stream=duration_ts,sample_rate", "-of",
                        "default=noprint_wrappers=1", path("stereo.flac")});
        QCOMPARE(probe.exitCode, 0);
        qint64 durationTs = 0;
        int sourceRate = 0;
        for (const QByteArray& line : probe.out.split('\n')) {
            if (line.startsWith("duration_ts="))
                durationTs = line.mid(12).toLongLong();
            if (line.startsWith("sample_rate="))
                sourceRate = line.mid(12).toInt();
        }
        QVERIFY(durationTs > 0 && sourceRate > 0);
        NativeAudioDecoder decoder;
        const qint64 frames = qint64(decodeAll(decoder, path("stereo.flac"), 22050, 16, 2).size() / 2);
        const qint64 expected = durationTs * 22050 / sourceRate;
        QVERIFY2(std::abs(frames - expected) <= 2, qPrintable(QString("%1 vs %2").arg(frames).arg(expected)));
    }

    void testBitDepths_data()
    {
        QTest::addColumn<int>("bits");
        QTest::addColumn<double>("step");
        QTest::newRow("8 as 16") << 8 << 1.0 / 32768;
        QTest::newRow("16") << 16 << 1.0 / 32768;
        QTest::newRow("20 as 16") << 20 << 1.0 / 32768;
        QTest::newRow("24") << 24 << 1.0 / 8388608;
        QTest::newRow("32") << 32 << 1.0 / 2147483648.0;
    }

    // Every depth gives the same signal; samples lie on the grid of the intermediate integers.
    void testBitDepths()
    {
        QFETCH(int, bits);
        QFETCH(double, step);
        NativeAudioDecoder decoder;
        const std::vector<float> reference = decodeAll(decoder, path("stereo.flac"), 44100, 16, 2);
        const std::vector<float> decoded = decodeAll(decoder, path("stereo.flac"), 44100, bits, 2);
        QCOMPARE(decoded.size(), reference.size());
        for (size_t i = 0; i < decoded.size(); ++i) {
            QVERIFY(std::fabs(decoded[i] - reference[i]) <= 2.0 / 32768);
            const double units = double(decoded[i]) / step;
            QVERIFY(std::fabs(units - std::round(units)) < 1e-3 || bits == 32);
        }
    }

    void testMixDown_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<float>("expected");
        QTest::newRow("both positive") << "pp.wav" << 0.75f;
        QTest::newRow("both negative") << "nn.wav" << -0.75f;
        QTest::newRow("opposite") << "pn.wav" << 0.0f;
        QTest::newRow("zero and positive") << "zp.wav" << float(9830 / 32768.0f);
        QTest::newRow("full scale") << "ones.wav" << 32767 / 32768.0f * 2 - (32767 / 32768.0f) * (32767 / 32768.0f);
    }

    // channels 1 mixes each pair in place and returns one float per frame.
    void testMixDown()
    {
        QFETCH(QString, file);
        QFETCH(float, expected);
        NativeAudioDecoder decoder;
        decoder.setFile(path(file), 8000, 16, 1);
        std::vector<float> block(1000, 99.0f);
        QCOMPARE(decoder.read(block.data(), 1000), 500);
        for (int i = 0; i < 500; ++i)
            QCOMPARE(block[size_t(i)], expected);
        decoder.finish();
    }

    // Reads ask count/2 frames, keep 0 at the end, and two passes are identical.
    void testProtocol()
    {
        NativeAudioDecoder decoder;
        QSignalSpy errors(&decoder, SIGNAL(error(QString)));
        std::vector<float> block(32001);
        QCOMPARE(decoder.read(block.data(), 100), 0);

        decoder.setFile(path("stereo.wav"), 48000, 16, 2);
        QCOMPARE(decoder.read(block.data(), 1), 0);
        QCOMPARE(decoder.read(block.data(), 7), 6);
        QCOMPARE(decoder.read(block.data(), 32000), 32000);
        decoder.setFile(path("stereo.wav"), 48000, 16, 1);
        QCOMPARE(decoder.read(block.data(), 32000), 16000);
        int total = 16000;
        for (int got; (got = decoder.read(block.data(), 32000)) > 0;)
            total += got;
        QCOMPARE(total, 96000);
        QCOMPARE(decoder.read(block.data(), 32000), 0);
        QCOMPARE(decoder.read(block.data(), 32000), 0);
        decoder.finish();
        QCOMPARE(decoder.read(block.data(), 32000), 0);
        QCOMPARE(decoder.path(), path("stereo.wav"));

        const std::vector<float> first = decodeAll(decoder, path("stereo.mp3"), 44100, 24, 2);
        const std::vector<float> second = decodeAll(decoder, path("stereo.mp3"), 44100, 24, 2);
        QVERIFY(!first.empty());
        QVERIFY(first == second);
        QCOMPARE(errors.count(), 0);
    }

    void testDamagedPacket_data()
    {
        QTest::addColumn<QString>("file");
        QTest::newRow("flac") << "stereo.flac";
        QTest::newRow("mp3") << "stereo.mp3";
    }

    // Garbage in the middle of a file costs only the damaged frames; decoding goes on to the end.
    void testDamagedPacket()
    {
        QFETCH(QString, file);
        QFile source(path(file));
        QVERIFY(source.open(QIODevice::ReadOnly));
        QByteArray bytes = source.readAll();
        source.close();
        for (int i = 0; i < 400; ++i)
            bytes[bytes.size() / 2 + i] = char((i * 37) ^ 0x5a);
        const QString damaged = path("damaged-" + file);
        QFile target(damaged);
        QVERIFY(target.open(QIODevice::WriteOnly));
        target.write(bytes);
        target.close();

        NativeAudioDecoder decoder;
        QSignalSpy errors(&decoder, SIGNAL(error(QString)));
        const size_t intact = decodeAll(decoder, path(file), 44100, 16, 2).size();
        const size_t survived = decodeAll(decoder, damaged, 44100, 16, 2).size();
        QCOMPARE(errors.count(), 0);
        QVERIFY2(survived >= intact * 8 / 10, qPrintable(QString("%1 of %2").arg(survived).arg(intact)));
    }

    void testFailures_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("openTail");
        QTest::newRow("missing") << "missing.wav" << "ExtAudioFileOpenURL failed (No such file or directory)";
        QTest::newRow("text") << "notes.txt" << "ExtAudioFileOpenURL failed";
    }

    // A file that cannot be opened gives the open, the format and then a read message per read.
    void testFailures()
    {
        QFETCH(QString, file);
        QFETCH(QString, openTail);
        NativeAudioDecoder decoder;
        QSignalSpy errors(&decoder, SIGNAL(error(QString)));
        decoder.setFile(path(file), 44100, 16, 2);
        std::vector<float> block(100);
        QCOMPARE(decoder.read(block.data(), 100), 0);
        QCOMPARE(decoder.read(block.data(), 100), 0);
        QCOMPARE(errors.count(), 4);
        QVERIFY2(errors.at(0).at(0).toString().contains(" : " + openTail), qPrintable(errors.at(0).at(0).toString()));
        QVERIFY(errors.at(1).at(0).toString().contains(" : Couldn't set client data format on input ext file "));
        QVERIFY(errors.at(2).at(0).toString().contains(" : Couldn't read from input file "));
        QVERIFY(errors.at(3).at(0).toString().contains(" : Couldn't read from input file "));
        decoder.finish();
    }

    void testStatusMessage()
    {
        QCOMPARE(fourCharStatus('f', 'm', 't', '?'), 0x666d743f);
        QCOMPARE(statusMessage(kStatusUnsupportedDataFormat, "ExtAudioFileOpenURL failed"),
                 QString("1718449215 : ExtAudioFileOpenURL failed 'fmt?'"));
        QCOMPARE(statusMessage(0x61626364, "op"), QString("1633837924 : op 'abcd'"));
        QCOMPARE(statusMessage(-2, "op"), QString("-2 : op (No such file or directory)"));
        QVERIFY(statusMessage(1, "op").startsWith("1 : op ("));
    }
};

TRELVANIC_TEST_MAIN(TestNativeAudioDecoder)
#include "tst_nativeaudiodecoder.moc"
