#include "KeyBytes.h"

#include <QDebug>

#include <algorithm>

namespace MCrypt {

QByteArray keyBytes(const QString& key)
{
    // Characters above 255 have no Latin-1 byte; dropping them would let different keys collide.
    const bool bLatin1 = std::all_of(key.cbegin(), key.cend(), [](QChar c) { return c.unicode() <= 255; });
    return bLatin1 ? key.toLatin1() : key.toUtf8();
}

bool refuseBlocks(const char* cipher, const QByteArray& data, int blockBytes)
{
    if (!data.isEmpty() && data.size() % blockBytes == 0)
        return false;
    qWarning("%s: %d bytes are not a positive multiple of the %d-byte block", cipher, data.size(), blockBytes);
    return true;
}

} // namespace MCrypt
