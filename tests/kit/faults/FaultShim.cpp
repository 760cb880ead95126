// Preloaded into encoder tools by TestKit::InjectedFault: fails the system call that TRELVANIC_FAULT names, in
// processes named afconvert only.
#include <cerrno>
#include <csignal>
#include <cstdarg>
#include <cstdlib>
#include <cstring>

#include <dlfcn.h>
#include <fcntl.h>
#include <sys/stat.h>

namespace {

bool injected(const char* fault)
{
    const char* chosen = std::getenv("TRELVANIC_FAULT");
    return chosen && std::strcmp(chosen, fault) == 0 && std::strcmp(program_invocation_short_name, "afconvert") == 0;
}

template <typename Function> Function next(const char* name)
{
    return reinterpret_cast<Function>(dlsym(RTLD_NEXT, name));
}

} // namespace

// "fsync-folder": flushing a folder fails with EIO; "fsync-file": flushing a regular file does.
extern "C" int fsync(int fd)
{
    struct stat info;
    if (fstat(fd, &info) == 0 &&
        ((S_ISDIR(info.st_mode) && injected("fsync-folder")) || (S_ISREG(info.st_mode) && injected("fsync-file")))) {
        errno = EIO;
        return -1;
    }
    return next<int (*)(int)>("fsync")(fd);
}

// "rename": every rename fails with EIO.
extern "C" int rename(const char* from, const char* to)
{
    if (injected("rename")) {
        errno = EIO;
        return -1;
    }
    return next<int (*)(const char*, const char*)>("rename")(from, to);
}

// "term-on-create": the process is sent SIGTERM as soon as it has made a file that was not there.
extern "C" int open(const char* path, int flags, ...)
{
    mode_t mode = 0;
    if (flags & (O_CREAT | O_TMPFILE)) {
        va_list args;
        va_start(args, flags);
        mode = mode_t(va_arg(args, int));
        va_end(args);
    }
    const int fd = next<int (*)(const char*, int, ...)>("open")(path, flags, mode);
    if (fd >= 0 && (flags & O_EXCL) && injected("term-on-create"))
        raise(SIGTERM);
    return fd;
}
