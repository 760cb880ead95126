#include "ProductVariant.h"

namespace {

QString& overriddenName()
{
    static QString strName;
    return strName;
}

} // namespace

QString ProductVariant::name()
{
    const QString& strName = overriddenName();
    return strName.isEmpty() ? QStringLiteral("m4a") : strName;
}

void ProductVariant::setName(const QString& strName) { overriddenName() = strName; }

QString ProductVariant::intermediateExtension()
{
    const QString strName = name();
    if (strName == QLatin1String("mp3"))
        return QStringLiteral(".mp3");
    if (strName == QLatin1String("flac"))
        return QStringLiteral(".flac");
    return QStringLiteral(".wav");
}
