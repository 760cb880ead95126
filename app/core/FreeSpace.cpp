#include "FreeSpace.h"

#include <QFile>
#include <QStorageInfo>

#include <sys/statvfs.h>

qint64 FreeSpace::available(const QString& folder)
{
    const QStorageInfo storage(folder);
    if (storage.isValid() && storage.isReady())
        return storage.bytesAvailable();
    return fromFileSystem(folder);
}

qint64 FreeSpace::fromFileSystem(const QString& folder)
{
    struct statvfs info = {};
    if (::statvfs(QFile::encodeName(folder).constData(), &info) != 0)
        return -1;
    return qint64(info.f_bavail) * qint64(info.f_frsize);
}
