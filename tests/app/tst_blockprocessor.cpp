#include <core/BlockProcessor.h>

#include <QtTest>

#include <cmath>

using Gains = QVector<float>;
Q_DECLARE_METATYPE(BlockProcessor::Params)

namespace {

// Runs a stream of ones through a processor in blocks of the given size and returns what it kept.
Gains keptGains(const BlockProcessor::Params& params, int blockSize)
{
    BlockProcessor processor(params);
    Gains out;
    QVector<float> block(blockSize);
    for (qint64 position = 0; position < params.count; position += blockSize) {
        const int n = int(std::min<qint64>(blockSize, params.count - position));
        block.fill(1.0f);
        const int kept = processor.process(block.data(), n);
        out += block.mid(0, kept);
    }
    return out;
}

BlockProcessor::Params params(qint64 count, int channels, float gain, qint64 first, qint64 end, qint64 fadeIn,
                              qint64 fadeOut)
{
    BlockProcessor::Params p;
    p.count = count;
    p.channels = channels;
    p.gain = gain;
    p.first = first;
    p.end = end;
    p.fadeIn = fadeIn;
    p.fadeOut = fadeOut;
    return p;
}

} // namespace

class BlockProcessorTest : public QObject
{
    Q_OBJECT

private slots:
    void testGains_data()
    {
        QTest::addColumn<BlockProcessor::Params>("params");
        QTest::addColumn<Gains>("expected");
        // Mono, trimmed to values 3..12: the fade-in rises from 0 at the first kept value to 1 four values on,
        // the fade-out falls from 1 to 0 at the last kept value.
        QTest::newRow("mono trimmed") << params(16, 1, 0.5f, 3, 13, 4, 4)
                                      << Gains{0.0f, 0.125f, 0.25f, 0.375f, 0.5f, 0.5f, 0.375f, 0.25f, 0.125f, 0.0f};
        QTest::newRow("mono whole") << params(6, 1, 1.0f, 0, 6, 2, 0) << Gains{0.0f, 0.5f, 1.0f, 1.0f, 1.0f, 1.0f};
        // Stereo: both values of a frame share a gain.
        QTest::newRow("stereo trimmed") << params(12, 2, 1.0f, 2, 10, 4, 4)
                                        << Gains{0.0f, 0.0f, 0.5f, 0.5f, 0.5f, 0.5f, 0.0f, 0.0f};
        // Windows longer than the kept sound span all of it.
        QTest::newRow("long fades") << params(5, 1, 1.0f, 0, 5, 0, 100) << Gains{1.0f, 0.75f, 0.5f, 0.25f, 0.0f};
        QTest::newRow("nothing kept") << params(8, 2, 1.0f, 4, 4, 2, 2) << Gains{};
    }

    void testGains()
    {
        QFETCH(BlockProcessor::Params, params);
        QFETCH(Gains, expected);
        for (int blockSize : {1, 7, 32000})
            QCOMPARE(keptGains(params, blockSize), expected);
    }

    void testLongFades_data()
    {
        QTest::addColumn<bool>("trim");
        QTest::newRow("trimmed") << true;
        QTest::newRow("whole") << false;
    }

    // One second fades at 44.1 kHz stereo: no block size changes a gain, the ramps start and end at 0 and
    // every step between neighbouring frames of a ramp is the same.
    void testLongFades()
    {
        QFETCH(bool, trim);
        const qint64 count = 2 * 44100 * 3;
        const qint64 first = trim ? 2 * 31999 : 0;
        const qint64 end = trim ? count - 2 * 5000 : count;
        const BlockProcessor::Params p = params(count, 2, 1.0f, first, end, 2 * 44100, 2 * 44100);
        const Gains gains = keptGains(p, 32000);
        QCOMPARE(gains.size(), int(end - first));
        QCOMPARE(keptGains(p, 1), gains);
        QCOMPARE(keptGains(p, 7), gains);
        QCOMPARE(gains.first(), 0.0f);
        QCOMPARE(gains.last(), 0.0f);
        const float step = 1.0f / 44100.0f;
        for (int i = 2; i < gains.size(); i += 2) {
            QCOMPARE(gains[i + 1], gains[i]);
            const float delta = std::fabs(gains[i] - gains[i - 2]);
            QVERIFY2(delta == 0.0f || std::fabs(delta - step) < 1e-6f, qPrintable(QString::number(i)));
        }
    }
};

QTEST_APPLESS_MAIN(BlockProcessorTest)
#include "tst_blockprocessor.moc"
