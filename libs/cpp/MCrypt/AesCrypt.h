#pragma once
// Text-keyed front end for Rijndael with 256-bit blocks and key in electronic-codebook mode.

#include <QByteArray>
#include <QString>

namespace MCrypt {

class AesCrypt
{
public:
    // Always appends a final block padded with blanks: 32 x (length / 32 + 1) bytes out.
    static QByteArray encrypt(const QString& key, const QByteArray& data);
    // Refuses data that is not whole blocks (empty result); the padding blanks stay in the result.
    static QByteArray decrypt(const QString& key, const QByteArray& data);
};

} // namespace MCrypt
