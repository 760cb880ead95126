#include "Xani.h"

#include "PictureLimits.h"

#include <QBuffer>
#include <QHash>
#include <QDebug>
#include <QFile>
#include <QRegularExpression>
#include <QSaveFile>

#include <cctype>

// File layout: "XANI" + total size, "BIND" + picture bytes B, the pictures, "XMLD" + XML bytes X, the XML (Latin-1).
// Each size is lower-case hexadecimal, left-justified and blank-filled to 16 characters.

namespace MGraphX {

namespace {

constexpr int sm_nTagSize = 4;
constexpr int sm_nFieldSize = 16;
constexpr int sm_nBlockHead = sm_nTagSize + sm_nFieldSize;
constexpr int sm_nHeaderSize = 2 * sm_nBlockHead;
const char* const sm_szFileTag = "XANI";
const char* const sm_szPicturesTag = "BIND";
const char* const sm_szXmlTag = "XMLD";

const char* const sm_szAnimationTemplate = "<Xani loop = \"<!LOOP!>\" frameduration=\"<!FRAMEDURATION!>\" "
                                           "framecount=\"<!FRAMECOUNT!>\">\n<!CONTENT!></Xani>";
const char* const sm_szFrameTemplate =
    "<Image index=\"<!INDEX!>\" name=\"<!NAME!>\" format=\"<!FORMAT!>\" duration=\"<!DIRATION!>\" "
    "background=\"<!BACKGROUND!>\">\n  <data start=\"<!START!>\" size=\"<!SIZE!>\">\n</Image>\n";

QByteArray blockHead(const char* tag, qint64 size)
{
    return QByteArray(tag) + QByteArray::number(size, 16).leftJustified(sm_nFieldSize, ' ');
}

// The size in a block head; -1 unless the tag matches and the field is hexadecimal digits and blanks.
qint64 blockSize(const QByteArray& head, const char* tag)
{
    if (head.size() != sm_nBlockHead || !head.startsWith(tag))
        return -1;
    QByteArray digits = head.mid(sm_nTagSize);
    digits.truncate(digits.indexOf('\0') < 0 ? digits.size() : digits.indexOf('\0'));
    digits.replace(' ', QByteArray());
    if (digits.isEmpty() || digits.size() > 15)
        return -1;
    for (char c : digits)
        if (!std::isxdigit(static_cast<unsigned char>(c)))
            return -1;
    return digits.toLongLong(nullptr, 16);
}

// Text safe inside a double-quoted XML attribute.
QString escaped(QString text)
{
    return text.replace('&', QLatin1String("&amp;"))
        .replace('<', QLatin1String("&lt;"))
        .replace('>', QLatin1String("&gt;"))
        .replace('"', QLatin1String("&quot;"))
        .replace('\'', QLatin1String("&apos;"));
}

QString unescaped(QString text)
{
    return text.replace(QLatin1String("&lt;"), QLatin1String("<"))
        .replace(QLatin1String("&gt;"), QLatin1String(">"))
        .replace(QLatin1String("&quot;"), QLatin1String("\""))
        .replace(QLatin1String("&apos;"), QLatin1String("'"))
        .replace(QLatin1String("&amp;"), QLatin1String("&"));
}

QString frameRecord(int index, const XaniImageData& frame, qint64 start, qint64 size)
{
    // The name and format go in escaped, so they cannot contain a marker that a later replacement would change.
    return QString::fromLatin1(sm_szFrameTemplate)
        .replace(QLatin1String("<!INDEX!>"), QString::number(index))
        .replace(QLatin1String("<!FORMAT!>"), escaped(frame.format()))
        .replace(QLatin1String("<!DIRATION!>"), QString::number(frame.duration()))
        .replace(QLatin1String("<!BACKGROUND!>"), QLatin1String(frame.isBackground() ? "true" : "false"))
        .replace(QLatin1String("<!START!>"), QString::number(start))
        .replace(QLatin1String("<!SIZE!>"), QString::number(size))
        .replace(QLatin1String("<!NAME!>"), escaped(frame.name()));
}

// Attribute name -> value of one element's attribute list; the data element is not closed, so no XML parser is used.
QHash<QString, QString> attributes(const QString& list)
{
    static const QRegularExpression attribute(QStringLiteral("(\\w+)\\s*=\\s*\"([^\"]*)\""));
    QHash<QString, QString> values;
    for (auto it = attribute.globalMatch(list); it.hasNext();) {
        const QRegularExpressionMatch match = it.next();
        values.insert(match.captured(1), unescaped(match.captured(2)));
    }
    return values;
}

// The bytes of frame's picture inside the picture block, which starts at file offset 40.
QByteArray storedPicture(const XaniImageData& frame, const QByteArray& pictures)
{
    return QByteArray::fromRawData(pictures.constData() + (frame.start() - sm_nHeaderSize), int(frame.size()));
}

// The frames described by xml, with their pictures from the picture block. No picture is decoded unless every
// record lies inside the block and the announced sizes keep within what one load may decode.
bool readFrames(const QString& xml, const QByteArray& pictures, QVector<XaniImageData>& frames)
{
    static const QRegularExpression record(QStringLiteral(
        "<Image((?:\\s+\\w+\\s*=\\s*\"[^\"]*\")*)\\s*>\\s*<data((?:\\s+\\w+\\s*=\\s*\"[^\"]*\")*)\\s*>"));
    qint64 nPixels = 0;
    for (auto it = record.globalMatch(xml); it.hasNext();) {
        const QRegularExpressionMatch match = it.next();
        const QHash<QString, QString> image = attributes(match.captured(1));
        const QHash<QString, QString> data = attributes(match.captured(2));
        bool startOk = false, sizeOk = false;
        const qint64 start = data.value(QStringLiteral("start")).toLongLong(&startOk) - sm_nHeaderSize;
        const qint64 size = data.value(QStringLiteral("size")).toLongLong(&sizeOk);
        if (!startOk || !sizeOk || start < 0 || size < 0 || start > pictures.size() - size)
            return false;
        XaniImageData frame;
        frame.setName(image.value(QStringLiteral("name")));
        frame.setFormat(image.value(QStringLiteral("format")));
        frame.setDuration(image.value(QStringLiteral("duration")).toInt());
        frame.setBackground(image.value(QStringLiteral("background")) == QLatin1String("true"));
        frame.setStart(start + sm_nHeaderSize);
        frame.setSize(size);
        const qint64 nFramePixels = PictureLimits::announcedPixels(storedPicture(frame, pictures), frame.format());
        if (nFramePixels < 0)
            return false;
        nPixels += nFramePixels;
        if (nFramePixels > PictureLimits::MaxFramePixels || nPixels > PictureLimits::MaxLoadPixels) {
            qWarning() << "Xani: the pictures would decode beyond the limit of one load";
            return false;
        }
        frames.append(frame);
    }
    for (XaniImageData& frame : frames) {
        frame.setImage(QImage::fromData(storedPicture(frame, pictures), frame.format().toLatin1().constData()));
        if (frame.image().isNull())
            return false;
    }
    return true;
}

int attributeNumber(const QString& xml, const QString& name, int fallback)
{
    const QRegularExpression pattern(QStringLiteral("<Xani\\b[^>]*\\b%1\\s*=\\s*\"(-?\\d+)\"").arg(name));
    const QRegularExpressionMatch match = pattern.match(xml);
    return match.hasMatch() ? match.captured(1).toInt() : fallback;
}

} // namespace

bool Xani::save(const QString& path, int quality)
{
    QByteArray pictures;
    QString records;
    for (int i = 0; i < m_frames.size(); ++i) {
        const XaniImageData& frame = m_frames.at(i);
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        if (!frame.image().save(&buffer, frame.format().toLocal8Bit().constData(), quality))
            return false;
        records += frameRecord(i, frame, sm_nHeaderSize + pictures.size(), bytes.size());
        pictures += bytes;
    }
    const QByteArray xml = QString::fromLatin1(sm_szAnimationTemplate)
                               .replace(QLatin1String("<!LOOP!>"), QString::number(m_nLoop))
                               .replace(QLatin1String("<!FRAMEDURATION!>"), QString::number(m_nFrameDuration))
                               .replace(QLatin1String("<!FRAMECOUNT!>"), QString::number(m_frames.size()))
                               .replace(QLatin1String("<!CONTENT!>"), records)
                               .toLatin1();
    const qint64 total = sm_nHeaderSize + pictures.size() + sm_nBlockHead + xml.size();

    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    for (const QByteArray& part : {blockHead(sm_szFileTag, total), blockHead(sm_szPicturesTag, pictures.size()),
                                   pictures, blockHead(sm_szXmlTag, xml.size()), xml})
        if (file.write(part) != part.size()) {
            file.cancelWriting();
            return false;
        }
    return file.commit();
}

bool Xani::load(const QString& path)
{
    m_strFileName = path;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const qint64 fileSize = file.size();
    const QByteArray header = file.read(sm_nHeaderSize);
    const qint64 total = blockSize(header.left(sm_nBlockHead), sm_szFileTag);
    const qint64 pictureBytes = blockSize(header.mid(sm_nBlockHead), sm_szPicturesTag);
    if (total != fileSize || pictureBytes < 0 || pictureBytes > fileSize - sm_nHeaderSize - sm_nBlockHead)
        return false;
    const QByteArray pictures = file.read(pictureBytes);
    const QByteArray xmlHead = file.read(sm_nBlockHead);
    const qint64 xmlBytes = blockSize(xmlHead, sm_szXmlTag);
    if (pictures.size() != pictureBytes || xmlBytes != fileSize - sm_nHeaderSize - pictureBytes - sm_nBlockHead)
        return false;
    qDebug().noquote() << "XXXX:" + QString::fromLatin1(xmlHead.mid(sm_nTagSize));
    qDebug().noquote() << "XXXX:" + QString::number(xmlBytes);
    QByteArray xmlData = file.read(xmlBytes);
    if (xmlData.size() != xmlBytes)
        return false;
    if (xmlData.indexOf('\0') >= 0)
        xmlData.truncate(xmlData.indexOf('\0'));
    const QString xml = QString::fromLatin1(xmlData);
    qDebug().noquote() << "$$$$$$$$$$$$$$" + xml;

    QVector<XaniImageData> frames;
    if (!readFrames(xml, pictures, frames))
        return false;
    m_nLoop = attributeNumber(xml, QStringLiteral("loop"), m_nLoop);
    m_nFrameDuration = attributeNumber(xml, QStringLiteral("frameduration"), m_nFrameDuration);
    m_frames = frames;
    return true;
}

} // namespace MGraphX
