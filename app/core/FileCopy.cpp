#include "FileCopy.h"

#include "OutputNames.h"

#include <MTools/DurableFiles.h>
#include <afconvert/WorkingFile.h>

#include <QCoreApplication>
#include <QFile>

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

QString FileCopy::copy(const QString& source, const QString& folder, const QString& base, const QString& ext,
                       QString* pReason)
{
    QString partial;
    const auto fail = [&](int error) {
        *pReason = qt_error_string(error);
        if (!partial.isEmpty())
            ::unlink(QFile::encodeName(partial).constData());
        return QString();
    };
    const Descriptor in{::open(QFile::encodeName(source).constData(), O_RDONLY | O_CLOEXEC)};
    struct stat info = {};
    if (in.fd < 0 || ::fstat(in.fd, &info) != 0)
        return fail(errno);
    Descriptor out{::open(QFile::encodeName(folder).constData(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600)};
    int error = out.fd < 0 ? errno : 0;
    // Without unnamed files: a working name of its own beside the copy's.
    if (error == EOPNOTSUPP || error == EISDIR) {
        const QString suffix = QLatin1String(WorkingFile::kSuffix);
        QString working;
        error = OutputNames::giveFreeName(
            OutputNames::freeName(folder, base + ext, suffix), base + ext, suffix,
            [&](const QString& name) {
                out.fd = ::open(QFile::encodeName(name).constData(), O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC, 0600);
                return out.fd < 0 ? errno : 0;
            },
            &working);
        if (error == 0)
            partial = working;
    }
    if (error != 0)
        return fail(error);
    // A drive that keeps no modes refuses the source's; the copy is worth more than its mode.
    ::fchmod(out.fd, info.st_mode & 0777);
    if (!pour(in.fd, out.fd) || ::fdatasync(out.fd) != 0)
        return fail(errno);
    // A name taken meanwhile stays as it is; the copy takes the next free one.
    QString name;
    error = OutputNames::giveFreeName(
        OutputNames::freeName(folder, base, ext), base, ext,
        [&](const QString& to) { return giveName(out.fd, partial, to); }, &name);
    if (error != 0)
        return fail(error);
    if (!MTools::DurableFiles::flushFolder(folder))
        *pReason =
            QCoreApplication::translate("FileCopy", "the copy %1 is kept, but its folder can not be flushed").arg(name);
    return name;
}

int FileCopy::giveName(int fd, const QString& partial, const QString& name)
{
    if (!partial.isEmpty())
        return MTools::DurableFiles::moveNoReplace(partial, name);
    const QByteArray unnamed = "/proc/self/fd/" + QByteArray::number(fd);
    const QByteArray to = QFile::encodeName(name);
    if (::linkat(AT_FDCWD, unnamed.constData(), AT_FDCWD, to.constData(), AT_SYMLINK_FOLLOW) != 0)
        return errno;
    return 0;
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
