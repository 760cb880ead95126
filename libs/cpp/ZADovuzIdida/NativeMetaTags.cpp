#include "NativeMetaTags.h"

#include "Native/FfmpegTagSource.h"
#include "Native/TagLibTagSource.h"

#include <QTextCodec>

#include <climits>
#include <initializer_list>

namespace ZADovuzIdida {

using namespace MetaKeys;

namespace {

bool hasAnyKey(const QStringList& keys, std::initializer_list<const char*> accepted)
{
    for (const char* name : accepted) {
        if (keys.contains(QLatin1String(name)))
            return true;
    }
    return false;
}

bool isText(const QVariant& value) { return value.userType() == QMetaType::QString; }

bool isData(const QVariant& value) { return value.userType() == QMetaType::QByteArray; }

bool isNumber(const QVariant& value)
{
    switch (value.userType()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Double:
    case QMetaType::Bool:
        return true;
    default:
        return false;
    }
}

// A text read as an integer the way a platform number parse does: leading blanks, a sign, digits; else 0.
int leadingInt(const QString& text)
{
    int i = 0;
    while (i < text.size() && text.at(i).isSpace())
        ++i;
    bool negative = false;
    if (i < text.size() && (text.at(i) == QLatin1Char('-') || text.at(i) == QLatin1Char('+')))
        negative = text.at(i++) == QLatin1Char('-');
    qint64 value = 0;
    while (i < text.size() && text.at(i) >= QLatin1Char('0') && text.at(i) <= QLatin1Char('9')) {
        value = qMin<qint64>(value * 10 + (text.at(i).unicode() - '0'), 0x80000000LL);
        ++i;
    }
    value = negative ? -value : value;
    return static_cast<int>(qBound<qint64>(INT_MIN, value, INT_MAX));
}

quint16 bigEndian16(const QByteArray& bytes, int offset)
{
    return static_cast<quint16>((quint8(bytes.at(offset)) << 8) | quint8(bytes.at(offset + 1)));
}

} // namespace

NativeMetaTags::NativeMetaTags(QObject* parent) : MetaTagsBase(parent) {}

bool NativeMetaTags::readFrom(const QString& path)
{
    reset();
    m_strInputFile = path;
    readFromAV(path);
    return true;
}

bool NativeMetaTags::readFromAV(const QString& path)
{
    readFromItems(metadataItems(path));
    return true;
}

MetaItemList NativeMetaTags::metadataItems(const QString& path) const
{
    bool opened = false;
    MetaItemList items = TagLibTagSource::items(path, &opened);
    if (!opened || items.isEmpty())
        items = FfmpegTagSource::items(path);
    return items;
}

void NativeMetaTags::readFromItems(const MetaItemList& items)
{
    for (const MetaItem& item : items)
        readItem(item);
}

void NativeMetaTags::readItem(const MetaItem& item)
{
    const QStringList keys{keyString(item.key), item.commonKey};
    const QString text = item.hasString ? nsToQString(item.stringValue) : QString();

    if (isKeyArtwork(keys))
        readArtwork(item);
    else if (isKeyComposer(keys))
        m_strComposer = text;
    else if (isKeyCopyrights(keys))
        m_strCopyright = text;
    else if (isKeyArtist(keys))
        m_strArtist = text;
    else if (isKeyAlbumName(keys))
        m_strAlbum = text;
    else if (isKeyTitle(keys))
        m_strTitle = text;
    else if (isKeyCreator(keys))
        m_strCreator = text;
    else if (isKeyEncodingApplication(keys))
        m_strEncodingApplication = text;
    else if (isKeyAlbumArtist(keys))
        m_strAlbumArtist = text;
    else if (isKeyComments(keys))
        m_strComments = text;
    else if (isKeyYear(keys))
        m_strYear = text;
    else if (isKeyGrouping(keys))
        m_strGrouping = text;
    else if (isKeyTempo(keys))
        readTempo(item);
    else if (isKeyTrackNumber(keys))
        readCountPair(item, &m_strTrackNumber, 8);
    else if (isKeyDiskNumber(keys))
        readCountPair(item, &m_strDiscNumber, 6);
    else if (isKeyGenre(keys))
        readGenre(item);
}

void NativeMetaTags::readTempo(const MetaItem& item)
{
    if (isText(item.value))
        m_nTempo = leadingInt(item.value.toString());
    else if (isNumber(item.value))
        m_nTempo = static_cast<int>(item.value.toLongLong());
}

void NativeMetaTags::readCountPair(const MetaItem& item, QString* field, int size)
{
    if (isText(item.value)) {
        *field = nsToQString(item.stringValue);
    } else if (isData(item.value)) {
        const QByteArray bytes = item.value.toByteArray();
        if (bytes.size() == size)
            *field = QString("%1/%2").arg(bigEndian16(bytes, 2)).arg(bigEndian16(bytes, 4));
        else
            *field = QStringLiteral("0/0");
    }
}

void NativeMetaTags::readGenre(const MetaItem& item)
{
    if (isText(item.value)) {
        if (item.keySpace == QLatin1String(KeySpaceID3) && item.numberValue.isValid()) {
            const quint32 index = item.numberValue.toUInt();
            if (index < quint32(m_vecGenres.size()))
                m_strGenre = m_vecGenres.at(int(index));
        } else {
            m_strGenre = nsToQString(item.stringValue);
        }
    } else if (isData(item.value) && item.value.toByteArray().size() == 2) {
        const int index = int(bigEndian16(item.value.toByteArray(), 0)) - 1;
        if (index >= 0 && index < m_vecGenres.size())
            m_strGenre = m_vecGenres.at(index);
    }
}

void NativeMetaTags::readArtwork(const MetaItem& item)
{
    QByteArray bytes;
    if (isData(item.value))
        bytes = item.dataValue;
    else if (item.value.userType() == QMetaType::QVariantMap)
        bytes = item.value.toMap().value(QStringLiteral("data")).toByteArray();
    m_strPicType = item.dataType.endsWith(QLatin1String("PNG")) ? QStringLiteral("PNG") : QStringLiteral("JPEG");
    m_imgArtwork =
        byteArrayToImage(bytes, item.keySpace.endsWith(QLatin1String("id3")), m_strInputFile, &m_strArtworkRefusal);
}

QString NativeMetaTags::keyString(const QVariant& key)
{
    if (isText(key))
        return key.toString();
    if (!isNumber(key) || key.userType() == QMetaType::Double || key.userType() == QMetaType::Bool)
        return QStringLiteral("<<unknown>>");
    const quint32 value = static_cast<quint32>(key.toULongLong());
    int count = value >= 0x1000000 ? 4 : value >= 0x10000 ? 3 : value >= 0x100 ? 2 : value >= 1 ? 1 : 0;
    QByteArray bytes;
    for (int i = count - 1; i >= 0; --i) {
        const char byte = static_cast<char>((value >> (8 * i)) & 0xFF);
        if (byte == '\0')
            break;
        bytes.append(byte);
    }
    if (!bytes.isEmpty() && quint8(bytes.at(0)) == 0xA9)
        bytes[0] = '@';
    QTextCodec::ConverterState state;
    const QString text = QTextCodec::codecForName("UTF-8")->toUnicode(bytes.constData(), bytes.size(), &state);
    if (state.invalidChars > 0 || state.remainingChars > 0)
        return QString();
    return text;
}

QString NativeMetaTags::nsToQString(const QString& text) const
{
    if (text.size() < 2 || (text.at(0).unicode() & 0xFF) != 0xFF || (text.at(1).unicode() & 0xFF) != 0xFE)
        return text;
    QByteArray buffer;
    buffer.append(static_cast<char>(text.at(1).unicode() >> 8));
    buffer.append('\0');
    for (int i = 2; i < text.size(); ++i) {
        buffer.append(static_cast<char>(text.at(i).unicode() >> 8));
        buffer.append(static_cast<char>(text.at(i).unicode() & 0xFF));
    }
    QString result;
    result.reserve(buffer.size() / 2);
    for (int i = 0; i + 1 < buffer.size(); i += 2)
        result.append(QChar(static_cast<ushort>(quint8(buffer.at(i)) | (quint8(buffer.at(i + 1)) << 8))));
    return result;
}

bool NativeMetaTags::isKeyArtwork(const QStringList& keys) const { return hasAnyKey(keys, {CommonArtwork}); }

bool NativeMetaTags::isKeyComposer(const QStringList& keys) const
{
    return hasAnyKey(keys, {iTunesComposer, CommonCreator, QuickTimeDirector, "@wrt"});
}

bool NativeMetaTags::isKeyCopyrights(const QStringList& keys) const { return hasAnyKey(keys, {"copyrights"}); }

bool NativeMetaTags::isKeyArtist(const QStringList& keys) const
{
    return hasAnyKey(keys, {CommonArtist, QuickTimeProducer});
}

bool NativeMetaTags::isKeyAlbumName(const QStringList& keys) const { return hasAnyKey(keys, {CommonAlbumName}); }

bool NativeMetaTags::isKeyTitle(const QStringList& keys) const { return hasAnyKey(keys, {CommonTitle}); }

bool NativeMetaTags::isKeyCreator(const QStringList& keys) const { return hasAnyKey(keys, {CommonCreator}); }

bool NativeMetaTags::isKeyEncodingApplication(const QStringList& keys) const
{
    return hasAnyKey(keys, {QuickTimeEncodedBy, iTunesEncodingTool, ID3EncodedWith, "software"});
}

bool NativeMetaTags::isKeyAlbumArtist(const QStringList& keys) const
{
    return hasAnyKey(keys, {ID3Band, iTunesAlbumArtist, ID3EncodedWith, "TP2", "aArt"});
}

bool NativeMetaTags::isKeyComments(const QStringList& keys) const
{
    return hasAnyKey(keys, {ID3Comments, iTunesUserComment, CommonDescription, "ldes", "COM"});
}

bool NativeMetaTags::isKeyYear(const QStringList& keys) const
{
    return hasAnyKey(keys, {CommonCreationDate, ID3Year, QuickTimeYear, ID3RecordingTime, "TYE", "@day"});
}

bool NativeMetaTags::isKeyGrouping(const QStringList& keys) const
{
    return hasAnyKey(keys, {iTunesGrouping, CommonSubject, "@grp"});
}

bool NativeMetaTags::isKeyTempo(const QStringList& keys) const
{
    return hasAnyKey(keys, {iTunesBeatsPerMin, ID3BeatsPerMinute, "TBP"});
}

bool NativeMetaTags::isKeyTrackNumber(const QStringList& keys) const
{
    return hasAnyKey(keys, {iTunesTrackNumber, ID3TrackNumber, "TRK"});
}

bool NativeMetaTags::isKeyDiskNumber(const QStringList& keys) const
{
    return hasAnyKey(keys, {iTunesDiscNumber, ID3PartOfASet, "TPA"});
}

bool NativeMetaTags::isKeyGenre(const QStringList& keys) const
{
    return hasAnyKey(keys, {QuickTimeGenre, iTunesUserGenre, CommonType});
}

} // namespace ZADovuzIdida
