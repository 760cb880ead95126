#include "Base64.h"

#include "QByteArrayExtensions.h"

namespace MTools {

QString Base64::codeQString(const QString& str)
{
    return QString::fromLatin1(QByteArrayExtensions::convertFromQString(str).toBase64());
}

QString Base64::decodeQString(const QString& text)
{
    return QByteArrayExtensions::convertToQString(QByteArray::fromBase64(text.toLatin1()));
}

QString Base64::codeQByteArray(const QByteArray& data) { return QString::fromLatin1(data.toBase64()); }

QByteArray Base64::decodeQByteArray(const QString& text) { return QByteArray::fromBase64(text.toLatin1()); }

QString Base64::codeLatin1(const QString& str) { return QString::fromLatin1(str.toLatin1().toBase64()); }

QString Base64::decodeLatin1(const QString& text)
{
    const QByteArray bytes = decodeQByteArray(text);
    return QString::fromLatin1(bytes.constData(), int(qstrnlen(bytes.constData(), uint(bytes.size()))));
}

} // namespace MTools
