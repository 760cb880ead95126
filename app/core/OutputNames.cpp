#include "OutputNames.h"

#include <MTools/DurableFiles.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <sys/stat.h>

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

QString OutputNames::claimName(const QString& folder, const QString& base, const QString& ext)
{
    QSet<QString> taken;
    for (;;) {
        const QString path = freeName(folder, base, ext, taken);
        QFile file(path);
        if (file.open(QIODevice::WriteOnly | QIODevice::NewOnly) || !exists(path))
            return path;
        taken.insert(path);
    }
}

int OutputNames::giveFreeName(const QString& first, const QString& base, const QString& ext,
                              const std::function<int(const QString&)>& give, QString* pName)
{
    const QString folder = QFileInfo(first).absolutePath();
    QSet<QString> taken;
    QString name = first;
    for (int nTried = 1;; ++nTried) {
        const int error = give(name);
        if (error != EEXIST || nTried == NamesTried) {
            *pName = name;
            return error;
        }
        taken.insert(name);
        name = freeName(folder, base, ext, taken);
    }
}

QString OutputNames::makeFreeFolder(const QString& path)
{
    const QFileInfo info(path);
    if (!makeFolder(info.absolutePath()))
        return QString();
    QString candidate = path;
    for (int n = 2;; ++n) {
        if (::mkdir(QFile::encodeName(candidate).constData(), 0777) == 0) {
            // Its entry reaches the disk before any result is named inside it.
            if (MTools::DurableFiles::flushFolder(info.absolutePath()))
                return candidate;
            QDir().rmdir(candidate);
            return QString();
        }
        if (errno != EEXIST)
            return QString();
        candidate = path + ' ' + QString::number(n);
    }
}

bool OutputNames::makeFolder(const QString& path)
{
    const QString folder = QDir::cleanPath(QDir(path).absolutePath());
    if (QFileInfo(folder).isDir())
        return true;
    const QString parent = QFileInfo(folder).absolutePath();
    if (parent == folder || !makeFolder(parent))
        return false;
    if (::mkdir(QFile::encodeName(folder).constData(), 0777) != 0 && (errno != EEXIST || !QFileInfo(folder).isDir()))
        return false;
    // Its entry reaches the disk before anything is named inside it; also when another thread made it just now.
    return MTools::DurableFiles::flushFolder(parent);
}

void OutputNames::removeEmptyFolders(const QString& path)
{
    const QDir folder(path);
    for (const QString& name : folder.entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden | QDir::NoSymLinks))
        removeEmptyFolders(folder.filePath(name));
    // Refused while anything is left inside.
    QDir().rmdir(path);
}
