#include "FtpCoreDTP.h"

#include "FtpCorePI.h"

#include <QIODevice>
#include <QLocale>
#include <QRegularExpression>
#include <QTcpSocket>

#include <sys/socket.h>

namespace QMRequest {

namespace {

const qint64 kBlockSize = 16384;
// What the kernel may hold of an upload beyond the client's sight (Linux doubles it to 128 KB): a slow server reads
// it after the last progress, about 8 s at 16 KB/s, a fraction of a second at 1 MB/s, while the interpreter waits for
// the final reply. Larger buffers speed uploads over long routes.
const int kSendBufferBytes = 64 * 1024;

// A listing date with a year, or without one (then the latest year that makes it valid and not more than a day
// ahead, so that 29 February finds its leap year).
QDateTime unixDate(const QString& text)
{
    static const char* const withYear[] = {"MMM dd  yyyy", "MMM  d  yyyy", "MMM  d yyyy", "MMM dd yyyy"};
    static const char* const withTime[] = {"MMM dd hh:mm", "MMM  d hh:mm"};
    const QLocale c = QLocale::c();
    for (const char* format : withYear) {
        const QDateTime dateTime = c.toDateTime(text, QLatin1String(format));
        if (dateTime.isValid())
            return dateTime;
    }
    for (const char* format : withTime) {
        // Parsed in a leap year; the real year is chosen below.
        const QDateTime parsed =
            c.toDateTime(text + QStringLiteral(" 2000"), QLatin1String(format) + QStringLiteral(" yyyy"));
        if (!parsed.isValid())
            continue;
        const QDateTime now = QDateTime::currentDateTime();
        for (int year = now.date().year(); year > now.date().year() - 8; --year) {
            const QDate date(year, parsed.date().month(), parsed.date().day());
            const QDateTime candidate(date, parsed.time());
            if (date.isValid() && now.secsTo(candidate) <= 86400)
                return candidate;
        }
    }
    return QDateTime();
}

bool parseUnixLine(const QString& text, const QString& userName, UrlInfo* info)
{
    static const QRegularExpression unixPattern(QStringLiteral(
        "^([\\-dl])([a-zA-Z\\-]{9,9})\\s+\\d+\\s+(\\S*)\\s+(\\S*)\\s+(\\d+)\\s+(\\S+\\s+\\S+\\s+\\S+)\\s+(\\S.*)"));
    const QRegularExpressionMatch match = unixPattern.match(text);
    if (!match.hasMatch())
        return false;

    const QString type = match.captured(1);
    if (type == QLatin1String("d")) {
        info->setDir(true);
        info->setFile(false);
        info->setSymLink(false);
    } else if (type == QLatin1String("-")) {
        info->setDir(false);
        info->setFile(true);
        info->setSymLink(false);
    } else {
        info->setDir(true);
        info->setFile(false);
        info->setSymLink(true);
    }

    QString name = match.captured(7);
    if (info->isSymLink()) {
        const int nArrow = name.indexOf(QLatin1String(" ->"));
        if (nArrow >= 0)
            name.truncate(nArrow);
    }
    info->setName(name);
    info->setOwner(match.captured(3));
    info->setGroup(match.captured(4));
    info->setSize(match.captured(5).toLongLong());

    QString dateText = match.captured(6);
    if (!dateText.isEmpty())
        dateText[0] = dateText.at(0).toUpper();
    const QDateTime dateTime = unixDate(dateText);
    if (dateTime.isValid())
        info->setLastModified(dateTime);

    const QString letters = match.captured(2);
    static const int bits[9] = {UrlInfo::ReadOwner, UrlInfo::WriteOwner, UrlInfo::ExeOwner,
                                UrlInfo::ReadGroup, UrlInfo::WriteGroup, UrlInfo::ExeGroup,
                                UrlInfo::ReadOther, UrlInfo::WriteOther, UrlInfo::ExeOther};
    static const char flags[3] = {'r', 'w', 'x'};
    int nPermissions = 0;
    for (int n = 0; n < 9; ++n) {
        if (letters.at(n) == QLatin1Char(flags[n % 3]))
            nPermissions |= bits[n];
    }
    info->setPermissions(nPermissions);

    const bool bIsOwner = info->owner() == userName;
    info->setReadable((nPermissions & UrlInfo::ReadOther) || (bIsOwner && (nPermissions & UrlInfo::ReadOwner)));
    info->setWritable((nPermissions & UrlInfo::WriteOther) || (bIsOwner && (nPermissions & UrlInfo::WriteOwner)));
    return true;
}

bool parseDosLine(const QString& text, UrlInfo* info)
{
    static const QRegularExpression dosPattern(
        QStringLiteral("^(\\d\\d-\\d\\d-\\d\\d\\d?\\d?\\ \\ \\d\\d:\\d\\d[AP]M)\\s+(<DIR>|\\d+)\\s+(\\S.*)$"));
    const QRegularExpressionMatch match = dosPattern.match(text);
    if (!match.hasMatch())
        return false;

    const QString name = match.captured(3);
    info->setName(name);
    info->setSymLink(name.toLower().endsWith(QLatin1String(".lnk")));
    if (match.captured(2) == QLatin1String("<DIR>")) {
        info->setFile(false);
        info->setDir(true);
    } else {
        info->setFile(true);
        info->setDir(false);
        info->setSize(match.captured(2).toLongLong());
    }

    int nPermissions = 0666;
    const int nDot = name.lastIndexOf(QLatin1Char('.'));
    if (nDot >= 0) {
        const QString extension = name.mid(nDot + 1);
        if (extension == QLatin1String("exe") || extension == QLatin1String("bat") || extension == QLatin1String("com"))
            nPermissions = 0777;
    }
    info->setPermissions(nPermissions);
    info->setReadable(true);
    info->setWritable(info->isFile());

    // Two-digit years from 70 are 1970 to 1999, below 70 they are 2000 to 2069; four-digit years stand as given.
    const QString dateText = match.captured(1);
    const bool bFullYear = dateText.indexOf(QLatin1Char(' ')) == 10;
    QDateTime dateTime = QLocale::c().toDateTime(dateText, bFullYear ? QStringLiteral("MM-dd-yyyy  hh:mmAP")
                                                                     : QStringLiteral("MM-dd-yy  hh:mmAP"));
    if (!bFullYear && dateTime.date().year() < 1970)
        dateTime = dateTime.addYears(100);
    info->setLastModified(dateTime);
    return true;
}

} // namespace

FtpCoreDTP::FtpCoreDTP(FtpCorePI* pi, QObject* parent) : QObject(parent), m_pPI(pi)
{
    m_listener.setObjectName(QStringLiteral("FtpCoreDTP active state server"));
    connect(&m_listener, SIGNAL(newConnection()), this, SLOT(setupSocket()));
}

FtpCoreDTP::~FtpCoreDTP()
{
    // The socket's last signals must not reach a half-destroyed object.
    if (m_pSocket) {
        m_pSocket->disconnect(this);
        delete m_pSocket;
    }
}

void FtpCoreDTP::setData(QByteArray* data)
{
    m_pBytes = data;
    m_pDevice = nullptr;
    m_bIsByteArray = true;
}

void FtpCoreDTP::setDevice(QIODevice* dev)
{
    m_pDevice = dev;
    m_pBytes = nullptr;
    m_bIsByteArray = false;
    m_bSourceFinished = false;
}

void FtpCoreDTP::clearData()
{
    m_pBytes = nullptr;
    m_pDevice = nullptr;
    m_bIsByteArray = false;
}

void FtpCoreDTP::setBytesTotal(qint64 bytes)
{
    m_nBytesTotal = bytes;
    m_nBytesDone = 0;
    emit dataTransferProgress(0, bytes);
}

void FtpCoreDTP::connectSocket()
{
    connect(m_pSocket, SIGNAL(connected()), this, SLOT(socketConnected()));
    connect(m_pSocket, SIGNAL(readyRead()), this, SLOT(socketReadyRead()));
    connect(m_pSocket, SIGNAL(error(QAbstractSocket::SocketError)), this,
            SLOT(socketError(QAbstractSocket::SocketError)));
    connect(m_pSocket, SIGNAL(disconnected()), this, SLOT(socketConnectionClosed()));
    connect(m_pSocket, SIGNAL(bytesWritten(qint64)), this, SLOT(socketBytesWritten(qint64)));
    connect(m_pSocket, SIGNAL(readyRead()), this, SIGNAL(dataMoved()));
    connect(m_pSocket, SIGNAL(bytesWritten(qint64)), this, SIGNAL(dataMoved()));
}

void FtpCoreDTP::connectToHost(const QString& host, quint16 port)
{
    m_bytesLeftOver.clear();
    if (m_pSocket) {
        m_pSocket->disconnect(this);
        m_pSocket->abort();
        m_pSocket->deleteLater();
    }
    m_pSocket = new QTcpSocket(this);
    m_pSocket->setProperty("_q_networksession", property("_q_networksession"));
    m_pSocket->setObjectName(QStringLiteral("FtpCoreDTP Passive state socket"));
    connectSocket();
    m_pSocket->connectToHost(host, port);
}

int FtpCoreDTP::setupListener(const QHostAddress& address)
{
    m_listener.setProperty("_q_networksession", property("_q_networksession"));
    if (!m_listener.isListening() && !m_listener.listen(address, 0))
        return -1;
    return m_listener.serverPort();
}

void FtpCoreDTP::waitForConnection()
{
    if (m_listener.isListening())
        m_listener.waitForNewConnection();
}

void FtpCoreDTP::setupSocket()
{
    QTcpSocket* pSocket = m_listener.nextPendingConnection();
    if (!pSocket)
        return;
    // Only the server on the control connection may deliver or take the data; anyone else is turned away.
    if (!pSocket->peerAddress().isEqual(m_pPI->peerAddress(), QHostAddress::TolerantConversion)) {
        pSocket->abort();
        pSocket->deleteLater();
        return;
    }
    if (m_pSocket) {
        m_pSocket->disconnect(this);
        m_pSocket->deleteLater();
    }
    m_pSocket = pSocket;
    m_pSocket->setParent(this);
    m_pSocket->setObjectName(QStringLiteral("FtpCoreDTP Active state socket"));
    m_pSocket->setSocketOption(QAbstractSocket::SendBufferSizeSocketOption, kSendBufferBytes);
    connectSocket();
    m_listener.close();
}

QAbstractSocket::SocketState FtpCoreDTP::state() const
{
    return m_pSocket ? m_pSocket->state() : QAbstractSocket::UnconnectedState;
}

qint64 FtpCoreDTP::bytesAvailable() const
{
    if (m_pSocket && m_pSocket->state() == QAbstractSocket::ConnectedState)
        return m_pSocket->bytesAvailable();
    return m_bytesLeftOver.size();
}

qint64 FtpCoreDTP::read(char* data, qint64 maxlen)
{
    qint64 nRead;
    if (m_pSocket && m_pSocket->state() == QAbstractSocket::ConnectedState) {
        nRead = m_pSocket->read(data, maxlen);
        if (nRead < 0)
            return nRead;
    } else {
        nRead = qMin<qint64>(maxlen, m_bytesLeftOver.size());
        memcpy(data, m_bytesLeftOver.constData(), size_t(nRead));
        m_bytesLeftOver.remove(0, int(nRead));
    }
    m_nBytesDone += nRead;
    return nRead;
}

QByteArray FtpCoreDTP::readAll()
{
    QByteArray bytes;
    if (m_pSocket && m_pSocket->state() == QAbstractSocket::ConnectedState) {
        bytes = m_pSocket->readAll();
        m_nBytesDone += bytes.size();
    } else {
        bytes = m_bytesLeftOver;
        m_bytesLeftOver.clear();
    }
    return bytes;
}

void FtpCoreDTP::writeData()
{
    if (!m_pSocket)
        return;
    if (m_bIsByteArray) {
        if (m_pBytes && !m_pBytes->isEmpty())
            m_pSocket->write(*m_pBytes);
        else
            emit dataTransferProgress(0, m_nBytesTotal);
        m_pSocket->close();
        clearData();
        return;
    }
    if (!m_pDevice)
        return;
    m_bCallWriteData = false;
    QByteArray block(int(kBlockSize), '\0');
    const qint64 nRead = m_pDevice->read(block.data(), kBlockSize);
    const bool bSourceEnded =
        m_pDevice->isSequential() ? m_bSourceFinished && m_pDevice->bytesAvailable() == 0 : m_pDevice->atEnd();
    if (nRead > 0) {
        m_pSocket->write(block.constData(), nRead);
    } else if (bSourceEnded) {
        if (m_nBytesDone == 0 && m_pSocket->bytesToWrite() == 0)
            emit dataTransferProgress(0, m_nBytesTotal);
        m_pSocket->close();
        clearData();
    } else if (nRead == -1) {
        // Closing now would hand the server a cut file as if complete.
        failTransfer(tr("Reading the upload failed: %1").arg(m_pDevice->errorString()));
        return;
    }
    m_bCallWriteData = !m_pDevice.isNull();
}

void FtpCoreDTP::dataReadyRead() { writeData(); }

void FtpCoreDTP::dataReadChannelFinished()
{
    m_bSourceFinished = true;
    writeData();
}

void FtpCoreDTP::failTransfer(const QString& text)
{
    m_strError = text;
    abortConnection();
}

void FtpCoreDTP::abortConnection()
{
    m_bCallWriteData = false;
    clearData();
    m_listener.close();
    if (!m_pSocket)
        return;
    // An upload's bytes still queued would reach the server with a regular end, as if the file were whole: the
    // connection is reset instead.
    const linger reset{1, 0};
    if (m_pSocket->socketDescriptor() != -1)
        setsockopt(int(m_pSocket->socketDescriptor()), SOL_SOCKET, SO_LINGER, &reset, sizeof reset);
    m_pSocket->abort();
}

bool FtpCoreDTP::parseDir(const QByteArray& buffer, const QString& userName, UrlInfo* info, bool bUtf8)
{
    if (buffer.isEmpty())
        return false;
    const int nZero = buffer.indexOf('\0');
    const QByteArray bytes = nZero < 0 ? buffer : buffer.left(nZero);
    const QString text = (bUtf8 ? QString::fromUtf8(bytes) : QString::fromLatin1(bytes)).trimmed();
    UrlInfo entry;
    if (!parseUnixLine(text, userName, &entry) && !parseDosLine(text, &entry))
        return false;
    // A caller joins names to its folder: none may name the folder itself, its parent or another folder.
    const QString name = entry.name();
    if (name == QLatin1String(".") || name == QLatin1String("..") || name.contains(QLatin1Char('/')))
        return false;
    *info = entry;
    return true;
}

void FtpCoreDTP::socketConnected()
{
    m_pSocket->setSocketOption(QAbstractSocket::SendBufferSizeSocketOption, kSendBufferBytes);
    m_nBytesDone = 0;
    emit connectState(CsConnected);
}

void FtpCoreDTP::socketReadyRead()
{
    if (!m_pSocket)
        return;
    const QString currentLine = m_pPI->currentCommand();
    if (currentLine.isEmpty()) {
        m_pSocket->close();
        emit connectState(CsClosed);
        return;
    }
    if (m_pPI->abortState() != FtpCorePI::AbortNone) {
        m_pSocket->readAll();
        return;
    }
    if (currentLine.startsWith(QLatin1String("LIST"))) {
        while (m_pSocket->canReadLine()) {
            UrlInfo info;
            const QByteArray line = m_pSocket->readLine();
            if (parseDir(line, QString(), &info, m_pPI->isUtf8()))
                emit listInfo(info);
            else if (line.endsWith("No such file or directory\r\n"))
                m_strError = QString::fromLatin1(line);
        }
        return;
    }
    if (!m_bIsByteArray && m_pDevice) {
        while (m_pSocket->bytesAvailable() > 0) {
            const QByteArray bytes = m_pSocket->read(m_pSocket->bytesAvailable());
            if (bytes.isEmpty())
                return;
            m_nBytesDone += bytes.size();
            if (m_pDevice && m_pDevice->write(bytes) != bytes.size()) {
                failTransfer(tr("Writing the download failed: %1").arg(m_pDevice->errorString()));
                return;
            }
            emit dataTransferProgress(m_nBytesDone, m_nBytesTotal);
        }
        return;
    }
    emit dataTransferProgress(m_nBytesDone + m_pSocket->bytesAvailable(), m_nBytesTotal);
    emit readyRead();
}

void FtpCoreDTP::socketError(QAbstractSocket::SocketError e)
{
    if (e == QAbstractSocket::HostNotFoundError)
        emit connectState(CsHostNotFound);
    else if (e == QAbstractSocket::ConnectionRefusedError)
        emit connectState(CsConnectionRefused);
}

void FtpCoreDTP::socketConnectionClosed()
{
    // Bytes that came with the close still belong to the listing or the download device.
    const QString currentLine = m_pPI->currentCommand();
    if (m_pSocket && m_pSocket->bytesAvailable() > 0 &&
        (currentLine.startsWith(QLatin1String("LIST")) || (!m_bIsByteArray && m_pDevice)))
        socketReadyRead();
    if (!m_bIsByteArray && m_pDevice)
        clearData();
    if (m_pSocket && m_pSocket->isReadable())
        m_bytesLeftOver = m_pSocket->readAll();
    emit connectState(CsClosed);
}

void FtpCoreDTP::socketBytesWritten(qint64 bytes)
{
    m_nBytesDone += bytes;
    emit dataTransferProgress(m_nBytesDone, m_nBytesTotal);
    if (m_bCallWriteData)
        writeData();
}

} // namespace QMRequest
