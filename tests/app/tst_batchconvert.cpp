#include "FileSizeLimit.h"
#include "FuseDrive.h"
#include "InjectedFaults.h"
#include "SelfRun.h"
#include "TestMain.h"
#include "Tools.h"

#include <core/BatchWorker.h>
#include <core/ConversionSettings.h>
#include <core/CoreBudget.h>
#include <core/FileCopy.h>
#include <core/FreeSpace.h>
#include <core/GeneralOutput.h>
#include <core/ParallelTruePeak.h>
#include <core/PeakSearch.h>
#include <core/ProductVariant.h>
#include <core/TruePeak.h>

#include <VUVararer/App.h>
#include <ZADovuzIdida/NativeAudioDecoder.h>
#include <ZADovuzIdida/NativeAudioTools.h>

#include <QDirIterator>
#include <QImage>
#include <QTemporaryDir>
#include <QtTest>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <functional>
#include <memory>
#include <utility>

#include <csignal>
#include <fcntl.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Plays a fixed signal; later passes can yield extra values.
class FakeDecoder : public ZADovuzIdida::NativeAudioDecoderBase
{
public:
    QVector<float> signal;
    int nExtraOnReopen = 0;

    void setFile(const QString&, const int&, const int&, const int&) override
    {
        m_nPosition = 0;
        ++m_nOpened;
    }
    int read(float* buffer, int count) override
    {
        const int total = signal.size() + (m_nOpened > 1 ? nExtraOnReopen : 0);
        const int n = std::min(count, total - m_nPosition);
        for (int i = 0; i < n; ++i, ++m_nPosition)
            buffer[i] = m_nPosition < signal.size() ? signal[m_nPosition] : 0.5f;
        return n;
    }
    void finish() override {}

private:
    int m_nPosition = 0;
    int m_nOpened = 0;
};

class CapturingOutput : public GeneralOutput
{
public:
    CapturingOutput(const QString& target, QVector<float>* pSink) : GeneralOutput(target, {}), m_pSink(pSink) {}
    void write(float* data, qint64 count) override
    {
        for (qint64 i = 0; i < count; ++i)
            m_pSink->append(data[i]);
    }
    bool close() override { return true; }
    bool completeIntermediate() override { return false; }

private:
    QVector<float>* m_pSink;
};

// The real decoder; before the second pass the source vanishes or is replaced.
class ChangingDecoder : public ZADovuzIdida::NativeAudioDecoder
{
public:
    QString strReplacement;

    void setFile(const QString& path, const int& rate, const int& bits, const int& channels) override
    {
        if (++m_nOpened == 2) {
            QFile::remove(path);
            if (!strReplacement.isEmpty())
                QFile::copy(strReplacement, path);
        }
        NativeAudioDecoder::setFile(path, rate, bits, channels);
    }

private:
    int m_nOpened = 0;
};

// The decoded peak in dBFS of a fake encoder's result as a function of the gain over the intermediate in dB.
using PeakCurve = std::function<double(double)>;

// An encoder whose result is its input scaled to the peak its curve gives for the gain, as a float WAV file; counts
// its encodes; where the curve gives no peak, the encode fails. With a marker, the second encode creates it and never
// ends.
class CurveOutput : public GeneralOutput
{
public:
    CurveOutput(const QString& target, const ZADovuzIdida::MAudioFormat& format, const PeakCurve& curve, int* pEncodes,
                const QString& marker)
        : GeneralOutput(target, format), m_curve(curve), m_pEncodes(pEncodes), m_strMarker(marker)
    {
    }

protected:
    bool encode(const QString& input, const QString& output, float gain, QString*) override
    {
        if (++*m_pEncodes == 2 && !m_strMarker.isEmpty()) {
            QFile(m_strMarker).open(QIODevice::WriteOnly);
            QThread::sleep(600);
        }
        const double decibels =
            m_curve(20.0 * std::log10(gain)) - 20.0 * std::log10(ZADovuzIdida::NativeAudioTools::peak(input));
        if (std::isnan(decibels))
            return false;
        return TestKit::runTool("ffmpeg", {"-v", "error", "-y", "-i", input, "-af",
                                           QString("volume=%1dB").arg(decibels, 0, 'f', 4), "-c:a", "pcm_f32le", "-f",
                                           "wav", output})
                   .exitCode == 0;
    }

private:
    PeakCurve m_curve;
    int* m_pEncodes;
    QString m_strMarker;
};

// The real encoder; notes for each encode whether it left a result.
class NotingOutput : public GeneralOutput
{
public:
    explicit NotingOutput(const QString& target) : GeneralOutput(target, {}) {}
    QVector<bool> results;

protected:
    bool encode(const QString& input, const QString& output, float gain, QString* pReason) override
    {
        results << (GeneralOutput::encode(input, output, gain, pReason) && QFileInfo(output).size() > 0);
        return results.last();
    }
};

// The real encoder, its first result well below the peak limit; the run is cancelled as it encodes again.
class ReencodeCancelledOutput : public GeneralOutput
{
public:
    ReencodeCancelledOutput(const QString& target, BatchWorker* pWorker) : GeneralOutput(target, {}), m_pWorker(pWorker)
    {
    }

protected:
    bool encode(const QString& input, const QString& output, float gain, QString* pReason) override
    {
        if (++m_nEncodes == 2)
            m_pWorker->cancel();
        return GeneralOutput::encode(input, output, m_nEncodes == 1 ? gain / 4 : gain, pReason);
    }

private:
    BatchWorker* m_pWorker;
    int m_nEncodes = 0;
};

// The real encoder, its result made undecodable once it is written: only the encoder's own measure gives its peak.
class UndecodableOutput : public GeneralOutput
{
public:
    explicit UndecodableOutput(const QString& target) : GeneralOutput(target, {}) {}

protected:
    bool encode(const QString& input, const QString& output, float gain, QString* pReason) override
    {
        if (!GeneralOutput::encode(input, output, gain, pReason))
            return false;
        QFile file(output);
        return file.open(QIODevice::ReadWrite) && file.write(QByteArray(int(file.size()), '\0')) == file.size();
    }
};

class TestWorker : public BatchWorker
{
public:
    QVector<float> output;
    int nOutputs = 0;
    bool bRealOutput = false;
    bool bCancelReencode = false;
    bool bUndecodableResult = false;
    // When set, the output encodes through CurveOutput in this format.
    int* pEncodes = nullptr;
    PeakCurve curve;
    QString strMarker;
    ZADovuzIdida::MAudioFormat format;
    // Cores of a run; the machine's when 0.
    int nCores = 0;
    // Free-space answers, the last one repeating.
    mutable QList<qint64> spaceAnswers{qint64(1) << 40};

protected:
    qint64 availableBytes(const QString&) const override
    {
        return spaceAnswers.size() > 1 ? spaceAnswers.takeFirst() : spaceAnswers.first();
    }
    GeneralOutput* createOutput(const QString& target) override
    {
        ++nOutputs;
        if (pEncodes)
            return new CurveOutput(target, format, curve, pEncodes, strMarker);
        if (bCancelReencode)
            return new ReencodeCancelledOutput(target, this);
        if (bUndecodableResult)
            return new UndecodableOutput(target);
        return bRealOutput ? BatchWorker::createOutput(target) : new CapturingOutput(target, &output);
    }
    int encodeSlots() const override { return nCores > 0 ? nCores : BatchWorker::encodeSlots(); }
};

// The real encoder; before its first encode, the user acts.
class InterruptedOutput : public GeneralOutput
{
public:
    InterruptedOutput(const QString& target, std::function<void()> during)
        : GeneralOutput(target, {}), m_during(std::move(during))
    {
    }

protected:
    bool encode(const QString& input, const QString& output, float gain, QString* pReason) override
    {
        if (m_during)
            std::exchange(m_during, nullptr)();
        return GeneralOutput::encode(input, output, gain, pReason);
    }

private:
    std::function<void()> m_during;
};

// An encoder that leaves a partial result and fails.
class FailingOutput : public GeneralOutput
{
public:
    using GeneralOutput::GeneralOutput;

protected:
    bool encode(const QString&, const QString& output, float, QString* pReason) override
    {
        QFile file(output);
        if (file.open(QIODevice::WriteOnly))
            file.write("partial");
        *pReason = "disk full";
        return false;
    }
};

// An encoder that makes a result no tag writer can read: a copy of the intermediate.
class CopyingOutput : public GeneralOutput
{
public:
    using GeneralOutput::GeneralOutput;

protected:
    bool encode(const QString& input, const QString& output, float, QString*) override
    {
        return QFile::remove(output) && QFile::copy(input, output);
    }
};

