#include "MediaTestKit.h"
#include "TestMain.h"

#include <ZADovuzIdida/NativeAudioConverter.h>

#include <QSignalSpy>
#include <QTemporaryDir>

#include <cmath>
#include <vector>

using namespace ZADovuzIdida;

namespace {

QStringList s_debugLines;

void captureDebug(QtMsgType type, const QMessageLogContext&, const QString& message)
{
    if (type == QtDebugMsg)
        s_debugLines << message;
}

std::vector<qint32> samples32(const QString& file, const QStringList& extra = {})
{
    const TestKit::ToolResult result =
        TestKit::runTool("ffmpeg", QStringList{"-v", "error", "-i", file} + extra + QStringList{"-f", "s32le", "-"});
    std::vector<qint32> samples(size_t(result.out.size()) / 4);
    if (!samples.empty())
        memcpy(samples.data(), result.out.constData(), samples.size() * 4);
    return samples;
}

QStringList errorTexts(const QSignalSpy& spy)
{
    QStringList texts;
    for (const QList<QVariant>& args : spy)
        texts << args.at(0).toString();
    return texts;
}

} // namespace

class TestFileConverter : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;

    QString path(const QString& name) const { return m_dir.filePath(name); }

    void checkTargetFormat(const QString& wav)
    {
        QCOMPARE(MediaKit::probe("stream=codec_name", wav), QString("pcm_s32le"));
        QCOMPARE(MediaKit::probe("stream=sample_rate", wav), QString("44100"));
        QCOMPARE(MediaKit::probe("stream=channels", wav), QString("2"));
        QCOMPARE(MediaKit::probe("stream=bits_per_sample", wav), QString("32"));
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        QVERIFY(TestKit::makeTone(path("stereo.wav"), 1.0, 44100, 2, {"-c:a", "pcm_s16le"}));
        QVERIFY(TestKit::makeTone(path("mono48.flac"), 1.5, 48000, 1, {"-c:a", "flac"}));
        QVERIFY(MediaKit::ffmpeg(
            {"-f", "lavfi", "-i", "anullsrc=r=44100:cl=stereo", "-t", "0", "-c:a", "pcm_s16le", path("empty.wav")}));
    }

    // Without resampling the 16-bit source samples come back exactly, shifted into 32 bits.
    void testSameRateIsExact()
    {
        NativeAudioConverter converter;
        QSignalSpy errors(&converter, SIGNAL(error(QString)));
        const QString wav = path("stereo-out.wav");
        converter.doIt(path("stereo.wav"), wav);
        QCOMPARE(errorTexts(errors), QStringList());
        QCOMPARE(converter.inputPath(), path("stereo.wav"));
        QCOMPARE(converter.outputPath(), wav);
        checkTargetFormat(wav);
        const std::vector<qint32> got = samples32(wav);
        const std::vector<qint32> want = samples32(path("stereo.wav"));
        QCOMPARE(got.size(), size_t(2 * 44100));
        QVERIFY(got == want);
        QCOMPARE(QFileInfo(wav).size(), qint64(44 + 8 * 44100));
    }

    // A 48000 Hz mono source becomes 44100 Hz stereo, the channel copied at full level to both sides, close to
    // ffmpeg's own resampling.
    void testResampledMono()
    {
        NativeAudioConverter converter;
        QSignalSpy errors(&converter, SIGNAL(error(QString)));
        const QString wav = path("mono-out.wav");
        converter.setSettings(Settings(8000, 1, 8, 8));
        converter.doIt(path("mono48.flac"), wav);
        QCOMPARE(errorTexts(errors), QStringList());
        checkTargetFormat(wav);
        const std::vector<qint32> got = samples32(wav);
        const std::vector<qint32> want =
            samples32(path("mono48.flac"), {"-af", "pan=stereo|c0=c0|c1=c0", "-ar", "44100"});
        QVERIFY2(std::abs(int(got.size()) - int(want.size())) <= 2 * 64,
                 qPrintable(QString("%1 vs %2").arg(got.size()).arg(want.size())));
        const size_t count = qMin(got.size(), want.size()) / 2;
        for (size_t i = 0; i < count; ++i)
            QCOMPARE(got[2 * i], got[2 * i + 1]);
        // Resamplers may align their output a few samples apart: take the best of small shifts.
        double best = 1e9;
        for (int lag = -4; lag <= 4; ++lag) {
            double errorSum = 0;
            double signalSum = 0;
            for (size_t i = 8; i + 8 < count; ++i) {
                const double g = got[2 * (i + size_t(lag))] / 2147483648.0;
                const double w = want[2 * i] / 2147483648.0;
                errorSum += (g - w) * (g - w);
                signalSum += w * w;
            }
            QVERIFY(signalSum > 0);
            best = qMin(best, errorSum / signalSum);
        }
        QVERIFY2(best < 1e-3, qPrintable(QString::number(best)));
        QVERIFY(std::abs(converter.duration(wav) - 1500) <= 30);
        QCOMPARE(converter.settings().sampleRate(), 8000u);
    }

    void testEmptySource()
    {
        NativeAudioConverter converter;
        QSignalSpy errors(&converter, SIGNAL(error(QString)));
        const QString wav = path("empty-out.wav");
        s_debugLines.clear();
        QtMessageHandler previous = qInstallMessageHandler(captureDebug);
        converter.doIt(path("empty.wav"), wav);
        qInstallMessageHandler(previous);
        QCOMPARE(errorTexts(errors), QStringList());
        QCOMPARE(s_debugLines, QStringList({"!!!!2", "!!!!1", "!!!!3"}));
        checkTargetFormat(wav);
        QCOMPARE(QFileInfo(wav).size(), qint64(44));
        QVERIFY(samples32(wav).empty());
    }

    void testMissingSource()
    {
        NativeAudioConverter converter;
        QSignalSpy errors(&converter, SIGNAL(error(QString)));
        const QString wav = path("missing-out.wav");
        converter.doIt(path("no-such-file.wav"), wav);
        const QStringList texts = errorTexts(errors);
        QCOMPARE(texts.size(), 3);
        QVERIFY2(texts.at(0).contains(" : ExtAudioFileOpenURL failed"), qPrintable(texts.at(0)));
        QVERIFY2(texts.at(1).contains(" : Couldn't set client data format on input ext file"), qPrintable(texts.at(1)));
        QVERIFY2(texts.at(2).contains(" : Couldn't read from input file"), qPrintable(texts.at(2)));
        QCOMPARE(QFileInfo(wav).size(), qint64(44));
        checkTargetFormat(wav);
    }

    void testUncreatableTarget()
    {
        NativeAudioConverter converter;
        QSignalSpy errors(&converter, SIGNAL(error(QString)));
        converter.doIt(path("stereo.wav"), path("no/such/folder/out.wav"));
        const QStringList texts = errorTexts(errors);
        QCOMPARE(texts.size(), 2);
        QVERIFY2(texts.at(0).contains(" : AudioFileCreateWithURL failed"), qPrintable(texts.at(0)));
        QVERIFY2(texts.at(1).contains(" : Couldn't write packets to file"), qPrintable(texts.at(1)));
    }

    // A second conversion on the same object replaces an existing, longer target.
    void testReplacesTarget()
    {
        NativeAudioConverter converter;
        const QString wav = path("replace.wav");
        QVERIFY(MediaKit::writeFile(wav, QByteArray(500000, 'x')));
        converter.doIt(path("empty.wav"), wav);
        QCOMPARE(QFileInfo(wav).size(), qint64(44));
        converter.doIt(path("stereo.wav"), wav);
        QCOMPARE(QFileInfo(wav).size(), qint64(44 + 8 * 44100));
    }
};

TRELVANIC_TEST_MAIN(TestFileConverter)
#include "tst_fileconverter.moc"
