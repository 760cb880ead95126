#include "MediaTestKit.h"
#include "TestMain.h"

#include <ZADovuzIdida/CoreLender.h>
#include <ZADovuzIdida/Native/FfmpegDecoder.h>
#include <ZADovuzIdida/Native/MediaStatus.h>
#include <ZADovuzIdida/NativeAudioDecoder.h>

#include <QProcess>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QThread>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstring>
#include <memory>
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
        args << "-ac"
             << "2"
             << "-ar" << QString::number(rate);
    args << "-f"
         << "s16le"
         << "-";
    const TestKit::ToolResult result = TestKit::runTool("ffmpeg", args);
    std::vector<qint16> samples(size_t(result.out.size()) / 2);
    if (!samples.empty())
        std::memcpy(samples.data(), result.out.constData(), samples.size() * 2);
    return result.exitCode == 0 ? samples : std::vector<qint16>();
}

// Lends up to a number of cores, after refusing a number of requests, and counts those held.
struct CountingLender : CoreLender
{
    explicit CountingLender(int nCores, int nRefusals = 0) : nFree(nCores), nRefused(nRefusals) {}
    bool lend() override
    {
        if (nRefused > 0 && nRefused-- > 0)
            return false;
        for (int n = nFree; n > 0;) {
            if (nFree.compare_exchange_weak(n, n - 1)) {
                ++nLent;
                return ++nHeld > 0;
            }
        }
        return false;
    }
    void giveBack(int nCores) override
    {
        nHeld -= nCores;
        nFree += nCores;
    }
    std::atomic<int> nFree;
    std::atomic<int> nRefused;
    std::atomic<int> nHeld{0};
    std::atomic<int> nLent{0};
};

} // namespace

