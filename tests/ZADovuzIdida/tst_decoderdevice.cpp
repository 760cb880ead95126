#include "MediaTestKit.h"
#include "TestMain.h"

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
        args << "-ac"
             << "2"
             << "-ar"
             << "44100"
             << "-f"
             << "s16le"
             << "-";
        return toSamples(TestKit::runTool("ffmpeg", args).out);
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        QVERIFY(MediaKit::ffmpeg({"-f", "lavfi", "-i", "aevalsrc=0.4*sin(2*PI*440*t)|0.3*sin(2*PI*550*t):s=44100:d=3",
                                  "-c:a", "pcm_s16le", path("tone.wav")}));
    }

    // The pan scales each side of the decoded stereo stream.
    void testPan()
    {
        const std::vector<qint16> source = reference(path("tone.wav"));
        const float pans[][3] = {{0.0f, 1.0f, 1.0f}, {-1.0f, 1.0f, 0.0f}, {1.0f, 0.0f, 1.0f}, {0.5f, 0.5f, 1.0f}};
        for (const auto& pan : pans) {
            DecoderDevice device;
            QVERIFY(device.openFile(path("tone.wav"), 44100));
            device.setPan(pan[0]);
            const std::vector<qint16> played = toSamples(device.readAll());
            QCOMPARE(played.size(), source.size());
            for (size_t i = 0; i < played.size(); i += 2) {
                QCOMPARE(played[i], qint16(source[i] * pan[1]));
                QCOMPARE(played[i + 1], qint16(source[i + 1] * pan[2]));
            }
            QVERIFY(device.decoderAtEnd());
        }
    }

    // Seeking lands on the exact frame, as ffmpeg's atrim of the same file shows.
    void testSeek()
    {
        for (qint64 ms : {0, 1000, 2345}) {
            DecoderDevice device;
            QVERIFY(device.openFile(path("tone.wav"), 44100));
            QCOMPARE(device.read(4000).size(), 4000);
            QVERIFY(device.seekTo(ms));
            const std::vector<qint16> played = toSamples(device.readAll());
            QVERIFY2(played == reference(path("tone.wav"), {QString("atrim=start_sample=%1").arg(ms * 44100 / 1000)}),
                     qPrintable(QString::number(ms)));
        }
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
