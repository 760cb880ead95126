#pragma once
// Text-keyed front end for Blowfish in electronic-codebook mode with blank padding.

#include <QByteArray>
#include <QString>

namespace MCrypt {

class BlowFishCrypt
{
public:
    // Always appends a final block padded with blanks: 8 x (length / 8 + 1) bytes out. An empty key is refused.
    static QByteArray encrypt(const QString& key, const QByteArray& data);
    // Refuses data that is not whole blocks (empty result); the padding blanks stay in the result.
    static QByteArray decrypt(const QString& key, const QByteArray& data);
};

} // namespace MCrypt