// The real encoder, with the result's move or its folder's flush refused.
class RefusingOutput : public GeneralOutput
{
public:
    RefusingOutput(const QString& target, bool bMove) : GeneralOutput(target, {}), m_bMove(bMove) {}

protected:
    int moveNoReplace(const QString& from, const QString& to) override
    {
        return m_bMove ? EIO : GeneralOutput::moveNoReplace(from, to);
    }
    bool flushFolder(const QString& path) override { return m_bMove && GeneralOutput::flushFolder(path); }

private:
    bool m_bMove;
};

void store(const QVariantMap& values)
{
    for (auto it = values.begin(); it != values.end(); ++it)
        VUVararer::App::theApp()->setSettingsValue(it.key(), it.value());
}

QVector<float> constant(int n, float value) { return QVector<float>(n, value); }

// count values of a sine of amplitude 0.5 at frequency (in cycles per frame) on every channel, at 45 degrees on its
// first value, rising over the first ramp frames and falling over the last.
QVector<float> sine(int count, int channels, double frequency, int ramp = 0)
{
    QVector<float> values(count);
    const int frames = count / channels;
    for (int i = 0; i < count; ++i) {
        const int frame = i / channels;
        const double edge = ramp > 0 ? std::min({1.0, double(frame) / ramp, double(frames - 1 - frame) / ramp}) : 1.0;
        values[i] = float(0.5 * edge * std::sin(2 * M_PI * frequency * frame + M_PI / 4));
    }
    return values;
}

} // namespace

Q_DECLARE_METATYPE(PeakCurve)

