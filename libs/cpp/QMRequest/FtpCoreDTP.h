#pragma once
// Data connection of the FTP client: opens it (passive or active), moves download and upload bytes, parses listings.

#include "UrlInfo.h"

#include <QAbstractSocket>
#include <QByteArray>
#include <QHostAddress>
#include <QObject>
#include <QPointer>
#include <QTcpServer>

class QIODevice;
class QTcpSocket;

namespace QMRequest {

class FtpCorePI;

class FtpCoreDTP : public QObject
{
    Q_OBJECT

public:
    enum ConnectState { CsHostFound = 0, CsConnected = 1, CsClosed = 2, CsHostNotFound = 3, CsConnectionRefused = 4 };

    explicit FtpCoreDTP(FtpCorePI* pi, QObject* parent = nullptr);
    ~FtpCoreDTP() override;

    void setData(QByteArray* data);
    void setDevice(QIODevice* dev);
    void clearData();
    // Sets the total, resets the count and reports progress 0 of bytes.
    void setBytesTotal(qint64 bytes);

    // Passive mode: connects a new data socket to the server's data port (the interpreter gives the control peer).
    void connectToHost(const QString& host, quint16 port);
    // Active mode: listens on address; the port, or -1 when listening fails. Only the control connection's peer
    // may connect.
    int setupListener(const QHostAddress& address);
    void waitForConnection();

    QAbstractSocket::SocketState state() const;
    // A data connection is open, or in active mode one is still awaited.
    bool isInUse() const { return state() != QAbstractSocket::UnconnectedState || m_listener.isListening(); }
    qint64 bytesAvailable() const;
    qint64 read(char* data, qint64 maxlen);
    QByteArray readAll();
    // Bytes of the download so far, those not yet read included.
    qint64 bytesReceived() const { return m_nBytesDone + m_bytesLeftOver.size(); }

    // Also stops waiting for an active-mode connection.
    void abortConnection();

    // One listing line (Unix or DOS form, Latin-1 or UTF-8) to an entry; false when the line is neither, or names
    // ".", ".." or something with "/" (info is then left alone).
    static bool parseDir(const QByteArray& buffer, const QString& userName, UrlInfo* info, bool bUtf8 = false);

    QString errorMessage() const { return m_strError; }
    void clearError() { m_strError.clear(); }

signals:
    void listInfo(const QMRequest::UrlInfo&);
    void readyRead();
    void dataTransferProgress(qint64, qint64);
    void connectState(int);
    // Bytes came in or went out on the data connection.
    void dataMoved();

public slots:
    void writeData();
    void dataReadyRead();
    // A sequential upload source has delivered everything.
    void dataReadChannelFinished();

private slots:
    void socketConnected();
    void socketReadyRead();
    void socketError(QAbstractSocket::SocketError);
    void socketConnectionClosed();
    void socketBytesWritten(qint64);
    void setupSocket();

private:
    void connectSocket();
    // Ends the transfer; the text fails the command when its reply comes.
    void failTransfer(const QString& text);

    QTcpSocket* m_pSocket = nullptr;
    QTcpServer m_listener;
    FtpCorePI* m_pPI;
    QString m_strError;
    qint64 m_nBytesDone = 0;
    qint64 m_nBytesTotal = 0;
    bool m_bCallWriteData = false;
    QByteArray* m_pBytes = nullptr;
    QPointer<QIODevice> m_pDevice;
    bool m_bIsByteArray = false;
    bool m_bSourceFinished = false;
    QByteArray m_bytesLeftOver;
};

} // namespace QMRequest
