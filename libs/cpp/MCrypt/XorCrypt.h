#pragma once
// Text-keyed front end that combines the data with the key repeated (XOR, its own inverse).

#include <QByteArray>
#include <QString>

namespace MCrypt {

class XorCrypt
{
public:
    // An empty key is refused: empty result and a diagnostic line.
    static QByteArray encrypt(const QString& key, const QByteArray& data);
    static QByteArray decrypt(const QString& key, const QByteArray& data);
};

} // namespace MCrypt
