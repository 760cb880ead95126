#include "AudioPlayer.h"

#include "NativeAudioPlayer.h"

#include <VUVararer/App.h>

#include <QTimer>

namespace ZADovuzIdida {

namespace {

const QString kKeyMute = QStringLiteral("/SoundMute");
const QString kKeyVolume = QStringLiteral("/SoundVolume");

} // namespace

AudioPlayer* AudioPlayer::_uniqueInstance = nullptr;

AudioPlayer* AudioPlayer::instance()
{
    if (!_uniqueInstance) {
        _uniqueInstance = new AudioPlayer;
        VUVararer::App* pApp = VUVararer::App::theApp();
        const bool bMute = pApp ? pApp->settingsValue(kKeyMute, false).toBool() : false;
        const double dVolume = pApp ? pApp->settingsValue(kKeyVolume, 0.5f).toDouble() : 0.5;
        _uniqueInstance->m_pPlayer->setMuted(bMute);
        _uniqueInstance->m_pPlayer->setVolume(dVolume);
    }
    return _uniqueInstance;
}

AudioPlayer::AudioPlayer() : QObject(nullptr), m_pPlayer(new NativeAudioPlayer(this)), m_pLoopTimer(new QTimer(this))
{
    m_pLoopTimer->setSingleShot(true);
    connect(m_pLoopTimer, SIGNAL(timeout()), this, SLOT(loopedPlay()));
    connect(m_pPlayer, SIGNAL(finished()), this, SIGNAL(finished()));
    connect(m_pPlayer, SIGNAL(positionChanged(qint64)), this, SIGNAL(positionChanged(qint64)));
}

AudioPlayer::~AudioPlayer()
{
    slotSetAboutToQuit();
    if (_uniqueInstance == this)
        _uniqueInstance = nullptr;
}

void AudioPlayer::play(const QString& path, bool looped)
{
    m_pPlayer->setMedia(path);
    if (looped) {
        m_bStopRequested = false;
        armLoopStep();
    } else {
        m_pLoopTimer->stop();
    }
    m_pPlayer->stop();
    m_pPlayer->play();
}

void AudioPlayer::armLoopStep() { m_pLoopTimer->start(int(qBound<qint64>(0, m_pPlayer->duration(), INT_MAX))); }

void AudioPlayer::loopedPlay()
{
    if (m_bStopRequested || m_pPlayer->duration() <= 0)
        return;
    armLoopStep();
    m_pPlayer->stop();
    m_pPlayer->play();
}

void AudioPlayer::play() { m_pPlayer->play(); }

void AudioPlayer::pause() { m_pPlayer->pause(); }

void AudioPlayer::stop()
{
    m_bStopRequested = true;
    m_pPlayer->stop();
}

void AudioPlayer::slotStop() { stop(); }

qint64 AudioPlayer::duration() const { return m_pPlayer->duration(); }

qint64 AudioPlayer::remainingDuration() const { return duration() - position(); }

qint64 AudioPlayer::position() const { return m_pPlayer->position(); }

void AudioPlayer::setPosition(qint64 ms) { m_pPlayer->setPosition(ms); }

void AudioPlayer::setMedia(const QString& path) { m_pPlayer->setMedia(path); }

void AudioPlayer::setMuted(bool muted) { m_pPlayer->setMuted(muted); }

bool AudioPlayer::isMuted() const { return m_pPlayer->isMuted(); }

void AudioPlayer::setVolume(double volume) { m_pPlayer->setVolume(volume); }

double AudioPlayer::volume() const { return m_pPlayer->volume(); }

bool AudioPlayer::isPlaying() const { return m_pPlayer->isPlaying(); }

bool AudioPlayer::isStopped() const { return m_pPlayer->isStopped(); }

bool AudioPlayer::isPaused() const { return m_pPlayer->isPaused(); }

QString AudioPlayer::fileName() const { return m_pPlayer->fileName(); }

void AudioPlayer::slotSetAboutToQuit()
{
    if (VUVararer::App* pApp = VUVararer::App::theApp()) {
        pApp->setSettingsValue(kKeyVolume, volume());
        pApp->setSettingsValue(kKeyMute, isMuted());
    }
    m_bStopRequested = true;
    m_pPlayer->stop();
}

} // namespace ZADovuzIdida
