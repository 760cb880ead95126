#pragma once
// Text and byte conversion between TagLib and Qt; included only by the TagLib layer's sources.

#include <QByteArray>
#include <QString>

#include <taglib/tstring.h>

namespace ZADovuzIdida {

inline QByteArray toBytes(const TagLib::ByteVector& bytes)
{
    return QByteArray(bytes.data(), static_cast<int>(bytes.size()));
}

inline QString toQString(const TagLib::String& text)
{
    const TagLib::ByteVector utf8 = text.data(TagLib::String::UTF8);
    return QString::fromUtf8(utf8.data(), static_cast<int>(utf8.size()));
}

inline TagLib::String toTagLibString(const QString& text)
{
    return TagLib::String(text.toUtf8().toStdString(), TagLib::String::UTF8);
}

} // namespace ZADovuzIdida
