#include "XorCrypt.h"

#include "KeyBytes.h"

namespace MCrypt {

QByteArray XorCrypt::encrypt(const QString& key, const QByteArray& data)
{
    const QByteArray bytes = keyBytes(key);
    QByteArray result = data;
    if (bytes.isEmpty())
        return result;
    for (int i = 0; i < result.size(); ++i)
        result[i] = static_cast<char>(result.at(i) ^ bytes.at(i % bytes.size()));
    return result;
}

QByteArray XorCrypt::decrypt(const QString& key, const QByteArray& data) { return encrypt(key, data); }

} // namespace MCrypt
