#pragma once
// Process-wide player of short sounds that may overlap, each on its own pooled player.

#include <QObject>
#include <QString>

namespace ZADovuzIdida {

class AudioPlayersPool;

class AudioPoolPlayer : public QObject
{
    Q_OBJECT

public:
    static AudioPoolPlayer* instance();

    // Volume (0 to 100) for sounds started afterwards.
    void setVolume(int volume);
    void play(const QString& path);
    AudioPlayersPool* pool() const { return m_pPool; }

private:
    AudioPoolPlayer();

    AudioPlayersPool* m_pPool;

    static AudioPoolPlayer* m_uniqueInstance;
};

} // namespace ZADovuzIdida
