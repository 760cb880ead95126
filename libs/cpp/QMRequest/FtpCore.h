#pragma once
// Asynchronous FTP client: every operation queues one command and returns its id; signals report progress and results.

#include "UrlInfo.h"

#include <QByteArray>
#include <QObject>
#include <QString>

class QIODevice;

namespace QMRequest {

class FtpCorePrivate;

class FtpCore : public QObject
{
    Q_OBJECT

public:
    enum State { Unconnected = 0, HostLookup = 1, Connecting = 2, Connected = 3, LoggedIn = 4, Closing = 5 };
    enum Error { NoError = 0, UnknownError = 1, HostNotFound = 2, ConnectionRefused = 3, NotConnected = 4 };
    enum Command {
        None = 0,
        SetTransferMode = 1,
        SetProxy = 2,
        ConnectToHost = 3,
        Login = 4,
        Close = 5,
        List = 6,
        Cd = 7,
        Get = 8,
        Put = 9,
        Remove = 10,
        Mkdir = 11,
        Rmdir = 12,
        Rename = 13,
        RawCommand = 14
    };
    enum TransferMode { Active = 0, Passive = 1 };
    enum TransferType { Binary = 0, Ascii = 1 };

    // done() comes from the event loop, so its slot may delete this object; slots of the other signals must use
    // deleteLater(). A connection the server closes, or leaves silent for the reply timeout while an answer is
    // awaited, fails the running command and leaves the state Unconnected.
    // A command whose name or text argument holds CR, LF or NUL fails when its turn comes, without sending
    // anything; so does a name outside Latin-1 unless the server announces UTF8 (then names go as UTF-8). An
    // upload source that cannot be read, or a download device not open for writing, fails before any line is sent.
    explicit FtpCore(QObject* parent = nullptr);
    ~FtpCore() override;

    // Sets the data-connection mode used by list, get and put queued after this one.
    int setTransferMode(TransferMode mode);
    // Later connects go to the proxy; the login then names the real server in the user name.
    int setProxy(const QString& host, quint16 port);
    int connectToHost(const QString& host, quint16 port = 21);
    // A null user logs in as "anonymous", a null password as "plainsong@".
    int login(const QString& user = QString(), const QString& password = QString());
    int close();
    int list(const QString& dir = QString());
    int cd(const QString& dir);
    // Without a device the bytes are read through readyRead(), bytesAvailable(), read() and readAll().
    int get(const QString& file, QIODevice* dev = nullptr, TransferType type = Binary);
    int put(const QByteArray& data, const QString& file, TransferType type = Binary);
    int put(QIODevice* dev, const QString& file, TransferType type = Binary);
    int remove(const QString& file);
    int mkdir(const QString& dir);
    int rmdir(const QString& dir);
    int rename(const QString& oldname, const QString& newname);
    // Sends the trimmed command; its replies come through rawCommandReply().
    int rawCommand(const QString& command);

    qint64 bytesAvailable() const;
    qint64 read(char* data, qint64 maxlen);
    QByteArray readAll();

    int currentId() const;
    QIODevice* currentDevice() const;
    Command currentCommand() const;
    bool hasPendingCommands() const;
    // Drops every queued command except the one running.
    void clearPendingCommands();

    // How long the server may stay silent while an answer is awaited; the default suits real servers.
    void setReplyTimeout(int msec);

    State state() const;
    Error error() const;
    QString errorString() const;

public slots:
    // Drops the queue and ends the running command at once as failed ("Aborted"). A transfer or file command is
    // aborted at the server (ABOR), which is in step again before the next command goes; a connect, login or close
    // drops the connection.
    void abort();

signals:
    void stateChanged(int);
    void listInfo(const QMRequest::UrlInfo&);
    void readyRead();
    void dataTransferProgress(qint64, qint64);
    void rawCommandReply(int, const QString&);
    void commandStarted(int);
    void commandFinished(int, bool);
    void done(bool);

private:
    friend class FtpCorePrivate;
    FtpCorePrivate* d;
};

} // namespace QMRequest
