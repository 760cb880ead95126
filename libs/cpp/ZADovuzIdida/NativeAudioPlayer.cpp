#include "NativeAudioPlayer.h"

#include "NativeAudioPlayerInternal.h"

namespace ZADovuzIdida {

NativeAudioPlayer::NativeAudioPlayer(QObject* parent)
    : QObject(parent), m_pInternal(new NativeAudioPlayerInternal(this))
{
    connect(m_pInternal, SIGNAL(finished()), this, SIGNAL(finished()));
    connect(m_pInternal, SIGNAL(positionChanged(qint64)), this, SIGNAL(positionChanged(qint64)));
}

void NativeAudioPlayer::setBalance(float balance) { m_pInternal->setBalance(balance); }

void NativeAudioPlayer::play(const QString& path) { m_pInternal->play(path); }

void NativeAudioPlayer::play() { m_pInternal->play(); }

void NativeAudioPlayer::setMedia(const QString& path)
{
    m_strFileName = path;
    m_pInternal->setMedia(path);
}

QString NativeAudioPlayer::fileName() const { return m_strFileName; }

qint64 NativeAudioPlayer::duration() const { return m_pInternal->duration(); }

void NativeAudioPlayer::setVolume(double v) { m_pInternal->setVolume(int(v)); }

double NativeAudioPlayer::volume() const { return m_pInternal->volume(); }

bool NativeAudioPlayer::isMuted() const { return m_pInternal->volume() <= 0; }

void NativeAudioPlayer::setMuted(bool muted)
{
    if (muted) {
        m_dSavedVolume = m_pInternal->volume();
        m_pInternal->setVolume(0);
    } else {
        m_pInternal->setVolume(int(m_dSavedVolume));
    }
}

void NativeAudioPlayer::setPosition(qint64 ms) { m_pInternal->setPosition(ms); }

qint64 NativeAudioPlayer::position() const { return m_pInternal->position(); }

void NativeAudioPlayer::stop() { m_pInternal->stop(); }

void NativeAudioPlayer::pause() { m_pInternal->pause(); }

bool NativeAudioPlayer::isPaused() const { return m_pInternal->isPaused(); }

bool NativeAudioPlayer::isStopped() const { return m_pInternal->isStopped(); }

bool NativeAudioPlayer::isPlaying() const { return m_pInternal->isPlaying(); }

int NativeAudioPlayer::numberOfChannels() const { return m_pInternal->numberOfChannels(); }

} // namespace ZADovuzIdida
