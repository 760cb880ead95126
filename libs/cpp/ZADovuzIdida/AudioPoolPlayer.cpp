#include "AudioPoolPlayer.h"

#include "AudioPlayersPool.h"

namespace ZADovuzIdida {

AudioPoolPlayer* AudioPoolPlayer::m_uniqueInstance = nullptr;

AudioPoolPlayer* AudioPoolPlayer::instance()
{
    if (!m_uniqueInstance)
        m_uniqueInstance = new AudioPoolPlayer();
    return m_uniqueInstance;
}

AudioPoolPlayer::AudioPoolPlayer() : m_pPool(new AudioPlayersPool(-1, nullptr)) {}

void AudioPoolPlayer::setVolume(int volume) { m_pPool->setVolume(volume); }

void AudioPoolPlayer::play(const QString& path) { m_pPool->play(path); }

} // namespace ZADovuzIdida
