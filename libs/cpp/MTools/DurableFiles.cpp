#include "DurableFiles.h"

#include <QFile>

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

namespace MTools {

namespace {

bool flush(const QString& path, int flags)
{
    const int fd = ::open(QFile::encodeName(path).constData(), flags | O_CLOEXEC);
    if (fd < 0)
        return false;
    // EINVAL: a file system that keeps nothing to flush for this kind of file.
    const bool bFlushed = ::fsync(fd) == 0 || errno == EINVAL;
    return ::close(fd) == 0 && bFlushed;
}

} // namespace

bool DurableFiles::flushFile(const QString& path) { return flush(path, O_RDONLY); }

bool DurableFiles::flushFolder(const QString& path) { return flush(path, O_RDONLY | O_DIRECTORY); }

int DurableFiles::moveNoReplace(const QString& from, const QString& to)
{
    const QByteArray source = QFile::encodeName(from);
    const QByteArray target = QFile::encodeName(to);
    if (::renameat2(AT_FDCWD, source.constData(), AT_FDCWD, target.constData(), RENAME_NOREPLACE) == 0)
        return 0;
    if (errno != EINVAL && errno != ENOSYS)
        return errno;
    // A file system without that flag: a second link fails when the name is taken.
    if (::link(source.constData(), target.constData()) != 0)
        return errno;
    ::unlink(source.constData());
    return 0;
}

} // namespace MTools
