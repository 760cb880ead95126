#include "MediaTestKit.h"
#include "NullSoundServer.h"
#include "TestMain.h"

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
        QVERIFY(MediaKit::writeFile(path("notes.txt"), "no sound here\n"));
    }

    void testProbe_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<int>("tolerance");
        QTest::newRow("wav") << "tone.wav" << 1;
        QTest::newRow("flac mono") << "tone.flac" << 1;
        QTest::newRow("mp3") << "tone.mp3" << 30;
        QTest::newRow("5.1 wav") << "surround.wav" << 1;
        QTest::newRow("missing") << "missing.wav" << -1;
        QTest::newRow("text") << "notes.txt" << -1;
    }

    // Duration and channels agree with ffprobe (0 for what cannot play); probing plays and emits nothing.
    void testProbe()
    {
        QFETCH(QString, file);
        QFETCH(int, tolerance);
        NativeAudioPlayer player;
        QSignalSpy finished(&player, SIGNAL(finished()));
        QSignalSpy moved(&player, SIGNAL(positionChanged(qint64)));
        player.setMedia(path(file));
        QCOMPARE(player.fileName(), path(file));
        if (tolerance < 0) {
            QCOMPARE(player.duration(), qint64(0));
            QCOMPARE(player.numberOfChannels(), 0);
            player.play();
        } else {
            const double seconds = MediaKit::probeSeconds(path(file));
            QVERIFY(seconds > 0);
            QVERIFY2(std::abs(player.duration() - qint64(seconds * 1000)) <= tolerance,
                     qPrintable(QString("%1 vs %2").arg(player.duration()).arg(seconds)));
            QCOMPARE(player.numberOfChannels(), MediaKit::probe("stream=channels", path(file)).toInt());
        }
        QVERIFY(!player.isPlaying());
        QTest::qWait(600);
        QCOMPARE(finished.count() + moved.count(), 0);
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

    // The volume goes through single precision and 0 counts as muted; unmuting gives back the muted volume.
    void testVolume()
    {
        QCOMPARE(NativeAudioPlayer().volume(), 50.0);
        const QList<QPair<double, double>> cases{{0, 0},     {1, 0},     {5, 5},     {25, 25},  {57, 56},
                                                 {57.9, 56}, {100, 100}, {150, 100}, {-10, -10}};
        for (const auto& c : cases) {
            NativeAudioPlayer player;
            player.setVolume(c.first);
            QCOMPARE(player.volume(), c.second);
            QCOMPARE(player.isMuted(), c.second <= 0);
            player.setMuted(true);
            QVERIFY(player.isMuted());
            QCOMPARE(player.volume(), 0.0);
            player.setMuted(false);
            QCOMPARE(player.volume(), c.second);
        }
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
        QVERIFY(player.isPlaying() && !player.isStopped());
        QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 1, 15000);
        // Under load the first poll may already find the end; positions that were reported lie in the file.
        for (const QList<QVariant>& position : moved)
            QVERIFY(position.first().toLongLong() >= 0 && position.first().toLongLong() <= 1200);
        QCOMPARE(player.duration(), qint64(0));
        QCOMPARE(player.numberOfChannels(), 0);
        QVERIFY(!player.isPlaying() && !player.isStopped() && !player.isPaused());
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
        QTRY_VERIFY_WITH_TIMEOUT(player.position() >= 300, 15000);
        player.pause();
        QVERIFY(player.isPaused() && !player.isPlaying());
        const qint64 paused = player.position();
        QTest::qWait(700);
        QVERIFY(std::abs(player.position() - paused) <= 50);
        player.play();
        QVERIFY(player.isPlaying());
        QTRY_VERIFY_WITH_TIMEOUT(player.position() >= paused + 200, 15000);
        player.stop();
        QVERIFY(player.isStopped() && !player.isPlaying());
        QCOMPARE(player.position(), qint64(0));
        QCOMPARE(player.duration(), qint64(3200));
        QTest::qWait(700);
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
        QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 1, 15000);
    }
};

TRELVANIC_TEST_MAIN(TestNativeAudioPlayer)
#include "tst_nativeaudioplayer.moc"
