#include "MediaTestKit.h"
#include "NullSoundServer.h"
#include "TestMain.h"

#include <VUVararer/App.h>
#include <ZADovuzIdida/AudioPlayer.h>

#include <QElapsedTimer>
#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>

using VUVararer::App;
using ZADovuzIdida::AudioPlayer;

class TestAudioPlayer : public QObject
{
    Q_OBJECT

private:
    // Bound of every wait for real playback; each wait ends as soon as its condition holds.
    static constexpr int sm_nPlaybackWaitMs = 15000;

    QTemporaryDir m_dir;
    TestKit::NullSoundServer m_sound;
    QString m_strNoSound;

    QString path(const QString& name) const { return m_dir.filePath(name); }

    // Ends the current player (which saves its state) and stores the given settings for the next one.
    static void restart(const QVariant& mute, const QVariant& volume)
    {
        delete AudioPlayer::instance();
        App* app = App::theApp();
        app->settings()->remove(QCoreApplication::applicationName());
        if (mute.isValid())
            app->setSettingsValue("/SoundMute", mute);
        if (volume.isValid())
            app->setSettingsValue("/SoundVolume", volume);
    }

    // The settings as another process would read them from the file.
    static QVariant stored(const QString& key)
    {
        QSettings* settings = App::theApp()->settings();
        settings->sync();
        QSettings file(settings->fileName(), settings->format());
        return file.value(QCoreApplication::applicationName() + "/" + key);
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        if (!m_sound.start(&m_strNoSound) && m_strNoSound.isEmpty())
            m_strNoSound = "no sound server";
        QString error;
        for (const auto& tone : {qMakePair(QString("short.wav"), 1.2), {"loop.wav", 2.0}, {"long.wav", 4.0}})
            QVERIFY2(TestKit::makeTone(path(tone.first), tone.second, 44100, 2, {}, &error), qPrintable(error));
        QVERIFY(MediaKit::writeFile(path("notes.txt"), "no sound here\n"));
    }

    void testSilentStart()
    {
        restart(QVariant(), QVariant());
        AudioPlayer* player = AudioPlayer::instance();
        QCOMPARE(AudioPlayer::instance(), player);
        QCOMPARE(player->volume(), 0.0);
        QVERIFY(player->isMuted());
        player->setVolume(100.0);
        QCOMPARE(player->volume(), 100.0);
        QVERIFY(!player->isMuted());
        QCOMPARE(player->remainingDuration(), qint64(0));
    }

    // Mute first, then the volume: a stored mute with a volume ends unmuted; a second instance() reads nothing.
    void testRestore()
    {
        struct Case
        {
            QVariant mute, volume;
            double expectedVolume;
            bool expectedMuted;
        };
        const Case cases[] = {{false, 40.0, 40.0, false},
                              {true, 40.0, 40.0, false},
                              {true, 0.0, 0.0, true},
                              {"true", "75.9", 75.0, false},
                              {false, 250, 100.0, false}};
        for (const Case& c : cases) {
            restart(c.mute, c.volume);
            AudioPlayer* player = AudioPlayer::instance();
            QCOMPARE(player->volume(), c.expectedVolume);
            QCOMPARE(player->isMuted(), c.expectedMuted);
            App::theApp()->setSettingsValue("/SoundVolume", 10.0);
            QCOMPARE(AudioPlayer::instance()->volume(), c.expectedVolume);
            // Unmuting gives back the volume of the moment the player was muted at creation.
            if (c.expectedMuted) {
                player->setMuted(false);
                QCOMPARE(player->volume(), 50.0);
            }
        }
    }

    // Saved on quit and on destruction, read back by the next player.
    void testPersist()
    {
        restart(QVariant(), QVariant());
        AudioPlayer* player = AudioPlayer::instance();
        player->setVolume(30.0);
        QVERIFY(QMetaObject::invokeMethod(player, "slotSetAboutToQuit"));
        QCOMPARE(stored("SoundVolume").toDouble(), 30.0);
        QCOMPARE(stored("SoundMute").toBool(), false);
        player->setMuted(true);
        delete player;
        QCOMPARE(stored("SoundVolume").toDouble(), 0.0);
        QCOMPARE(stored("SoundMute").toBool(), true);
        player = AudioPlayer::instance();
        QVERIFY(player->isMuted());
        player->setVolume(25.0);
        delete player;
        player = AudioPlayer::instance();
        QCOMPARE(player->volume(), 25.0);
        QVERIFY(!player->isMuted());
    }

    // finished() arrives at the end of a file; a new play replaces the current one; stop() never finishes.
    void testPlayToEnd()
    {
        if (!m_strNoSound.isEmpty())
            QFAIL(qPrintable("no sound device: " + m_strNoSound));
        AudioPlayer* player = AudioPlayer::instance();
        player->setVolume(100.0);
        QSignalSpy finished(player, SIGNAL(finished()));
        QSignalSpy stopped(player, SIGNAL(stopped()));
        player->play(path("long.wav"), false);
        QVERIFY(player->duration() > 3900 && player->duration() <= 4000);
        QTRY_VERIFY_WITH_TIMEOUT(player->isPlaying(), sm_nPlaybackWaitMs);
        player->play(path("short.wav"), false);
        QCOMPARE(player->fileName(), path("short.wav"));
        QVERIFY(player->position() < 500);
        QCOMPARE(player->remainingDuration(), player->duration() - player->position());
        QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 1, sm_nPlaybackWaitMs);
        QCOMPARE(player->remainingDuration(), qint64(0));

        player->play(path("long.wav"), false);
        QTRY_VERIFY_WITH_TIMEOUT(player->isPlaying(), sm_nPlaybackWaitMs);
        player->stop();
        QVERIFY(player->isStopped());
        QTest::qWait(700);
        QCOMPARE(finished.count(), 1);
        QCOMPARE(stopped.count(), 0);
    }

    // A loop restarts the file about every duration until a stop; a stop ends it for good.
    void testLoop()
    {
        if (!m_strNoSound.isEmpty())
            QFAIL(qPrintable("no sound device: " + m_strNoSound));
        AudioPlayer* player = AudioPlayer::instance();
        QSignalSpy finished(player, SIGNAL(finished()));
        // Positions only fall when the file starts again, by however little the sound server let it play.
        player->play(path("loop.wav"), true);
        QElapsedTimer waited;
        waited.start();
        bool restarted = false;
        for (qint64 last = 0; !restarted && waited.elapsed() < sm_nPlaybackWaitMs;) {
            QTest::qWait(50);
            const qint64 now = player->position();
            restarted = player->duration() > 0 && now < last;
            last = now;
        }
        QVERIFY2(restarted, "the looped file did not start again");
        QCOMPARE(player->fileName(), path("loop.wav"));
        player->slotStop();
        QTest::qWait(2500); // past the next loop step
        QVERIFY(player->isStopped() && !player->isPlaying());
        QCOMPARE(player->position(), qint64(0));
        QCOMPARE(finished.count(), 0);

        player->play(path("notes.txt"), true);
        QCOMPARE(player->duration(), qint64(0));
        QTest::qWait(300);
        QVERIFY(!player->isPlaying());

        // A plain play after a loop is not looped.
        player->play(path("short.wav"), true);
        player->play(path("short.wav"), false);
        QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 1, sm_nPlaybackWaitMs);
        QTest::qWait(1500);
        QVERIFY(!player->isPlaying());
        QCOMPARE(finished.count(), 1);
    }
};

TRELVANIC_TEST_MAIN_APP(VUVararer::App, TestAudioPlayer)
#include "tst_audioplayer.moc"
