#pragma once
// Dialog that walks dropped files and folders and sorts them into audio, video, artwork, text and other files.

#include <QDialog>
#include <QDir>
#include <QElapsedTimer>
#include <QList>
#include <QSet>
#include <QString>
#include <QThreadPool>
#include <QUrl>
#include <QVector>

#include <deque>
#include <future>

class QLabel;

namespace ZADovuzIdida {

class MediaSearchDialog : public QDialog
{
    Q_OBJECT

public:
    explicit MediaSearchDialog(QWidget* parent = nullptr);

    // Stores what the next slotStart walks.
    void setUrls(const QList<QUrl>& urls);
    // Empties every result list and the file counter.
    void reset();
    // Walks dir's files, then its sub-folders depth first; each real folder is walked once per search, and a
    // link to a folder is followed only when its target lies inside the outermost folder walked.
    void doSearch(const QDir& dir);
    // Files one path into a list by its media kind.
    void addFile(const QString& path);
    void addEmptyFolder(const QString& path);
    // Audio or video worth listing: a known suffix on a visible file, else a probe that finds a playing time.
    // During a search it runs on the probe threads, several at once.
    virtual bool isMediaFile(const QString& path);
    // Escape or closing the window during a search cancels it like the Cancel button.
    void reject() override;

    QVector<QString> folders() const { return m_vecFolders; }
    QVector<QString> emptyFolders() const { return m_vecEmptyFolders; }
    QVector<QString> audioFiles() const { return m_vecAudioFiles; }
    QVector<QString> videoFiles() const { return m_vecVideoFiles; }
    QVector<QString> artworkFiles() const { return m_vecArtworkFiles; }
    QVector<QString> textFiles() const { return m_vecTextFiles; }
    QVector<QString> unsuportedFiles() const { return m_vecUnsupportedFiles; }

public slots:
    // Runs the whole search, then accepts the dialog unless it was cancelled.
    void slotStart();
    // Stops the search, empties the lists and rejects the dialog.
    void slotCancel();

private:
    // A file of the walk whose audio or video probe may still run; filed in walk order once it has ended.
    struct Pending
    {
        QString path;
        QString name;
        // Counted and shown as the walk's own files are; a dropped file is not.
        bool bCounted;
        std::shared_future<bool> media;
    };

    // Starts the probe of path if it is audio or video, then files it behind the files before it.
    void queueFile(const QString& path, const QString& name, bool bCounted);
    // Files the pending files whose probes have ended, in order, waiting (the window still handles its events)
    // until at most nKeep are left; a cancelled search drops them and waits for the running probes.
    void fileProbed(size_t nKeep);
    void file(const Pending& pending);
    // Files path under its media type; bMedia says whether an audio or video file can be played.
    void sortFile(const QString& path, int type, bool bMedia);
    static bool isAudioOrVideo(int type);
    // The files and sub-folders of dir, whose canonical path is canonical.
    void walk(const QDir& dir, const QString& canonical);
    void updateLabels(const QString& fileName);
    // Lets pending events run (repaint, Cancel) at most every few tens of milliseconds.
    void keepResponsive();

    QLabel* m_plblFile;
    QLabel* m_plblCount;
    QVector<QString> m_vecFolders;
    QVector<QString> m_vecAudioFiles;
    QVector<QString> m_vecVideoFiles;
    QVector<QString> m_vecArtworkFiles;
    QVector<QString> m_vecTextFiles;
    QVector<QString> m_vecUnsupportedFiles;
    QVector<QString> m_vecEmptyFolders;
    bool m_bCancelled = false;
    bool m_bSearching = false;
    QList<QUrl> m_lstUrls;
    int m_nCounted = 0;
    QSet<QString> m_setVisited;
    QString m_strRoot;
    QElapsedTimer m_timerEvents;
    std::deque<Pending> m_queProbes;
    QThreadPool m_poolProbes;
};

} // namespace ZADovuzIdida
