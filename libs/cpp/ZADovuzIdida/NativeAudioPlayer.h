#pragma once
// Player facade with Qt types only: plays one file at a time and probes a file's duration and channels.

#include <QObject>
#include <QString>

namespace ZADovuzIdida {

class NativeAudioPlayerInternal;

class NativeAudioPlayer : public QObject
{
    Q_OBJECT

public:
    explicit NativeAudioPlayer(QObject* parent = nullptr);

    void setBalance(float balance);
    // Loads and plays path; fileName() keeps the path of the last setMedia.
    void play(const QString& path);
    // Plays or resumes the loaded file.
    void play();
    // Loads path without playing; duration() and numberOfChannels() are 0 when it cannot be played.
    void setMedia(const QString& path);
    QString fileName() const;
    qint64 duration() const;
    // Volume on a 0 to 100 scale.
    void setVolume(double v);
    double volume() const;
    bool isMuted() const;
    // Muting saves the volume and sets 0; unmuting restores the saved volume.
    void setMuted(bool muted);
    void setPosition(qint64 ms);
    qint64 position() const;
    void stop();
    void pause();
    bool isPaused() const;
    bool isStopped() const;
    bool isPlaying() const;
    int numberOfChannels() const;

signals:
    void finished();
    void positionChanged(qint64 ms);

private:
    NativeAudioPlayerInternal* m_pInternal;
    QString m_strFileName;
    double m_dSavedVolume = 50.0;
};

} // namespace ZADovuzIdida
