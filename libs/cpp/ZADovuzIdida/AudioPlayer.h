#pragma once
// Process-wide preview player: plays one file once or in a loop and keeps volume and mute in the settings.

#include <QObject>
#include <QString>

class QTimer;

namespace ZADovuzIdida {

class NativeAudioPlayer;

class AudioPlayer : public QObject
{
    Q_OBJECT

public:
    // The first call creates the player and restores "/SoundMute" and "/SoundVolume".
    static AudioPlayer* instance();
    ~AudioPlayer() override;

    // Plays path from its start; a loop restarts it every duration until a stop.
    void play(const QString& path, bool looped);
    // Resumes after pause, or starts again after a stop.
    void play();
    void pause();
    void stop();
    qint64 duration() const;
    qint64 remainingDuration() const;
    qint64 position() const;
    void setPosition(qint64 ms);
    void setMedia(const QString& path);
    bool isMuted() const;
    double volume() const;
    bool isPlaying() const;
    bool isStopped() const;
    bool isPaused() const;
    QString fileName() const;

signals:
    // Never emitted here; clients connect it to their own stop handling.
    void stopped();
    void finished();
    void positionChanged(qint64 ms);

public slots:
    void setMuted(bool muted);
    // 0 to 100.
    void setVolume(double volume);
    void slotStop();

private slots:
    void loopedPlay();
    // Saves volume and mute, then stops.
    void slotSetAboutToQuit();

private:
    AudioPlayer();
    void armLoopStep();

    NativeAudioPlayer* m_pPlayer;
    // One pending loop step at most: re-arming replaces it.
    QTimer* m_pLoopTimer;
    bool m_bStopRequested = false;

    static AudioPlayer* _uniqueInstance;
};

} // namespace ZADovuzIdida
