#include "Downloader.h"

#include "DownloadManager.h"

#include <QRegularExpression>
#include <QSaveFile>

#include <climits>

namespace QMRequest {

Downloader::Downloader(QObject* parent) : QObject(parent)
{
    m_pManager = new DownloadManager(this);
    connect(m_pManager, SIGNAL(done(const QUrl&, const QByteArray&)), this,
            SLOT(slotFinished(const QUrl&, const QByteArray&)));
    connect(m_pManager, SIGNAL(downloadProgress(qint64, qint64)), this, SLOT(slotProgress(qint64, qint64)));
    connect(m_pManager, SIGNAL(error()), this, SLOT(slotError()));
}

QString Downloader::withScheme(const QString& request)
{
    static const QRegularExpression reScheme(QStringLiteral("^[A-Za-z][A-Za-z0-9+.-]*://"));
    return reScheme.match(request).hasMatch() ? request : QStringLiteral("http://") + request;
}

void Downloader::setMaximumSize(qint64 nBytes) { m_pManager->setMaximumSize(nBytes); }

bool Downloader::transfer(const QString& request, QEventLoop::ProcessEventsFlags flags)
{
    m_baBuffer.clear();
    m_bBusy = true;
    m_mutex.lock();
    m_bReplied = false;
    m_bSucceeded = false;
    m_pManager->download(QUrl(fullRequest(request), QUrl::TolerantMode));
    m_bFinished = false;
    if (!m_bReplied)
        m_loop.exec(flags);
    m_bFinished = true;
    m_bBusy = false;
    return m_bSucceeded;
}

QByteArray Downloader::get(const QString& request, QEventLoop::ProcessEventsFlags flags)
{
    if (m_bBusy)
        return QByteArray();
    transfer(request, flags);
    const QByteArray baResult = m_baBuffer;
    m_mutex.unlock();
    return baResult;
}

bool Downloader::getToFile(const QString& request, const QString& fileName, QEventLoop::ProcessEventsFlags flags)
{
    if (m_bBusy)
        return false;
    bool bWritten = false;
    if (transfer(request, flags)) {
        QSaveFile file(fileName);
        bWritten = file.open(QIODevice::WriteOnly) && file.write(m_baBuffer) == m_baBuffer.size() && file.commit();
    }
    m_mutex.unlock();
    return bWritten;
}

void Downloader::slotFinished(const QUrl&, const QByteArray& data)
{
    m_baBuffer = data;
    m_bReplied = true;
    m_bSucceeded = true;
    m_loop.exit(0);
}

void Downloader::slotError()
{
    m_bReplied = true;
    m_loop.exit(0);
}

void Downloader::slotProgress(qint64 received, qint64 total)
{
    emit progress(int(qBound<qint64>(INT_MIN, received, INT_MAX)));
    int nPercent = 0;
    if (total != 0) {
        const float fPercent = float(received) * 100 / float(total);
        nPercent = fPercent >= float(INT_MAX) ? INT_MAX : fPercent <= float(INT_MIN) ? INT_MIN : int(fPercent);
    }
    emit progressPercent(nPercent);
}

void Downloader::slotAbort() { m_pManager->slotAbort(); }

} // namespace QMRequest
