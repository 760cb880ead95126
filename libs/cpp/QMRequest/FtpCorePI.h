#pragma once
// Control connection of the FTP client: sends one command's lines, reads and classifies replies, drives the data
// connection.

#include "FtpCore.h"
#include "FtpCoreDTP.h"

#include <QAbstractSocket>
#include <QElapsedTimer>
#include <QHostAddress>
#include <QObject>
#include <QStringList>
#include <QTcpSocket>
#include <QTimer>

namespace QMRequest {

class FtpCorePI : public QObject
{
    Q_OBJECT

public:
    // After ABOR every reply is passed over: the first one to come (or the reply timeout) sends the marker, whose own
    // reply ends the abort.
    enum AbortState { AbortNone = 0, AbortSent = 1, MarkerSent = 2 };

    explicit FtpCorePI(QObject* parent = nullptr);
    ~FtpCorePI() override;

    // Starts afresh: an earlier connection is dropped without a report.
    void connectToHost(const QString& host, quint16 port);
    // Closes the control connection at once and reports only the state 0.
    void dropConnection();
    // False when lines of an earlier command are pending; reports "Not connected" when the line is down.
    bool sendCommands(const QStringList& lines);
    void clearPendingCommands();
    // Drops the pending lines and the data connection and sends ABOR; the next command's lines wait until the
    // server has answered it.
    void abort();
    // How long the server may send nothing while an answer is awaited before the connection is dropped; after the
    // last byte of an upload, at least as long as the upload took.
    void setReplyTimeout(int msec);

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
    void slotReplyTimeout();

private:
    enum State { Begin = 0, Idle = 1, Waiting = 2, Success = 3, Failure = 4 };
    // What the FEAT reply told; asked for right after the login, or before it when a line needs more than ASCII.
    enum Features { FeaturesUnknown, FeaturesPlain, FeaturesUtf8 };

    bool processReply();
    bool startNextCmd();
    // Reads one line of a reply; false (after failing) when it is longer than the bound.
    bool readReplyLine(QString* line);
    // False (after failing the command) when a pending line needs UTF-8 and the server did not announce it.
    bool checkEncodable();
    // True while the lines of a command wait for the server (a QUIT excepted: the server may just close).
    bool commandWaits() const;
    // Drops the connection; error(kind, text) follows when a command waited.
    void loseConnection(FtpCore::Error kind, const QString& text);
    // Sends the line whose answer ends an abort.
    void sendAbortMarker();
    // Ends an abort: the next command's lines go.
    void endAbort();
    // Aborts the control socket without its signals and forgets the lines, the reply and the data connection.
    void resetConnection();
    // A line of a reply came: the server is alive, and the longer wait after an upload is over.
    void replyLineRead();

    QTcpSocket m_commandSocket;
    QTimer m_replyTimer;
    int m_nReplyTimeoutMs = 0;
    // Runs while an upload's bytes go out.
    QElapsedTimer m_uploadClock;
    QString m_strReplyText;
    signed char m_replyCode[3] = {0, 0, 0};
    int m_nState = Begin;
    int m_nAbortState = AbortNone;
    // The aborted line's own answer is still to come; it comes first and, for a folder made or named, may be a 257
    // as the marker's is, or a refusal.
    bool m_bAbortedAnswerDue = false;
    // Whether the server answered anything since the marker went.
    bool m_bMarkerAnswered = false;
    QStringList m_pendingCommands;
    QString m_strCurrentCmd;
    bool m_bWaitForDtpToConnect = false;
    bool m_bWaitForDtpToClose = false;
    // From connectToHost until the greeting.
    bool m_bConnecting = false;
    // Set while readyRead() runs: a call from inside it (after a data connection closed) leaves the lines to it.
    bool m_bReading = false;
    // The size SIZE announced for a binary download, -1 when none.
    qint64 m_nAnnouncedSize = -1;
    // The last TYPE line asked for binary.
    bool m_bBinary = false;
    Features m_features = FeaturesUnknown;
    bool m_bFeatureProbe = false;
};

} // namespace QMRequest
