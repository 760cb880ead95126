#include "OutputNames.h"

#include <QDir>
#include <QFileInfo>

namespace {

bool exists(const QString& path) { return QFileInfo::exists(path) || QFileInfo(path).isSymLink(); }

} // namespace

QString OutputNames::freeName(const QString& folder, const QString& base, const QString& ext,
                              const QSet<QString>& taken)
{
    const QString prefix = folder.endsWith('/') ? folder : folder + '/';
    QString path = prefix + base + ext;
    for (int n = 2; exists(path) || taken.contains(path); ++n)
        path = prefix + base + ' ' + QString::number(n) + ext;
    return path;
}

QString OutputNames::freeFolder(const QString& path)
{
    QString candidate = path;
    for (int n = 2; exists(candidate); ++n)
        candidate = path + ' ' + QString::number(n);
    return candidate;
}

bool OutputNames::makeFolder(const QString& path) { return QDir().mkpath(path) && QFileInfo(path).isDir(); }

void OutputNames::removeEmptyFolders(const QString& path)
{
    const QDir folder(path);
    for (const QString& name : folder.entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden | QDir::NoSymLinks))
        removeEmptyFolders(folder.filePath(name));
    // Refused while anything is left inside.
    QDir().rmdir(path);
}
