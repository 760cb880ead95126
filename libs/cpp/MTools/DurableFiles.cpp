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

// A file system that does not offer the call, or the flag asked for.
bool isRefused(int error) { return error == EINVAL || error == ENOSYS || error == EOPNOTSUPP; }

} // namespace

bool DurableFiles::flushFile(const QString& path) { return flush(path, O_RDONLY); }

bool DurableFiles::flushFolder(const QString& path) { return flush(path, O_RDONLY | O_DIRECTORY); }

int DurableFiles::moveNoReplace(const QString& from, const QString& to)
{
    const QByteArray source = QFile::encodeName(from);
    const QByteArray target = QFile::encodeName(to);
    if (::renameat2(AT_FDCWD, source.constData(), AT_FDCWD, target.constData(), RENAME_NOREPLACE) == 0)
        return 0;
    if (!isRefused(errno))
        return errno;
    // Without that flag: a second link fails when the name is taken.
    if (::link(source.constData(), target.constData()) == 0) {
        ::unlink(source.constData());
        return 0;
    }
    if (!isRefused(errno) && errno != EPERM)
        return errno;
    // Without links either: the name is taken by a new empty file, then replaced by the file moved.
    const int claim = ::open(target.constData(), O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC, 0600);
    if (claim < 0)
        return errno;
    ::close(claim);
    if (::rename(source.constData(), target.constData()) == 0)
        return 0;
    // The claim is ours: a file system that will not rename onto it does not offer this move at all.
    const int error = errno == EEXIST ? EOPNOTSUPP : errno;
    ::unlink(target.constData());
    return error;
}

} // namespace MTools
