#include "TestMain.h"

#include <core/GeneralOutput.h>

#include <VUVararer/App.h>
#include <ZADovuzIdida/EncoderBase.h>
#include <ZADovuzIdida/EncoderFactory.h>

#include <QPointer>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

namespace {

// Records every call the output stage makes.
class RecordingEncoder : public ZADovuzIdida::EncoderBase
{
public:
    void write(float* samples, long long count) override
    {
        for (long long i = 0; i < count; ++i)
            m_vecSamples.append(samples[i]);
    }
    void close() override
    {
        ++m_nClosed;
        if (m_bFail) {
            m_nStatus = -1;
            emit errorsLog(QStringLiteral("encoder failed\n"));
        }
    }
    QVector<float> m_vecSamples;
    int m_nClosed = 0;
    bool m_bFail = false;
};

class RecordingFactory : public ZADovuzIdida::EncoderFactory
{
public:
    ZADovuzIdida::EncoderBase* encoder(const QString& codec) override
    {
        m_lstAsked << codec;
        if (!m_lstOffered.contains(codec))
            return nullptr;
        m_pLast = new RecordingEncoder;
        m_pLast->m_bFail = m_bFail;
        return m_pLast;
    }
    QStringList m_lstOffered;
    QStringList m_lstAsked;
    bool m_bFail = false;
    QPointer<RecordingEncoder> m_pLast;
};

} // namespace

class EncoderPluginTest : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;

private slots:
    void cleanup() { ZADovuzIdida::Encoders::setFactory(nullptr); }

    // Without a factory, or when it offers no encoder, the output stage writes the WAV file.
    void testWaveWithoutEncoder()
    {
        for (const bool bFactory : {false, true}) {
            RecordingFactory factory;
            if (bFactory)
                ZADovuzIdida::Encoders::setFactory(&factory);
            const QString wav = m_dir.filePath(QStringLiteral("plain%1.wav").arg(bFactory));
            GeneralOutput output(wav, {});
            QCOMPARE(factory.m_lstAsked, bFactory ? (QStringList{"mp3", "flac"}) : QStringList());
            QVERIFY(QFileInfo(wav).isFile());
        }
    }

    void testEncoderTakesTheSamples_data()
    {
        QTest::addColumn<QStringList>("offered");
        QTest::addColumn<QStringList>("asked");
        QTest::addColumn<bool>("fail");
        QTest::newRow("mp3") << QStringList{"mp3", "flac"} << QStringList{"mp3"} << false;
        QTest::newRow("flac after mp3") << QStringList{"flac"} << QStringList{"mp3", "flac"} << false;
        QTest::newRow("failing encoder") << QStringList{"mp3"} << QStringList{"mp3"} << true;
    }

    void testEncoderTakesTheSamples()
    {
        QFETCH(QStringList, offered);
        QFETCH(QStringList, asked);
        QFETCH(bool, fail);
        VUVararer::App::theApp()->setSettingsValue("KeyCopyMetaTagsActive", false);
        RecordingFactory factory;
        factory.m_lstOffered = offered;
        factory.m_bFail = fail;
        ZADovuzIdida::Encoders::setFactory(&factory);

        ZADovuzIdida::MAudioFormat format;
        format.sampleRate = 22050;
        format.channels = 1;
        const QString target = m_dir.filePath("encoded.wav");
        auto* output = new GeneralOutput(target, format);
        QSignalSpy errors(output, SIGNAL(errorsLog(QString)));
        QCOMPARE(factory.m_lstAsked, asked);
        QVERIFY(factory.m_pLast);
        RecordingEncoder* encoder = factory.m_pLast;
        output->setMetaInfoFile("source.mp4");
        QVector<float> block{0.5f, -0.25f, 0.125f};
        output->write(block.data(), block.size());
        output->write(block.data(), 2);
        QCOMPARE(output->close(), !fail);
        QCOMPARE(output->close(), !fail);

        QCOMPARE(encoder->m_vecSamples, (QVector<float>{0.5f, -0.25f, 0.125f, 0.5f, -0.25f}));
        QCOMPARE(encoder->m_nClosed, 1);
        QCOMPARE(encoder->file(), target);
        QCOMPARE(encoder->format().sampleRate, 22050);
        QCOMPARE(encoder->format().channels, 1);
        QCOMPARE(encoder->metaInfoFile(), QString("source.mp4"));
        QVERIFY(!encoder->copyMetaTags());
        QCOMPARE(errors.count(), fail ? 1 : 0);
        QVERIFY(!QFileInfo::exists(target)); // no WAV beside the encoder
        delete output;
        QVERIFY(!factory.m_pLast); // the encoder goes with the output stage
    }
};

TRELVANIC_TEST_MAIN_APP(VUVararer::App, EncoderPluginTest)
#include "tst_encoderplugin.moc"
