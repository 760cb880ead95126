#include <ZADovuzIdida/_VozIdavi/Common/EBUInfo.h>
#include <ZADovuzIdida/_VozIdavi/Common/FileUtil.h>
#include <ZADovuzIdida/_VozIdavi/Common/ProductionParameters.h>

#include <MTools/QByteArrayExtensions.h>
#include <MTools/SysInfo.h>

#include <QCoreApplication>
#include <QDate>
#include <QDebug>

#include <algorithm>
#include <cstring>
#include <ctime>

namespace ZADovuzIdida {

namespace {

// The build text of this library, which is built with the rest of the program.
QString buildText() { return MTools::SysInfo::buildText(__DATE__); }

bool writeField(const QString& text, int width, FILE* file)
{
    QByteArray bytes = text.toLatin1().left(width);
    bytes.append(QByteArray(width - bytes.size(), '\0'));
    return fwrite(bytes.constData(), 1, width, file) == size_t(width);
}

QString fieldAt(const char* bytes, int offset, int width)
{
    return MTools::QByteArrayExtensions::arrToString(bytes + offset, width);
}

} // namespace

EBUInfo::EBUInfo()
    : m_strDescription(256, QChar(0)), m_strOriginator(32, QChar(0)), m_strOriginationRef(32, QChar(0)),
      m_strOriginationDate(QStringLiteral("0000-00-00")), m_strOriginationTime(QStringLiteral("00:00:00"))
{
    std::memset(m_achUmid, 0, sizeof(m_achUmid));
    std::memset(m_achReserved, 0, sizeof(m_achReserved));
}

EBUInfo::EBUInfo(long long timeReference, float fps) : EBUInfo()
{
    setTimeReference(timeReference);
    m_fFps = fps;
    setDescription(QStringLiteral("sSPEED=") + QString::asprintf("%g", double(fps)));
}

EBUInfo::EBUInfo(const EBUInfo& other) { copyFrom(other); }

EBUInfo& EBUInfo::operator=(const EBUInfo& other)
{
    if (this != &other)
        copyFrom(other);
    return *this;
}

void EBUInfo::copyFrom(const EBUInfo& other)
{
    m_strDescription = other.m_strDescription;
    m_strOriginator = other.m_strOriginator;
    m_strOriginationRef = other.m_strOriginationRef;
    m_strOriginationDate = other.m_strOriginationDate;
    m_strOriginationTime = other.m_strOriginationTime;
    m_nTimeReferenceLow = other.m_nTimeReferenceLow;
    m_nTimeReferenceHigh = other.m_nTimeReferenceHigh;
    m_nVersion = other.m_nVersion;
    std::memcpy(m_achUmid, other.m_achUmid, sizeof(m_achUmid));
    std::memcpy(m_achReserved, other.m_achReserved, sizeof(m_achReserved));
    m_strCodingHistory = other.m_strCodingHistory;
    m_fFps = other.m_fFps;
}

QString EBUInfo::fixedWidth(const QString& text, int width)
{
    if (text.size() >= width)
        return text;
    return text + QString(width - text.size(), QChar(0));
}

void EBUInfo::setTimeReference(const long long& value)
{
    const unsigned long long bits = static_cast<unsigned long long>(value);
    m_nTimeReferenceLow = static_cast<unsigned>(bits & 0xFFFFFFFFu);
    m_nTimeReferenceHigh = static_cast<unsigned>(bits >> 32);
}

long long EBUInfo::timeReference() const
{
    return static_cast<long long>((static_cast<unsigned long long>(m_nTimeReferenceHigh) << 32) | m_nTimeReferenceLow);
}

void EBUInfo::setUMID(int i, char c)
{
    if (i >= 0 && i < 64)
        m_achUmid[i] = c;
}

char EBUInfo::umid(int i) const { return (i >= 0 && i < 64) ? m_achUmid[i] : 0; }

int EBUInfo::size() const { return FixedSize + m_strCodingHistory.size(); }

QString EBUInfo::umidsString() const
{
    QString text;
    for (int line = 0; line < 8; ++line) {
        const unsigned char* p = reinterpret_cast<const unsigned char*>(m_achUmid) + 8 * line;
        text += QString::asprintf("%02x %02x %02x %02x %02x %02x %02x %02x\n", p[0], p[1], p[2], p[3], p[4], p[5], p[6],
                                  p[7]);
    }
    return text;
}

QString EBUInfo::searchForTemplates(QStringList& keys) const
{
    Q_UNUSED(keys);
    return QString();
}

QString EBUInfo::scene() const
{
    QStringList keys{QStringLiteral("SCENE=")};
    return searchForTemplates(keys);
}

QString EBUInfo::take() const
{
    QStringList keys{QStringLiteral("TAKE=")};
    return searchForTemplates(keys);
}

QString EBUInfo::userBits() const
{
    QStringList keys{QStringLiteral("UBITS=$"), QStringLiteral("gUBITS=")};
    return searchForTemplates(keys);
}

bool EBUInfo::save(FILE* file) const
{
    if (!file)
        return false;
    const QByteArray history = m_strCodingHistory.toLatin1();
    if (!(fwrite("bext", 1, 4, file) == 4 && FileUtil::writeL(unsigned(FixedSize + history.size()), file, false) &&
          writeField(m_strDescription, 256, file) && writeField(m_strOriginator, 32, file) &&
          writeField(m_strOriginationRef, 32, file) && writeField(m_strOriginationDate, 10, file) &&
          writeField(m_strOriginationTime, 8, file) && FileUtil::writeL(m_nTimeReferenceLow, file, false) &&
          FileUtil::writeL(m_nTimeReferenceHigh, file, false) &&
          FileUtil::writeS(static_cast<unsigned short>(m_nVersion & 0xFFFF), file, false) &&
          fwrite(m_achUmid, 1, 64, file) == 64 && fwrite(m_achReserved, 1, 190, file) == 190))
        return false;
    if (history.isEmpty())
        return true;
    if (fwrite(history.constData(), 1, history.size(), file) != size_t(history.size()))
        return false;
    return history.size() % 2 == 0 || FileUtil::writeB(0, file) == 1;
}

bool EBUInfo::save(const char* path) const
{
    FILE* file = fopen(path, "wb");
    if (!file) {
        qDebug() << "EBUInfo::save: file create error";
        return false;
    }
    const bool bSaved = save(file);
    return (fclose(file) == 0) && bSaved;
}

bool EBUInfo::load(const char* path)
{
    FILE* file = fopen(path, "rb");
    if (!file) {
        qDebug() << "EBUInfo::load: file open error";
        return false;
    }
    char id[4];
    if (fread(id, 1, 4, file) == 4 && std::memcmp(id, "bext", 4) == 0) {
        const unsigned ckSize = FileUtil::readL(file, false);
        setChunkSize(int(std::min<unsigned>(ckSize, 0x7FFFFFFF)));
    } else {
        rewind(file);
    }
    const bool bRead = initFromHeader(file);
    fclose(file);
    return bRead;
}

bool EBUInfo::initFromHeader(FILE* file)
{
    if (!file)
        return false;
    char fixed[FixedSize] = {};
    const size_t wanted = (m_nChunkSize > 0) ? size_t(std::min(m_nChunkSize, FixedSize)) : size_t(FixedSize);
    bool bComplete = fread(fixed, 1, wanted, file) == wanted;

    m_strDescription = fieldAt(fixed, 0, 256);
    m_strOriginator = fieldAt(fixed, 256, 32);
    m_strOriginationRef = fieldAt(fixed, 288, 32);
    m_strOriginationDate = fieldAt(fixed, 320, 10);
    m_strOriginationTime = fieldAt(fixed, 330, 8);
    const unsigned char* p = reinterpret_cast<const unsigned char*>(fixed);
    m_nTimeReferenceLow = p[338] | (p[339] << 8) | (p[340] << 16) | (unsigned(p[341]) << 24);
    m_nTimeReferenceHigh = p[342] | (p[343] << 8) | (p[344] << 16) | (unsigned(p[345]) << 24);
    m_nVersion = p[346] | (p[347] << 8);
    std::memcpy(m_achUmid, fixed + 348, 64);
    std::memcpy(m_achReserved, fixed + 412, 190);

    if (bComplete && m_nChunkSize > FixedSize) {
        // Read in pieces so that a false chunk size cannot ask for more memory than the file holds.
        QByteArray history;
        qint64 remaining = qint64(m_nChunkSize) - FixedSize;
        char piece[65536];
        while (remaining > 0) {
            const size_t want = size_t(std::min<qint64>(remaining, sizeof(piece)));
            const size_t got = fread(piece, 1, want, file);
            history.append(piece, int(got));
            remaining -= qint64(got);
            if (got < want) {
                bComplete = false;
                break;
            }
        }
        m_strCodingHistory = QString::fromLatin1(history);
    }
    return bComplete;
}

void EBUInfo::fill(const QString& fileName, int sampleRate, int bitsPerSample, int channels)
{
    setOriginator(QStringLiteral("ZEMBREL"));
    setOriginationRef(QCoreApplication::applicationName() + QStringLiteral(":"));
    setVersion(1);
    const QDate today = QDate::currentDate();
    setOriginationDate(QString::asprintf("%04d-%02d-%02d", today.year(), today.month(), today.day()));
    const time_t now = time(nullptr);
    struct tm local = {};
    localtime_r(&now, &local);
    setOriginationTime(QString::asprintf("%02d:%02d:%02d", local.tm_hour, local.tm_min, local.tm_sec));
    fillDescription(fileName);
    updateHistory(sampleRate, bitsPerSample, channels);
}

void EBUInfo::fillDescription(const QString& fileName)
{
    Q_UNUSED(fileName);
    QString text = QStringLiteral("sUBITS=$");
    const QString bits = userBits();
    if (!bits.isEmpty()) {
        text += bits;
    } else {
        const QDate today = QDate::currentDate();
        text += QString::asprintf("%02d%02d%04d", today.day(), today.month(), today.year());
    }
    const float fps = (static_cast<int>(m_fFps) == 0) ? Production::fps() : m_fFps;
    text += QStringLiteral("\r\nsSPEED=") + QString::asprintf("%6.3f", double(fps)).left(6) + QStringLiteral("-ND");
    if (!take().isEmpty())
        text += QStringLiteral("\r\nsTAKE=") + take();
    if (!scene().isEmpty())
        text += QStringLiteral("\r\nsSCENE=") + scene();
    text += QStringLiteral("\r\nsSWVER=") + QCoreApplication::applicationVersion() + QStringLiteral(".") + buildText();
    text += QStringLiteral("\r\n") + replaceSpacesWith(QStringLiteral("sFILENAME="), '_');
    text +=
        QStringLiteral("\r\n") + replaceSpacesWith(QStringLiteral("sPROJECTNAME=") + Production::projectName(), '_');
    text += QStringLiteral("\r\nsTRK=\r\nsNOTE=\r\n");
    setDescription(text);
}

void EBUInfo::updateHistory(int sampleRate, int bitsPerSample, int channels)
{
    QString mode;
    if (channels == 1)
        mode = QStringLiteral("mono");
    else if (channels == 2)
        mode = QStringLiteral("stereo");
    else
        mode = QString::number(channels) + QStringLiteral("CH");
    m_strCodingHistory += QStringLiteral("A=PCM,F=%1,W=%2,M=%3,T=\r\n").arg(sampleRate).arg(bitsPerSample).arg(mode);
}

QString EBUInfo::replaceSpacesWith(const QString& text, char c)
{
    QString result = text;
    result.replace(QLatin1Char(' '), QLatin1Char(c));
    return result;
}

void EBUInfo::dump() const
{
    qDebug() << "----- EBU Info Begin ------";
    qDebug() << "Description = " << m_strDescription;
    qDebug() << "Originator = " << m_strOriginator;
    qDebug() << "OriginationRef = " << m_strOriginationRef;
    qDebug() << "OriginationDate = " << m_strOriginationDate;
    qDebug() << "OriginationTime = " << m_strOriginationTime;
    qDebug() << "TimeReferenceLow = " << m_nTimeReferenceLow;
    qDebug() << "TimeReferenceHigh = " << m_nTimeReferenceHigh;
    qDebug() << "Version = " << m_nVersion;
    qDebug() << "UMIDS = " << umidsString();
    qDebug() << "CodingHistory = " << m_strCodingHistory;
    qDebug() << "Size = " << size();
    qDebug() << "Fps = " << m_fFps;
    qDebug() << "Scene = " << scene();
    qDebug() << "Take = " << take();
    qDebug() << "UserBits = " << userBits();
    qDebug() << "----- EBU Info End ------";
}

} // namespace ZADovuzIdida
