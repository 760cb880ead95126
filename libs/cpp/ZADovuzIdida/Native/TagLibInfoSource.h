#pragma once
// Builds the audio file service's view of a file (info dictionary, artwork, ID3 picture frames) with TagLib.

#include "../NativeMetaTagsInfo.h"

#include <QString>

namespace ZADovuzIdida {

class TagLibInfoSource
{
public:
    static AudioFileInfo read(const QString& path);
};

} // namespace ZADovuzIdida
