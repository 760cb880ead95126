#pragma once
// Turns the tags of a file that TagLib reads into metadata items, format by format.

#include "../MetaTagsItem.h"

#include <QString>

namespace ZADovuzIdida {

class TagLibTagSource
{
public:
    // The items of the file; *opened says whether TagLib could read the file at all.
    static MetaItemList items(const QString& path, bool* opened);

    // An iTunes-style item for a plain tag name ("TITLE", "TRACKNUMBER" ...); false when the name is not mapped.
    static bool propertyItem(const QString& name, const QString& value, MetaItem* item);
    // A picture item; the data type follows the MIME type or, failing that, the bytes.
    static MetaItem pictureItem(const QByteArray& bytes, const QString& mimeType, const QString& keySpace,
                                const QVariant& key);
};

} // namespace ZADovuzIdida
