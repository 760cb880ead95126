#include "FfmpegTagSource.h"

#include "TagLibTagSource.h"

#include <QFile>
#include <QHash>

extern "C" {
#include <libavformat/avformat.h>
#include <libavutil/dict.h>
}

namespace ZADovuzIdida {

namespace {

// FFmpeg's generic tag names mapped to the plain tag names the items are made from.
const QHash<QString, QString>& tagNames()
{
    static const QHash<QString, QString> names{
        {"title", "TITLE"},
        {"artist", "ARTIST"},
        {"album", "ALBUM"},
        {"album_artist", "ALBUMARTIST"},
        {"composer", "COMPOSER"},
        {"genre", "GENRE"},
        {"date", "DATE"},
        {"track", "TRACKNUMBER"},
        {"disc", "DISCNUMBER"},
        {"comment", "COMMENT"},
        {"copyright", "COPYRIGHT"},
        {"encoder", "ENCODING"},
        {"grouping", "GROUPING"},
        {"bpm", "BPM"},
        {"tbpm", "BPM"},
    };
    return names;
}

void addDictionary(const AVDictionary* dictionary, QHash<QString, MetaItem>* byName)
{
    const AVDictionaryEntry* entry = nullptr;
    while ((entry = av_dict_get(dictionary, "", entry, AV_DICT_IGNORE_SUFFIX))) {
        const QString name = tagNames().value(QString::fromUtf8(entry->key).toLower());
        MetaItem item;
        if (!name.isEmpty() && !byName->contains(name) &&
            TagLibTagSource::propertyItem(name, QString::fromUtf8(entry->value), &item))
            byName->insert(name, item);
    }
}

} // namespace

MetaItemList FfmpegTagSource::items(const QString& path)
{
    MetaItemList result;
    AVFormatContext* format = nullptr;
    if (avformat_open_input(&format, QFile::encodeName(path).constData(), nullptr, nullptr) < 0)
        return result;

    QHash<QString, MetaItem> byName;
    addDictionary(format->metadata, &byName);
    const int audio = av_find_best_stream(format, AVMEDIA_TYPE_AUDIO, -1, -1, nullptr, 0);
    if (audio >= 0)
        addDictionary(format->streams[audio]->metadata, &byName);
    for (const char* name : {"TITLE", "ARTIST", "ALBUM", "ALBUMARTIST", "COMPOSER", "GENRE", "DATE", "TRACKNUMBER",
                             "DISCNUMBER", "COMMENT", "COPYRIGHT", "ENCODING", "GROUPING", "BPM"}) {
        if (byName.contains(name))
            result.append(byName.value(name));
    }

    for (unsigned i = 0; i < format->nb_streams; ++i) {
        const AVStream* stream = format->streams[i];
        if (!(stream->disposition & AV_DISPOSITION_ATTACHED_PIC) || stream->attached_pic.size <= 0)
            continue;
        const QByteArray bytes(reinterpret_cast<const char*>(stream->attached_pic.data), stream->attached_pic.size);
        const QString mime = stream->codecpar->codec_id == AV_CODEC_ID_PNG ? "image/png" : "image/jpeg";
        result.append(TagLibTagSource::pictureItem(bytes, mime, MetaKeys::KeySpaceiTunes, QStringLiteral("covr")));
        break;
    }
    avformat_close_input(&format);
    return result;
}

} // namespace ZADovuzIdida
