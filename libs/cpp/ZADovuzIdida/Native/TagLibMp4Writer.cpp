#include "TagLibMp4Writer.h"

#include "TagLibText.h"

#include <QFile>

#include <taglib/mp4file.h>

namespace ZADovuzIdida {

namespace {

// The atom name of an item key: a four-character code, or a text with "@" standing for the copyright sign.
TagLib::String atomName(const QVariant& key)
{
    QByteArray bytes;
    if (key.userType() == QMetaType::QString) {
        bytes = key.toString().toLatin1();
        if (bytes.startsWith('@'))
            bytes[0] = char(0xA9);
    } else {
        const quint32 code = key.toUInt();
        for (int shift = 24; shift >= 0; shift -= 8)
            bytes.append(char((code >> shift) & 0xFF));
    }
    return TagLib::String(bytes.toStdString(), TagLib::String::Latin1);
}

quint16 bigEndian16(const QByteArray& bytes, int offset)
{
    return static_cast<quint16>((quint8(bytes.at(offset)) << 8) | quint8(bytes.at(offset + 1)));
}

bool makeItem(const TagLib::String& name, const MetaItem& item, TagLib::MP4::Item* result)
{
    const QVariant& value = item.value;
    if (value.userType() == QMetaType::QString) {
        *result = TagLib::MP4::Item(TagLib::StringList(toTagLibString(value.toString())));
        return true;
    }
    if (value.userType() == QMetaType::Int) {
        *result = TagLib::MP4::Item(value.toInt());
        return true;
    }
    if (value.userType() != QMetaType::QByteArray)
        return false;
    const QByteArray bytes = value.toByteArray();
    if ((name == "trkn" && bytes.size() == 8) || (name == "disk" && bytes.size() == 6)) {
        *result = TagLib::MP4::Item(int(bigEndian16(bytes, 2)), int(bigEndian16(bytes, 4)));
        return true;
    }
    if (name == "covr") {
        const auto format =
            item.dataType.endsWith(QLatin1String("PNG")) ? TagLib::MP4::CoverArt::PNG : TagLib::MP4::CoverArt::JPEG;
        TagLib::MP4::CoverArtList covers;
        covers.append(TagLib::MP4::CoverArt(format, TagLib::ByteVector(bytes.constData(), uint(bytes.size()))));
        *result = TagLib::MP4::Item(covers);
        return true;
    }
    TagLib::ByteVectorList data;
    data.append(TagLib::ByteVector(bytes.constData(), uint(bytes.size())));
    *result = TagLib::MP4::Item(data);
    return true;
}

} // namespace

bool TagLibMp4Writer::write(const QString& path, const MetaItemList& items)
{
    TagLib::MP4::File file(QFile::encodeName(path).constData(), false);
    if (!file.isValid() || !file.tag())
        return false;
    TagLib::MP4::Tag* tag = file.tag();
    const TagLib::MP4::ItemMap existing = tag->itemMap();
    for (auto it = existing.begin(); it != existing.end(); ++it)
        tag->removeItem(it->first);
    for (const MetaItem& item : items) {
        const TagLib::String name = atomName(item.key);
        TagLib::MP4::Item value;
        if (makeItem(name, item, &value))
            tag->setItem(name, value);
    }
    return file.save();
}

} // namespace ZADovuzIdida
