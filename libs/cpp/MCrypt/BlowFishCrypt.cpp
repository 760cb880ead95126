#include "BlowFishCrypt.h"

namespace MCrypt {

QByteArray BlowFishCrypt::encrypt(const QString& key, const QByteArray& data)
{
    Q_UNUSED(key)
    return QByteArray(data.size(), '\0');
}

QByteArray BlowFishCrypt::decrypt(const QString& key, const QByteArray& data)
{
    Q_UNUSED(key)
    Q_UNUSED(data)
    return QByteArray();
}

} // namespace MCrypt
