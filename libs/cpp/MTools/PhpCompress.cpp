#include "PhpCompress.h"

QByteArray phpCompress(const QByteArray& data)
{
    const QByteArray compressed = qCompress(data, 9);
    if (compressed.size() < 5)
        return QByteArray();
    return compressed.mid(4);
}
