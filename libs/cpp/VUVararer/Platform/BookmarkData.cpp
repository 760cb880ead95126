#include "BookmarkData.h"

#include <QFileInfo>

namespace VUVararer {

QByteArray BookmarkData::create(const QUrl& url)
{
    if (!url.isLocalFile())
        return QByteArray();
    const QString strPath = url.toLocalFile();
    if (!QFileInfo::exists(strPath))
        return QByteArray();
    return strPath.toUtf8();
}

QUrl BookmarkData::resolve(const QByteArray& data)
{
    if (data.isEmpty())
        return QUrl();
    const QString strPath = QString::fromUtf8(data);
    if (!QFileInfo::exists(strPath))
        return QUrl();
    return QUrl::fromLocalFile(strPath);
}

bool BookmarkData::startAccessing(const QUrl&) { return true; }

void BookmarkData::stopAccessing(const QUrl&) {}

} // namespace VUVararer