class TestNativeAudioDecoder : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;

    QString path(const QString& name) const { return m_dir.filePath(name); }

    static void ffmpeg(const QStringList& args) { QVERIFY2(MediaKit::ffmpeg(args), qPrintable(args.join(' '))); }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        const QString tone = "sine=f=440:r=48000:d=2";
        ffmpeg({"-f", "lavfi", "-i", "aevalsrc=0.3*sin(2*PI*440*t)|0.2*sin(2*PI*660*t):s=48000:d=2", "-c:a",
                "pcm_s16le", path("stereo.wav")});
        ffmpeg({"-f", "lavfi", "-i", tone, "-c:a", "pcm_s16le", path("mono.wav")});
        for (const char* codec : {"flac", "mp3", "ogg", "opus", "m4a"})
            ffmpeg({"-i", path("stereo.wav"), path("stereo.") + codec});
        ffmpeg({"-f", "lavfi", "-i", "testsrc=size=160x120:rate=10:duration=2", "-f", "lavfi", "-i", tone, "-c:v",
                "mpeg4", "-c:a", "aac", "-shortest", path("video.mp4")});
        ffmpeg({"-f", "lavfi", "-i",
                "aevalsrc=0.6*sin(2*PI*300*t)|0.5*sin(2*PI*400*t)|0.4*sin(2*PI*500*t)|0.2*sin(2*PI*60*t)|"
                "0.5*sin(2*PI*700*t)|0.5*sin(2*PI*800*t):c=5.1:s=44100:d=2",
                "-c:a", "flac", path("surround.flac")});
        QVERIFY(MediaKit::writeFile(path("notes.txt"), "just some words, no sound\n"));
        QVERIFY(TestKit::patchWavFormat(path("stereo.wav"), path("hugerate.wav"), 603987776, 2));
        QVERIFY(TestKit::patchWavFormat(path("stereo.wav"), path("lowrate.wav"), 999, 2));
        QVERIFY(TestKit::patchWavFormat(path("stereo.wav"), path("channels.wav"), 48000, 65));
    }

    // The decoded 16-bit samples match ffmpeg's own conversion within 2 LSB, and the length within a few frames;
    // mono sources reach both channels at unity.
    void testAgainstFfmpeg()
    {
        const QList<QPair<QString, int>> cases{{"stereo.wav", 44100},   {"stereo.wav", 48000}, {"stereo.flac", 44100},
                                               {"stereo.mp3", 44100},   {"stereo.ogg", 44100}, {"stereo.opus", 44100},
                                               {"stereo.m4a", 44100},   {"video.mp4", 44100},  {"mono.wav", 44100},
                                               {"surround.flac", 48000}};
        for (const auto& c : cases) {
            const QString file = c.first;
            const int rate = c.second;
            NativeAudioDecoder decoder;
            QSignalSpy errors(&decoder, SIGNAL(error(QString)));
            const std::vector<float> decoded = decodeAll(decoder, path(file), rate, 16, 2);
            const std::vector<qint16> reference =
                referenceS16(path(file), rate, file == "video.mp4" || file == "mono.wav");
            QCOMPARE(errors.count(), 0);
            QVERIFY(reference.size() > size_t(rate));
            const long frameDifference = long(decoded.size() / 2) - long(reference.size() / 2);
            QVERIFY2(std::abs(frameDifference) <= 4, qPrintable(file + ": " + QString::number(frameDifference)));
            int worst = 0;
            double peak = 0;
            for (size_t i = 0; i < std::min(decoded.size(), reference.size()); ++i) {
                const float scaled = decoded[i] * 32768.0f;
                QCOMPARE(scaled, std::round(scaled));
                worst = std::max(worst, std::abs(int(scaled) - int(reference[i])));
                peak = std::max(peak, std::fabs(double(decoded[i])));
            }
            QVERIFY2(worst <= 2 && peak > 0.05,
                     qPrintable(QString("%1: %2 LSB, peak %3").arg(file).arg(worst).arg(peak)));
        }
    }

    // The peak of a 16-bit WAV is sox's maximum amplitude; the frame count is ffprobe's length at the new rate.
    void testPeakAndFrameCount()
    {
        NativeAudioDecoder decoder;
        float peak = 0;
        for (float sample : decodeAll(decoder, path("mono.wav"), 48000, 16, 2))
            peak = std::max(peak, std::fabs(sample));
        const QRegularExpressionMatch match = QRegularExpression("Maximum amplitude:\\s+([0-9.]+)")
                                                  .match(TestKit::runTool("sox", {path("mono.wav"), "-n", "stat"}).err);
        QVERIFY(match.hasMatch());
        QVERIFY2(std::fabs(peak - match.captured(1).toDouble()) < 1.0 / 32768 + 1e-6, qPrintable(match.captured(1)));

        const QStringList stream{"-select_streams", "a:0"};
        const qint64 durationTs = MediaKit::probe("stream=duration_ts", path("stereo.flac"), stream).toLongLong();
        const int sourceRate = MediaKit::probe("stream=sample_rate", path("stereo.flac"), stream).toInt();
        QVERIFY(durationTs > 0 && sourceRate > 0);
        const qint64 frames = qint64(decodeAll(decoder, path("stereo.flac"), 22050, 16, 2).size() / 2);
        QVERIFY2(std::abs(frames - durationTs * 22050 / sourceRate) <= 2, qPrintable(QString::number(frames)));
    }

    // Every depth gives the same signal; samples lie on the grid of the intermediate integers (8 counts as 16).
    void testBitDepths()
    {
        NativeAudioDecoder decoder;
        const std::vector<float> reference = decodeAll(decoder, path("stereo.flac"), 44100, 16, 2);
        for (int bits : {8, 24, 32}) {
            const double step = bits == 24 ? 1.0 / 8388608 : 1.0 / 32768;
            const std::vector<float> decoded = decodeAll(decoder, path("stereo.flac"), 44100, bits, 2);
            QCOMPARE(decoded.size(), reference.size());
            for (size_t i = 0; i < decoded.size(); ++i) {
                QVERIFY(std::fabs(decoded[i] - reference[i]) <= 2.0 / 32768);
                const double units = double(decoded[i]) / step;
                QVERIFY2(bits == 32 || std::fabs(units - std::round(units)) < 1e-3, qPrintable(QString::number(bits)));
            }
        }
    }

    // Opus fills a pause after noise with denormal values, which cost a decoder three times the time: they come out
    // as zeros, everything else as ffmpeg decodes it.
    void testPauseWithoutDenormals()
    {
        ffmpeg({"-f", "lavfi", "-i", "anoisesrc=c=pink:r=48000:a=0.5:d=1,apad=whole_dur=3", "-ac", "2", "-c:a",
                "libopus", "-b:a", "128k", path("pause.opus")});
        const QByteArray bytes =
            TestKit::runTool("ffmpeg", {"-v", "error", "-i", path("pause.opus"), "-f", "f32le", "-"}).out;
        std::vector<float> reference(size_t(bytes.size()) / sizeof(float));
        std::memcpy(reference.data(), bytes.constData(), reference.size() * sizeof(float));
        const auto isDenormal = [](float value) { return std::fpclassify(value) == FP_SUBNORMAL; };
        QVERIFY(std::count_if(reference.begin(), reference.end(), isDenormal) > 1000);

        FfmpegDecoder decoder;
        QCOMPARE(decoder.open(path("pause.opus")), 0);
        QCOMPARE(decoder.setOutputFormat(48000, FfmpegDecoder::SampleFormat::F32), 0);
        std::vector<float> decoded;
        std::vector<float> block(2 * 4096);
        for (int got; (got = decoder.read(block.data(), 4096)) > 0;)
            decoded.insert(decoded.end(), block.begin(), block.begin() + 2 * got);
        QCOMPARE(decoded.size(), reference.size());
        QCOMPARE(std::count_if(decoded.begin(), decoded.end(), isDenormal), 0L);
        for (size_t i = 0; i < decoded.size(); ++i)
            QVERIFY2(std::fabs(decoded[i] - reference[i]) < 1e-30f, qPrintable(QString::number(i)));
    }

    void testMixDown_data()
    {
        QTest::addColumn<QString>("source");
        QTest::addColumn<float>("expected");
        QTest::newRow("both positive") << "0.5|0.5" << 0.75f;
        QTest::newRow("both negative") << "-0.5|-0.5" << -0.75f;
        QTest::newRow("opposite") << "0.5|-0.5" << 0.0f;
        QTest::newRow("zero and positive") << "0|0.3" << float(9830 / 32768.0f);
        QTest::newRow("full scale") << "1|1" << 32767 / 32768.0f * 2 - (32767 / 32768.0f) * (32767 / 32768.0f);
    }

    // channels 1 mixes each pair in place and returns one float per frame.
    void testMixDown()
    {
        QFETCH(QString, source);
        QFETCH(float, expected);
        const QString file = path("mix.wav");
        ffmpeg({"-f", "lavfi", "-i", "aevalsrc=" + source + ":s=8000:d=0.5", "-c:a", "pcm_s16le", file});
        NativeAudioDecoder decoder;
        decoder.setFile(file, 8000, 16, 1);
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

    // Garbage in the middle of a file costs only the damaged frames; decoding goes on to the end.
    void testDamagedPacket()
    {
        for (const QString& file : QStringList{"stereo.flac", "stereo.mp3"}) {
            QByteArray bytes = MediaKit::readAll(path(file));
            for (int i = 0; i < 400; ++i)
                bytes[bytes.size() / 2 + i] = char((i * 37) ^ 0x5a);
            QVERIFY(MediaKit::writeFile(path("damaged-" + file), bytes));
            NativeAudioDecoder decoder;
            QSignalSpy errors(&decoder, SIGNAL(error(QString)));
            const size_t intact = decodeAll(decoder, path(file), 44100, 16, 2).size();
            const size_t survived = decodeAll(decoder, path("damaged-" + file), 44100, 16, 2).size();
            QCOMPARE(errors.count(), 0);
            QVERIFY2(survived >= intact * 8 / 10,
                     qPrintable(QString("%1: %2 of %3").arg(file).arg(survived).arg(intact)));
        }
    }

    void testSections_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<int>("bits");
        QTest::addColumn<int>("channels");
        // Cores the threads may borrow, one per section decoded; -1: threads of their own.
        QTest::addColumn<int>("lendable");
        const QString music = "aevalsrc=0.4*sin(2*PI*440*t)+0.2*sin(2*PI*3111*t*t):s=44100:d=47.3";
        ffmpeg({"-f", "lavfi", "-i", music, "-f", "lavfi", "-i", "anoisesrc=a=0.2:d=47.3", "-filter_complex",
                "amix=inputs=2,pan=stereo|c0=c0|c1=0.5*c0", "-c:a", "flac", path("long.flac")});
        ffmpeg({"-i", path("long.flac"), "-t", "30", "-c:a", "pcm_s24le", path("thirty.wav")});
        ffmpeg({"-i", path("long.flac"), "-t", "25", "-ac", "1", path("mono-long.wav")});
        QVERIFY(
            TestKit::runTool("flac", {"-s", "--no-seektable", "-f", "-o", path("untabled.flac"), path("thirty.wav")})
                .exitCode == 0);
        const QByteArray bytes = MediaKit::readAll(path("long.flac"));
        QVERIFY(MediaKit::writeFile(path("cut-long.flac"), bytes.left(bytes.size() * 2 / 3)));
        QTest::newRow("FLAC, 16 bits") << "long.flac" << 16 << 2 << -1;
        QTest::newRow("FLAC to mono, 32 bits") << "long.flac" << 32 << 1 << -1;
        QTest::newRow("24-bit WAV of whole sections, 24 bits") << "thirty.wav" << 24 << 2 << -1;
        QTest::newRow("mono WAV") << "mono-long.wav" << 16 << 2 << -1;
        QTest::newRow("FLAC without seek table") << "untabled.flac" << 24 << 2 << -1;
        QTest::newRow("FLAC cut short") << "cut-long.flac" << 16 << 2 << -1;
        QTest::newRow("FLAC on lent cores") << "long.flac" << 16 << 2 << 2;
        // Every core busy elsewhere: the reader's own decodes while it waits.
        QTest::newRow("FLAC, no core to lend") << "long.flac" << 16 << 2 << 0;
    }

    // Decoded in sections on several threads, a file gives the same samples and errors as read from its start.
    void testSections()
    {
        QFETCH(QString, file);
        QFETCH(int, bits);
        QFETCH(int, channels);
        QFETCH(int, lendable);
        NativeAudioDecoder whole;
        QSignalSpy wholeErrors(&whole, SIGNAL(error(QString)));
        const std::vector<float> reference = decodeAll(whole, path(file), 44100, bits, channels);
        CountingLender lender(std::max(lendable, 0));
        NativeAudioDecoder sectioned;
        sectioned.setSectionThreads(3, lendable >= 0 ? &lender : nullptr);
        QSignalSpy errors(&sectioned, SIGNAL(error(QString)));
        const std::vector<float> samples = decodeAll(sectioned, path(file), 44100, bits, channels);
        QVERIFY(reference.size() > size_t(20 * 44100 * channels));
        QCOMPARE(samples.size(), reference.size());
        QVERIFY(samples == reference);
        QCOMPARE(errors.count(), wholeErrors.count());
        QCOMPARE(lender.nHeld.load(), 0);
        if (lendable <= 0)
            return;
        // A reader that stops after its first block: the threads decode what they may ahead of it, then hold no
        // core while they wait.
        NativeAudioDecoder stalled;
        stalled.setSectionThreads(1, &lender);
        stalled.setFile(path(file), 44100, bits, channels);
        std::vector<float> block(32000);
        QVERIFY(stalled.read(block.data(), int(block.size())) > 0);
        QTRY_COMPARE_WITH_TIMEOUT(lender.nHeld.load(), 0, 60000);
        stalled.finish();
    }

    void testDamagedInSections_data()
    {
        QTest::addColumn<int>("lendable");
        QTest::addColumn<int>("refusals");
        QTest::addColumn<bool>("busy");
        // Noise, so that 4 KiB hold a few milliseconds; flipped by the start of the section at 30 s and in the middle.
        ffmpeg({"-f", "lavfi", "-i", "anoisesrc=a=0.3:r=44100:d=90", "-ac", "2", path("damaged-long.flac")});
        QByteArray bytes = MediaKit::readAll(path("damaged-long.flac"));
        for (const int at : {bytes.size() / 3, bytes.size() / 2}) {
            for (int i = at; i < at + 4096; ++i)
                bytes[i] = char(~bytes[i]);
        }
        QVERIFY(MediaKit::writeFile(path("damaged-long.flac"), bytes));
        QTest::newRow("cores lent at start") << 3 << 0 << false;
        QTest::newRow("cores lent late, every core busy") << 3 << 40 << true;
        QTest::newRow("no core to lend, every core busy") << 0 << 0 << true;
    }

    // Damage loses the same frames decoded in sections as read from the start and is counted, in every run.
    void testDamagedInSections()
    {
        QFETCH(int, lendable);
        QFETCH(int, refusals);
        QFETCH(bool, busy);
        NativeAudioDecoder whole;
        const std::vector<float> reference = decodeAll(whole, path("damaged-long.flac"), 44100, 16, 2);
        QVERIFY(whole.damagedPackets() > 0);
        std::vector<std::unique_ptr<QProcess>> vecBusy;
        for (int i = 0; busy && i < QThread::idealThreadCount(); ++i) {
            vecBusy.push_back(std::make_unique<QProcess>());
            vecBusy.back()->start("sh", {"-c", "while :; do :; done"});
        }
        for (int run = 0; run < 2; ++run) {
            CountingLender lender(lendable, refusals);
            NativeAudioDecoder sectioned;
            sectioned.setSectionThreads(3, &lender);
            const std::vector<float> samples = decodeAll(sectioned, path("damaged-long.flac"), 44100, 16, 2);
            QCOMPARE(samples.size(), reference.size());
            QVERIFY(samples == reference);
            QVERIFY(sectioned.damagedPackets() > 0);
        }
    }

    void testLossySections_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<int>("rate");
        // Decoded in sections, or whole where a section could not give the same floats.
        QTest::addColumn<bool>("sectioned");
        QTest::addColumn<bool>("busy");
        ffmpeg({"-f", "lavfi", "-i", "aevalsrc=0.4*sin(2*PI*440*t)*sin(PI*t)+0.2*sin(2*PI*3111*t*t):s=44100:d=47", "-f",
                "lavfi", "-i", "anoisesrc=c=pink:a=0.2:d=47", "-filter_complex",
                "amix=inputs=2,pan=stereo|c0=c0|c1=0.5*c0+0.1*c1", path("music.wav")});
        for (const char* kind : {"mp3", "ogg", "opus", "m4a", "aac"})
            ffmpeg({"-i", path("music.wav"), path("music.") + kind});
        ffmpeg({"-i", path("music.wav"), "-c:a", "libmp3lame", "-q:a", "2", path("vbr.mp3")});
        ffmpeg({"-i", path("music.wav"), "-ar", "8000", "-b:a", "8k", path("small-frames.mp3")});
        ffmpeg({"-i", path("music.wav"), "-t", "8", path("short.mp3")});
        // A rate change, and a chained Ogg stream of other headers, each from 20 s on.
        ffmpeg({"-i", path("music.wav"), "-t", "20", path("first.mp3")});
        ffmpeg({"-i", path("music.wav"), "-ss", "20", "-ar", "48000", path("second.mp3")});
        ffmpeg({"-i", path("music.wav"), "-t", "20", path("first.ogg")});
        ffmpeg({"-i", path("music.wav"), "-ss", "20", "-ac", "1", "-q:a", "8", path("second.ogg")});
        for (const char* kind : {"mp3", "ogg"}) {
            QVERIFY(MediaKit::writeFile(path("joined.") + kind, MediaKit::readAll(path("first.") + kind) +
                                                                    MediaKit::readAll(path("second.") + kind)));
        }
        // Garbage where the section at 10 s begins and in the middle of the next.
        QByteArray bytes = MediaKit::readAll(path("music.mp3"));
        for (const int at : {bytes.size() * 10 / 47 - 300, bytes.size() / 2}) {
            for (int i = at; i < at + 700; ++i)
                bytes[i] = char((i * 37) ^ 0x5a);
        }
        QVERIFY(MediaKit::writeFile(path("damaged.mp3"), bytes));
        QVERIFY(MediaKit::writeFile(path("cut-music.mp3"),
                                    MediaKit::readAll(path("music.mp3")).left(bytes.size() * 2 / 3)));
        QTest::newRow("MP3") << "music.mp3" << 44100 << true << false;
        QTest::newRow("MP3, every core busy") << "music.mp3" << 44100 << true << true;
        QTest::newRow("MP3 of variable rate, Xing header") << "vbr.mp3" << 44100 << true << false;
        QTest::newRow("MP3 of small frames") << "small-frames.mp3" << 8000 << true << false;
        QTest::newRow("MP3, damaged frames") << "damaged.mp3" << 44100 << true << false;
        QTest::newRow("MP3 cut short") << "cut-music.mp3" << 44100 << true << false;
        QTest::newRow("MP3 shorter than a section") << "short.mp3" << 44100 << false << false;
        QTest::newRow("MP3 changing its rate") << "joined.mp3" << 44100 << true << false;
        QTest::newRow("MP3 resampled") << "music.mp3" << 48000 << false << false;
        QTest::newRow("Vorbis") << "music.ogg" << 44100 << true << false;
        QTest::newRow("Vorbis, chained") << "joined.ogg" << 44100 << true << false;
        // Noise substitution draws on a generator that runs from the file's start; Opus keeps filter state.
        QTest::newRow("AAC in M4A") << "music.m4a" << 44100 << false << false;
        QTest::newRow("AAC in ADTS") << "music.aac" << 44100 << false << false;
        QTest::newRow("Opus") << "music.opus" << 48000 << false << false;
    }

    // Lossy files decoded in sections give the floats of a decode from the start, byte for byte, and the same
    // damage; where a section cannot, the rest is decoded from the start.
    void testLossySections()
    {
        QFETCH(QString, file);
        QFETCH(int, rate);
        QFETCH(bool, sectioned);
        QFETCH(bool, busy);
        NativeAudioDecoder whole;
        QSignalSpy wholeErrors(&whole, SIGNAL(error(QString)));
        const std::vector<float> reference = decodeAll(whole, path(file), rate, 32, 2);
        std::vector<std::unique_ptr<QProcess>> vecBusy;
        for (int i = 0; busy && i < QThread::idealThreadCount(); ++i) {
            vecBusy.push_back(std::make_unique<QProcess>());
            vecBusy.back()->start("sh", {"-c", "while :; do :; done"});
        }
        CountingLender lender(3, busy ? 40 : 0);
        NativeAudioDecoder decoder;
        decoder.setSectionThreads(3, &lender);
        QSignalSpy errors(&decoder, SIGNAL(error(QString)));
        const std::vector<float> samples = decodeAll(decoder, path(file), rate, 32, 2);
        QCOMPARE(errors.count(), wholeErrors.count());
        QVERIFY(reference.size() > size_t(rate));
        QCOMPARE(samples.size(), reference.size());
        QVERIFY(std::memcmp(samples.data(), reference.data(), samples.size() * sizeof(float)) == 0);
        QCOMPARE(decoder.damagedPackets(), whole.damagedPackets());
        // Under load the file may be decoded to its end before the lender gives in.
        if (!busy)
            QCOMPARE(lender.nLent.load() > 0, sectioned);
        QCOMPARE(lender.nHeld.load(), 0);
    }

    // A file cut short of the length it declares ends with one read error.
    void testTruncated()
    {
        for (const QString& file : QStringList{"stereo.flac", "stereo.mp3"}) {
            const QByteArray bytes = MediaKit::readAll(path(file));
            QVERIFY(MediaKit::writeFile(path("cut-" + file), bytes.left(bytes.size() / 3)));
            NativeAudioDecoder decoder;
            QSignalSpy errors(&decoder, SIGNAL(error(QString)));
            QVERIFY(!decodeAll(decoder, path("cut-" + file), 44100, 16, 2).empty());
            QCOMPARE(errors.count(), 1);
            QVERIFY2(errors[0][0].toString().endsWith("Couldn't read from input file 'eof?'"), qPrintable(file));
        }
    }

    // A file that cannot be opened, or declares a rate or channel count no real file has, gives the open, the
    // format and then a read message per read.
    void testFailures()
    {
        const QList<QPair<QString, QString>> cases{
            {"missing.wav", "ExtAudioFileOpenURL failed (No such file or directory)"},
            {"notes.txt", "ExtAudioFileOpenURL failed"},
            {"hugerate.wav", "ExtAudioFileOpenURL failed 'fmt?'"},
            {"lowrate.wav", "ExtAudioFileOpenURL failed 'fmt?'"},
            {"channels.wav", "ExtAudioFileOpenURL failed 'fmt?'"}};
        for (const auto& c : cases) {
            NativeAudioDecoder decoder;
            QSignalSpy errors(&decoder, SIGNAL(error(QString)));
            decoder.setFile(path(c.first), 44100, 16, 2);
            std::vector<float> block(100);
            QCOMPARE(decoder.read(block.data(), 100), 0);
            QCOMPARE(decoder.read(block.data(), 100), 0);
            QStringList texts;
            for (const QList<QVariant>& error : errors)
                texts << error.at(0).toString().section(" : ", 1);
            QCOMPARE(texts.size(), 4);
            QVERIFY2(texts.at(0).startsWith(c.second), qPrintable(texts.at(0)));
            QVERIFY(texts.at(1).startsWith("Couldn't set client data format on input ext file "));
            QVERIFY(texts.at(2).startsWith("Couldn't read from input file ") && texts.at(3) == texts.at(2));
            decoder.finish();
        }
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
