#pragma once
// Turns a key text into bytes: Latin-1 when every character fits, else the key's UTF-8 bytes.

#include <QByteArray>
#include <QString>

namespace MCrypt {

QByteArray keyBytes(const QString& key);

// True (with a diagnostic line naming cipher) when data is empty or not made of whole blocks.
bool refuseBlocks(const char* cipher, const QByteArray& data, int blockBytes);

} // namespace MCrypt
