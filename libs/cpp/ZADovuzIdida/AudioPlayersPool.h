#pragma once
// Pool of native players for sounds that play at the same time, with or without a limit on their number.

#include <QList>
#include <QObject>
#include <QString>

namespace ZADovuzIdida {

class NativeAudioPlayer;

class AudioPlayersPool : public QObject
{
    Q_OBJECT

public:
    // maximum below 1: no limit, each play gets its own player that is removed when its file ends.
    AudioPlayersPool(int maximum, QObject* parent);
    ~AudioPlayersPool() override;

    // Volume (0 to 100) for players created afterwards.
    void setVolume(int volume);
    // With a limit and every player busy the request is dropped.
    void play(const QString& path);
    // A new player while below the limit, else the last one not playing, else null.
    NativeAudioPlayer* findFreePlayer();
    int count() const { return m_lstPlayers.size(); }

private slots:
    void slotPlayerFinished();

private:
    NativeAudioPlayer* createPlayer();

    QList<NativeAudioPlayer*> m_lstPlayers;
    int m_nMaximum;
    int m_nVolume = 1;
};

} // namespace ZADovuzIdida
