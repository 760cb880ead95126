#pragma once
// Plays one file through Qt Multimedia's audio output fed by the FFmpeg decoder; also the probe behind the facade.

#include "Native/MediaProbe.h"

#include <QObject>
#include <QString>
#include <QTimer>

#include <memory>

class QAudioOutput;

namespace ZADovuzIdida {

class DecoderDevice;

class NativeAudioPlayerInternal : public QObject
{
    Q_OBJECT

public:
    explicit NativeAudioPlayerInternal(QObject* parent = nullptr);
    ~NativeAudioPlayerInternal() override;

    void setBalance(float pan);
    // Loads path for playing: only probes the file; the audio output is made at the first play.
    void setMedia(const QString& path);
    void play();
    void play(const QString& path);
    void stop();
    void pause();
    bool isPaused() const;
    bool isStopped() const;
    bool isPlaying() const;
    qint64 position() const;
    void setPosition(long long ms);
    // 0 to 100; values above 100 count as 100.
    void setVolume(int v);
    int volume() const;
    qint64 duration() const;
    int numberOfChannels() const;

signals:
    void finished();
    void positionChanged(qint64 ms);

private slots:
    void slotPositionChanged();

private:
    bool makeOutput();
    // Stops the output, then releases it.
    void releaseOutput();
    void startOutput();
    // Called once a poll while playing: false once the output's clock shows the sound ended or was lost.
    bool outputAdvancing();
    void unload();
    double seconds() const;

    float m_fBalance = 0.0f;
    bool m_bLoaded = false;
    QString m_strPath;
    MediaProbe m_probe;
    float m_fPan = 0.0f;
    qint64 m_nStartMs = 0;
    qint64 m_nLastPlayedUSecs = -1;
    int m_nStalledPolls = 0;
    std::unique_ptr<DecoderDevice> m_pDevice;
    std::unique_ptr<QAudioOutput> m_pOutput;
    QTimer m_timer;
    int m_nState = 1;
    double m_dVolume = 0.5;
};

} // namespace ZADovuzIdida
