#include "TagLibInfoSource.h"

#include "TagLibFiles.h"
#include "TagLibText.h"

#include <QFile>

#include <taglib/aifffile.h>
#include <taglib/attachedpictureframe.h>
#include <taglib/flacfile.h>
#include <taglib/fileref.h>
#include <taglib/id3v2tag.h>
#include <taglib/mp4file.h>
#include <taglib/tpropertymap.h>
#include <taglib/wavfile.h>

namespace ZADovuzIdida {

namespace {

// Unlike the item reader, this view also takes the ID3v2 tag of a FLAC file.
TagLib::ID3v2::Tag* anyId3v2Tag(TagLib::File* file)
{
    if (auto* flac = dynamic_cast<TagLib::FLAC::File*>(file))
        return flac->hasID3v2Tag() ? flac->ID3v2Tag() : nullptr;
    return id3v2Tag(file);
}

void readInfo(TagLib::File* file, QVariantMap* info)
{
    static const struct
    {
        const char* key;
        const char* property;
    } keys[] = {
        {"album", "ALBUM"},
        {"title", "TITLE"},
        {"artist", "ARTIST"},
        {"tempo", "BPM"},
        {"key signature", "INITIALKEY"},
        {"track number", "TRACKNUMBER"},
        {"year", "DATE"},
        {"composer", "COMPOSER"},
        {"lyricist", "LYRICIST"},
        {"genre", "GENRE"},
        {"comments", "COMMENT"},
        {"copyright", "COPYRIGHT"},
        {"encoding application", "ENCODING"},
        {"source encoder", "ENCODEDBY"},
        {"ISRC", "ISRC"},
        {"subtitle", "SUBTITLE"},
    };
    const TagLib::PropertyMap properties = file->properties();
    for (const auto& entry : keys) {
        const auto it = properties.find(entry.property);
        if (it != properties.end() && !it->second.isEmpty())
            info->insert(entry.key, toQString(it->second.toString("/")));
    }

    const TagLib::AudioProperties* audio = file->audioProperties();
    if (!audio)
        return;
    info->insert("approximate duration in seconds", QString::number(audio->lengthInMilliseconds() / 1000.0, 'f', 3));
    if (audio->bitrate() > 0)
        info->insert("nominal bit rate", QString("%1 kbits/s").arg(audio->bitrate()));
    if (audio->channels() == 1)
        info->insert("channel layout", QStringLiteral("Mono"));
    else if (audio->channels() == 2)
        info->insert("channel layout", QStringLiteral("Stereo"));
    else if (audio->channels() > 2)
        info->insert("channel layout", QString("%1 channels").arg(audio->channels()));

    int bits = 0;
    bool floating = false;
    if (auto* wav = dynamic_cast<TagLib::RIFF::WAV::File*>(file)) {
        bits = wav->audioProperties()->bitsPerSample();
        floating = wav->audioProperties()->format() == 3;
    } else if (auto* aiff = dynamic_cast<TagLib::RIFF::AIFF::File*>(file)) {
        bits = aiff->audioProperties()->bitsPerSample();
    } else if (auto* flac = dynamic_cast<TagLib::FLAC::File*>(file)) {
        bits = flac->audioProperties()->bitsPerSample();
    }
    if (bits > 0)
        info->insert("source bit depth", QString("%1%2").arg(floating ? 'F' : 'I').arg(bits));
}

// The first picture the file carries as album artwork: an MP4 cover, a FLAC or Vorbis picture, an ID3 front cover.
QByteArray albumArtwork(TagLib::File* file, TagLib::ID3v2::Tag* id3)
{
    if (auto* mp4 = dynamic_cast<TagLib::MP4::File*>(file)) {
        if (mp4->hasMP4Tag() && mp4->tag()->contains("covr")) {
            const TagLib::MP4::CoverArtList covers = mp4->tag()->item("covr").toCoverArtList();
            if (!covers.isEmpty())
                return toBytes(covers.front().data());
        }
        return QByteArray();
    }
    const TagLib::List<TagLib::FLAC::Picture*> pictures = flacPictures(file);
    if (!pictures.isEmpty())
        return toBytes(pictures.front()->data());
    if (id3) {
        for (TagLib::ID3v2::Frame* frame : id3->frameList("APIC")) {
            auto* picture = dynamic_cast<TagLib::ID3v2::AttachedPictureFrame*>(frame);
            if (picture && picture->type() == TagLib::ID3v2::AttachedPictureFrame::FrontCover)
                return toBytes(picture->picture());
        }
    }
    return QByteArray();
}

// Frame ID -> { entry (frame position) -> { "data", "MIME", "type", "description" } } for every picture frame.
QVariantMap pictureFrames(TagLib::ID3v2::Tag* id3)
{
    QVariantMap frames;
    QVariantMap entries;
    int index = 0;
    for (TagLib::ID3v2::Frame* frame : id3->frameList("APIC")) {
        // An "APIC" frame TagLib cannot parse (encrypted, for one) is an unknown frame: skipped.
        auto* picture = dynamic_cast<TagLib::ID3v2::AttachedPictureFrame*>(frame);
        if (!picture)
            continue;
        QVariantMap entry;
        entry.insert("data", toBytes(picture->picture()));
        entry.insert("MIME", toQString(picture->mimeType()));
        entry.insert("type", int(picture->type()));
        entry.insert("description", toQString(picture->description()));
        entries.insert(QString("%1").arg(index++, 4, 10, QLatin1Char('0')), entry);
    }
    if (!entries.isEmpty())
        frames.insert("APIC", entries);
    return frames;
}

} // namespace

AudioFileInfo TagLibInfoSource::read(const QString& path)
{
    AudioFileInfo result;
    TagLib::FileRef ref(QFile::encodeName(path).constData(), true);
    if (ref.isNull() || !ref.file()->isValid()) {
        result.openStatus = result.id3Status = result.infoStatus = result.artworkStatus =
            AudioFileInfo::StatusUnsupportedFileType;
        return result;
    }
    TagLib::File* file = ref.file();
    TagLib::ID3v2::Tag* id3 = anyId3v2Tag(file);
    if (id3) {
        result.id3Tag = toBytes(id3->render());
        result.id3Frames = pictureFrames(id3);
    } else {
        result.id3Status = AudioFileInfo::StatusUnsupportedProperty;
    }
    readInfo(file, &result.info);
    result.artwork = albumArtwork(file, id3);
    if (result.artwork.isEmpty())
        result.artworkStatus = AudioFileInfo::StatusUnsupportedProperty;
    return result;
}

} // namespace ZADovuzIdida
