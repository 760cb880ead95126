#pragma once
// Process-wide list player: walks a list of file URLs through the preview player, one file after another.

#include <QList>
#include <QObject>
#include <QPixmap>
#include <QStringList>
#include <QUrl>

class QAbstractItemModel;
class QDir;

namespace ZADovuzIdida {

class AudioListPlayer : public QObject
{
    Q_OBJECT

public:
    // Replaces the list with the files of dir matching nameFilters, in directory order, and plays the first.
    void setPlayList(const QDir& dir, const QStringList& nameFilters);
    // An empty list changes nothing; otherwise stops, replaces the list and plays its first item.
    void setPlayList(const QList<QUrl>& urls);
    void regenerateIndexes();
    // Appends without touching playback or the current item.
    void appendToPlayList(const QList<QUrl>& urls);
    // The list item at position k of the play order.
    int index(int k) const;
    QList<QUrl> playList() const;

    QPixmap currentCover() const;
    int currentNumber() const;
    // The following three give -1, an empty name and an empty URL while the list is empty.
    int currentIndex() const;
    QString currentName() const;
    QUrl currentUrl() const;

    // Plays path on the preview player without consulting the list.
    void play(const QString& path);
    void play();
    void stop();
    void pause();
    bool isPlaying() const;
    bool isStopped() const;
    bool isPaused() const;
    bool isMuted() const;
    double volume() const;
    // Always null: the class keeps no model of its own.
    QAbstractItemModel* playListModel() const;

    // Stored only: the play order stays the list order.
    void setShuffleMode(bool on);
    void setLoopMode(bool on);
    bool isShuffleMode() const;
    bool isLoopMode() const;

    static AudioListPlayer* instance();

signals:
    void stopped();
    void finished();
    void nextTriggered();
    void previousTriggered();
    void listChanged();

public slots:
    void setMuted(bool muted);
    void setVolume(double volume);
    void slotPlayNext();
    void slotPlayPrevious();
    // Plays the nearest later item equal to url, else the nearest earlier one; the current item is not compared.
    void slotPlayFromList(const QUrl& url);

private slots:
    void slotFinished();

private:
    AudioListPlayer();
    void playItem(int k);
    bool validCurrent() const;

    QList<QUrl> m_lstPlayList;
    QList<int> m_lstIndexes;
    int m_nCurrent = 0;
    bool m_bShuffleMode = false;
    bool m_bLoopMode = false;
    QAbstractItemModel* m_pPlayListModel = nullptr;

    static AudioListPlayer* m_uniqueInstance;
};

} // namespace ZADovuzIdida
