#include "TestMain.h"

#include <core/BatchWorker.h>
#include <core/GeneralOutput.h>

#include <VUVararer/App.h>
#include <ZADovuzIdida/NativeAudioDecoderBase.h>

#include <QTemporaryDir>
#include <QtTest>

#include <cmath>

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

private:
    QVector<float>* m_pSink;
};

class TestWorker : public BatchWorker
{
public:
    QVector<float> output;
    int nOutputs = 0;
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
        return new CapturingOutput(target, &output);
    }
};

// An encoder that leaves a partial result and fails.
class FailingOutput : public GeneralOutput
{
public:
    using GeneralOutput::GeneralOutput;

protected:
    bool encode(const QString&, const QString& output) override
    {
        QFile file(output);
        if (file.open(QIODevice::WriteOnly))
            file.write("partial");
        return false;
    }
};

void store(const QVariantMap& values)
{
    for (auto it = values.begin(); it != values.end(); ++it)
        VUVararer::App::theApp()->setSettingsValue(it.key(), it.value());
}

QVector<float> constant(int n, float value) { return QVector<float>(n, value); }

} // namespace

class BatchConvertTest : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;

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

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        qputenv("PATH", qgetenv("TRELVANIC_BIN_DIR") + ":" + qgetenv("PATH"));
    }

    void init()
    {
        VUVararer::App::theApp()->settings()->remove(QCoreApplication::applicationName());
        store({{"KeyNormalizationActive", false}});
    }

    void testFadeInBlocks()
    {
        store({{"KeyFadeInOutActive", true}, {"KeyFadeIn", 3}, {"KeyFadeOut", 0}});
        TestWorker worker;
        const QVector<float> out = convert(worker, constant(20 * 32000, 0.5f), 44100, 2);
        QCOMPARE(out.size(), 20 * 32000);
        QCOMPARE(out[0], 0.0f);
        // 3 s are 264600 values: the first 8 blocks fade, the ninth block is at full level.
        QVERIFY(std::fabs(out[255999] / 0.5f - 0.9675f) < 5e-4f);
        QCOMPARE(out[256000], 0.5f);
        for (int i = 1; i < out.size(); ++i)
            QVERIFY2(std::isfinite(out[i]) && out[i] >= out[i - 1] && out[i] <= 0.5f, qPrintable(QString::number(i)));
    }

    void testFadeOutLongerThanFile()
    {
        store({{"KeyFadeInOutActive", true}, {"KeyFadeIn", 0}, {"KeyFadeOut", 3}});
        TestWorker worker;
        const QVector<float> out = convert(worker, constant(1500, 0.5f), 1000, 1);
        QCOMPARE(out.size(), 1500);
        QCOMPARE(out[0], 0.5f);
        QVERIFY(std::fabs(out[750] - 0.25f) < 1e-3f);
        for (int i = 1; i < out.size(); ++i)
            QVERIFY(out[i] <= out[i - 1] && out[i] >= 0.0f);
    }

    void testFadeWithTrimStaysAtUnity()
    {
        store({{"KeyFadeInOutActive", true}, {"KeyFadeIn", 1}, {"KeyFadeOut", 1}, {"KeyTrimSilenceActive", true}});
        TestWorker worker;
        const QVector<float> out = convert(worker, constant(31999, 0.0f) + constant(100000, 0.5f), 32001, 1);
        QCOMPARE(out.size(), 100000);
        for (float x : out)
            QVERIFY(x >= 0.0f && x <= 0.5f);
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
        const QVector<float> quiet{0.1f, -0.4f, 0.2f, 0.0f};
        QTest::newRow("level 50") << 1 << quiet << false << 50 << QVector<float>{0.125f, -0.5f, 0.25f, 0.0f};
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
        QCOMPARE(capped.last().first().toInt(), 100);
        for (const QList<QVariant>& args : capped)
            QVERIFY(args.first().toInt() <= 100);
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

    void testOutputStage()
    {
        const QVector<float> tone = constant(44100, 0.25f);
        const QString wav = m_dir.filePath("out.wav");
        {
            FailingOutput output(wav, {});
            QSignalSpy errors(&output, SIGNAL(errorsLog(QString)));
            output.write(const_cast<float*>(tone.data()), tone.size());
            QVERIFY(!output.close());
            QCOMPARE(errors.size(), 1);
            QVERIFY(errors[0][0].toString().startsWith("Settings error, can not create: " + m_dir.filePath("out.m4a")));
            QVERIFY(errors[0][0].toString().contains(wav));
            QVERIFY(!QFile::exists(m_dir.filePath("out.m4a")));
            QVERIFY(QFileInfo(wav).size() >= 44100 * 2);
        }
        const QString full = m_dir.filePath("full.wav");
        QVERIFY(QFile::link("/dev/full", full));
        {
            GeneralOutput output(full, {});
            QSignalSpy errors(&output, SIGNAL(errorsLog(QString)));
            output.write(const_cast<float*>(tone.data()), tone.size());
            QVERIFY(!output.close());
            QCOMPARE(errors.size(), 1);
            QCOMPARE(errors[0][0].toString(), "Can not write: " + full + "\n");
            QVERIFY(!QFileInfo(full).isSymLink());
        }
    }
};

TRELVANIC_TEST_MAIN_APP(VUVararer::App, BatchConvertTest)
#include "tst_batchconvert.moc"
