#pragma once
// Blocking FTP client: each call queues a command on an FtpCore and waits in a local event loop until it is done.

#include "FtpCore.h"
#include "UrlInfo.h"

#include <QBuffer>
#include <QEventLoop>
#include <QFile>
#include <QList>
#include <QObject>

#include <functional>

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
    // failures come through done(true) and ftpDevice()->error(). A waiting call made while another one waits
    // (from a slot that runs meanwhile) is refused: it queues nothing and returns -1. The wait is over when done()
    // is emitted: its slot may make the next call or delete this client.
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
    // Aborts the running command: the waiting call returns, with done(true).
    void abort();

signals:
    void done(bool error);
    void progress(int bytesDone);
    void progressPercent(int percent);

public slots:
    void slotAddToList(const QMRequest::UrlInfo& info);
    void slotDone(bool error);
    void slotReadProgress(qint64 done, qint64 total);

private:
    // Queues a command through queueCommand and waits until the client's queue is empty; returns its id.
    int wait(const std::function<int()>& queueCommand);

    FtpCore* m_pFtp;
    QList<UrlInfo*> m_entries;
    // The loop of the call that waits, on that call's stack; null while none waits.
    QEventLoop* m_pLoop = nullptr;
};

} // namespace QMRequest
