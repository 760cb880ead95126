#include "MediaTestKit.h"
#include "NullSoundServer.h"
#include "TestMain.h"

#include <VUVararer/App.h>
#include <ZADovuzIdida/AudioListPlayer.h>
#include <ZADovuzIdida/AudioPlayer.h>
#include <ZADovuzIdida/AudioPlayersPool.h>
#include <ZADovuzIdida/AudioPoolPlayer.h>
#include <ZADovuzIdida/NativeAudioPlayer.h>

#include <QSignalSpy>
#include <QTemporaryDir>

using ZADovuzIdida::AudioListPlayer;
using ZADovuzIdida::AudioPlayer;
using ZADovuzIdida::AudioPlayersPool;
using ZADovuzIdida::AudioPoolPlayer;
using ZADovuzIdida::NativeAudioPlayer;

class TestListPlayer : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    TestKit::NullSoundServer m_sound;
    QString m_strNoSound;

    QString path(const QString& name) const { return m_dir.filePath(name); }
    QUrl url(const QString& name) const { return QUrl::fromLocalFile(path(name)); }

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
        QVERIFY(QDir().mkpath(path("folder")));
        for (const char* name : {"a.wav", "b.wav", "c.wav", "folder/one.wav", "folder/two.wav"})
            QVERIFY2(TestKit::makeTone(path(name), 0.6, 44100, 2, {}, &error), qPrintable(error));
        QVERIFY2(TestKit::makeTone(path("long.wav"), 4.0, 44100, 2, {}, &error), qPrintable(error));
        QVERIFY(MediaKit::writeFile(path("folder/notes.txt"), "not a sound\n"));
        AudioPlayer::instance()->setVolume(50.0);
    }

    void testEmptyListAndModes()
    {
        AudioListPlayer* list = AudioListPlayer::instance();
        QCOMPARE(AudioListPlayer::instance(), list);
        QSignalSpy next(list, SIGNAL(nextTriggered()));
        QSignalSpy changed(list, SIGNAL(listChanged()));
        list->setPlayList(QList<QUrl>());
        list->appendToPlayList(QList<QUrl>());
        QVERIFY(list->playList().isEmpty());
        QCOMPARE(next.count() + changed.count(), 0);
        QCOMPARE(list->currentNumber(), 0);
        QCOMPARE(list->currentIndex(), -1);
        QVERIFY(list->currentUrl().isEmpty() && list->currentName().isEmpty());
        QVERIFY(list->playListModel() == nullptr);
        QVERIFY(list->currentCover().isNull());
        QVERIFY(!list->isShuffleMode() && !list->isLoopMode());
        list->setShuffleMode(true);
        list->setLoopMode(true);
        QVERIFY(list->isShuffleMode() && list->isLoopMode());
        list->setShuffleMode(false);
        list->setLoopMode(false);
        list->setVolume(40.0);
        QCOMPARE(list->volume(), 40.0);
        QCOMPARE(AudioPlayer::instance()->volume(), 40.0);
        list->setMuted(true);
        QVERIFY(list->isMuted() && AudioPlayer::instance()->isMuted());
        list->setMuted(false);
        QCOMPARE(list->volume(), 40.0);
    }

    void testFolder()
    {
        requireSound();
        AudioListPlayer* list = AudioListPlayer::instance();
        QSignalSpy next(list, SIGNAL(nextTriggered()));
        QDir dir(path("folder"));
        list->setPlayList(dir, {"*.wav"});
        const QStringList order = dir.entryList({"*.wav"}, QDir::Files, QDir::Unsorted);
        QCOMPARE(order.size(), 2);
        QCOMPARE(list->playList(), (QList<QUrl>{QUrl::fromLocalFile(dir.absoluteFilePath(order[0])),
                                                QUrl::fromLocalFile(dir.absoluteFilePath(order[1]))}));
        QCOMPARE(next.count(), 1);
        QCOMPARE(list->currentNumber(), 0);
        QCOMPARE(list->currentName(), order[0]);
        QCOMPARE(AudioPlayer::instance()->fileName(), dir.absoluteFilePath(order[0]));
        QTRY_VERIFY_WITH_TIMEOUT(list->isPlaying(), 15000);
        list->stop();
        QVERIFY(list->isStopped());
    }

    void testSteps()
    {
        requireSound();
        AudioListPlayer* list = AudioListPlayer::instance();
        list->setPlayList(QList<QUrl>{url("long.wav"), url("b.wav"), url("long.wav")});
        QSignalSpy next(list, SIGNAL(nextTriggered()));
        QSignalSpy previous(list, SIGNAL(previousTriggered()));
        QSignalSpy changed(list, SIGNAL(listChanged()));

        list->slotPlayPrevious();
        QCOMPARE(list->currentNumber(), 0);
        QCOMPARE(previous.count(), 0);

        // The first later match wins over an earlier one.
        list->slotPlayFromList(url("long.wav"));
        QCOMPARE(list->currentNumber(), 2);
        QCOMPARE(next.count(), 1);
        list->slotPlayNext();
        QCOMPARE(list->currentNumber(), 2);
        QCOMPARE(next.count(), 1);

        list->slotPlayFromList(url("long.wav"));
        QCOMPARE(list->currentNumber(), 0);
        QCOMPARE(previous.count(), 1);
        list->slotPlayFromList(url("missing.wav"));
        QCOMPARE(list->currentNumber(), 0);

        list->slotPlayNext();
        QCOMPARE(list->currentNumber(), 1);
        QCOMPARE(AudioPlayer::instance()->fileName(), path("b.wav"));
        list->slotPlayFromList(url("b.wav"));
        QCOMPARE(list->currentNumber(), 1);
        QCOMPARE(next.count(), 2);
        list->slotPlayPrevious();
        QCOMPARE(list->currentNumber(), 0);
        QCOMPARE(previous.count(), 2);

        list->appendToPlayList({url("c.wav")});
        QCOMPARE(changed.count(), 1);
        QCOMPARE(list->playList().size(), 4);
        QCOMPARE(list->index(3), 3);
        QCOMPARE(list->currentNumber(), 0);
        QCOMPARE(AudioPlayer::instance()->fileName(), path("long.wav"));
        list->play(path("a.wav"));
        QCOMPARE(AudioPlayer::instance()->fileName(), path("a.wav"));
        QCOMPARE(list->currentNumber(), 0);
        list->stop();
    }

    void testPoolWithLimit()
    {
        requireSound();
        AudioPlayersPool pool(2, nullptr);
        pool.setVolume(30);
        pool.play(path("long.wav"));
        pool.play(path("long.wav"));
        QCOMPARE(pool.count(), 2);
        QTRY_VERIFY_WITH_TIMEOUT(pool.findFreePlayer() == nullptr, 15000);
        pool.play(path("a.wav"));
        QCOMPARE(pool.count(), 2);
        QVERIFY(pool.findFreePlayer() == nullptr);
    }

    void testPoolReuse()
    {
        requireSound();
        AudioPlayersPool fresh(1, nullptr);
        NativeAudioPlayer reference;
        reference.setVolume(1);
        QCOMPARE(fresh.findFreePlayer()->volume(), reference.volume());

        AudioPlayersPool pool(1, nullptr);
        pool.setVolume(30);
        NativeAudioPlayer* player = pool.findFreePlayer();
        QVERIFY(player);
        QCOMPARE(pool.count(), 1);
        QCOMPARE(player->volume(), 30.0);
        player->play(path("a.wav"));
        QTRY_VERIFY_WITH_TIMEOUT(player->isPlaying(), 15000);
        QVERIFY(pool.findFreePlayer() == nullptr);
        // Durations tell the files apart: the busy player keeps its short file, the free one takes the long.
        pool.play(path("long.wav"));
        QVERIFY(player->duration() > 0 && player->duration() < 1000);
        QTRY_VERIFY_WITH_TIMEOUT(!player->isPlaying(), 15000);
        QCOMPARE(pool.findFreePlayer(), player);
        pool.setVolume(70);
        pool.play(path("long.wav"));
        QVERIFY(player->duration() > 3900);
        QTRY_VERIFY_WITH_TIMEOUT(player->isPlaying(), 15000);
        player->stop();
        QCOMPARE(player->volume(), 30.0);
        QCOMPARE(pool.count(), 1);
    }

    // Without a limit every sound gets its own player, which goes away when the sound ends.
    void testPoolWithoutLimit()
    {
        requireSound();
        AudioPoolPlayer* pooled = AudioPoolPlayer::instance();
        QCOMPARE(AudioPoolPlayer::instance(), pooled);
        pooled->setVolume(20);
        for (int i = 0; i < 5; ++i)
            pooled->play(path("a.wav"));
        QCOMPARE(pooled->pool()->count(), 5);
        QTRY_COMPARE_WITH_TIMEOUT(pooled->pool()->count(), 0, 15000);
    }
};

TRELVANIC_TEST_MAIN_APP(VUVararer::App, TestListPlayer)
#include "tst_listplayer.moc"
