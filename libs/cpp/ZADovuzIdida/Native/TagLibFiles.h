#pragma once
// Format-specific parts of TagLib files that the TagLib readers look at; included only by the TagLib layer.

#include <taglib/flacpicture.h>
#include <taglib/tlist.h>

namespace TagLib {
class File;
namespace ID3v2 {
class Tag;
}
} // namespace TagLib

namespace ZADovuzIdida {

// The ID3v2 tag of an MPEG, WAV or AIFF file; null for other files or when there is none.
TagLib::ID3v2::Tag* id3v2Tag(TagLib::File* file);
// The pictures of a FLAC file or of a file tagged with a Xiph comment; empty for any other file.
TagLib::List<TagLib::FLAC::Picture*> flacPictures(TagLib::File* file);

} // namespace ZADovuzIdida
