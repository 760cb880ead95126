#include "TestMain.h"
#include "Tools.h"

#include <ZADovuzIdida/Native/DecoderDevice.h>

#include <QTemporaryDir>

#include <cstring>
#include <vector>

using namespace ZADovuzIdida;

namespace {

std::vector<qint16> toSamples(const QByteArray& bytes)
{
    std::vector<qint16> samples(size_t(bytes.size()) / 2);
    if (!samples.empty())
        std::memcpy(samples.data(), bytes.constData(), samples.size() * 2);
    return samples;
}

} // namespace

class TestDecoderDevice : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;

    QString path(const QString& name) const { return m_dir.filePath(name); }

    std::vector<qint16> reference(const QString& file, const QStringList& filters = {})
    {
        QStringList args{"-v", "error", "-i", file};
        if (!filters.isEmpty())
            args << "-af" << filters.join(',');
        args << "-ac" << "2" << "-ar" << "44100" << "-f" << "s16le" << "-";
        return toSamples(TestKit::runTool("ffmpeg", args).out);
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        const TestKit::ToolResult result = TestKit::runTool(
            "ffmpeg", {"-v", "error", "-f", "lavfi", "-i",
                       "aevalsrc=0.4*sin(2*PI*440*t)|0.3*sin(2*PI*550*t):s=44100:d=3", "-c:a", "pcm_s16le",
                       path("tone.wav")});
        QCOMPARE(result.exitCode, 0);
    }

    void testPan_data()
    {
        QTest::addColumn<float>("pan");
        QTest::addColumn<float>("left");
        QTest::addColumn<float>("right");
        QTest::newRow("centre") << 0.0f << 1.0f << 1.0f;
        QTest::newRow("left only") << -1.0f << 1.0f << 0.0f;
        QTest::newRow("right only") << 1.0f << 0.0f << 1.0f;
        QTest::newRow("half right") << 0.5f << 0.5f << 1.0f;
    }

    // The pan scales each side of the decoded stereo stream.
    void testPan()
    {
        QFETCH(float, pan);
        QFETCH(float, left);
        QFETCH(float, right);
        DecoderDevice device;
        QVERIFY(device.openFile(path("tone.wav"), 44100));
        device.setPan(pan);
        const std::vector<qint16> played = toSamples(device.readAll());
        const std::vector<qint16> source = reference(path("tone.wav"));
        QCOMPARE(played.size(), source.size());
        for (size_t i = 0; i < played.size(); i += 2) {
            QCOMPARE(played[i], qint16(source[i] * left));
            QCOMPARE(played[i + 1], qint16(source[i + 1] * right));
        }
        QVERIFY(device.decoderAtEnd());
    }

    void testSeek_data()
    {
        QTest::addColumn<qint64>("ms");
        QTest::newRow("start") << qint64(0);
        QTest::newRow("1 s") << qint64(1000);
        QTest::newRow("2.345 s") << qint64(2345);
    }

    // Seeking lands on the exact frame, as ffmpeg's atrim of the same file shows.
    void testSeek()
    {
        QFETCH(qint64, ms);
        DecoderDevice device;
        QVERIFY(device.openFile(path("tone.wav"), 44100));
        QCOMPARE(device.read(4000).size(), 4000);
        QVERIFY(device.seekTo(ms));
        const std::vector<qint16> played = toSamples(device.readAll());
        const std::vector<qint16> source =
            reference(path("tone.wav"), {QString("atrim=start_sample=%1").arg(ms * 44100 / 1000)});
        QCOMPARE(played.size(), source.size());
        QVERIFY(played == source);
    }

    void testUnreadable()
    {
        DecoderDevice device;
        QVERIFY(!device.openFile(path("missing.wav"), 44100));
        QVERIFY(!device.isOpen());
    }
};

TRELVANIC_TEST_MAIN(TestDecoderDevice)
#include "tst_decoderdevice.moc"
