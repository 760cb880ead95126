#pragma once
// Metadata items of containers TagLib cannot read (Matroska, WebM, other video), taken from libavformat.

#include "../MetaTagsItem.h"

#include <QString>

namespace ZADovuzIdida {

class FfmpegTagSource
{
public:
    // The container's tags (and the audio stream's, where the container has none) and its attached picture.
    static MetaItemList items(const QString& path);
};

} // namespace ZADovuzIdida
