#include "TagLibTagSource.h"

#include "TagLibFiles.h"
#include "TagLibText.h"

#include <QFile>
#include <QHash>

#include <taglib/asffile.h>
#include <taglib/attachedpictureframe.h>
#include <taglib/commentsframe.h>
#include <taglib/fileref.h>
#include <taglib/id3v2tag.h>
#include <taglib/mp4file.h>
#include <taglib/textidentificationframe.h>
#include <taglib/tpropertymap.h>

namespace ZADovuzIdida {

using namespace MetaKeys;

namespace {

struct PropertyKey
{
    const char* key;
    const char* commonKey;
};

const QHash<QString, PropertyKey>& propertyKeys()
{
    static const QHash<QString, PropertyKey> keys{
        {"TITLE", {"@nam", CommonTitle}},
        {"ARTIST", {"@ART", CommonArtist}},
        {"ALBUM", {"@alb", CommonAlbumName}},
        {"ALBUMARTIST", {"aART", ""}},
        {"COMPOSER", {"@wrt", CommonCreator}},
        {"GENRE", {"@gen", CommonType}},
        {"DATE", {"@day", CommonCreationDate}},
        {"TRACKNUMBER", {"trkn", ""}},
        {"DISCNUMBER", {"disk", ""}},
        {"COMMENT", {"@cmt", ""}},
        {"COPYRIGHT", {"cprt", CommonCopyrights}},
        {"ENCODING", {"@too", CommonSoftware}},
        {"GROUPING", {"@grp", ""}},
        {"BPM", {"tmpo", ""}},
    };
    return keys;
}

const QHash<QString, QString>& id3CommonKeys()
{
    static const QHash<QString, QString> keys{
        {"TIT2", CommonTitle},        {"TPE1", CommonArtist},       {"TALB", CommonAlbumName}, {"TCOM", CommonCreator},
        {"TCON", CommonType},         {"TCOP", CommonCopyrights},   {"APIC", CommonArtwork},   {"TSSE", CommonSoftware},
        {"TYER", CommonCreationDate}, {"TDRC", CommonCreationDate},
    };
    return keys;
}

const QHash<QString, QString>& mp4CommonKeys()
{
    static const QHash<QString, QString> keys{
        {"@nam", CommonTitle},   {"@ART", CommonArtist},       {"@alb", CommonAlbumName},
        {"covr", CommonArtwork}, {"cprt", CommonCopyrights},   {"@too", CommonSoftware},
        {"@wrt", CommonCreator}, {"@day", CommonCreationDate}, {"@gen", CommonType},
    };
    return keys;
}

bool isPng(const QByteArray& bytes) { return bytes.startsWith("\x89PNG\r\n\x1a\n"); }

MetaItem keyedItem(const QVariant& key, const QString& commonKey, const QString& keySpace)
{
    MetaItem item;
    item.key = key;
    item.commonKey = commonKey;
    item.keySpace = keySpace;
    return item;
}

MetaItem textItem(const QVariant& key, const QString& commonKey, const QString& keySpace, const QString& text)
{
    MetaItem item = keyedItem(key, commonKey, keySpace);
    item.value = text;
    item.stringValue = text;
    item.hasString = true;
    return item;
}

void addId3Items(TagLib::ID3v2::Tag* tag, MetaItemList* items)
{
    for (TagLib::ID3v2::Frame* frame : tag->frameList()) {
        const QString id = QString::fromLatin1(toBytes(frame->frameID()));
        const QString commonKey = id3CommonKeys().value(id);
        if (auto* picture = dynamic_cast<TagLib::ID3v2::AttachedPictureFrame*>(frame)) {
            items->append(TagLibTagSource::pictureItem(toBytes(picture->picture()), toQString(picture->mimeType()),
                                                       KeySpaceID3, id));
            continue;
        }
        // A picture frame TagLib could not parse (encrypted, for one) carries no picture to read.
        if (commonKey == QLatin1String(CommonArtwork))
            continue;
        QString text;
        if (auto* textFrame = dynamic_cast<TagLib::ID3v2::TextIdentificationFrame*>(frame))
            text = toQString(textFrame->fieldList().toString("/"));
        else if (auto* comment = dynamic_cast<TagLib::ID3v2::CommentsFrame*>(frame))
            text = toQString(comment->text());
        else
            text = toQString(frame->toString());
        MetaItem item = textItem(id, commonKey, KeySpaceID3, text);
        if (id == QLatin1String("TCON")) {
            bool numeric = false;
            const uint number = text.toUInt(&numeric);
            if (numeric)
                item.numberValue = number;
        }
        items->append(item);
    }
}

QVariant mp4Key(const TagLib::String& name)
{
    const QByteArray bytes = toBytes(name.data(TagLib::String::Latin1));
    if (bytes.size() != 4)
        return toQString(name);
    return fourCC(bytes.at(0), bytes.at(1), bytes.at(2), bytes.at(3));
}

void addMp4Items(TagLib::MP4::Tag* tag, MetaItemList* items)
{
    static const QStringList numberAtoms{"cpil", "pgap", "pcst", "hdvd", "shwm", "stik", "rtng", "akID",
                                         "tvsn", "tves", "cnID", "sfID", "atID", "geID", "cmID", "plID"};
    const TagLib::MP4::ItemMap map = tag->itemMap();
    for (auto it = map.begin(); it != map.end(); ++it) {
        const QVariant key = mp4Key(it->first);
        QString name = toQString(it->first);
        if (name.startsWith(QChar(0xA9)))
            name[0] = QLatin1Char('@');
        const QString commonKey = mp4CommonKeys().value(name);
        const TagLib::MP4::Item& value = it->second;
        MetaItem item = keyedItem(key, commonKey, KeySpaceiTunes);
        if (name == QLatin1String("trkn") || name == QLatin1String("disk")) {
            const TagLib::MP4::Item::IntPair pair = value.toIntPair();
            QByteArray bytes(name == QLatin1String("trkn") ? 8 : 6, '\0');
            bytes[2] = char((pair.first >> 8) & 0xFF);
            bytes[3] = char(pair.first & 0xFF);
            bytes[4] = char((pair.second >> 8) & 0xFF);
            bytes[5] = char(pair.second & 0xFF);
            item.value = bytes;
            item.dataValue = bytes;
        } else if (name == QLatin1String("covr")) {
            const TagLib::MP4::CoverArtList covers = value.toCoverArtList();
            if (covers.isEmpty())
                continue;
            const TagLib::MP4::CoverArt& cover = covers.front();
            const QString mime = cover.format() == TagLib::MP4::CoverArt::PNG ? "image/png" : QString();
            item = TagLibTagSource::pictureItem(toBytes(cover.data()), mime, KeySpaceiTunes, key);
            item.commonKey = commonKey;
        } else if (name == QLatin1String("tmpo") || numberAtoms.contains(name)) {
            item.value = name == QLatin1String("plID") ? QVariant(value.toLongLong()) : QVariant(value.toInt());
            item.numberValue = item.value;
        } else if (!value.toStringList().isEmpty()) {
            item = textItem(key, commonKey, KeySpaceiTunes, toQString(value.toStringList().toString("/")));
        } else if (!value.toByteVectorList().isEmpty()) {
            item.dataValue = toBytes(value.toByteVectorList().front());
            item.value = item.dataValue;
        }
        items->append(item);
    }
}

void addPropertyItems(const TagLib::PropertyMap& properties, MetaItemList* items)
{
    auto joined = [&](const char* name) {
        const auto it = properties.find(name);
        return it == properties.end() ? QString() : toQString(it->second.toString("/"));
    };
    for (auto it = properties.begin(); it != properties.end(); ++it) {
        const QString name = toQString(it->first);
        QString value = toQString(it->second.toString("/"));
        if (name == QLatin1String("TRACKNUMBER") || name == QLatin1String("DISCNUMBER")) {
            const bool track = name == QLatin1String("TRACKNUMBER");
            QString total = joined(track ? "TRACKTOTAL" : "DISCTOTAL");
            if (total.isEmpty())
                total = joined(track ? "TOTALTRACKS" : "TOTALDISCS");
            if (!value.contains(QLatin1Char('/')) && !total.isEmpty())
                value += QLatin1Char('/') + total;
        }
        MetaItem item;
        if (TagLibTagSource::propertyItem(name, value, &item))
            items->append(item);
    }
}

void addPictureItems(TagLib::File* file, MetaItemList* items)
{
    const TagLib::List<TagLib::FLAC::Picture*> pictures = flacPictures(file);
    if (!pictures.isEmpty()) {
        TagLib::FLAC::Picture* chosen = pictures.front();
        for (TagLib::FLAC::Picture* picture : pictures) {
            if (picture->type() == TagLib::FLAC::Picture::FrontCover) {
                chosen = picture;
                break;
            }
        }
        items->append(TagLibTagSource::pictureItem(toBytes(chosen->data()), toQString(chosen->mimeType()),
                                                   KeySpaceiTunes, QStringLiteral("covr")));
        return;
    }
    if (auto* asf = dynamic_cast<TagLib::ASF::File*>(file)) {
        const TagLib::ASF::AttributeList attributes = asf->tag()->attribute("WM/Picture");
        if (!attributes.isEmpty()) {
            const TagLib::ASF::Picture picture = attributes.front().toPicture();
            if (picture.isValid())
                items->append(TagLibTagSource::pictureItem(toBytes(picture.picture()), toQString(picture.mimeType()),
                                                           KeySpaceiTunes, QStringLiteral("covr")));
        }
    }
}

} // namespace

MetaItemList TagLibTagSource::items(const QString& path, bool* opened)
{
    MetaItemList result;
    TagLib::FileRef ref(QFile::encodeName(path).constData(), false);
    *opened = !ref.isNull() && ref.file()->isValid();
    if (!*opened)
        return result;
    TagLib::File* file = ref.file();
    if (auto* mp4 = dynamic_cast<TagLib::MP4::File*>(file)) {
        if (mp4->hasMP4Tag())
            addMp4Items(mp4->tag(), &result);
    } else if (TagLib::ID3v2::Tag* tag = id3v2Tag(file)) {
        addId3Items(tag, &result);
    } else {
        addPropertyItems(file->properties(), &result);
        addPictureItems(file, &result);
    }
    return result;
}

bool TagLibTagSource::propertyItem(const QString& name, const QString& value, MetaItem* item)
{
    const auto it = propertyKeys().constFind(name.toUpper());
    if (it == propertyKeys().constEnd())
        return false;
    *item = textItem(QString::fromLatin1(it->key), QString::fromLatin1(it->commonKey), KeySpaceiTunes, value);
    return true;
}

MetaItem TagLibTagSource::pictureItem(const QByteArray& bytes, const QString& mimeType, const QString& keySpace,
                                      const QVariant& key)
{
    MetaItem item = keyedItem(key, CommonArtwork, keySpace);
    item.value = bytes;
    item.dataValue = bytes;
    const bool png = mimeType.compare(QLatin1String("image/png"), Qt::CaseInsensitive) == 0 || isPng(bytes);
    item.dataType = png ? DataTypePNG : DataTypeJPEG;
    return item;
}

} // namespace ZADovuzIdida
