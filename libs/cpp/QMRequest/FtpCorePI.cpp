#include "FtpCorePI.h"

#include <QCoreApplication>
#include <QHostAddress>
#include <QRegularExpression>

namespace QMRequest {

namespace {

QString trFtp(const char* text) { return QCoreApplication::translate("QMRequest::FtpCore", text); }

} // namespace

FtpCorePI::FtpCorePI(QObject* parent) : QObject(parent), m_dtp(this)
{
    m_commandSocket.setObjectName(QStringLiteral("FtpCorePI_socket"));
    connect(&m_commandSocket, SIGNAL(hostFound()), this, SLOT(hostFound()));
    connect(&m_commandSocket, SIGNAL(connected()), this, SLOT(connected()));
    connect(&m_commandSocket, SIGNAL(disconnected()), this, SLOT(connectionClosed()));
    connect(&m_commandSocket, SIGNAL(readyRead()), this, SLOT(readyRead()));
    connect(&m_commandSocket, SIGNAL(error(QAbstractSocket::SocketError)), this,
            SLOT(error(QAbstractSocket::SocketError)));
    connect(&m_dtp, SIGNAL(connectState(int)), this, SLOT(dtpConnectState(int)));
}

FtpCorePI::~FtpCorePI()
{
    m_commandSocket.disconnect(this);
    m_dtp.disconnect(this);
}

void FtpCorePI::connectToHost(const QString& host, quint16 port)
{
    emit connectState(1);
    const QVariant session = property("_q_networksession");
    m_commandSocket.setProperty("_q_networksession", session);
    m_dtp.setProperty("_q_networksession", session);
    m_commandSocket.connectToHost(host, port);
}

bool FtpCorePI::sendCommands(const QStringList& lines)
{
    if (!m_pendingCommands.isEmpty())
        return false;
    if (m_commandSocket.state() != QAbstractSocket::ConnectedState || m_nState != Idle) {
        emit error(4, trFtp("Not connected"));
        return true;
    }
    m_pendingCommands = lines;
    startNextCmd();
    return true;
}

void FtpCorePI::clearPendingCommands()
{
    m_pendingCommands.clear();
    m_dtp.abortConnection();
    m_strCurrentCmd.clear();
    m_nState = Idle;
}

void FtpCorePI::abort()
{
    m_pendingCommands.clear();
    // Without a control connection there is nobody to answer the ABOR.
    if (m_nAbortState != AbortNone || m_commandSocket.state() != QAbstractSocket::ConnectedState)
        return;
    m_nAbortState = AbortSent;
    m_commandSocket.write("ABOR\r\n", 6);
    if (m_strCurrentCmd.startsWith(QLatin1String("STOR ")))
        m_dtp.abortConnection();
}

void FtpCorePI::hostFound() { emit connectState(2); }

void FtpCorePI::connected()
{
    m_nState = Begin;
    m_commandSocket.setSocketOption(QAbstractSocket::LowDelayOption, 1);
    emit connectState(3);
}

void FtpCorePI::connectionClosed()
{
    m_commandSocket.close();
    emit connectState(0);
}

void FtpCorePI::delayedCloseFinished() { emit connectState(0); }

void FtpCorePI::error(QAbstractSocket::SocketError e)
{
    const QString peer = m_commandSocket.peerName();
    if (e == QAbstractSocket::ConnectionRefusedError) {
        emit connectState(0);
        emit error(3, trFtp("Connection refused to host %1").arg(peer));
    } else if (e == QAbstractSocket::HostNotFoundError) {
        emit connectState(0);
        emit error(2, trFtp("Host %1 not found").arg(peer));
    } else if (e == QAbstractSocket::SocketTimeoutError) {
        emit connectState(0);
        emit error(3, trFtp("Connection timed out to host %1").arg(peer));
    }
}

void FtpCorePI::readyRead()
{
    if (m_bWaitForDtpToClose)
        return;
    while (m_commandSocket.canReadLine()) {
        QByteArray bytes = m_commandSocket.readLine();
        int nZero = bytes.indexOf('\0');
        QString line = QString::fromLatin1(nZero < 0 ? bytes : bytes.left(nZero));
        // A malformed line is dropped; the lines after it are still read.
        if (m_strReplyText.isEmpty()) {
            if (line.length() < 3)
                continue;
            const char c0 = line.at(0).toLatin1();
            const char c1 = line.at(1).toLatin1();
            const char c2 = line.at(2).toLatin1();
            if (c0 < '1' || c0 > '5' || c1 < '0' || c1 > '5' || c2 < '0' || c2 > '9')
                continue;
            m_replyCode[0] = static_cast<signed char>(c0 - '0');
            m_replyCode[1] = static_cast<signed char>(c1 - '0');
            m_replyCode[2] = static_cast<signed char>(c2 - '0');
        }
        const QString code = QString::number(100 * m_replyCode[0] + 10 * m_replyCode[1] + m_replyCode[2])
                                 .rightJustified(3, QLatin1Char('0'));
        const QString endMarker = code + QLatin1Char(' ');
        const QString continuationMarker = code + QLatin1Char('-');
        while (line.left(4) != endMarker) {
            if (line.left(4) == continuationMarker)
                m_strReplyText += line.mid(4);
            else
                m_strReplyText += line;
            if (!m_commandSocket.canReadLine())
                return;
            bytes = m_commandSocket.readLine();
            nZero = bytes.indexOf('\0');
            line = QString::fromLatin1(nZero < 0 ? bytes : bytes.left(nZero));
        }
        m_strReplyText += line.mid(4);
        if (m_strReplyText.endsWith(QLatin1String("\r\n")))
            m_strReplyText.chop(2);
        if (processReply())
            m_strReplyText.clear();
        else
            return;
    }
}

bool FtpCorePI::processReply()
{
    const int nCode = 100 * m_replyCode[0] + 10 * m_replyCode[1] + m_replyCode[2];

    if ((nCode == 226 || (nCode == 250 && m_strCurrentCmd.startsWith(QLatin1String("RETR")))) &&
        m_dtp.state() != QAbstractSocket::UnconnectedState) {
        m_bWaitForDtpToClose = true;
        return false;
    }

    if (m_nAbortState == AbortSent) {
        m_nAbortState = WaitForAbortToFinish;
    } else if (m_nAbortState == WaitForAbortToFinish) {
        m_nAbortState = AbortNone;
        return true;
    }

    static const int table[5] = {Waiting, Success, Idle, Failure, Failure};
    switch (m_nState) {
    case Begin:
        if (m_replyCode[0] != 2)
            return true;
        m_nState = Idle;
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

    emit rawFtpReply(nCode, m_strReplyText);

    if (m_bRawCommand) {
        m_bRawCommand = false;
    } else if (nCode == 227) {
        static const QRegularExpression address(QStringLiteral("(\\d+),(\\d+),(\\d+),(\\d+),(\\d+),(\\d+)"));
        const QRegularExpressionMatch match = address.match(m_strReplyText);
        if (match.hasMatch()) {
            const QString host = match.captured(1) + QLatin1Char('.') + match.captured(2) + QLatin1Char('.') +
                                 match.captured(3) + QLatin1Char('.') + match.captured(4);
            const quint16 port = quint16((match.captured(5).toUInt() << 8) + match.captured(6).toUInt());
            m_bWaitForDtpToConnect = true;
            m_dtp.connectToHost(host, port);
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
        emit connectState(4);
    } else if (nCode == 213) {
        if (m_strCurrentCmd.startsWith(QLatin1String("SIZE ")))
            m_dtp.setBytesTotal(m_strReplyText.simplified().toLongLong());
    } else if (m_replyCode[0] == 1 && m_strCurrentCmd.startsWith(QLatin1String("STOR "))) {
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
            emit error(1, text);
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
            emit error(1, m_strReplyText);
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

    m_pendingCommands.removeFirst();
    m_nState = Waiting;
    m_commandSocket.write(m_strCurrentCmd.toLatin1());
    return true;
}

void FtpCorePI::dtpConnectState(int s)
{
    switch (s) {
    case FtpCoreDTP::CsClosed:
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
        emit error(3, trFtp("Connection refused for data connection"));
        if (m_nState != Waiting)
            startNextCmd();
        return;
    default:
        return;
    }
}

} // namespace QMRequest
