#include "FileCopy.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Closes a descriptor when it goes.
struct Descriptor
{
    int fd;
    ~Descriptor()
    {
        if (fd >= 0)
            ::close(fd);
    }
};

} // namespace

bool FileCopy::copy(const QString& source, const QString& target)
{
    const QByteArray to = QFile::encodeName(target);
    const Descriptor in{::open(QFile::encodeName(source).constData(), O_RDONLY | O_CLOEXEC)};
    struct stat info = {};
    if (in.fd < 0 || ::fstat(in.fd, &info) != 0)
        return false;
    const QByteArray folder = QFile::encodeName(QFileInfo(target).absolutePath());
    Descriptor out{::open(folder.constData(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600)};
    QByteArray partial;
    if (out.fd < 0 && (errno == EOPNOTSUPP || errno == EISDIR)) {
        partial = to + ".partial";
        out.fd = ::open(partial.constData(), O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC, 0600);
        if (out.fd < 0)
            partial.clear();
    }
    bool bCopied =
        out.fd >= 0 && pour(in.fd, out.fd) && ::fchmod(out.fd, info.st_mode & 0777) == 0 && ::fdatasync(out.fd) == 0;
    if (bCopied && partial.isEmpty()) {
        const QByteArray unnamed = "/proc/self/fd/" + QByteArray::number(out.fd);
        bCopied = ::linkat(AT_FDCWD, unnamed.constData(), AT_FDCWD, to.constData(), AT_SYMLINK_FOLLOW) == 0;
    } else if (bCopied) {
        bCopied = ::renameat2(AT_FDCWD, partial.constData(), AT_FDCWD, to.constData(), RENAME_NOREPLACE) == 0;
    }
    if (!bCopied && !partial.isEmpty())
        ::unlink(partial.constData());
    return bCopied;
}

bool FileCopy::pour(int in, int out)
{
    char block[1 << 16];
    for (;;) {
        const ssize_t nRead = ::read(in, block, sizeof block);
        if (nRead == 0)
            return true;
        if (nRead < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        for (ssize_t nDone = 0; nDone < nRead;) {
            const ssize_t nWritten = ::write(out, block + nDone, size_t(nRead - nDone));
            if (nWritten > 0)
                nDone += nWritten;
            else if (nWritten == 0 || errno != EINTR)
                return false;
        }
    }
}
