#include "AudioPlayersPool.h"

#include "NativeAudioPlayer.h"

namespace ZADovuzIdida {

AudioPlayersPool::AudioPlayersPool(int maximum, QObject* parent) : QObject(parent), m_nMaximum(maximum) {}

AudioPlayersPool::~AudioPlayersPool() { qDeleteAll(m_lstPlayers); }

void AudioPlayersPool::setVolume(int volume) { m_nVolume = volume; }

NativeAudioPlayer* AudioPlayersPool::createPlayer()
{
    auto* player = new NativeAudioPlayer();
    player->setVolume(m_nVolume);
    m_lstPlayers.append(player);
    return player;
}

void AudioPlayersPool::play(const QString& path)
{
    if (m_nMaximum < 1) {
        NativeAudioPlayer* player = createPlayer();
        player->play(path);
        connect(player, SIGNAL(finished()), this, SLOT(slotPlayerFinished()));
        return;
    }
    if (NativeAudioPlayer* player = findFreePlayer())
        player->play(path);
}

NativeAudioPlayer* AudioPlayersPool::findFreePlayer()
{
    if (m_lstPlayers.size() < m_nMaximum)
        return createPlayer();
    NativeAudioPlayer* free = nullptr;
    for (NativeAudioPlayer* player : qAsConst(m_lstPlayers)) {
        if (!player->isPlaying())
            free = player;
    }
    return free;
}

void AudioPlayersPool::slotPlayerFinished()
{
    auto* player = qobject_cast<NativeAudioPlayer*>(sender());
    if (player && m_lstPlayers.removeOne(player))
        player->deleteLater();
}

} // namespace ZADovuzIdida
