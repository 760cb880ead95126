#include <MTools/ToolsCommon.h>

namespace MTools {

QString ToolsCommon::baseName(const QFileInfo& info)
{
    const QString strName = info.fileName();
    const int nDot = strName.lastIndexOf(QLatin1Char('.'));
    return nDot < 0 ? strName : strName.left(nDot);
}

QString ToolsCommon::normalizePath(const QString& strPath)
{
    QString strResult = strPath + QLatin1Char('/');
    strResult.replace(QLatin1String("/./"), QLatin1String("/"));
    strResult.replace(QLatin1String("//"), QLatin1String("/"));
    if (strResult.endsWith(QLatin1Char('/')))
        strResult.chop(1);
    return strResult;
}

} // namespace MTools
