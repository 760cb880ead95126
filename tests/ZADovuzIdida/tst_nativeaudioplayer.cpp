#include "NullSoundServer.h"
#include "TestMain.h"
#include "Tools.h"

#include <ZADovuzIdida/NativeAudioPlayer.h>

#include <QAudioDeviceInfo>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QThread>

#include <cmath>

using namespace ZADovuzIdida;

class TestNativeAudioPlayer : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    TestKit::NullSoundServer m_sound;

    QString path(const QString& name) const { return m_dir.filePath(name); }

    QString ffprobe(const QString& entries, const QString& file)
    {
        const TestKit::ToolResult result = TestKit::runTool(
            "ffprobe", {"-v", "error", "-show_entries", entries, "-of", "default=noprint_wrappers=1:nokey=1", file});
        return QString::fromLatin1(result.out).section('\n', 0, 0).trimmed();
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        QString error;
        QVERIFY2(m_sound.start(&error), qPrintable(error));
        QVERIFY(TestKit::makeTone(path("tone.wav"), 3.2, 44100, 2, {}, &error));
        QVERIFY(TestKit::makeTone(path("tone.flac"), 2.5, 48000, 1, {"-c:a", "flac"}, &error));
        QVERIFY(TestKit::makeTone(path("tone.mp3"), 2.0, 44100, 2, {"-c:a", "libmp3lame"}, &error));
        QVERIFY(TestKit::makeTone(path("surround.wav"), 1.0, 48000, 6, {}, &error));
        QVERIFY(TestKit::makeTone(path("short.wav"), 1.2, 44100, 2, {}, &error));
        QFile text(path("notes.txt"));
        QVERIFY(text.open(QIODevice::WriteOnly));
        text.write("no sound here\n");
    }

    void testNewPlayer()
    {
        NativeAudioPlayer player;
        QVERIFY(player.fileName().isEmpty());
        QCOMPARE(player.duration(), qint64(0));
        QCOMPARE(player.position(), qint64(0));
        QCOMPARE(player.numberOfChannels(), 0);
        QVERIFY(!player.isPlaying());
        QCOMPARE(player.volume(), 50.0);
        QVERIFY(!player.isMuted());
    }

    void testProbe_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<int>("tolerance");
        QTest::newRow("wav") << "tone.wav" << 1;
        QTest::newRow("flac mono") << "tone.flac" << 1;
        QTest::newRow("mp3") << "tone.mp3" << 30;
        QTest::newRow("5.1 wav") << "surround.wav" << 1;
    }

    // Duration and channels agree with ffprobe; probing plays nothing and emits nothing.
    void testProbe()
    {
        QFETCH(QString, file);
        QFETCH(int, tolerance);
        NativeAudioPlayer player;
        QSignalSpy finished(&player, SIGNAL(finished()));
        QSignalSpy moved(&player, SIGNAL(positionChanged(qint64)));
        player.setMedia(path(file));
        QCOMPARE(player.fileName(), path(file));
        const double seconds = ffprobe("format=duration", path(file)).toDouble();
        QVERIFY(seconds > 0);
        QVERIFY2(std::abs(player.duration() - qint64(seconds * 1000)) <= tolerance,
                 qPrintable(QString("%1 vs %2").arg(player.duration()).arg(seconds)));
        QCOMPARE(player.numberOfChannels(), ffprobe("stream=channels", path(file)).toInt());
        QVERIFY(!player.isPlaying());
        QTest::qWait(600);
        QCOMPARE(finished.count(), 0);
        QCOMPARE(moved.count(), 0);
    }

    void testUnplayable_data()
    {
        QTest::addColumn<QString>("file");
        QTest::newRow("missing") << "missing.wav";
        QTest::newRow("text") << "notes.txt";
    }

    void testUnplayable()
    {
        QFETCH(QString, file);
        NativeAudioPlayer player;
        QSignalSpy finished(&player, SIGNAL(finished()));
        player.setMedia(path(file));
        QCOMPARE(player.duration(), qint64(0));
        QCOMPARE(player.numberOfChannels(), 0);
        player.play();
        QVERIFY(!player.isPlaying());
        QTest::qWait(700);
        QCOMPARE(finished.count(), 0);
    }

    // A probe on a worker thread needs no event loop and no audio output.
    void testProbeOnWorkerThread()
    {
        const QString file = path("tone.flac");
        qint64 duration = -1;
        int channels = -1;
        QThread* worker = QThread::create([&] {
            NativeAudioPlayer probe;
            probe.setMedia(file);
            duration = probe.duration();
            channels = probe.numberOfChannels();
        });
        worker->start();
        QVERIFY(worker->wait(30000));
        delete worker;
        QCOMPARE(duration, qint64(2500));
        QCOMPARE(channels, 1);
    }

    void testVolume_data()
    {
        QTest::addColumn<double>("set");
        QTest::addColumn<double>("readBack");
        QTest::addColumn<bool>("muted");
        QTest::newRow("0") << 0.0 << 0.0 << true;
        QTest::newRow("1") << 1.0 << 0.0 << true;
        QTest::newRow("5") << 5.0 << 5.0 << false;
        QTest::newRow("10") << 10.0 << 10.0 << false;
        QTest::newRow("25") << 25.0 << 25.0 << false;
        QTest::newRow("50") << 50.0 << 50.0 << false;
        QTest::newRow("57") << 57.0 << 56.0 << false;
        QTest::newRow("57.9 truncates") << 57.9 << 56.0 << false;
        QTest::newRow("100") << 100.0 << 100.0 << false;
        QTest::newRow("150") << 150.0 << 100.0 << false;
        QTest::newRow("-10") << -10.0 << -10.0 << true;
    }

    void testVolume()
    {
        QFETCH(double, set);
        QFETCH(double, readBack);
        QFETCH(bool, muted);
        NativeAudioPlayer player;
        player.setVolume(set);
        QCOMPARE(player.volume(), readBack);
        QCOMPARE(player.isMuted(), muted);
    }

    void testMute()
    {
        NativeAudioPlayer player;
        player.setVolume(57);
        player.setMuted(true);
        QVERIFY(player.isMuted());
        QCOMPARE(player.volume(), 0.0);
        player.setMuted(false);
        QCOMPARE(player.volume(), 56.0);
        QVERIFY(!player.isMuted());
    }

    // A short file plays to its end: one finished(), then the file is unloaded while the state stays "playing".
    void testPlayToEnd()
    {
        QVERIFY(!QAudioDeviceInfo::defaultOutputDevice().isNull());
        NativeAudioPlayer player;
        QSignalSpy finished(&player, SIGNAL(finished()));
        QSignalSpy moved(&player, SIGNAL(positionChanged(qint64)));
        player.setBalance(-1.0f);
        player.setMedia(path("short.wav"));
        player.setVolume(25);
        player.play();
        QVERIFY(player.isPlaying());
        QVERIFY(!player.isStopped());
        QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 1, 5000);
        QVERIFY(moved.count() >= 1);
        QVERIFY(moved.first().first().toLongLong() >= 0);
        QVERIFY(moved.last().first().toLongLong() <= 1200);
        QCOMPARE(player.duration(), qint64(0));
        QCOMPARE(player.numberOfChannels(), 0);
        QVERIFY(!player.isPlaying());
        QVERIFY(!player.isStopped());
        QVERIFY(!player.isPaused());
        QTest::qWait(1100);
        QCOMPARE(finished.count(), 1);
        player.play();
        QVERIFY(!player.isPlaying());
    }

    // Pause keeps the position, stop rewinds and never finishes, play(path) leaves fileName alone.
    void testPauseStopResume()
    {
        NativeAudioPlayer player;
        QSignalSpy finished(&player, SIGNAL(finished()));
        player.setMedia(path("short.wav"));
        player.play(path("tone.wav"));
        QCOMPARE(player.fileName(), path("short.wav"));
        QCOMPARE(player.duration(), qint64(3200));
        QTRY_VERIFY_WITH_TIMEOUT(player.position() >= 300, 3000);
        player.pause();
        QVERIFY(player.isPaused());
        QVERIFY(!player.isPlaying());
        const qint64 paused = player.position();
        QTest::qWait(700);
        QVERIFY(std::abs(player.position() - paused) <= 50);
        player.play();
        QVERIFY(player.isPlaying());
        QTRY_VERIFY_WITH_TIMEOUT(player.position() >= paused + 200, 3000);
        player.stop();
        QVERIFY(player.isStopped());
        QVERIFY(!player.isPlaying());
        QCOMPARE(player.position(), qint64(0));
        QCOMPARE(player.duration(), qint64(3200));
        QTest::qWait(700);
        QCOMPARE(finished.count(), 0);
        player.play();
        QVERIFY(player.isPlaying());
        QVERIFY(player.position() < 300);
        player.stop();
        QCOMPARE(finished.count(), 0);
    }

    // setPosition moves playback; the end follows from the new place.
    void testSetPosition()
    {
        NativeAudioPlayer player;
        QSignalSpy finished(&player, SIGNAL(finished()));
        player.setMedia(path("tone.wav"));
        player.setPosition(2500);
        QCOMPARE(player.position(), qint64(2500));
        player.play();
        QVERIFY(player.isPlaying());
        QVERIFY(player.position() >= 2500);
        QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 1, 2500);
    }
};

TRELVANIC_TEST_MAIN(TestNativeAudioPlayer)
#include "tst_nativeaudioplayer.moc"
