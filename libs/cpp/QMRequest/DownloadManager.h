#pragma once
// Asynchronous GET over one network manager; reports the outcome of the transfer in flight by signals.

#include <QByteArray>
#include <QObject>
#include <QUrl>

class QNetworkAccessManager;
class QNetworkReply;

namespace QMRequest {

class DownloadManager : public QObject
{
    Q_OBJECT

public:
    explicit DownloadManager(QObject* parent = nullptr);

    // Sends a bare GET; the reply becomes the current one.
    void download(const QUrl& url);
    // A body larger than nBytes aborts the transfer with error(); 0 means no limit.
    void setMaximumSize(qint64 nBytes) { m_nMaximumSize = nBytes; }
    qint64 maximumSize() const { return m_nMaximumSize; }

signals:
    void downloadProgress(qint64 received, qint64 total);
    void done(const QUrl& url, const QByteArray& data);
    void error();

public slots:
    void slotAbort();
    // Only a reply without error and with a 2xx status (when the scheme has one) counts as done.
    void slotFinished(QNetworkReply* reply);
    void slotDownloadProgress(qint64 received, qint64 total);

private:
    QNetworkAccessManager* m_pNetworkManager = nullptr;
    QNetworkReply* m_pCurrentReply = nullptr;
    qint64 m_nMaximumSize = 0;
};

} // namespace QMRequest
