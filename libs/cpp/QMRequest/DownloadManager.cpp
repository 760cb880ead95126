#include "DownloadManager.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>

namespace QMRequest {

DownloadManager::DownloadManager(QObject* parent) : QObject(parent)
{
    m_pNetworkManager = new QNetworkAccessManager(this);
    connect(m_pNetworkManager, SIGNAL(finished(QNetworkReply*)), this, SLOT(slotFinished(QNetworkReply*)));
}

void DownloadManager::download(const QUrl& url)
{
    m_pCurrentReply = m_pNetworkManager->get(QNetworkRequest(url));
    connect(m_pCurrentReply, SIGNAL(downloadProgress(qint64, qint64)), this,
            SLOT(slotDownloadProgress(qint64, qint64)));
}

void DownloadManager::slotDownloadProgress(qint64 received, qint64 total)
{
    emit downloadProgress(received, total);
    QNetworkReply* reply = qobject_cast<QNetworkReply*>(sender());
    if (m_nMaximumSize > 0 && received > m_nMaximumSize && reply && reply->isRunning())
        reply->abort();
}

void DownloadManager::slotFinished(QNetworkReply* reply)
{
    const QVariant status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    const int nStatus = status.toInt();
    bool bOk = reply->error() == QNetworkReply::NoError && (!status.isValid() || (nStatus >= 200 && nStatus < 300));
    QByteArray baBody;
    if (bOk) {
        baBody = reply->readAll();
        bOk = m_nMaximumSize <= 0 || baBody.size() <= m_nMaximumSize;
    }
    if (reply == m_pCurrentReply)
        m_pCurrentReply = nullptr;
    reply->deleteLater();
    if (bOk)
        emit done(reply->url(), baBody);
    else
        emit error();
}

void DownloadManager::slotAbort()
{
    if (!m_pCurrentReply)
        return;
    QNetworkReply* reply = m_pCurrentReply;
    reply->abort();
    if (m_pCurrentReply == reply) {
        reply->deleteLater();
        m_pCurrentReply = nullptr;
    }
}

} // namespace QMRequest
