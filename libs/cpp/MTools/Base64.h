#pragma once
// Standard Base64 text of Unicode strings, byte arrays and Latin-1 strings.

#include <QByteArray>
#include <QString>

namespace MTools {

class Base64
{
public:
    // Base64 of the string's UTF-16 big-endian bytes.
    static QString codeQString(const QString& str);
    static QString decodeQString(const QString& text);
    static QString codeQByteArray(const QByteArray& data);
    // Characters outside the alphabet are skipped.
    static QByteArray decodeQByteArray(const QString& text);
    static QString codeLatin1(const QString& str);
    // The decoded bytes up to the first zero byte, read as Latin-1.
    static QString decodeLatin1(const QString& text);
};

} // namespace MTools
