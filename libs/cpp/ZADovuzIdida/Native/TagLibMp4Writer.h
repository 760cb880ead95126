#pragma once
// Replaces the iTunes metadata of an MP4 file by a list of items, leaving the media data as it is.

#include "../MetaTagsItem.h"

#include <QString>

namespace ZADovuzIdida {

class TagLibMp4Writer
{
public:
    // Removes every item of the file at path, writes the given items and saves; false on any failure.
    // Text values become text atoms, int values numbers, trkn/disk data count pairs and covr data a picture.
    static bool write(const QString& path, const MetaItemList& items);
};

} // namespace ZADovuzIdida
