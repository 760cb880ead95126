#pragma once
// Front end reserved for the Blowfish cipher; it does not encipher yet.

#include <QByteArray>
#include <QString>

namespace MCrypt {

class BlowFishCrypt
{
public:
    // Returns as many zero bytes as data has.
    static QByteArray encrypt(const QString& key, const QByteArray& data);
    // Returns an empty array.
    static QByteArray decrypt(const QString& key, const QByteArray& data);
};

} // namespace MCrypt
