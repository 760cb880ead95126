#include "FtpClient.h"

#include <QDebug>
#include <QPointer>

namespace QMRequest {

FtpClient::FtpClient(QObject* parent) : QObject(parent), m_pFtp(new FtpCore(this))
{
    connect(m_pFtp, SIGNAL(dataTransferProgress(qint64, qint64)), this, SLOT(slotReadProgress(qint64, qint64)));
    connect(m_pFtp, SIGNAL(done(bool)), this, SLOT(slotDone(bool)));
    connect(m_pFtp, SIGNAL(listInfo(QMRequest::UrlInfo)), this, SLOT(slotAddToList(QMRequest::UrlInfo)));
}

FtpClient::~FtpClient()
{
    if (m_pLoop)
        m_pLoop->exit();
    m_pFtp->close();
    qDeleteAll(m_entries);
}

bool FtpClient::fetchData(const QString&, QBuffer&) { return true; }

bool FtpClient::fetchData(const QString&, QFile*) { return true; }

int FtpClient::wait(const std::function<int()>& queueCommand)
{
    if (m_pLoop) {
        qWarning("FtpClient: refused a waiting call made while another one waits");
        return -1;
    }
    QEventLoop loop;
    m_pLoop = &loop;
    const int nId = queueCommand();
    // A slot that runs meanwhile may delete this client.
    const QPointer<FtpClient> guard(this);
    loop.exec();
    if (guard && m_pLoop == &loop)
        m_pLoop = nullptr;
    return nId;
}

void FtpClient::abort() { m_pFtp->abort(); }

int FtpClient::connectToHost(const QString& host, quint16 port) { return m_pFtp->connectToHost(host, port); }

int FtpClient::login(const QString& user, const QString& password)
{
    return wait([&] { return m_pFtp->login(user, password); });
}

int FtpClient::cd(const QString& dir)
{
    return wait([&] { return m_pFtp->cd(dir); });
}

int FtpClient::close()
{
    return wait([&] { return m_pFtp->close(); });
}

int FtpClient::get(const QString& file, QIODevice* dev)
{
    return wait([&] { return m_pFtp->get(file, dev, FtpCore::Binary); });
}

int FtpClient::put(QIODevice* dev, const QString& file)
{
    return wait([&] { return m_pFtp->put(dev, file, FtpCore::Binary); });
}

int FtpClient::put(const QByteArray& data, const QString& file)
{
    return wait([&] { return m_pFtp->put(data, file, FtpCore::Binary); });
}

QList<UrlInfo> FtpClient::dirEntry(const QString& dir)
{
    const QPointer<FtpClient> guard(this);
    const int nId = wait([&] {
        qDeleteAll(m_entries);
        m_entries.clear();
        return m_pFtp->list(dir);
    });
    QList<UrlInfo> entries;
    if (nId < 0 || !guard)
        return entries;
    for (const UrlInfo* pInfo : qAsConst(m_entries))
        entries.append(*pInfo);
    return entries;
}

void FtpClient::slotAddToList(const UrlInfo& info) { m_entries.append(new UrlInfo(info)); }

void FtpClient::slotDone(bool error)
{
    // The wait is over before anyone hears of it: a slot may make the next call, or delete this client.
    if (m_pLoop) {
        m_pLoop->exit();
        m_pLoop = nullptr;
    }
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
