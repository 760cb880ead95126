#pragma once
// Blocking FTP client: each call queues a command on an FtpCore and waits in a local event loop until it is done.

#include "FtpCore.h"
#include "UrlInfo.h"

#include <QBuffer>
#include <QEventLoop>
#include <QFile>
#include <QList>
#include <QObject>

namespace QMRequest {

class FtpClient : public QObject
{
    Q_OBJECT

public:
    explicit FtpClient(QObject* parent = nullptr);
    ~FtpClient() override;

    virtual bool fetchData(const QString& path, QBuffer& buffer);
    virtual bool fetchData(const QString& path, QFile* file);

    // Queues a connect without waiting; the next waiting call waits for it too.
    int connectToHost(const QString& host, quint16 port = 21);
    // The calls below wait until the client's queue is empty and return the command id;
    // failures come through done(true) and ftpDevice()->error().
    int login(const QString& user, const QString& password);
    int cd(const QString& dir);
    int close();
    int get(const QString& file, QIODevice* dev);
    int put(QIODevice* dev, const QString& file);
    int put(const QByteArray& data, const QString& file);
    // Lists dir (the current directory when empty) and returns the entries.
    QList<UrlInfo> dirEntry(const QString& dir = QString());

    FtpCore::State state() const { return m_pFtp->state(); }
    FtpCore* ftpDevice() const { return m_pFtp; }

signals:
    void done(bool error);
    void progress(int bytesDone);
    void progressPercent(int percent);

public slots:
    void slotAddToList(const QMRequest::UrlInfo& info);
    void slotDone(bool error);
    void slotReadProgress(qint64 done, qint64 total);

private:
    int wait(int id);

    FtpCore* m_pFtp;
    QList<UrlInfo*> m_entries;
    QEventLoop m_loop;
};

} // namespace QMRequest
