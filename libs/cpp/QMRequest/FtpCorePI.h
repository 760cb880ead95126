#pragma once
// Control connection of the FTP client: sends one command's lines, reads and classifies replies, drives the data
// connection.

#include "FtpCoreDTP.h"

#include <QAbstractSocket>
#include <QHostAddress>
#include <QObject>
#include <QStringList>
#include <QTcpSocket>

namespace QMRequest {

class FtpCorePI : public QObject
{
    Q_OBJECT

public:
    enum AbortState { AbortNone = 0, AbortSent = 1, WaitForAbortToFinish = 2 };

    explicit FtpCorePI(QObject* parent = nullptr);
    ~FtpCorePI() override;

    void connectToHost(const QString& host, quint16 port);
    // False when lines of an earlier command are pending; reports "Not connected" when the line is down.
    bool sendCommands(const QStringList& lines);
    void clearPendingCommands();
    // Sends ABOR at once; during an upload the data connection is dropped.
    void abort();

    // The line sent last, empty when none.
    QString currentCommand() const { return m_strCurrentCmd; }
    int abortState() const { return m_nAbortState; }
    // The server's address on the control connection: the only host data connections may go to or come from.
    QHostAddress peerAddress() const { return m_commandSocket.peerAddress(); }
    // True once the server has announced UTF8: lines, replies and listings are then UTF-8, else Latin-1.
    bool isUtf8() const { return m_features == FeaturesUtf8; }

    bool m_bRawCommand = false;
    bool m_bTransferConnectionExtended = true;
    FtpCoreDTP m_dtp;

signals:
    void connectState(int);
    void finished(const QString&);
    void error(int, const QString&);
    void rawFtpReply(int, const QString&);

private slots:
    void hostFound();
    void connected();
    void connectionClosed();
    void delayedCloseFinished();
    void readyRead();
    void error(QAbstractSocket::SocketError);
    void dtpConnectState(int);

private:
    enum State { Begin = 0, Idle = 1, Waiting = 2, Success = 3, Failure = 4 };
    // What the FEAT reply told; asked for only when a line needs more than ASCII.
    enum Features { FeaturesUnknown, FeaturesPlain, FeaturesUtf8 };

    bool processReply();
    bool startNextCmd();
    // Reads one line of a reply; false (after failing) when it is longer than the bound.
    bool readReplyLine(QString* line);
    // A reply that breaks the protocol or its bounds: the command fails and the connection is dropped.
    void failReply(const QString& text);
    // False (after failing the command) when a pending line needs UTF-8 and the server did not announce it.
    bool checkEncodable();

    QTcpSocket m_commandSocket;
    QString m_strReplyText;
    signed char m_replyCode[3] = {0, 0, 0};
    int m_nState = Begin;
    int m_nAbortState = AbortNone;
    QStringList m_pendingCommands;
    QString m_strCurrentCmd;
    bool m_bWaitForDtpToConnect = false;
    bool m_bWaitForDtpToClose = false;
    Features m_features = FeaturesUnknown;
    bool m_bFeatureProbe = false;
};

} // namespace QMRequest
