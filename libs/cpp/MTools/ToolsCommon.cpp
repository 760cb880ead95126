#include <MTools/ToolsCommon.h>

#include <QFile>
#include <QSaveFile>

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

bool ToolsCommon::saveFile(const QString& strFileName, const QByteArray& data)
{
    const QFileInfo info(strFileName);
    if (info.exists() && !info.isFile() && !info.isDir()) {
        QFile file(strFileName);
        return file.open(QIODevice::WriteOnly) && file.write(data) == data.size() && file.flush();
    }
    QSaveFile file(strFileName);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    // commit() does not notice a failed flush of the buffered data, so the flush is checked here.
    if (file.write(data) != data.size() || !file.flush())
        file.cancelWriting();
    return file.commit();
}

} // namespace MTools
