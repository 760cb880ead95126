#include "KeyBytes.h"

namespace MCrypt {

QByteArray keyBytes(const QString& key)
{
    QByteArray bytes(key.size(), '\0');
    for (int i = 0; i < key.size(); ++i) {
        const ushort unit = key.at(i).unicode();
        bytes[i] = static_cast<char>(unit > 255 ? 0 : unit);
    }
    return bytes;
}

} // namespace MCrypt