class BatchConvertTest : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    // Mounted on first use, and unmounted before m_dir goes.
    std::unique_ptr<TestKit::FuseDrive> m_pExfat;
    QString m_strNoExfat;

    // A folder on the suite's exFAT drive; empty, with the reason in m_strNoExfat, where none can be mounted.
    QString exfatFolder(const QString& name)
    {
        if (!m_pExfat && m_strNoExfat.isEmpty()) {
            m_pExfat = std::make_unique<TestKit::FuseDrive>(TestKit::FuseDrive::Exfat, m_dir.filePath("exfat"));
            if (!m_pExfat->mount(&m_strNoExfat))
                m_pExfat.reset();
        }
        if (!m_pExfat || !QDir().mkpath(m_pExfat->path() + name))
            return QString();
        return m_pExfat->path() + name + '/';
    }

    // Converts signal through a worker with the given format and the stored settings.
    QVector<float> convert(TestWorker& worker, const QVector<float>& signal, int rate, int channels, int nExtra = 0)
    {
        auto* pDecoder = new FakeDecoder;
        pDecoder->signal = signal;
        pDecoder->nExtraOnReopen = nExtra;
        worker.setDecoder(pDecoder);
        ZADovuzIdida::MAudioFormat format;
        format.sampleRate = rate;
        format.channels = channels;
        worker.setSettings(format);
        worker.convert("fake", m_dir.filePath("x.wav"));
        return worker.output;
    }

    // The environment of this suite's binary run as a child for one test: its temporary files lie within this
    // suite's, since a child killed outright removes none of them.
    QProcessEnvironment childEnvironment(const QString& variable, const QString& value)
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(variable, value);
        const QString temporary = m_dir.filePath("child-tmp");
        QDir().mkpath(temporary);
        env.insert("TMPDIR", temporary);
        return env;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        qputenv("PATH", qgetenv("TRELVANIC_BIN_DIR") + ":" + qgetenv("PATH"));
        const QString in = m_dir.filePath("in/");
        QVERIFY(QDir().mkpath(in));
        QString error;
        QVERIFY2(TestKit::makeTone(in + "tone.wav", 3, 44100, 2, {"-c:a", "pcm_s16le"}, &error), qPrintable(error));
        QVERIFY2(TestKit::makeTone(in + "short.wav", 1, 44100, 2, {"-c:a", "pcm_s16le"}, &error), qPrintable(error));
        QVERIFY2(TestKit::makeTone(in + "long.flac", 6, 44100, 2, {}, &error), qPrintable(error));
        QVERIFY2(TestKit::makeTone(in + "tagged.mp3", 1, 44100, 2, {"-metadata", "title=T"}, &error),
                 qPrintable(error));
        const qint64 third = QFileInfo(in + "long.flac").size() / 3;
        const TestKit::ToolResult cut =
            TestKit::runTool("sh", {"-c", QString("head -c %1 '%2long.flac' > '%2cut.flac'").arg(third).arg(in)});
        QCOMPARE(cut.exitCode, 0);
        // 50 bytes flipped inside one FLAC frame: the decoder drops that frame and goes on.
        QFile flac(in + "long.flac");
        QVERIFY(flac.open(QIODevice::ReadOnly));
        QByteArray bytes = flac.readAll();
        for (int i = bytes.size() / 2; i < bytes.size() / 2 + 50; ++i)
            bytes[i] = char(~bytes[i]);
        QFile bad(in + "bad.flac");
        QVERIFY(bad.open(QIODevice::WriteOnly) && bad.write(bytes) == bytes.size());
        bad.close();
        QVERIFY(TestKit::patchWavFormat(in + "short.wav", in + "hugerate.wav", 603987776, 2));
        QVERIFY(TestKit::patchWavFormat(in + "short.wav", in + "lowrate.wav", 999, 2));
        QVERIFY(TestKit::patchWavFormat(in + "short.wav", in + "channels.wav", 44100, 65));
    }

    void init()
    {
        VUVararer::App::theApp()->settings()->remove(QCoreApplication::applicationName());
        store({{"KeyNormalizationActive", false}});
    }

    // A one-second fade-in with trimming starts at 0 on the first kept value, inside the first block.
    void testFadeWithTrim()
    {
        store({{"KeyFadeInOutActive", true}, {"KeyFadeIn", 1}, {"KeyFadeOut", 1}, {"KeyTrimSilenceActive", true}});
        TestWorker worker;
        const QVector<float> out = convert(worker, constant(31999, 0.0f) + constant(100000, 0.5f), 32001, 1);
        QCOMPARE(out.size(), 100000);
        QCOMPARE(out.first(), 0.0f);
        QVERIFY(std::fabs(out[16000] - 0.25f) < 1e-4f);
        QCOMPARE(out[50000], 0.5f);
        QCOMPARE(out.last(), 0.0f);
    }

    void testTrimAndLevel_data()
    {
        QTest::addColumn<int>("channels");
        QTest::addColumn<QVector<float>>("signal");
        QTest::addColumn<bool>("trim");
        QTest::addColumn<int>("level");
        QTest::addColumn<QVector<float>>("expected");

        // Sound starts on the right channel at an odd index and ends on it.
        QVector<float> stereo = constant(200000, 0.0f);
        for (int i = 40001; i <= 100001; i += 2)
            stereo[i] = 0.5f;
        for (int i = 60000; i <= 100000; i += 2)
            stereo[i] = 0.01f;
        QTest::newRow("right channel first") << 2 << stereo << true << 0 << stereo.mid(40000, 60002);
        const QVector<float> negative = constant(1000, 0.0f) + constant(5000, -0.3f) + constant(1000, 0.0f);
        QTest::newRow("negative only") << 1 << negative << true << 0 << negative.mid(1000, 5000);
        const QVector<float> lastValue = constant(100, 0.0f) + constant(100, 0.5f);
        QTest::newRow("sound to the end") << 1 << lastValue << true << 0 << lastValue.mid(100);
        QTest::newRow("silence trimmed") << 2 << constant(3000, 0.0f) << true << 100 << constant(3000, 0.0f);
        QTest::newRow("silence normalized") << 2 << constant(3000, 0.0f) << false << 100 << constant(3000, 0.0f);
    }

    void testTrimAndLevel()
    {
        QFETCH(int, channels);
        QFETCH(QVector<float>, signal);
        QFETCH(bool, trim);
        QFETCH(int, level);
        QFETCH(QVector<float>, expected);
        store({{"KeyTrimSilenceActive", trim}, {"KeyNormalizationActive", level > 0}, {"KeyNormalization", level}});
        TestWorker worker;
        QCOMPARE(convert(worker, signal, 44100, channels), expected);
        QVERIFY(worker.errors().isEmpty());
    }

    void testParallelTruePeak_data()
    {
        QTest::addColumn<int>("channels");
        QTest::addColumn<int>("block");
        QTest::addColumn<int>("threads");
        // The loudest frames end the third block: the next block measures them from its history.
        QTest::addColumn<bool>("burst");
        // Cores the threads take one block at a time; -1: threads of their own.
        QTest::addColumn<int>("lendable");
        QTest::newRow("stereo, whole blocks, at once") << 2 << 32000 << 0 << false << -1;
        QTest::newRow("stereo, whole blocks, three threads") << 2 << 32000 << 3 << false << -1;
        QTest::newRow("stereo, blocks ending inside frames") << 2 << 777 << 3 << false << -1;
        QTest::newRow("mono, small blocks") << 1 << 100 << 2 << false << -1;
        QTest::newRow("stereo, loudest at a block's end") << 2 << 32000 << 3 << true << -1;
        QTest::newRow("stereo, one core lent at a time") << 2 << 777 << 3 << false << 1;
    }

    // Measured block by block, side by side, a stream has the true peak it has measured in one go, to the bit.
    void testParallelTruePeak()
    {
        QFETCH(int, channels);
        QFETCH(int, block);
        QFETCH(int, threads);
        QFETCH(bool, burst);
        // Chirps and clicks: loud stretches late, so that each block finds its own peak.
        QVector<float> signal(channels * 200000);
        for (int i = 0; i < signal.size(); ++i) {
            const double t = double(i / channels) / 44100.0;
            signal[i] =
                float((burst ? 0.3 : 1.0) * std::min(1.0, t / 3.0) * std::sin(2.0 * M_PI * (200.0 + 3000.0 * t) * t) +
                      (i % 9973 == 0 ? 0.3 : 0.0));
        }
        // Eight frames of a quarter-rate tone, its peaks between the samples.
        const QVector<float> loud = sine(8 * channels, channels, 0.25);
        for (int i = 0; burst && i < loud.size(); ++i)
            signal[3 * block - loud.size() + i] = 2.4f * loud[i];
        TruePeak whole(channels, 0.4);
        whole.add(signal.constData(), signal.size());
        whole.finish();
        QFETCH(int, lendable);
        CoreBudget cores(std::max(lendable, 1));
        ParallelTruePeak blocks(channels, 0.4, threads, lendable > 0 ? &cores : nullptr);
        for (int at = 0; at < signal.size(); at += block)
            blocks.add(signal.constData() + at, std::min(block, signal.size() - at));
        blocks.finish();
        QVERIFY(whole.peak() > 1.0f);
        QCOMPARE(blocks.peak(), whole.peak());
        QVERIFY(cores.tryTake());
    }

    void testTruePeakWherever_data()
    {
        QTest::addColumn<int>("channels");
        QTest::newRow("mono") << 1;
        QTest::newRow("stereo") << 2;
    }

    // A burst amid silence has the same true peak, to the bit, wherever it lies: no stretch of values that reaches
    // into it is passed over.
    void testTruePeakWherever()
    {
        QFETCH(int, channels);
        const QVector<float> loud = sine(8 * channels, channels, 0.25);
        QVector<float> peaks;
        for (const int from : {0, 1000}) {
            for (int frame = from + 30; frame < from + 170; ++frame) {
                QVector<float> signal(channels * 1300);
                std::copy(loud.cbegin(), loud.cend(), signal.begin() + frame * channels);
                TruePeak truePeak(channels, 0.4);
                truePeak.add(signal.constData(), signal.size());
                truePeak.finish();
                peaks << truePeak.peak();
            }
        }
        QVERIFY(peaks.first() > 0.5f);
        QCOMPARE(peaks.count(peaks.first()), peaks.size());
    }

    void testTruePeakLevel_data()
    {
        QTest::addColumn<int>("channels");
        QTest::addColumn<double>("frequency");
        QTest::addColumn<double>("expected");
        // The peaks of a quarter-rate sine at 45 degrees lie between its samples, 3 dB above them.
        QTest::newRow("between samples") << 1 << 0.25 << std::sqrt(0.5);
        QTest::newRow("between samples, frames across blocks") << 3 << 0.25 << std::sqrt(0.5);
        QTest::newRow("on the samples") << 2 << 997.0 / 44100 << 1.0;
        // A tone the encoder drops counts for nothing: the samples alone bound the level.
        QTest::newRow("above what the encoder keeps") << 2 << 19000.0 / 44100 << 1.0 / GeneralOutput::headroom();
    }

    // The M4A's intermediate is normalized to put its true peak within what the encoder keeps at the limit less the
    // encoder's headroom, its samples at most at the limit.
    void testTruePeakLevel()
    {
        QFETCH(int, channels);
        QFETCH(double, frequency);
        QFETCH(double, expected);
        store({{"KeyNormalizationActive", true}, {"KeyNormalization", 50}});
        TestWorker worker;
        const QVector<float> out = convert(worker, sine(44100 * channels, channels, frequency), 44100, channels);
        float peak = 0.0f;
        for (const float value : out)
            peak = std::max(peak, std::fabs(value));
        const double level = peak / (0.5 * GeneralOutput::headroom());
        QVERIFY2(std::fabs(level - expected) < 0.015 * expected, qPrintable(QString::number(level)));
    }

    void testPeakSearch_data()
    {
        QTest::addColumn<PeakCurve>("curve");
        QTest::addColumn<int>("encodes");
        QTest::addColumn<double>("kept");
        const double none = 100.0;
        QTest::newRow("steady lift") << PeakCurve([](double x) { return x + 0.74; }) << 2 << -0.5;
        QTest::newRow("lift grows as the level drops, twice above")
            << PeakCurve([](double x) { return 0.5 + 0.3 * x; }) << 3 << -0.055;
        QTest::newRow("three above, then well below")
            << PeakCurve([](double x) { return 0.5 + 0.1 * x; }) << 4 << -0.034;
        // Nothing lies in the window: the one result below it is kept.
        QTest::newRow("overshoots, then undershoots")
            << PeakCurve([](double x) { return x > -1.0 ? x + 1.21 : x - 0.62; }) << 3 << -2.33;
        QTest::newRow("raised above") << PeakCurve([](double x) { return x < 0.5 ? x - 1.5 : x + 1.5; }) << 3 << -1.25;
        QTest::newRow("never at or below the limit") << PeakCurve([](double x) { return 0.5 - 0.2 * x; }) << 4 << none;
        // A failed encode takes no valid earlier one with it.
        QTest::newRow("below, then the encode fails")
            << PeakCurve([](double x) { return x <= 0.0 ? x - 2.0 : std::nan(""); }) << 2 << -2.0;
    }

    // Whatever the encoder adds, the kept result never lies above the limit, after at most three aimed encodes and
    // one well below the limit; without any such result the file fails and leaves nothing.
    void testPeakSearch()
    {
        QFETCH(PeakCurve, curve);
        QFETCH(double, kept);
        store({{"KeyNormalizationActive", true}, {"KeyNormalization", 100}});
        const QString folder = m_dir.filePath(QString("curve/%1/").arg(QTest::currentDataTag()));
        QVERIFY(QDir().mkpath(folder));
        int nEncodes = 0;
        TestWorker worker;
        worker.pEncodes = &nEncodes;
        worker.curve = curve;
        auto* pDecoder = new FakeDecoder;
        pDecoder->signal = sine(2 * 44100, 2, 0.25, 2000);
        worker.setDecoder(pDecoder);
        worker.setSettings(worker.format);
        worker.convert("fake", folder + "x.wav");
        QTEST(nEncodes, "encodes");
        if (kept > 0.0) {
            QCOMPARE(QDir(folder).entryList(QDir::Files), QStringList());
            QCOMPARE(worker.errors(), "Settings error, can not create: " + folder +
                                          "x.m4a (every result decodes above the peak limit)\n");
            return;
        }
        QCOMPARE(QDir(folder).entryList(QDir::Files), QStringList{"x.m4a"});
        QVERIFY2(worker.errors().isEmpty(), qPrintable(worker.errors()));
        const double peak = 20.0 * std::log10(ZADovuzIdida::NativeAudioTools::peak(folder + "x.m4a"));
        QVERIFY2(std::fabs(peak - kept) < 0.02, qPrintable(QString::number(peak)));
    }

    void testPassedSearch_data()
    {
        QTest::addColumn<PeakCurve>("curve");
        QTest::addColumn<int>("passed");
        QTest::addColumn<int>("encodes");
        QTest::newRow("passed just above the limit") << PeakCurve([](double x) { return x + 0.2; }) << 1 << 2;
        // As a 60-min recording of chords did: the pass told 0.13 dB, the whole encode reached 0.7 dB.
        QTest::newRow("passed, the whole encode well above") << PeakCurve([](double x) { return x + 0.7; }) << 1 << 2;
        // Every pass gives a peak just above the limit, far below the whole encode's.
        QTest::newRow("loud noise, passed at once") << PeakCurve([](double x) { return x + 2.2; }) << 3 << 4;
        QTest::newRow("lift grows as the level drops") << PeakCurve([](double x) { return 0.5 + 0.3 * x; }) << 3 << 4;
    }

    // Encodes that end early as they pass the limit, each telling a peak just above it, lead to a result in the
    // window without the encode well below the limit.
    void testPassedSearch()
    {
        QFETCH(PeakCurve, curve);
        PeakSearch search(1.0f, 4.0f);
        int nPassed = 0;
        QVector<double> peaks;
        for (float gain = search.nextGain(); gain > 0.0f && search.encodes() < 10; gain = search.nextGain()) {
            peaks << curve(20.0 * std::log10(gain));
            if (peaks.last() > 0.0) {
                ++nPassed;
                search.addPassed(std::pow(10.0f, 0.01f / 20.0f));
            } else {
                search.addPeak(float(std::pow(10.0, peaks.last() / 20.0)));
            }
        }
        QTEST(nPassed, "passed");
        QTEST(search.encodes(), "encodes");
        QVERIFY(search.best() >= 0);
        QVERIFY2(peaks[search.best()] <= 0.0 && peaks[search.best()] >= -1.0,
                 qPrintable(QString::number(peaks[search.best()])));
    }

    void testLimits()
    {
        TestWorker worker;
        ZADovuzIdida::MAudioFormat format;
        format.bitsPerSample = 32;
        worker.setSettings(format);
        QVERIFY(!worker.fitsIntermediate(1073741824));
        // Below 4 GiB of samples, but not with the header and peak chunks.
        QVERIFY(!worker.fitsIntermediate(1073741823));
        QVERIFY(worker.fitsIntermediate(1060000000));
        format.bitsPerSample = 16;
        worker.setSettings(format);
        QVERIFY(worker.fitsIntermediate(2000000000));
        QVERIFY(!worker.fitsIntermediate(2147000000));

        QSignalSpy progress(&worker, SIGNAL(fileProgress(int)));
        convert(worker, {}, 44100, 2);
        QCOMPARE(worker.errors(), QString("Can not convert: fake\n"));
        QCOMPARE(worker.nOutputs, 0);
        QCOMPARE(progress.size(), 1);

        TestWorker longer;
        convert(longer, constant(64000, 0.5f), 44100, 2, 64000);
        QSignalSpy capped(&longer, SIGNAL(fileProgress(int)));
        convert(longer, constant(64000, 0.5f), 44100, 2, 64000);
        // However long the second pass, it never shows the file done: the encode that follows shows as 0.
        QCOMPARE(capped.last().first().toInt(), 0);
        for (const QList<QVariant>& args : capped)
            QVERIFY(args.first().toInt() < 100);
    }

    void testFreeSpace_data()
    {
        QTest::addColumn<QList<qint64>>("answers");
        QTest::addColumn<bool>("stop");
        QTest::addColumn<int>("signals");
        QTest::addColumn<bool>("written");
        QTest::addColumn<QString>("errors");
        const qint64 plenty = qint64(1) << 40;
        QTest::newRow("enough") << QList<qint64>{plenty} << false << 0 << true << QString();
        QTest::newRow("resume without space") << QList<qint64>{0, 100, plenty} << false << 2 << true << QString();
        QTest::newRow("stop") << QList<qint64>{0} << true << 1 << false << QString();
        QTest::newRow("unknown") << QList<qint64>{-1} << false << 0 << false
                                 << "Can not read the free space of the folder: " + m_dir.path() + "\n";
    }

    void testFreeSpace()
    {
        QFETCH(QList<qint64>, answers);
        QFETCH(bool, stop);
        TestWorker worker;
        worker.spaceAnswers = answers;
        int nSignals = 0;
        connect(&worker, &BatchWorker::notEnoughtFreeSpace, &worker, [&] {
            ++nSignals;
            stop ? worker.stop() : worker.pause(false);
        });
        const QVector<float> out = convert(worker, constant(1000, 0.5f), 44100, 2);
        QTEST(nSignals, "signals");
        QTEST(!out.isEmpty(), "written");
        QTEST(worker.errors(), "errors");
    }

    void testFreeSpaceFallback()
    {
        const TestKit::ToolResult df = TestKit::runTool("df", {"-B1", "--output=avail", m_dir.path()});
        QCOMPARE(df.exitCode, 0);
        const qint64 reference = df.out.split('\n').value(1).trimmed().toLongLong();
        QVERIFY(reference > 0);
        QVERIFY(std::llabs(FreeSpace::fromFileSystem(m_dir.path()) - reference) < (qint64(64) << 20));
        QCOMPARE(FreeSpace::fromFileSystem(m_dir.filePath("missing")), qint64(-1));
    }

    void testDamagedSource_data()
    {
        QTest::addColumn<QString>("source");
        QTest::addColumn<QString>("change");
        QTest::addColumn<QString>("line");
        QTest::addColumn<bool>("converted");
        const QString damaged = "Can not convert: %1 (the file is damaged or changed during the conversion)\n";
        const QString refused = "Can not convert: %1\n";
        QTest::newRow("cut to a third") << "cut.flac"
                                        << "" << damaged << false;
        QTest::newRow("vanished between passes") << "tone.wav"
                                                 << "vanish" << damaged << false;
        QTest::newRow("replaced by a shorter file") << "tone.wav"
                                                    << "short.wav" << damaged << false;
        QTest::newRow("rate 603987776 Hz") << "hugerate.wav"
                                           << "" << refused << false;
        QTest::newRow("rate 999 Hz") << "lowrate.wav"
                                     << "" << refused << false;
        QTest::newRow("65 channels") << "channels.wav"
                                     << "" << refused << false;
        QTest::newRow("one damaged frame") << "bad.flac"
                                           << ""
                                           << "Converted with damaged parts skipped: %1\n"
                                           << true;
    }

    void testDamagedSource()
    {
        QFETCH(QString, source);
        QFETCH(QString, change);
        QFETCH(QString, line);
        QFETCH(bool, converted);
        store({{"KeyNormalizationActive", true}});
        const QString folder = m_dir.filePath(QString("damaged/%1/").arg(QTest::currentDataTag()));
        QVERIFY(QDir().mkpath(folder + "src"));
        const QString path = folder + "src/" + source;
        QVERIFY(QFile::copy(m_dir.filePath("in/" + source), path));
        TestWorker worker;
        worker.bRealOutput = true;
        worker.setSettings(ConversionSettings::targetFormat());
        if (!change.isEmpty()) {
            auto* pDecoder = new ChangingDecoder;
            pDecoder->strReplacement = change == "vanish" ? QString() : m_dir.filePath("in/" + change);
            worker.setDecoder(pDecoder);
        }
        worker.convert(path, folder + "x.wav");
        QCOMPARE(worker.errors(), line.arg(path));
        QCOMPARE(QDir(folder).entryList(QDir::Files), converted ? QStringList{"x.m4a"} : QStringList());
    }

    void testMirroring_data()
    {
        QTest::addColumn<QStringList>("dropped");
        QTest::addColumn<QString>("source");
        QTest::addColumn<QString>("expected");
        QTest::newRow("folder") << QStringList{"x/Album"} << "x/Album/t.mp3"
                                << "Album/";
        QTest::newRow("sub-folder") << QStringList{"x/Album"} << "x/Album/CD1/t.mp3"
                                    << "Album/CD1/";
        QTest::newRow("doubled slashes") << QStringList{"x//Album/"} << "x/Album/CD1/t.mp3"
                                         << "Album/CD1/";
        QTest::newRow("sibling") << QStringList{"x/Album"} << "x/Album2/t.mp3"
                                 << "";
        QTest::newRow("prefix only") << QStringList{"a"} << "a/b/a/c/t.mp3"
                                     << "a/b/a/c/";
        QTest::newRow("file in own folder") << QStringList{"x/Album", "x/Loose/f.wav"} << "x/Loose/g.wav"
                                            << "";
        QTest::newRow("file elsewhere") << QStringList{"x/Album", "x/Loose/f.wav"} << "x/Album/CD1/t.mp3"
                                        << "Album/CD1/";
        QTest::newRow("last applies") << QStringList{"x/Album", "x"} << "x/Album/CD1/t.mp3"
                                      << "x/Album/CD1/";
        QTest::newRow("nothing applies") << QStringList{"x/Album"} << "elsewhere/t.mp3"
                                         << "";
    }

    // With a peak limit, the result's peak is the encoder's measure: the result is not decoded again.
    void testPeakFromEncoder()
    {
        store({{"KeyNormalizationActive", true}, {"KeyNormalization", 100}});
        const QString folder = m_dir.filePath("peak from encoder/");
        QVERIFY(QDir().mkpath(folder));
        TestWorker worker;
        worker.bUndecodableResult = true;
        auto* pDecoder = new FakeDecoder;
        pDecoder->signal = sine(44100, 2, 0.25, 2000);
        worker.setDecoder(pDecoder);
        worker.setSettings(worker.format);
        worker.convert("fake", folder + "x.wav");
        QCOMPARE(worker.errors(), QString());
        QCOMPARE(QDir(folder).entryList(QDir::Files), QStringList{"x.m4a"});
    }

    // Cancelled while a file is encoded again, the run keeps no earlier encode and logs nothing.
    void testCancelledReencode()
    {
        store({{"KeyNormalizationActive", true}, {"KeyNormalization", 100}});
        const QString folder = m_dir.filePath("cancelled/");
        QVERIFY(QDir().mkpath(folder));
        TestWorker worker;
        worker.bCancelReencode = true;
        auto* pDecoder = new FakeDecoder;
        pDecoder->signal = sine(2 * 44100, 2, 0.25, 2000);
        worker.setDecoder(pDecoder);
        worker.setSettings(worker.format);
        worker.convert("fake", folder + "x.wav");
        QCOMPARE(worker.errors(), QString());
        QCOMPARE(QDir(folder).entryList(QDir::Files), QStringList());
    }

    // Killed outright while a file is encoded again, the run leaves no file under the result's name: only the
    // finished, tagged result takes it.
    void testKilledDuringReencode()
    {
        const QByteArray childFolder = qgetenv("TRELVANIC_KILLED_CHILD");
        if (!childFolder.isEmpty()) {
            store({{"KeyNormalizationActive", true}, {"KeyNormalization", 100}});
            int nEncodes = 0;
            TestWorker worker;
            worker.pEncodes = &nEncodes;
            worker.curve = [](double x) { return x - 2.0; };
            worker.strMarker = childFolder + "second";
            auto* pDecoder = new FakeDecoder;
            pDecoder->signal = sine(2 * 44100, 2, 0.25, 2000);
            worker.setDecoder(pDecoder);
            worker.setSettings(worker.format);
            worker.convert("fake", childFolder + "x.wav");
            return;
        }
        const QString folder = m_dir.filePath("killed/");
        QVERIFY(QDir().mkpath(folder));
        QProcess child;
        QProcessEnvironment env = childEnvironment("TRELVANIC_KILLED_CHILD", folder);
        child.setProcessEnvironment(env);
        child.start(QCoreApplication::applicationFilePath(), {"testKilledDuringReencode"});
        QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(folder + "second"), 60000);
        ::kill(pid_t(child.processId()), SIGKILL);
        QVERIFY(child.waitForFinished(10000));
        QCOMPARE(QDir(folder).entryList(QDir::Files),
                 QStringList({"second", "x.m4a.encode-1", "x.m4a.encode-2", "x.wav"}));
    }

    // Killed outright while it copies the other files, the run leaves the copies it had made and nothing of the
    // copy under way.
    void testKilledDuringCopy()
    {
        const QByteArray childFolder = qgetenv("TRELVANIC_COPYING_CHILD");
        if (!childFolder.isEmpty()) {
            store({{"DestinationPath", childFolder + "out/"},
                   {"KeyCopyEntireContentActive", true},
                   {"KeyFolderStructureActive", false}});
            BatchWorker worker;
            worker.setUnsuportedFiles({childFolder + "notes.txt", childFolder + "stream"});
            worker.slotDoWork();
            return;
        }
        const QString folder = m_dir.filePath("copying/");
        QVERIFY(QDir().mkpath(folder));
        QFile notes(folder + "notes.txt");
        QVERIFY(notes.open(QIODevice::WriteOnly) && notes.write("notes\n") == 6);
        notes.close();
        // The copy of a pipe lasts while the pipe is open.
        const QByteArray stream = QFile::encodeName(folder + "stream");
        QCOMPARE(::mkfifo(stream.constData(), 0600), 0);
        std::signal(SIGPIPE, SIG_IGN);
        QProcess child;
        QProcessEnvironment env = childEnvironment("TRELVANIC_COPYING_CHILD", folder);
        child.setProcessEnvironment(env);
        child.start(QCoreApplication::applicationFilePath(), {"testKilledDuringCopy"});
        QVERIFY(child.waitForStarted(60000));
        const pid_t pid = pid_t(child.processId());
        int fifo = -1;
        QTRY_VERIFY_WITH_TIMEOUT((fifo = ::open(stream.constData(), O_WRONLY | O_NONBLOCK | O_CLOEXEC)) >= 0, 60000);
        QCOMPARE(::write(fifo, "abc", 3), ssize_t(3));
        // The copy has taken what was written, or the run has ended without it.
        int nUnread = 3;
        QTRY_VERIFY_WITH_TIMEOUT(
            (::ioctl(fifo, FIONREAD, &nUnread) == 0 && nUnread == 0) || child.state() == QProcess::NotRunning, 60000);
        if (child.state() != QProcess::NotRunning)
            ::kill(pid, SIGKILL);
        QVERIFY(child.waitForFinished(10000) || child.state() == QProcess::NotRunning);
        ::close(fifo);
        QStringList left;
        QDirIterator it(folder + "out", QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
        while (it.hasNext())
            left << it.next().section('/', -1);
        QCOMPARE(left, QStringList{"notes.txt"});
    }

    void testMirroring()
    {
        QFETCH(QStringList, dropped);
        QFETCH(QString, source);
        QFETCH(QString, expected);
        const QString root = m_dir.path() + "/tree/";
        for (const char* folder : {"x/Album/CD1", "x/Album2", "x/Loose", "a/b/a/c", "elsewhere"})
            QVERIFY(QDir().mkpath(root + folder));
        QFile(root + "x/Loose/f.wav").open(QIODevice::WriteOnly);
        QList<QUrl> urls;
        for (const QString& item : dropped)
            urls << QUrl::fromLocalFile(root + item);
        BatchWorker worker;
        worker.setDroppedUrls(urls);
        const QString run = "/out/2020-01-01_00-00-00/";
        QCOMPARE(worker.newPathForForlderStructure(root + source, run), run + expected);
    }

    // A split encode whose decode passes the limit ends early and leaves nothing; the next, aimed by the peak it
    // reached, is kept in the window.
    void testPassedEncode()
    {
        const QString folder = m_dir.filePath("passed/");
        QVERIFY(QDir().mkpath(folder));
        const QVector<float> tone = sine(2 * 44100 * 30, 2, 0.01, 44100);
        const float limit = 0.3f;
        NotingOutput output(folder + "x.wav");
        output.setPeakLimit(limit, limit / 0.5f);
        CoreBudget cores(4);
        QVERIFY(cores.tryTake());
        output.setCores(&cores);
        output.write(const_cast<float*>(tone.data()), tone.size());
        QVERIFY(output.close());
        QVERIFY2(output.results.size() >= 2 && !output.results.first() && output.results.last(),
                 qPrintable(QString::number(output.results.size())));
        QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden), QStringList{"x.m4a"});
        const float peak = ZADovuzIdida::NativeAudioTools::peak(folder + "x.m4a");
        QVERIFY2(peak <= limit && peak >= limit * std::pow(10.0f, -1.0f / 20.0f), qPrintable(QString::number(peak)));
    }

    void testPartsOnSpareCores_data()
    {
        QTest::addColumn<int>("taken");
        QTest::addColumn<int>("lent");
        QTest::addColumn<int>("waiting");
        QTest::addColumn<bool>("whole");
        QTest::newRow("files wait for the cores") << 1 << 0 << 3 << true;
        QTest::newRow("cores spare") << 1 << 0 << 0 << false;
        QTest::newRow("cores lent, none waits") << 2 << 2 << 0 << false;
    }

    // An encode is cut in parts when a core is spare as it begins, or lent cores are due back and no file waits for
    // them; else a file this short is the whole encode, to the byte.
    void testPartsOnSpareCores()
    {
        QFETCH(int, taken);
        QFETCH(int, lent);
        QFETCH(int, waiting);
        QFETCH(bool, whole);
        store({{"KeyCopyMetaTagsActive", false}});
        const QString folder = m_dir.filePath(QString("spare/%1/").arg(QTest::currentDataTag()));
        QVERIFY(QDir().mkpath(folder));
        QVector<float> music = sine(2 * 44100 * 60, 2, 0.01, 44100);
        for (int i = 0; i < music.size(); ++i)
            music[i] *= float(0.5 + 0.5 * std::sin(i * 1e-5));
        const auto encodeWith = [&](const QString& name, CoreBudget* pCores) {
            GeneralOutput output(folder + name + ".wav", ZADovuzIdida::MAudioFormat());
            output.setCores(pCores);
            output.write(music.data(), music.size());
            return output.close() ? TestKit::readFile(output.outputFile()) : QByteArray();
        };
        CoreBudget cores(4);
        for (int i = 0; i < taken; ++i)
            QVERIFY(cores.tryTake());
        for (int i = 0; i < lent; ++i)
            QVERIFY(cores.lend());
        cores.setWaiting(waiting);
        const QByteArray result = encodeWith("cores", &cores);
        QVERIFY(!result.isEmpty());
        QCOMPARE(result == encodeWith("whole", nullptr), whole);
    }

    void testOutputFaults_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("line");
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<bool>("complete");
        QTest::newRow("encoder fails") << "failing"
                                       << "Settings error, can not create: %2out.m4a (disk full)\n"
                                       << QStringList() << false;
        QTest::newRow("encoder missing") << "missing"
                                         << "Settings error, can not create: %2out.m4a (afconvert can not be started)\n"
                                         << QStringList() << false;
        QTest::newRow("tags not written") << "copying"
                                          << "Can not write the tags: %2out.m4a\n"
                                          << QStringList{"out.m4a"} << true;
        QTest::newRow("intermediate not written")
            << "unwritable"
            << "Can not write: %2missing/out.wav (" + qt_error_string(ENOENT) + ")\n"
            << QStringList() << false;
        // exfat-fuse refuses a name with a quote as one that names no file.
        QTest::newRow("name the drive refuses")
            << "quoted"
            << "Can not write: %2it's \"quoted\".wav (" + qt_error_string(ENOENT) + ")\n"
            << QStringList() << false;
        QTest::newRow("intermediate on a full drive") << "full"
                                                      << "Can not write: %2out.wav (" + qt_error_string(EFBIG) + ")\n"
                                                      << QStringList() << false;
        // A finished encode is never removed.
        QTest::newRow("move refused") << "unmovable"
                                      << "Settings error, can not create: %2out.m4a (the encode can not take the "
                                         "name: %3; it is kept as %2out.m4a.encode-1)\n"
                                      << QStringList{"out.m4a.encode-1"} << false;
        QTest::newRow("WAV result's folder not flushed")
            << "wav unflushed"
            << "Can not write: %2out.wav (its folder can not be flushed to the disk)\n"
            << QStringList{"out.wav"} << false;
        QTest::newRow("folder not flushed") << "unflushed"
                                            << "Settings error, can not create: %2out.m4a (the folder can not be "
                                               "flushed to the disk; the result is kept as %2out.m4a)\n"
                                            << QStringList{"out.m4a"} << false;
    }

    void testOutputFaults()
    {
        QFETCH(QString, kind);
        QFETCH(QString, line);
        QFETCH(QStringList, files);
        QFETCH(bool, complete);
        store({{"KeyCopyMetaTagsActive", true}});
        const QString folder = kind == "quoted" ? exfatFolder("faults")
                                                : m_dir.filePath(QString("faults/%1/").arg(QTest::currentDataTag()));
        if (folder.isEmpty())
            QSKIP(qPrintable("the drive can not be mounted: " + m_strNoExfat));
        QVERIFY(QDir().mkpath(folder));
        const QString wav = folder + (kind == "unwritable" ? "missing/out.wav"
                                      : kind == "quoted"   ? "it's \"quoted\".wav"
                                                           : "out.wav");
        const QByteArray path = qgetenv("PATH");
        if (kind == "missing")
            qputenv("PATH", "/nonexistent");
        std::unique_ptr<GeneralOutput> output;
        if (kind == "failing")
            output = std::make_unique<FailingOutput>(wav, ZADovuzIdida::MAudioFormat());
        else if (kind == "copying")
            output = std::make_unique<CopyingOutput>(wav, ZADovuzIdida::MAudioFormat());
        else if (kind == "unmovable" || kind.endsWith("unflushed"))
            output = std::make_unique<RefusingOutput>(wav, kind == "unmovable");
        else
            output = std::make_unique<GeneralOutput>(wav, ZADovuzIdida::MAudioFormat());
        const QString source = m_dir.filePath("in/tagged.mp3");
        output->setMetaInfoFile(source);
        QSignalSpy errors(output.get(), SIGNAL(errorsLog(QString)));
        QVector<float> tone = constant(44100, 0.25f);
        auto limit = kind == "full" ? std::make_unique<TestKit::FileSizeLimit>(4096) : nullptr;
        if (kind.startsWith("wav"))
            ProductVariant::setKind(ProductVariant::Wav);
        output->write(tone.data(), tone.size());
        const bool bResult = output->close();
        limit.reset();
        ProductVariant::reset();
        qputenv("PATH", path);
        QCOMPARE(bResult, complete);
        QCOMPARE(errors.size(), 1);
        QCOMPARE(errors[0][0].toString(),
                 line.replace("%1", source).replace("%2", folder).replace("%3", qt_error_string(EIO)));
        QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::System), files);
    }

    void testEncoderToolKeepsEncode_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<bool>("flushRefused");
        QTest::addColumn<QString>("line");
        QTest::newRow("folder not flushed by the tool") << QString("fsync-folder") << false << QString();
        QTest::newRow("data not flushed by the tool") << QString("fsync-file") << false << QString();
        QTest::newRow("name not taken by the tool") << QString("rename") << false << QString();
        QTest::newRow("folder flushed by neither")
            << QString("fsync-folder") << true
            << "Settings error, can not create: %1out.m4a (the folder can not be flushed to the disk; the result is "
               "kept as %1out.m4a)\n";
    }

    // A finished encode that the encoder tool can not flush or name is never removed: the result's own steps flush
    // and name it, and where they can not either, the line names where it stays.
    void testEncoderToolKeepsEncode()
    {
        QFETCH(QString, fault);
        QFETCH(bool, flushRefused);
        QFETCH(QString, line);
        const QString folder = m_dir.filePath(QString("tool kept/%1/").arg(QTest::currentDataTag()));
        QVERIFY(QDir().mkpath(folder));
        std::unique_ptr<GeneralOutput> output =
            flushRefused ? std::make_unique<RefusingOutput>(folder + "out.wav", false)
                         : std::make_unique<GeneralOutput>(folder + "out.wav", ZADovuzIdida::MAudioFormat());
        QSignalSpy errors(output.get(), SIGNAL(errorsLog(QString)));
        QVector<float> tone = constant(44100, 0.25f);
        output->write(tone.data(), tone.size());
        bool bResult = false;
        {
            const TestKit::InjectedFault injected({{fault, EIO}});
            bResult = output->close();
        }
        QStringList lines;
        for (const QList<QVariant>& arguments : errors)
            lines << arguments[0].toString();
        QCOMPARE(lines, line.isEmpty() ? QStringList() : QStringList{line.arg(folder)});
        QCOMPARE(bResult, line.isEmpty());
        QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::System), QStringList{"out.m4a"});
        QVERIFY(ZADovuzIdida::NativeAudioTools::peak(folder + "out.m4a") > 0.0f);
    }

    // A drive that calls every working name of the encoder tool taken ends the encodes with a line.
    void testWorkingNameAlwaysTaken()
    {
        const QString folder = m_dir.filePath("always taken/");
        QVERIFY(QDir().mkpath(folder));
        GeneralOutput output(folder + "out.wav", ZADovuzIdida::MAudioFormat());
        QSignalSpy errors(&output, SIGNAL(errorsLog(QString)));
        QVector<float> tone = constant(44100, 0.25f);
        output.write(tone.data(), tone.size());
        bool bResult = true;
        {
            const TestKit::InjectedFault injected({{"create-excl", EEXIST}});
            bResult = output.close();
        }
        QVERIFY(!bResult);
        QCOMPARE(errors.size(), 1);
        QVERIFY(
            errors.first().first().toString().startsWith("Settings error, can not create: " + folder + "out.m4a ("));
        QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::System), QStringList());
    }

    void testLongNameInParts_data()
    {
        QTest::addColumn<int>("drive");
        QTest::addColumn<int>("bytes");
        QTest::newRow("234 bytes on the local disk") << -1 << 234;
        QTest::newRow("255 bytes on the local disk") << -1 << 255;
        QTest::newRow("234 bytes on exFAT") << int(TestKit::FuseDrive::Exfat) << 234;
        QTest::newRow("255 bytes on exFAT") << int(TestKit::FuseDrive::Exfat) << 255;
    }

    // A source whose result's name fits its folder converts with its tags in parts.
    void testLongNameInParts()
    {
        QFETCH(int, drive);
        QFETCH(int, bytes);
        store({{"KeyCopyMetaTagsActive", true}});
        std::unique_ptr<TestKit::FuseDrive> mounted;
        QString folder = m_dir.filePath(QString("long name/%1/").arg(QTest::currentDataTag()));
        if (drive >= 0) {
            mounted = std::make_unique<TestKit::FuseDrive>(TestKit::FuseDrive::Kind(drive), m_dir.filePath("exfat"));
            QString why;
            if (!mounted->mount(&why))
                QSKIP(qPrintable("the drive can not be mounted: " + why));
            folder = mounted->path();
        }
        QVERIFY(QDir().mkpath(folder));
        const QString base(bytes - 4, QLatin1Char('n'));
        CoreBudget cores(4);
        QVERIFY(cores.tryTake());
        GeneralOutput output(folder + base + ".wav", ZADovuzIdida::MAudioFormat());
        output.setCores(&cores);
        output.setMetaInfoFile(m_dir.filePath("in/tagged.mp3"));
        QSignalSpy errors(&output, SIGNAL(errorsLog(QString)));
        QVector<float> music = sine(2 * 44100 * 60, 2, 0.01, 44100);
        output.write(music.data(), music.size());
        const bool bResult = output.close();
        QCOMPARE(errors.size() > 0 ? errors[0][0].toString() : QString(), QString());
        QVERIFY(bResult);
        QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System), QStringList{base + ".m4a"});
    }

    void testUserFiles_data()
    {
        QTest::addColumn<QString>("made");
        QTest::addColumn<bool>("during");
        QTest::addColumn<QStringList>("files");
        QTest::newRow("result's name, during the encode") << "out.m4a" << true << QStringList{"out 2.m4a", "out.m4a"};
        QTest::newRow("intermediate's name") << "out.wav" << false << QStringList{"out.m4a", "out.wav"};
        QTest::newRow("encoder's working name, as it starts")
            << "out.m4a.encode-1.partial" << true << QStringList{"out.m4a", "out.m4a.encode-1.partial"};
        QTest::newRow("source emptied during the encode") << QString() << true << QStringList{"out.m4a"};
    }

    // A file the user makes, or a source emptied, while a file is converted stays as it is; the result takes the
    // next free name, tagged from the source as it was, and no line blames anything.
    void testUserFiles()
    {
        QFETCH(QString, made);
        QFETCH(bool, during);
        QFETCH(QStringList, files);
        store({{"KeyCopyMetaTagsActive", true}});
        const QString folder = m_dir.filePath(QString("user/%1/").arg(QTest::currentDataTag()));
        QVERIFY(QDir().mkpath(folder));
        const QString source = folder + "../" + QTest::currentDataTag() + ".mp3";
        QVERIFY(QFile::copy(m_dir.filePath("in/tagged.mp3"), source));
        const QString userFile = made.isEmpty() ? source : folder + made;
        const QByteArray userBytes = made.isEmpty() ? "" : "user";
        const auto act = [&] {
            QFile file(userFile);
            if (file.open(QIODevice::WriteOnly))
                file.write(userBytes);
        };
        if (!during)
            act();
        InterruptedOutput output(folder + "out.wav", during ? act : std::function<void()>());
        output.setMetaInfoFile(source);
        QSignalSpy errors(&output, SIGNAL(errorsLog(QString)));
        QVector<float> tone = constant(44100, 0.25f);
        output.write(tone.data(), tone.size());
        const bool bResult = output.close();
        QCOMPARE(errors.size() > 0 ? errors[0][0].toString() : QString(), QString());
        QVERIFY(bResult);
        QCOMPARE(QDir(folder).entryList(QDir::Files), files);
        QFile user(userFile);
        QVERIFY(user.open(QIODevice::ReadOnly));
        QCOMPARE(user.readAll(), userBytes);
        QCOMPARE(output.outputFile(), folder + files.first());
        QCOMPARE(TestKit::runTool("ffprobe", {"-v", "error", "-show_entries", "format_tags=title", "-of",
                                              "default=nw=1:nk=1", output.outputFile()})
                     .out.trimmed(),
                 QByteArray("T"));
    }

    // The result's data, then its folder's entry, reach the disk before it counts as complete; so does the tagged
    // copy before it takes the encode's place. Seen in the system calls of a child converting one file.
    void testDurableResult()
    {
        const QByteArray childFolder = qgetenv("TRELVANIC_DURABLE_CHILD");
        if (!childFolder.isEmpty()) {
            store({{"KeyCopyMetaTagsActive", true}});
            GeneralOutput output(childFolder + "out.wav", {});
            output.setMetaInfoFile(m_dir.filePath("in/tagged.mp3"));
            QVector<float> tone = constant(44100, 0.25f);
            output.write(tone.data(), tone.size());
            QVERIFY(output.close());
            return;
        }
        const QString folder = m_dir.filePath("durable");
        QVERIFY(QDir().mkpath(folder));
        QProcess child;
        QProcessEnvironment env = childEnvironment("TRELVANIC_DURABLE_CHILD", folder + "/");
        // The leak checker cannot run under a tracer.
        env.insert("ASAN_OPTIONS", env.value("ASAN_OPTIONS", "abort_on_error=1") + ":detect_leaks=0");
        child.setProcessEnvironment(env);
        const QString trace = m_dir.filePath("durable.trace");
        child.start("strace", {"-f", "-y", "-qq", "-e", "trace=fsync,rename,renameat,renameat2", "-o", trace,
                               QCoreApplication::applicationFilePath(), "testDurableResult"});
        QVERIFY(child.waitForFinished(300000));
        QCOMPARE(child.exitCode(), 0);
        QFile file(trace);
        QVERIFY(file.open(QIODevice::ReadOnly));
        // In this order: the tagged copy flushed, moved onto the encode, the folder flushed; then the encode
        // flushed, moved onto the result's name, the folder flushed.
        const QString encode = QRegularExpression::escape(folder + "/out.m4a.encode-1");
        const QString folderFlushed = "fsync\\(\\d+<" + QRegularExpression::escape(folder) + ">\\)";
        const QRegularExpression order(QStringList{
            "fsync\\(\\d+<[^>]*_temp\\.", "rename\\([^)]*_temp\\.[^)]*" + encode + "\"\\)", folderFlushed,
            "fsync\\(\\d+<" + encode + ">", "rename[^(]*\\([^)]*" + encode + "\",[^)]*/out\\.m4a\"", folderFlushed}
                                           .join("[\\s\\S]*"));
        QVERIFY(order.match(QString::fromUtf8(file.readAll())).hasMatch());
    }

    // A mirrored sub-folder's entry, and a copy's, reach the disk before anything is named inside or after them:
    // each folder is flushed after it is made and after a copy is linked in it.
    void testDurableFolders()
    {
        const QByteArray childFolder = qgetenv("TRELVANIC_FOLDERS_CHILD");
        if (!childFolder.isEmpty()) {
            store({{"DestinationPath", childFolder + "out/"},
                   {"KeyCopyTextssActive", true},
                   {"KeyFolderStructureActive", true}});
            BatchWorker worker;
            worker.setTextFiles({childFolder + "Album/CD1/notes.txt"});
            worker.setDroppedUrls({QUrl::fromLocalFile(childFolder + "Album")});
            worker.slotDoWork();
            QCOMPARE(worker.errors(), QString());
            return;
        }
        const QString folder = m_dir.filePath("folders/");
        QVERIFY(QDir().mkpath(folder + "Album/CD1"));
        QVERIFY(TestKit::writeFile(folder + "Album/CD1/notes.txt", "notes\n"));
        QProcess child;
        QProcessEnvironment env = childEnvironment("TRELVANIC_FOLDERS_CHILD", folder);
        env.insert("ASAN_OPTIONS", env.value("ASAN_OPTIONS", "abort_on_error=1") + ":detect_leaks=0");
        child.setProcessEnvironment(env);
        const QString trace = m_dir.filePath("folders.trace");
        child.start("strace", {"-f", "-y", "-qq", "-e", "trace=fsync,mkdir,mkdirat,linkat,renameat2", "-o", trace,
                               QCoreApplication::applicationFilePath(), "testDurableFolders"});
        QVERIFY(child.waitForFinished(300000));
        QCOMPARE(child.exitCode(), 0);
        const QString run = QRegularExpression::escape(folder + "out/") + "[^/>\"]+";
        const QRegularExpression order(
            QStringList{"mkdir[a-z]*\\([^\\n]*" + run + "/Album\"", "fsync\\(\\d+<" + run + ">\\)",
                        "mkdir[a-z]*\\([^\\n]*" + run + "/Album/CD1\"", "fsync\\(\\d+<" + run + "/Album>\\)",
                        "linkat\\([^\\n]*" + run + "/Album/CD1/notes\\.txt\"", "fsync\\(\\d+<" + run + "/Album/CD1>\\)"}
                .join("[\\s\\S]*"));
        QVERIFY(order.match(QString::fromUtf8(TestKit::readFile(trace))).hasMatch());
    }

    void testModes_data()
    {
        QTest::addColumn<int>("mask");
        QTest::addColumn<int>("result");
        QTest::newRow("umask 002") << 002 << 0664;
        QTest::newRow("umask 022") << 022 << 0644;
    }

    // A result takes the mode the umask gives a new file; a copy keeps its source's mode.
    void testModes()
    {
        QFETCH(int, mask);
        QFETCH(int, result);
        const QString folder = m_dir.filePath(QString("modes/%1/").arg(mask));
        QVERIFY(QDir().mkpath(folder));
        QVERIFY(TestKit::writeFile(folder + "source.txt", "text"));
        QCOMPARE(::chmod(QFile::encodeName(folder + "source.txt").constData(), 0604), 0);
        const mode_t previous = ::umask(mode_t(mask));
        GeneralOutput output(folder + "out.wav", {});
        QVector<float> tone = constant(44100, 0.25f);
        output.write(tone.data(), tone.size());
        const bool bResult = output.close();
        QString reason;
        const QString copy = FileCopy::copy(folder + "source.txt", folder, "copy", ".txt", &reason);
        ::umask(previous);
        QVERIFY(bResult);
        QCOMPARE(copy, folder + "copy.txt");
        struct stat info = {};
        QCOMPARE(::stat(QFile::encodeName(folder + "out.m4a").constData(), &info), 0);
        QCOMPARE(int(info.st_mode & 0777), result);
        QCOMPARE(::stat(QFile::encodeName(copy).constData(), &info), 0);
        QCOMPARE(int(info.st_mode & 0777), 0604);
    }

    void testModeRefused_data() { TestKit::addModeRefusedRows(); }

    // Where the drive refuses every change of a file's mode, a copy is still made whole.
    void testModeRefused()
    {
        QFETCH(int, error);
        const QString childFolder = qEnvironmentVariable("TRELVANIC_MODE_CHILD");
        if (!childFolder.isEmpty()) {
            QVERIFY(::chmod(QFile::encodeName(childFolder).constData(), 0755) != 0 && errno == error);
            QString reason;
            const QString copy = FileCopy::copy(childFolder + "../source.txt", childFolder, "copy", ".txt", &reason);
            QCOMPARE(reason, QString());
            QCOMPARE(copy, childFolder + "copy.txt");
            QCOMPARE(TestKit::readFile(copy), QByteArray("text"));
            return;
        }
        const QString folder = m_dir.filePath(QString("moderefused/%1/").arg(QTest::currentDataTag()));
        QVERIFY(QDir().mkpath(folder));
        QVERIFY(TestKit::writeFile(folder + "../source.txt", "text"));
        const TestKit::ToolResult child = TestKit::runSelf({QString("testModeRefused:") + QTest::currentDataTag()},
                                                           TestKit::refusedCalls(folder, TestKit::modeRefused(error)) +
                                                               QStringList{"TRELVANIC_MODE_CHILD=" + folder});
        QVERIFY2(child.exitCode == 0, child.out.constData());
    }

    void testNameRefusedAsTaken_data()
    {
        QTest::addColumn<bool>("exfat");
        QTest::addColumn<QVariantMap>("refused");
        QTest::addColumn<int>("error");
        // There a name is claimed by an empty file, and the finished file renamed onto it.
        QTest::newRow("rename onto the claim, exfat-fuse") << true << QVariantMap{{"rename", EEXIST}} << EOPNOTSUPP;
        QTest::newRow("every name, local disk")
            << false << QVariantMap{{"renameat2", EEXIST}, {"linkat", EEXIST}} << EEXIST;
    }

    // A file system that calls every name taken ends the search for a free one: the copy is not made, the finished
    // encode stays where it is and the line names it.
    void testNameRefusedAsTaken()
    {
        QFETCH(bool, exfat);
        QFETCH(QVariantMap, refused);
        QFETCH(int, error);
        const QString childFolder = qEnvironmentVariable("TRELVANIC_TAKEN_CHILD");
        if (!childFolder.isEmpty()) {
            QString reason;
            QCOMPARE(FileCopy::copy(m_dir.filePath("in/tagged.mp3"), childFolder, "copy", ".mp3", &reason), QString());
            QCOMPARE(reason, qt_error_string(error));
            GeneralOutput output(childFolder + "out.wav", {});
            QSignalSpy errors(&output, SIGNAL(errorsLog(QString)));
            QVector<float> tone = constant(44100, 0.25f);
            output.write(tone.data(), tone.size());
            QVERIFY(!output.close());
            QCOMPARE(errors.size(), 1);
            QCOMPARE(errors[0][0].toString(),
                     "Settings error, can not create: " + childFolder + "out.m4a (the encode can not take the name: " +
                         qt_error_string(error) + "; it is kept as " + childFolder + "out.m4a.encode-1)\n");
            QCOMPARE(QDir(childFolder).entryList(QDir::Files | QDir::Hidden | QDir::System),
                     QStringList{"out.m4a.encode-1"});
            return;
        }
        const QString folder =
            exfat ? exfatFolder(QTest::currentDataTag()) : m_dir.filePath(QTest::currentDataTag()) + '/';
        if (folder.isEmpty())
            QSKIP(qPrintable("the drive can not be mounted: " + m_strNoExfat));
        QVERIFY(QDir().mkpath(folder));
        QMap<QString, int> calls;
        for (auto it = refused.begin(); it != refused.end(); ++it)
            calls.insert(it.key(), it.value().toInt());
        // The search for a free name that never ends is cut short by the time limit.
        const TestKit::ToolResult child =
            TestKit::runSelf({QString("testNameRefusedAsTaken:") + QTest::currentDataTag()},
                             TestKit::refusedCalls(folder, calls) + QStringList{"TRELVANIC_TAKEN_CHILD=" + folder});
        QVERIFY2(child.exitCode == 0, child.out.constData());
    }

    // A FLAC with 4 KiB flipped in its middle converts with its line also when the run decodes it in sections.
    void testDamagedInSections()
    {
        const int seconds = 90;
        const QString folder = m_dir.filePath("sections/");
        QVERIFY(QDir().mkpath(folder));
        const QString source = folder + "damaged.flac";
        // Noise, so that 4 KiB hold a few milliseconds, as in music.
        QCOMPARE(TestKit::runTool("ffmpeg", {"-v", "error", "-f", "lavfi", "-i",
                                             QString("anoisesrc=a=0.3:r=44100:d=%1").arg(seconds), "-ac", "2", source})
                     .exitCode,
                 0);
        QFile file(source);
        QVERIFY(file.open(QIODevice::ReadWrite) && file.seek(file.size() / 2));
        QByteArray middle = file.peek(4096);
        for (char& byte : middle)
            byte = char(~byte);
        QCOMPARE(file.write(middle), qint64(4096));
        file.close();
        store({{"DestinationPath", folder + "out/"}});
        TestWorker worker;
        worker.nCores = 4;
        worker.setSettings(ConversionSettings::targetFormat());
        worker.setInputFiles({source});
        worker.slotDoWork();
        QCOMPARE(worker.errors(), "Converted with damaged parts skipped: " + source + "\n");
        QVERIFY(worker.output.size() > seconds * 44100);
    }

    // A cover too large to decode is left out of the result with one line; the result is still tagged.
    void testRefusedCover()
    {
        store({{"KeyCopyMetaTagsActive", true}});
        const QString folder = m_dir.filePath("cover/");
        QVERIFY(QDir().mkpath(folder));
        QImage picture(64, 64, QImage::Format_RGB32);
        picture.fill(Qt::red);
        QVERIFY(picture.save(folder + "cover.jpg"));
        QFile cover(folder + "cover.jpg");
        QVERIFY(cover.open(QIODevice::Append) && cover.write(QByteArray(21 << 20, '\0')) == 21 << 20);
        cover.close();
        const QString source = folder + "covered.mp3";
        QVERIFY(TestKit::runTool("ffmpeg",
                                 {"-v", "error", "-i", m_dir.filePath("in/tagged.mp3"), "-i", folder + "cover.jpg",
                                  "-map", "0", "-map", "1", "-c", "copy", "-id3v2_version", "3", source})
                    .exitCode == 0);
        GeneralOutput output(folder + "out.wav", ZADovuzIdida::MAudioFormat());
        output.setMetaInfoFile(source);
        QSignalSpy errors(&output, SIGNAL(errorsLog(QString)));
        QVector<float> tone = constant(44100, 0.25f);
        output.write(tone.data(), tone.size());
        QVERIFY(output.close());
        QCOMPARE(errors.size(), 1);
        QVERIFY2(errors[0][0].toString().startsWith("Cover art not copied: " + source + " ("),
                 qPrintable(errors[0][0].toString()));
        QCOMPARE(TestKit::runTool("ffprobe", {"-v", "error", "-show_entries", "format_tags=title", "-of",
                                              "default=nw=1:nk=1", folder + "out.m4a"})
                     .out.trimmed(),
                 QByteArray("T"));
    }
};

TRELVANIC_TEST_MAIN_APP(VUVararer::App, BatchConvertTest)
#include "tst_batchconvert.moc"
