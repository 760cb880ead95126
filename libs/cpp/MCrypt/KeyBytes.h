#pragma once
// Turns a key text into bytes: one byte per UTF-16 code unit, units above 255 count as 0.

#include <QByteArray>
#include <QString>

namespace MCrypt {

QByteArray keyBytes(const QString& key);

} // namespace MCrypt
