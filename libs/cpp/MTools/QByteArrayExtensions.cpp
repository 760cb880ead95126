#include "QByteArrayExtensions.h"

namespace MTools {

QByteArray QByteArrayExtensions::convertFromQString(QString str)
{
    QByteArray result;
    result.reserve(str.size() * 2);
    for (const QChar ch : qAsConst(str)) {
        const ushort unit = ch.unicode();
        result.append(char(unit >> 8));
        result.append(char(unit & 0xFF));
    }
    return result;
}

QString QByteArrayExtensions::convertToQString(const QByteArray& arr)
{
    QString result;
    result.reserve((arr.size() + 1) / 2);
    for (int i = 0; i < arr.size(); i += 2) {
        const ushort high = uchar(arr.at(i));
        const ushort low = i + 1 < arr.size() ? uchar(arr.at(i + 1)) : 0;
        result.append(QChar(ushort(high << 8 | low)));
    }
    return result;
}

QString QByteArrayExtensions::arrToString(const char* bytes, int len)
{
    if (bytes == nullptr || len < 1)
        return QString();
    return QString::fromLatin1(bytes, len);
}

} // namespace MTools
