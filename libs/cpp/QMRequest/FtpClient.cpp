#include "FtpClient.h"

#include <QDebug>

namespace QMRequest {

FtpClient::FtpClient(QObject* parent) : QObject(parent), m_pFtp(new FtpCore(this))
{
    connect(m_pFtp, SIGNAL(dataTransferProgress(qint64, qint64)), this, SLOT(slotReadProgress(qint64, qint64)));
    connect(m_pFtp, SIGNAL(done(bool)), this, SLOT(slotDone(bool)));
    connect(m_pFtp, SIGNAL(listInfo(QMRequest::UrlInfo)), this, SLOT(slotAddToList(QMRequest::UrlInfo)));
}

FtpClient::~FtpClient()
{
    m_pFtp->close();
    qDeleteAll(m_entries);
}

bool FtpClient::fetchData(const QString&, QBuffer&) { return true; }

bool FtpClient::fetchData(const QString&, QFile*) { return true; }

int FtpClient::wait(int id)
{
    m_loop.exec();
    return id;
}

int FtpClient::connectToHost(const QString& host, quint16 port) { return m_pFtp->connectToHost(host, port); }

int FtpClient::login(const QString& user, const QString& password) { return wait(m_pFtp->login(user, password)); }

int FtpClient::cd(const QString& dir) { return wait(m_pFtp->cd(dir)); }

int FtpClient::close() { return wait(m_pFtp->close()); }

int FtpClient::get(const QString& file, QIODevice* dev) { return wait(m_pFtp->get(file, dev, FtpCore::Binary)); }

int FtpClient::put(QIODevice* dev, const QString& file) { return wait(m_pFtp->put(dev, file, FtpCore::Binary)); }

int FtpClient::put(const QByteArray& data, const QString& file)
{
    return wait(m_pFtp->put(data, file, FtpCore::Binary));
}

QList<UrlInfo> FtpClient::dirEntry(const QString& dir)
{
    qDeleteAll(m_entries);
    m_entries.clear();
    wait(m_pFtp->list(dir));
    QList<UrlInfo> entries;
    for (const UrlInfo* pInfo : qAsConst(m_entries))
        entries.append(*pInfo);
    return entries;
}

void FtpClient::slotAddToList(const UrlInfo& info) { m_entries.append(new UrlInfo(info)); }

void FtpClient::slotDone(bool error)
{
    m_loop.exit();
    emit done(error);
}

void FtpClient::slotReadProgress(qint64 done, qint64 total)
{
    const int nPercent = total != 0 ? int(float(done) * 100.0f / float(total)) : 0;
    emit progress(int(done));
    emit progressPercent(nPercent);
    qDebug() << "ProgressDone=" << done << "; ProgressTotal=" << total << "; " << nPercent << "%";
}

} // namespace QMRequest
