#pragma once
// Blocking facade over DownloadManager: the caller waits in a nested event loop until the body arrives.

#include <QByteArray>
#include <QEventLoop>
#include <QMutex>
#include <QObject>
#include <QString>
#include <QUrl>

namespace QMRequest {

class DownloadManager;

class Downloader : public QObject
{
    Q_OBJECT

public:
    explicit Downloader(QObject* parent = nullptr);

    // The request with "http://" in front when it names no scheme ("host/x"); "https://host/x" stays as it is.
    static QString withScheme(const QString& request);
    QString fullRequest(const QString& request) const { return withScheme(request); }

    // The body of a 2xx reply, or an empty array on any failure, on abort, or when a transfer is running.
    QByteArray get(const QString& request, QEventLoop::ProcessEventsFlags flags = QEventLoop::AllEvents);
    // Like get(); the file is replaced by the body only after a successful transfer. True when written.
    bool getToFile(const QString& request, const QString& fileName,
                   QEventLoop::ProcessEventsFlags flags = QEventLoop::AllEvents);
    // True once a transfer has ended (with or without success).
    bool isFinished() const { return m_bFinished; }
    // A body larger than nBytes fails the transfer; 0 means no limit.
    void setMaximumSize(qint64 nBytes);

signals:
    void progress(int received);
    // received * 100 / total, truncated; 0 when the total is 0.
    void progressPercent(int percent);

public slots:
    void slotAbort();
    void slotFinished(const QUrl& url, const QByteArray& data);
    void slotProgress(qint64 received, qint64 total);
    void slotError();

private:
    // Runs one transfer; true when the reply counted as success. Must be called with busy clear.
    bool transfer(const QString& request, QEventLoop::ProcessEventsFlags flags);

    QMutex m_mutex;
    DownloadManager* m_pManager = nullptr;
    bool m_bFinished = false;
    bool m_bBusy = false;
    bool m_bReplied = false;
    bool m_bSucceeded = false;
    QEventLoop m_loop;
    QByteArray m_baBuffer;
};

} // namespace QMRequest
