#include "TagLibFiles.h"

#include <taglib/aifffile.h>
#include <taglib/flacfile.h>
#include <taglib/id3v2tag.h>
#include <taglib/mpegfile.h>
#include <taglib/wavfile.h>
#include <taglib/xiphcomment.h>

namespace ZADovuzIdida {

TagLib::ID3v2::Tag* id3v2Tag(TagLib::File* file)
{
    if (auto* mpeg = dynamic_cast<TagLib::MPEG::File*>(file))
        return mpeg->hasID3v2Tag() ? mpeg->ID3v2Tag() : nullptr;
    if (auto* wav = dynamic_cast<TagLib::RIFF::WAV::File*>(file))
        return wav->hasID3v2Tag() ? wav->ID3v2Tag() : nullptr;
    if (auto* aiff = dynamic_cast<TagLib::RIFF::AIFF::File*>(file))
        return aiff->hasID3v2Tag() ? aiff->tag() : nullptr;
    return nullptr;
}

TagLib::List<TagLib::FLAC::Picture*> flacPictures(TagLib::File* file)
{
    if (auto* flac = dynamic_cast<TagLib::FLAC::File*>(file))
        return flac->pictureList();
    if (auto* xiph = dynamic_cast<TagLib::Ogg::XiphComment*>(file->tag()))
        return xiph->pictureList();
    return {};
}

} // namespace ZADovuzIdida
