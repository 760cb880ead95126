#include "AudioListPlayer.h"

#include "AudioPlayer.h"

#include <QDir>
#include <QFileInfo>

namespace ZADovuzIdida {

AudioListPlayer* AudioListPlayer::m_uniqueInstance = nullptr;

AudioListPlayer* AudioListPlayer::instance()
{
    if (!m_uniqueInstance)
        m_uniqueInstance = new AudioListPlayer();
    return m_uniqueInstance;
}

AudioListPlayer::AudioListPlayer()
{
    AudioPlayer* player = AudioPlayer::instance();
    connect(player, SIGNAL(stopped()), this, SIGNAL(stopped()));
    connect(player, SIGNAL(finished()), this, SLOT(slotFinished()));
}

void AudioListPlayer::setPlayList(const QDir& dir, const QStringList& nameFilters)
{
    QList<QUrl> urls;
    const QStringList names = dir.entryList(nameFilters, QDir::Files, QDir::Unsorted);
    for (const QString& name : names)
        urls.append(QUrl::fromLocalFile(dir.absoluteFilePath(name)));
    setPlayList(urls);
}

void AudioListPlayer::setPlayList(const QList<QUrl>& urls)
{
    if (urls.isEmpty())
        return;
    AudioPlayer::instance()->stop();
    m_lstPlayList = urls;
    m_nCurrent = 0;
    regenerateIndexes();
    playItem(0);
    emit nextTriggered();
}

void AudioListPlayer::regenerateIndexes()
{
    m_lstIndexes.clear();
    for (int i = 0; i < m_lstPlayList.size(); ++i)
        m_lstIndexes.append(i);
}

void AudioListPlayer::appendToPlayList(const QList<QUrl>& urls)
{
    if (urls.isEmpty())
        return;
    m_lstPlayList.append(urls);
    regenerateIndexes();
    emit listChanged();
}

int AudioListPlayer::index(int k) const { return m_lstIndexes.value(k, -1); }

QList<QUrl> AudioListPlayer::playList() const { return m_lstPlayList; }

void AudioListPlayer::playItem(int k)
{
    AudioPlayer::instance()->play(m_lstPlayList.at(m_lstIndexes.at(k)).toLocalFile(), false);
}

bool AudioListPlayer::validCurrent() const { return m_nCurrent >= 0 && m_nCurrent < m_lstIndexes.size(); }

void AudioListPlayer::slotFinished()
{
    ++m_nCurrent;
    if (m_nCurrent >= m_lstIndexes.size()) {
        m_nCurrent = 0;
        emit finished();
        return;
    }
    playItem(m_nCurrent);
    emit nextTriggered();
}

void AudioListPlayer::slotPlayNext()
{
    if (m_nCurrent + 1 >= m_lstIndexes.size())
        return;
    ++m_nCurrent;
    AudioPlayer::instance()->stop();
    playItem(m_nCurrent);
    emit nextTriggered();
}

void AudioListPlayer::slotPlayPrevious()
{
    if (m_nCurrent < 1)
        return;
    --m_nCurrent;
    AudioPlayer::instance()->stop();
    playItem(m_nCurrent);
    emit previousTriggered();
}

void AudioListPlayer::slotPlayFromList(const QUrl& url)
{
    const int n = m_lstIndexes.size();
    for (int k = m_nCurrent + 1; k < n; ++k) {
        if (m_lstPlayList.at(m_lstIndexes.at(k)) == url) {
            m_nCurrent = k;
            playItem(k);
            emit nextTriggered();
            return;
        }
    }
    for (int k = qMin(m_nCurrent, n) - 1; k >= 0; --k) {
        if (m_lstPlayList.at(m_lstIndexes.at(k)) == url) {
            m_nCurrent = k;
            playItem(k);
            emit previousTriggered();
            return;
        }
    }
}

QPixmap AudioListPlayer::currentCover() const { return QPixmap(); }

int AudioListPlayer::currentNumber() const { return m_nCurrent; }

int AudioListPlayer::currentIndex() const { return validCurrent() ? m_lstIndexes.at(m_nCurrent) : -1; }

QString AudioListPlayer::currentName() const
{
    return validCurrent() ? QFileInfo(currentUrl().toString()).fileName() : QString();
}

QUrl AudioListPlayer::currentUrl() const
{
    return validCurrent() ? m_lstPlayList.at(m_lstIndexes.at(m_nCurrent)) : QUrl();
}

void AudioListPlayer::play(const QString& path) { AudioPlayer::instance()->play(path, false); }

void AudioListPlayer::play() { AudioPlayer::instance()->play(); }

void AudioListPlayer::stop() { AudioPlayer::instance()->stop(); }

void AudioListPlayer::pause() { AudioPlayer::instance()->pause(); }

bool AudioListPlayer::isPlaying() const { return AudioPlayer::instance()->isPlaying(); }

bool AudioListPlayer::isStopped() const { return AudioPlayer::instance()->isStopped(); }

bool AudioListPlayer::isPaused() const { return AudioPlayer::instance()->isPaused(); }

bool AudioListPlayer::isMuted() const { return AudioPlayer::instance()->isMuted(); }

double AudioListPlayer::volume() const { return AudioPlayer::instance()->volume(); }

QAbstractItemModel* AudioListPlayer::playListModel() const { return m_pPlayListModel; }

void AudioListPlayer::setMuted(bool muted) { AudioPlayer::instance()->setMuted(muted); }

void AudioListPlayer::setVolume(double volume) { AudioPlayer::instance()->setVolume(volume); }

void AudioListPlayer::setShuffleMode(bool on) { m_bShuffleMode = on; }

void AudioListPlayer::setLoopMode(bool on) { m_bLoopMode = on; }

bool AudioListPlayer::isShuffleMode() const { return m_bShuffleMode; }

bool AudioListPlayer::isLoopMode() const { return m_bLoopMode; }

} // namespace ZADovuzIdida
