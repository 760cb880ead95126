#include "XorCrypt.h"

#include "KeyBytes.h"

#include <QDebug>

namespace MCrypt {

QByteArray XorCrypt::encrypt(const QString& key, const QByteArray& data)
{
    const QByteArray bytes = keyBytes(key);
    if (bytes.isEmpty()) {
        qWarning("XorCrypt: an empty key enciphers nothing");
        return QByteArray();
    }
    QByteArray result = data;
    for (int i = 0; i < result.size(); ++i)
        result[i] = static_cast<char>(result.at(i) ^ bytes.at(i % bytes.size()));
    return result;
}

QByteArray XorCrypt::decrypt(const QString& key, const QByteArray& data) { return encrypt(key, data); }

} // namespace MCrypt
