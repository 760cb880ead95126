#include "FtpCorePI.h"

#include <QCoreApplication>
#include <QHostAddress>
#include <QRegularExpression>
#include <QScopedValueRollback>

namespace QMRequest {

namespace {

QString trFtp(const char* text) { return QCoreApplication::translate("QMRequest::FtpCore", text); }

// Bounds of one reply line (bytes) and of a whole multi-line reply (characters).
const int kMaxLineBytes = 8 * 1024;
const int kMaxReplyChars = 256 * 1024;
// How long the server may stay silent while an answer is awaited.
const int kReplyTimeoutMs = 30 * 1000;

bool needsMoreThanAscii(const QStringList& lines)
{
    for (const QString& line : lines) {
        for (const QChar c : line) {
            if (c.unicode() > 127)
                return true;
        }
    }
    return false;
}

bool fitsLatin1(const QString& line)
{
    for (const QChar c : line) {
        if (c.unicode() > 255)
            return false;
    }
    return true;
}

} // namespace

FtpCorePI::FtpCorePI(QObject* parent) : QObject(parent), m_dtp(this)
{
    m_commandSocket.setObjectName(QStringLiteral("FtpCorePI_socket"));
    // The wait starts afresh with each line sent, each byte of a transfer and each line of a reply; a line that is no
    // reply does not count.
    m_replyTimer.setSingleShot(true);
    setReplyTimeout(kReplyTimeoutMs);
    connect(&m_replyTimer, SIGNAL(timeout()), this, SLOT(slotReplyTimeout()));
    connect(&m_commandSocket, SIGNAL(bytesWritten(qint64)), &m_replyTimer, SLOT(start()));
    connect(&m_dtp, SIGNAL(dataMoved()), &m_replyTimer, SLOT(start()));
    connect(&m_commandSocket, SIGNAL(hostFound()), this, SLOT(hostFound()));
    connect(&m_commandSocket, SIGNAL(connected()), this, SLOT(connected()));
    connect(&m_commandSocket, SIGNAL(disconnected()), this, SLOT(connectionClosed()));
    connect(&m_commandSocket, SIGNAL(readyRead()), this, SLOT(readyRead()));
    connect(&m_commandSocket, SIGNAL(error(QAbstractSocket::SocketError)), this,
            SLOT(error(QAbstractSocket::SocketError)));
    connect(&m_dtp, SIGNAL(connectState(int)), this, SLOT(dtpConnectState(int)));
}

void FtpCorePI::setReplyTimeout(int msec)
{
    m_nReplyTimeoutMs = msec;
    m_replyTimer.setInterval(msec);
}

FtpCorePI::~FtpCorePI()
{
    m_commandSocket.disconnect(this);
    m_dtp.disconnect(this);
}

void FtpCorePI::connectToHost(const QString& host, quint16 port)
{
    resetConnection();
    m_bConnecting = true;
    emit connectState(FtpCore::HostLookup);
    m_features = FeaturesUnknown;
    m_bFeatureProbe = false;
    const QVariant session = property("_q_networksession");
    m_commandSocket.setProperty("_q_networksession", session);
    m_dtp.setProperty("_q_networksession", session);
    m_replyTimer.start();
    m_commandSocket.connectToHost(host, port);
}

void FtpCorePI::resetConnection()
{
    m_commandSocket.blockSignals(true);
    m_commandSocket.abort();
    m_commandSocket.blockSignals(false);
    m_replyTimer.stop();
    m_replyTimer.setInterval(m_nReplyTimeoutMs);
    m_uploadClock.invalidate();
    m_pendingCommands.clear();
    m_strCurrentCmd.clear();
    m_strReplyText.clear();
    m_nState = Begin;
    m_nAbortState = AbortNone;
    m_bConnecting = false;
    m_bWaitForDtpToConnect = false;
    m_bWaitForDtpToClose = false;
    m_bFeatureProbe = false;
    m_dtp.abortConnection();
}

void FtpCorePI::dropConnection()
{
    resetConnection();
    emit connectState(FtpCore::Unconnected);
}

bool FtpCorePI::commandWaits() const
{
    return m_bConnecting || !m_pendingCommands.isEmpty() || m_bWaitForDtpToConnect || m_bWaitForDtpToClose ||
           (m_nState == Waiting && !m_strCurrentCmd.startsWith(QLatin1String("QUIT")));
}

void FtpCorePI::loseConnection(FtpCore::Error kind, const QString& text)
{
    const bool bReport = commandWaits();
    dropConnection();
    if (bReport)
        emit error(kind, text);
}

void FtpCorePI::slotReplyTimeout()
{
    // A server that leaves ABOR unanswered may still answer the marker; one that answered the marker otherwise than
    // expected has said all it will.
    if (m_nAbortState == AbortSent) {
        sendAbortMarker();
        return;
    }
    if (m_nAbortState == MarkerSent && m_bMarkerAnswered) {
        endAbort();
        return;
    }
    // Beyond commandWaits(): an unanswered QUIT or abort marker fails no command, but the connection must still go.
    if (commandWaits() || m_nState == Waiting || m_nAbortState != AbortNone)
        loseConnection(FtpCore::ConnectionRefused, trFtp("No reply from host %1 for %2 s")
                                                       .arg(m_commandSocket.peerName())
                                                       .arg(m_replyTimer.interval() / 1000.0));
}

bool FtpCorePI::sendCommands(const QStringList& lines)
{
    if (!m_pendingCommands.isEmpty())
        return false;
    if (m_commandSocket.state() != QAbstractSocket::ConnectedState || m_nState != Idle) {
        emit error(FtpCore::NotConnected, trFtp("Not connected"));
        return true;
    }
    m_pendingCommands = lines;
    m_nAnnouncedSize = -1;
    if (m_features == FeaturesUnknown && needsMoreThanAscii(lines)) {
        m_bFeatureProbe = true;
        m_pendingCommands.prepend(QStringLiteral("FEAT\r\n"));
    } else if (!checkEncodable()) {
        return true;
    }
    if (m_nAbortState == AbortNone)
        startNextCmd();
    return true;
}

bool FtpCorePI::checkEncodable()
{
    if (m_features == FeaturesUtf8)
        return true;
    for (const QString& line : qAsConst(m_pendingCommands)) {
        if (!fitsLatin1(line)) {
            m_pendingCommands.clear();
            emit error(FtpCore::UnknownError,
                       trFtp("The server does not announce UTF8, so names outside Latin-1 cannot be sent"));
            return false;
        }
    }
    return true;
}

bool FtpCorePI::readReplyLine(QString* line)
{
    // readLine stops one short of its limit: a result longer than the bound means the line is.
    const QByteArray bytes = m_commandSocket.readLine(kMaxLineBytes + 2);
    if (bytes.size() > kMaxLineBytes) {
        loseConnection(FtpCore::UnknownError,
                       trFtp("The server sent a reply line longer than %1 bytes").arg(kMaxLineBytes));
        return false;
    }
    const int nZero = bytes.indexOf('\0');
    const QByteArray text = nZero < 0 ? bytes : bytes.left(nZero);
    *line = isUtf8() ? QString::fromUtf8(text) : QString::fromLatin1(text);
    return true;
}

void FtpCorePI::clearPendingCommands()
{
    m_pendingCommands.clear();
    m_uploadClock.invalidate();
    m_bFeatureProbe = false;
    m_dtp.abortConnection();
    m_strCurrentCmd.clear();
    m_nState = Idle;
}

void FtpCorePI::abort()
{
    m_pendingCommands.clear();
    m_bFeatureProbe = false;
    // Unless nothing is on its way, or nobody is there to answer. Servers answer the aborted line and ABOR with one
    // reply or two, and some drop what comes behind ABOR while they abort: the marker goes once an answer is in.
    if (m_nAbortState == AbortNone && !m_strCurrentCmd.isEmpty() &&
        m_commandSocket.state() == QAbstractSocket::ConnectedState) {
        // An aborted line that makes or names a folder may be answered as the marker is. The server answers it
        // before it reads ABOR, whatever the answer.
        static const QRegularExpression namesFolder(QStringLiteral("^X?(MKD|PWD)\\b"),
                                                    QRegularExpression::CaseInsensitiveOption);
        m_bAbortedAnswerDue = m_nState == Waiting && namesFolder.match(m_strCurrentCmd).hasMatch();
        m_nAbortState = AbortSent;
        m_nState = Idle;
        m_uploadClock.invalidate();
        m_strCurrentCmd.clear();
        m_bWaitForDtpToConnect = false;
        if (m_bWaitForDtpToClose) {
            m_bWaitForDtpToClose = false;
            m_strReplyText.clear();
        }
        m_commandSocket.write("ABOR\r\n");
    }
    // The command's data goes with it.
    m_dtp.abortConnection();
}

void FtpCorePI::sendAbortMarker()
{
    // PWD is answered 257, which neither ABOR nor an aborted transfer, TYPE, PORT, PASV, SIZE or CWD ever gets. Before
    // the login a server answers it otherwise, and the abort ends at the reply timeout.
    m_nAbortState = MarkerSent;
    m_bMarkerAnswered = false;
    m_commandSocket.write("PWD\r\n");
}

void FtpCorePI::endAbort()
{
    m_nAbortState = AbortNone;
    if (!m_pendingCommands.isEmpty())
        startNextCmd();
}

void FtpCorePI::hostFound() { emit connectState(FtpCore::Connecting); }

void FtpCorePI::connected()
{
    m_nState = Begin;
    m_commandSocket.setSocketOption(QAbstractSocket::LowDelayOption, 1);
    emit connectState(FtpCore::Connected);
}

void FtpCorePI::connectionClosed()
{
    loseConnection(FtpCore::NotConnected, trFtp("Host %1 closed the connection").arg(m_commandSocket.peerName()));
}

void FtpCorePI::delayedCloseFinished() { emit connectState(FtpCore::Unconnected); }

void FtpCorePI::error(QAbstractSocket::SocketError e)
{
    const QString peer = m_commandSocket.peerName();
    if (e == QAbstractSocket::ConnectionRefusedError)
        loseConnection(FtpCore::ConnectionRefused, trFtp("Connection refused to host %1").arg(peer));
    else if (e == QAbstractSocket::HostNotFoundError)
        loseConnection(FtpCore::HostNotFound, trFtp("Host %1 not found").arg(peer));
    else if (e == QAbstractSocket::SocketTimeoutError)
        loseConnection(FtpCore::ConnectionRefused, trFtp("Connection timed out to host %1").arg(peer));
}

void FtpCorePI::readyRead()
{
    if (m_bWaitForDtpToClose || m_bReading)
        return;
    const QScopedValueRollback<bool> reading(m_bReading, true);
    while (m_commandSocket.canReadLine()) {
        QString line;
        if (!readReplyLine(&line))
            return;
        if (m_strReplyText.isEmpty()) {
            const auto digit = [&line](int n, char low, char high) {
                return line.length() > n && line.at(n) >= QLatin1Char(low) && line.at(n) <= QLatin1Char(high);
            };
            // A stray line is dropped; a server that sends nothing else is the reply timer's business.
            if (!digit(0, '1', '5') || !digit(1, '0', '5') || !digit(2, '0', '9'))
                continue;
            for (int n = 0; n < 3; ++n)
                m_replyCode[n] = static_cast<signed char>(line.at(n).toLatin1() - '0');
        }
        replyLineRead();
        const QString code = QString::number(100 * m_replyCode[0] + 10 * m_replyCode[1] + m_replyCode[2]);
        const QString endMarker = code + QLatin1Char(' ');
        const QString continuationMarker = code + QLatin1Char('-');
        while (line.left(4) != endMarker) {
            if (line.left(4) == continuationMarker)
                m_strReplyText += line.mid(4);
            else
                m_strReplyText += line;
            if (m_strReplyText.size() > kMaxReplyChars) {
                loseConnection(FtpCore::UnknownError,
                               trFtp("The server sent a reply longer than %1 characters").arg(kMaxReplyChars));
                return;
            }
            if (!m_commandSocket.canReadLine())
                break;
            if (!readReplyLine(&line))
                return;
            replyLineRead();
        }
        if (line.left(4) != endMarker)
            break;
        m_strReplyText += line.mid(4);
        if (m_strReplyText.endsWith(QLatin1String("\r\n")))
            m_strReplyText.chop(2);
        if (processReply())
            m_strReplyText.clear();
        else
            return;
    }
    if (m_commandSocket.bytesAvailable() > kMaxLineBytes)
        loseConnection(FtpCore::UnknownError,
                       trFtp("The server sent a reply line longer than %1 bytes").arg(kMaxLineBytes));
}

void FtpCorePI::replyLineRead() { m_replyTimer.start(m_nReplyTimeoutMs); }

bool FtpCorePI::processReply()
{
    const int nCode = 100 * m_replyCode[0] + 10 * m_replyCode[1] + m_replyCode[2];

    if (m_nAbortState != AbortNone) {
        // Only the marker's own 257 ends the abort; the aborted line's final answer is passed over, whatever its code.
        const bool bAbortedAnswer = m_bAbortedAnswerDue && m_replyCode[0] != 1;
        if (bAbortedAnswer)
            m_bAbortedAnswerDue = false;
        if (m_nAbortState == AbortSent) {
            sendAbortMarker();
        } else if (!bAbortedAnswer) {
            m_bMarkerAnswered = true;
            if (nCode == 257)
                endAbort();
        }
        return true;
    }

    // The transfer's end waits for its data connection, in active mode for one not yet accepted too.
    if ((nCode == 226 || (nCode == 250 && m_strCurrentCmd.startsWith(QLatin1String("RETR")))) && m_dtp.isInUse()) {
        m_bWaitForDtpToClose = true;
        return false;
    }

    static const int table[5] = {Waiting, Success, Idle, Failure, Failure};
    switch (m_nState) {
    case Begin:
        if (m_replyCode[0] != 2)
            return true;
        m_nState = Idle;
        m_bConnecting = false;
        emit finished(trFtp("Connected to host %1").arg(m_commandSocket.peerName()));
        break;
    case Waiting:
        if (nCode == 202 || m_replyCode[0] < 1 || m_replyCode[0] > 5)
            m_nState = Failure;
        else
            m_nState = table[m_replyCode[0] - 1];
        break;
    default:
        return true;
    }

    const bool bFeatureProbe = m_bFeatureProbe && m_strCurrentCmd.startsWith(QLatin1String("FEAT"));
    if (bFeatureProbe) {
        // Only the probe's own answer decides; a server that refuses FEAT announces nothing.
        m_bFeatureProbe = false;
        m_features = FeaturesPlain;
        if (m_nState != Failure) {
            for (const QString& feature : m_strReplyText.split(QLatin1Char('\n'))) {
                if (feature.trimmed().compare(QLatin1String("UTF8"), Qt::CaseInsensitive) == 0)
                    m_features = FeaturesUtf8;
            }
        }
        m_nState = Idle;
        if (checkEncodable())
            startNextCmd();
        return true;
    }

    emit rawFtpReply(nCode, m_strReplyText);

    // A transfer this side ended (a device that failed) is better told by its own reason.
    QString strFailure = m_dtp.errorMessage().isNull() ? m_strReplyText : m_dtp.errorMessage();

    if (m_bRawCommand) {
        m_bRawCommand = false;
    } else if (m_strCurrentCmd.startsWith(QLatin1String("QUIT")) && m_replyCode[0] != 1) {
        // The session ends with the answer: a server need not close the connection after it.
        dropConnection();
        return true;
    } else if (nCode == 227) {
        // Only the port is taken: the announced address could point the data connection at any other host.
        static const QRegularExpression address(QStringLiteral("(\\d+),(\\d+),(\\d+),(\\d+),(\\d+),(\\d+)"));
        const QRegularExpressionMatch match = address.match(m_strReplyText);
        if (match.hasMatch()) {
            const quint16 port = quint16((match.captured(5).toUInt() << 8) + match.captured(6).toUInt());
            m_bWaitForDtpToConnect = true;
            m_dtp.connectToHost(m_commandSocket.peerAddress().toString(), port);
        }
    } else if (nCode == 229) {
        const int nParen = m_strReplyText.indexOf(QLatin1Char('('));
        if (nParen >= 0 && nParen + 1 < m_strReplyText.length()) {
            const QChar delimiter = m_strReplyText.at(nParen + 1);
            const QStringList fields = m_strReplyText.mid(nParen + 1).split(delimiter);
            const quint16 port = quint16(fields.value(3).toInt());
            m_bWaitForDtpToConnect = true;
            m_dtp.connectToHost(m_commandSocket.peerAddress().toString(), port);
        }
    } else if (nCode == 230) {
        if (m_strCurrentCmd.startsWith(QLatin1String("USER ")) && !m_pendingCommands.isEmpty() &&
            m_pendingCommands.first().startsWith(QLatin1String("PASS ")))
            m_pendingCommands.removeFirst();
        // Whether names are UTF-8 must be known before the first listing.
        if (m_features == FeaturesUnknown && !m_bFeatureProbe) {
            m_bFeatureProbe = true;
            m_pendingCommands.prepend(QStringLiteral("FEAT\r\n"));
        }
        emit connectState(FtpCore::LoggedIn);
    } else if (nCode == 213) {
        if (m_strCurrentCmd.startsWith(QLatin1String("SIZE "))) {
            // Anything but a plain number tells no size.
            bool bNumber = false;
            const qint64 nSize = m_strReplyText.trimmed().toLongLong(&bNumber);
            const bool bKnown = bNumber && nSize >= 0;
            m_dtp.setBytesTotal(bKnown ? nSize : 0);
            // Text transfers may change line ends, so only a binary one is held to the size.
            if (m_bBinary && bKnown)
                m_nAnnouncedSize = nSize;
        }
    } else if (m_nState == Success && m_strCurrentCmd.startsWith(QLatin1String("RETR ")) &&
               m_dtp.errorMessage().isNull() && m_nAnnouncedSize >= 0 && m_dtp.bytesReceived() < m_nAnnouncedSize) {
        // A download cut short must not pass for the whole file; one that grew meanwhile lost nothing.
        m_nState = Failure;
        strFailure =
            trFtp("The server announced %1 bytes but sent %2").arg(m_nAnnouncedSize).arg(m_dtp.bytesReceived());
    } else if (m_replyCode[0] == 1 && m_strCurrentCmd.startsWith(QLatin1String("STOR "))) {
        m_uploadClock.start();
        m_dtp.waitForConnection();
        m_dtp.writeData();
    }

    switch (m_nState) {
    case Success:
        m_nState = Idle;
        Q_FALLTHROUGH();
    case Idle:
        if (!m_dtp.errorMessage().isNull()) {
            const QString text = m_dtp.errorMessage();
            m_dtp.clearError();
            emit error(FtpCore::UnknownError, text);
        }
        startNextCmd();
        break;
    case Failure:
        if (m_strCurrentCmd.startsWith(QLatin1String("EPSV"))) {
            m_bTransferConnectionExtended = false;
            m_pendingCommands.prepend(QStringLiteral("PASV\r\n"));
        } else if (m_strCurrentCmd.startsWith(QLatin1String("EPRT"))) {
            m_bTransferConnectionExtended = false;
            m_pendingCommands.prepend(QStringLiteral("PORT\r\n"));
        } else {
            m_dtp.clearError();
            emit error(FtpCore::UnknownError, strFailure);
        }
        if (m_nState != Waiting) {
            m_nState = Idle;
            startNextCmd();
        }
        break;
    default:
        break;
    }
    return true;
}

bool FtpCorePI::startNextCmd()
{
    if (m_bWaitForDtpToConnect)
        return true;
    if (m_pendingCommands.isEmpty()) {
        m_strCurrentCmd.clear();
        emit finished(m_strReplyText);
        return false;
    }

    m_strCurrentCmd = m_pendingCommands.first();
    const QHostAddress address = m_commandSocket.localAddress();
    if (m_strCurrentCmd.startsWith(QLatin1String("PORT"))) {
        if (address.protocol() == QAbstractSocket::IPv6Protocol && m_bTransferConnectionExtended) {
            const int nPort = m_dtp.setupListener(address);
            m_strCurrentCmd =
                QStringLiteral("EPRT |") +
                (address.protocol() == QAbstractSocket::IPv4Protocol ? QLatin1Char('1') : QLatin1Char('2')) +
                QLatin1Char('|') + address.toString() + QLatin1Char('|') + QString::number(nPort) +
                QStringLiteral("|\r\n");
        } else if (address.protocol() == QAbstractSocket::IPv4Protocol) {
            const int nPort = m_dtp.setupListener(address);
            const quint32 ip = address.toIPv4Address();
            QStringList parts;
            parts << QString::number((ip >> 24) & 0xff) << QString::number((ip >> 16) & 0xff)
                  << QString::number((ip >> 8) & 0xff) << QString::number(ip & 0xff);
            if (nPort < 0)
                parts << QString::number(nPort) << QString::number(nPort);
            else
                parts << QString::number((nPort >> 8) & 0xff) << QString::number(nPort & 0xff);
            m_strCurrentCmd = QStringLiteral("PORT ") + parts.join(QLatin1Char(',')) + QStringLiteral("\r\n");
        } else {
            return false;
        }
    } else if (m_strCurrentCmd.startsWith(QLatin1String("PASV"))) {
        if (address.protocol() == QAbstractSocket::IPv6Protocol && m_bTransferConnectionExtended)
            m_strCurrentCmd = QStringLiteral("EPSV\r\n");
    }

    if (m_strCurrentCmd.startsWith(QLatin1String("TYPE ")))
        m_bBinary = m_strCurrentCmd.startsWith(QLatin1String("TYPE I"));
    m_pendingCommands.removeFirst();
    m_nState = Waiting;
    m_commandSocket.write(isUtf8() ? m_strCurrentCmd.toUtf8() : m_strCurrentCmd.toLatin1());
    return true;
}

void FtpCorePI::dtpConnectState(int s)
{
    switch (s) {
    case FtpCoreDTP::CsClosed:
        // A slow server still reads what the kernels hold of the upload: its reply may take as long as the upload.
        if (m_uploadClock.isValid()) {
            m_replyTimer.setInterval(int(qMax<qint64>(m_nReplyTimeoutMs, m_uploadClock.elapsed())));
            m_replyTimer.start();
            m_uploadClock.invalidate();
        }
        if (m_bWaitForDtpToClose) {
            if (!processReply())
                return;
            m_strReplyText.clear();
        }
        m_bWaitForDtpToClose = false;
        readyRead();
        return;
    case FtpCoreDTP::CsConnected:
        m_bWaitForDtpToConnect = false;
        startNextCmd();
        return;
    case FtpCoreDTP::CsHostNotFound:
    case FtpCoreDTP::CsConnectionRefused:
        // A failed data connection must not leave later commands waiting for it.
        m_bWaitForDtpToConnect = false;
        emit error(FtpCore::ConnectionRefused, trFtp("Connection refused for data connection"));
        if (m_nState != Waiting)
            startNextCmd();
        return;
    default:
        return;
    }
}

} // namespace QMRequest
