#pragma once
// Conversions between Qt strings and raw byte arrays (UTF-16 big-endian pairs, Latin-1 byte fields).

#include <QByteArray>
#include <QString>

namespace MTools {

class QByteArrayExtensions
{
public:
    // Two bytes per UTF-16 code unit, high byte first, no byte-order mark.
    static QByteArray convertFromQString(QString str);
    // One code unit per byte pair, first byte high; an odd last byte becomes a unit with a zero low half.
    static QString convertToQString(const QByteArray& arr);
    // Exactly len Latin-1 characters, zero bytes kept; empty when len < 1.
    static QString arrToString(const char* bytes, int len);
};

} // namespace MTools
