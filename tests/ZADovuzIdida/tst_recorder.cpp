#include "MediaTestKit.h"
#include "NullSoundServer.h"
#include "TestMain.h"

#include <VUVararer/App.h>
#include <ZADovuzIdida/NativeAudioPlayer.h>
#include <ZADovuzIdida/NativeAudioRecorder.h>

#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>

using ZADovuzIdida::MAudioFormat;
using ZADovuzIdida::NativeAudioPlayer;
using ZADovuzIdida::NativeAudioRecorder;
using ZADovuzIdida::recorderCodecIndex;
using ZADovuzIdida::recorderFourCC;
using ZADovuzIdida::recorderSettings;

namespace {

MAudioFormat formatOf(const QString& codec, int quality = 3)
{
    MAudioFormat format;
    format.codec = codec;
    format.quality = quality;
    return format;
}

// The loudest sample of a file in dB as ffmpeg's volumedetect reports it; 1 when it cannot be read.
double maxVolume(const QString& path)
{
    const TestKit::ToolResult result =
        TestKit::runTool("ffmpeg", {"-hide_banner", "-nostats", "-i", path, "-af", "volumedetect", "-f", "null", "-"});
    const QRegularExpressionMatch match =
        QRegularExpression("max_volume: (-?[0-9.]+|-inf) dB").match(QString::fromLocal8Bit(result.err));
    if (result.exitCode != 0 || !match.hasMatch())
        return 1.0;
    return match.captured(1) == "-inf" ? -1000.0 : match.captured(1).toDouble();
}

} // namespace

class TestRecorder : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    TestKit::NullSoundServer m_sound;
    QString m_strNoSound;

    QString path(const QString& name) const { return m_dir.filePath(name); }

    void requireSound() const
    {
        if (!m_strNoSound.isEmpty())
            QFAIL(qPrintable("no sound device: " + m_strNoSound));
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        if (!m_sound.start(&m_strNoSound) && m_strNoSound.isEmpty())
            m_strNoSound = "no sound server";
        QString error;
        QVERIFY2(TestKit::makeTone(path("tone.wav"), 6.0, 44100, 2, {}, &error), qPrintable(error));
    }

    void testCodecIndex_data()
    {
        QTest::addColumn<QString>("codec");
        QTest::addColumn<int>("index");
        QTest::newRow("WAV") << "WAV" << 0;
        QTest::newRow("AIFF") << "AIFF" << 1;
        QTest::newRow("MPEG4ACC") << "MPEG4ACC" << 2;
        QTest::newRow("CAF") << "CAF" << 3;
        QTest::newRow("FLAC") << "FLAC" << 4;
        QTest::newRow("lower case") << "wav" << 0;
        QTest::newRow("lower case flac") << "flac" << 0;
        QTest::newRow("MP3") << "MP3" << 0;
        QTest::newRow("empty") << "" << 0;
    }

    void testCodecIndex()
    {
        QFETCH(QString, codec);
        QTEST(recorderCodecIndex(formatOf(codec)), "index");
        QCOMPARE(ZADovuzIdida::audioFileTypeName(5), QString());
        QCOMPARE(ZADovuzIdida::audioFileTypeName(-1), QString());
        QCOMPARE(ZADovuzIdida::audioFileTypeName(2), QString("MPEG4ACC"));
    }

    void testSettings()
    {
        const QVariantMap wav = recorderSettings(MAudioFormat());
        QCOMPARE(wav.value("SampleRate"), QVariant(44100.0f));
        QCOMPARE(wav.value("FormatID").toUInt(), 0x6C70636Du);
        QCOMPARE(wav.value("NumberOfChannels").toInt(), 2);
        QCOMPARE(wav.value("EncoderAudioQuality").toInt(), 96);
        QCOMPARE(wav.size(), 4);
        QVERIFY(!wav.contains("LinearPCMBitDepth"));

        MAudioFormat aac = formatOf("CAF");
        aac.bitRate = 192000;
        aac.sampleRate = 48000;
        aac.channels = 1;
        const QVariantMap caf = recorderSettings(aac);
        aac.codec = "MPEG4ACC";
        QCOMPARE(recorderSettings(aac), caf);
        QCOMPARE(caf.value("FormatID").toUInt(), recorderFourCC('a', 'a', 'c', ' '));
        QCOMPARE(caf.value("FormatID").toUInt(), 0x61616320u);
        QCOMPARE(caf.value("EncoderBitRate").toInt(), 192000);
        QCOMPARE(caf.value("SampleRate"), QVariant(48000.0f));
        QCOMPARE(caf.value("NumberOfChannels").toInt(), 1);
        QCOMPARE(caf.size(), 5);

        MAudioFormat bits = formatOf("FLAC", 4);
        bits.bitsPerSample = 24;
        const QVariantMap flac = recorderSettings(bits);
        QCOMPARE(flac.value("FormatID").toUInt(), 0x666C6163u);
        QCOMPARE(flac.value("LinearPCMBitDepth").toInt(), 16);
        QCOMPARE(flac.value("LinearPCMIsBigEndian").toBool(), false);
        QCOMPARE(flac.value("LinearPCMIsFloat").toBool(), false);
        QCOMPARE(flac.value("EncoderAudioQuality").toInt(), 127);
        QVERIFY(!flac.contains("EncoderBitRate"));

        bits.codec = "AIFF";
        const QVariantMap aiff = recorderSettings(bits);
        QCOMPARE(aiff.value("FormatID").toUInt(), 0x6C70636Du);
        QCOMPARE(aiff.value("LinearPCMBitDepth").toInt(), 16);
        QCOMPARE(aiff.value("LinearPCMIsBigEndian").toBool(), true);
        QCOMPARE(aiff.value("LinearPCMIsNonInterleaved").toBool(), false);
        QCOMPARE(aiff.size(), 8);
    }

    void testQuality_data()
    {
        QTest::addColumn<int>("level");
        QTest::addColumn<int>("quality");
        QTest::newRow("0") << 0 << 0;
        QTest::newRow("1") << 1 << 32;
        QTest::newRow("2") << 2 << 64;
        QTest::newRow("3") << 3 << 96;
        QTest::newRow("4") << 4 << 127;
        QTest::newRow("7") << 7 << 96;
        QTest::newRow("-1") << -1 << 96;
    }

    void testQuality()
    {
        QFETCH(int, level);
        QTEST(recorderSettings(formatOf("WAV", level)).value("EncoderAudioQuality").toInt(), "quality");
    }

    void testFacade()
    {
        NativeAudioRecorder recorder;
        QVERIFY(recorder.isStopped() && !recorder.isRecording());
        QVERIFY(recorder.outputFileName().isEmpty());
        const MAudioFormat initial = recorder.format();
        QCOMPARE(initial.codec, QString("WAV"));
        QCOMPARE(initial.sampleRate, 44100);
        QCOMPARE(initial.quality, 3);
        QCOMPARE(recorder.processedUSecs(), 0LL);
        recorder.setOutputFileName(path("x.wav"));
        QCOMPARE(recorder.outputFileName(), path("x.wav"));
        recorder.setFormat(formatOf("FLAC", 1));
        QCOMPARE(recorder.format().codec, QString("FLAC"));
        QCOMPARE(recorder.format().quality, 1);
        QCOMPARE(recorder.peakPowerForChannel(0), -160.0f);
    }

    void testDevices()
    {
        requireSound();
        NativeAudioRecorder recorder;
        QCOMPARE(recorder.availableInputDevices(), QStringList{recorder.defaultInputDevice()});
        QVERIFY(!recorder.defaultInputDevice().isEmpty());
        recorder.setInputDevice("none");
        QVERIFY(!recorder.defaultInputDevice().isEmpty());
    }

    // A start that cannot create its file records nothing and sends nothing; the error is shared.
    void testFailedStart_data()
    {
        QTest::addColumn<QString>("codec");
        QTest::newRow("WAV") << "WAV";
        QTest::newRow("FLAC") << "FLAC";
        QTest::newRow("MPEG4ACC") << "MPEG4ACC";
    }

    void testFailedStart()
    {
        requireSound();
        QFETCH(QString, codec);
        NativeAudioRecorder recorder;
        NativeAudioRecorder other;
        recorder.setFormat(formatOf(codec));
        QSignalSpy finished(&recorder, SIGNAL(finished()));
        const QString target = path("missing/folder/take.rec");
        recorder.slotStart(target);
        QCOMPARE(recorder.outputFileName(), target);
        QVERIFY(recorder.isErrorOccured());
        QVERIFY(!recorder.errorDescription().isEmpty());
        QVERIFY(other.isErrorOccured());
        QCOMPARE(other.errorDescription(), recorder.errorDescription());
        QVERIFY(recorder.isStopped() && !recorder.isRecording());
        QVERIFY(!QFileInfo::exists(target));
        QTest::qWait(200);
        QCOMPARE(finished.count(), 0);

        other.slotStart(path("cleared.wav"));
        QVERIFY(!recorder.isErrorOccured());
        QVERIFY(recorder.errorDescription().isEmpty());
        other.slotStop();
    }

    // A tone played into the null sink comes back through its monitor into a file of each type.
    void testRecordTone_data()
    {
        QTest::addColumn<QString>("codec");
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("codecName");
        QTest::addColumn<int>("rate");
        QTest::addColumn<int>("channels");
        QTest::newRow("WAV") << "WAV"
                             << "take.wav"
                             << "pcm_s16le" << 44100 << 2;
        QTest::newRow("AIFF") << "AIFF"
                              << "take.aiff"
                              << "pcm_s16be" << 48000 << 2;
        QTest::newRow("MPEG4ACC") << "MPEG4ACC"
                                  << "take.m4a"
                                  << "aac" << 44100 << 2;
        QTest::newRow("CAF") << "CAF"
                             << "take.caf"
                             << "alac" << 48000 << 1;
        QTest::newRow("FLAC") << "FLAC"
                              << "take.flac"
                              << "flac" << 44100 << 1;
    }

    void testRecordTone()
    {
        requireSound();
        QFETCH(QString, codec);
        QFETCH(QString, file);
        QFETCH(int, rate);
        QFETCH(int, channels);
        NativeAudioRecorder recorder;
        MAudioFormat format = formatOf(codec);
        format.sampleRate = rate;
        format.channels = channels;
        recorder.setFormat(format);
        recorder.setMeteringEnabled(true);
        QSignalSpy finished(&recorder, SIGNAL(finished()));

        NativeAudioPlayer player;
        player.setVolume(100.0);
        player.play(path("tone.wav"));
        QTRY_VERIFY_WITH_TIMEOUT(player.isPlaying(), 15000);
        QTest::qWait(300);

        recorder.slotStart(path(file));
        QVERIFY2(!recorder.isErrorOccured(), qPrintable(recorder.errorDescription()));
        QVERIFY(!recorder.isStopped());
        QTRY_VERIFY_WITH_TIMEOUT(recorder.isRecording(), 15000);
        // The meter follows the latest block: it must show the tone while the tone plays.
        QTRY_VERIFY_WITH_TIMEOUT(recorder.peakPowerForChannel(0) > -30.0f &&
                                     recorder.averagePowerForChannel(0) > -40.0f &&
                                     recorder.averagePowerForChannel(0) <= recorder.peakPowerForChannel(0),
                                 15000);
        QTRY_VERIFY_WITH_TIMEOUT(recorder.processedUSecs() >= 2500, 15000);
        QCOMPARE(recorder.peakPowerForChannel(channels), -160.0f);
        recorder.slotStop();
        player.stop();
        QCOMPARE(finished.count(), 1);
        QVERIFY(recorder.isStopped() && !recorder.isRecording());
        const long long recorded = recorder.processedUSecs();
        QVERIFY(recorded >= 2500 && recorded < 6000);

        const QString out = path(file);
        QTEST(MediaKit::probe("stream=codec_name", out), "codecName");
        QCOMPARE(MediaKit::probe("stream=sample_rate", out).toInt(), rate);
        QCOMPARE(MediaKit::probe("stream=channels", out).toInt(), channels);
        const double seconds = MediaKit::probeSeconds(out);
        QVERIFY2(qAbs(seconds * 1000.0 - recorded) < 150.0,
                 qPrintable(QString("file %1 s, recorder %2 ms").arg(seconds).arg(recorded)));
        const double loudest = maxVolume(out);
        QVERIFY2(loudest > -30.0 && loudest <= 0.0, qPrintable(QString("max volume %1 dB").arg(loudest)));
    }

    // A paused recording is neither stopped nor recording; it takes nothing in until resumed.
    void testSuspendResume()
    {
        requireSound();
        NativeAudioRecorder recorder;
        QSignalSpy finished(&recorder, SIGNAL(finished()));
        recorder.setOutputFileName(path("paused.wav"));
        recorder.slotStart();
        QVERIFY2(!recorder.isErrorOccured(), qPrintable(recorder.errorDescription()));
        QTRY_VERIFY_WITH_TIMEOUT(recorder.processedUSecs() > 300, 15000);
        recorder.slotSuspend();
        QTRY_VERIFY_WITH_TIMEOUT(!recorder.isRecording(), 15000);
        QVERIFY(!recorder.isStopped());
        QTest::qWait(200);
        const long long paused = recorder.processedUSecs();
        QTest::qWait(800);
        QVERIFY(recorder.processedUSecs() - paused < 300);
        recorder.slotResume();
        QTRY_VERIFY_WITH_TIMEOUT(recorder.isRecording(), 15000);
        QTRY_VERIFY_WITH_TIMEOUT(recorder.processedUSecs() > paused + 500, 15000);
        recorder.slotStop();
        QCOMPARE(finished.count(), 1);
        QVERIFY(recorder.isStopped());
        const double seconds = MediaKit::probeSeconds(path("paused.wav"));
        QVERIFY(qAbs(seconds * 1000.0 - recorder.processedUSecs()) < 150.0);
    }

    // Destroying a running recorder closes its file without finished().
    void testDestroyWhileRecording()
    {
        requireSound();
        auto* recorder = new NativeAudioRecorder;
        QSignalSpy finished(recorder, SIGNAL(finished()));
        recorder->slotStart(path("dropped.wav"));
        QTRY_VERIFY_WITH_TIMEOUT(recorder->processedUSecs() > 500, 15000);
        delete recorder;
        QCOMPARE(finished.count(), 0);
        QVERIFY(MediaKit::probeSeconds(path("dropped.wav")) >= 0.5);
    }
};

TRELVANIC_TEST_MAIN_APP(VUVararer::App, TestRecorder)
#include "tst_recorder.moc"
