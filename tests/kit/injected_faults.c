// Preloaded by the kit (InjectedFaults.h): the faults TESTKIT_FAULTS lists ("name=number,name=number") strike on files
// under the folder TESTKIT_FAULTS_UNDER, or on every file without it. With TESTKIT_FAULTS_PROGRAM they strike in the
// processes of that name and pass on to children; without it in this process only, and its children run unchanged.
#define _GNU_SOURCE
#include <dlfcn.h>
#include <errno.h>
#include <fcntl.h>
#include <signal.h>
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

static char g_faults[512];
static char g_folder[4096];

__attribute__((constructor)) static void readFaults(void)
{
    const char* faults = getenv("TESTKIT_FAULTS");
    const char* folder = getenv("TESTKIT_FAULTS_UNDER");
    const char* program = getenv("TESTKIT_FAULTS_PROGRAM");
    if (faults && (!program || strcmp(program, program_invocation_short_name) == 0)) {
        snprintf(g_faults, sizeof g_faults, ",%s", faults);
        snprintf(g_folder, sizeof g_folder, "%s", folder ? folder : "");
        for (size_t n = strlen(g_folder); n > 0 && g_folder[n - 1] == '/'; --n)
            g_folder[n - 1] = '\0';
    }
    if (!program) {
        unsetenv("TESTKIT_FAULTS");
        unsetenv("TESTKIT_FAULTS_UNDER");
        unsetenv("LD_PRELOAD");
    }
}

// The number the fault is listed with, 0 when it is not.
static int fault(const char* name)
{
    char key[64];
    snprintf(key, sizeof key, ",%s=", name);
    const char* found = strstr(g_faults, key);
    return found ? atoi(found + strlen(key)) : 0;
}

static int isUnder(const char* path)
{
    const size_t length = strlen(g_folder);
    return strncmp(path, g_folder, length) == 0 && (path[length] == '\0' || path[length] == '/');
}

static int isOpenUnder(int fd)
{
    if (!g_folder[0])
        return 1;
    char link[64];
    char path[4096];
    snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
    const ssize_t n = readlink(link, path, sizeof path - 1);
    if (n < 0)
        return 0;
    path[n] = '\0';
    return isUnder(path);
}

static int isAtUnder(int dirFd, const char* path)
{
    return path[0] == '/' || dirFd == AT_FDCWD ? isUnder(path) : isOpenUnder(dirFd);
}

// "fsync-folder" and "fsync-file": the errno flushing a folder or a regular file fails with.
static int flushFault(int fd)
{
    struct stat info;
    if (fstat(fd, &info) != 0)
        return 0;
    return S_ISDIR(info.st_mode) ? fault("fsync-folder") : S_ISREG(info.st_mode) ? fault("fsync-file") : 0;
}

// The call fails with the errno that error gives, where it is not 0 and the call is on a file under the folder.
#define REFUSABLE(call, error, parameters, arguments, where)                                                           \
    int call parameters                                                                                                \
    {                                                                                                                  \
        static int(*real) parameters;                                                                                  \
        const int refused = (error);                                                                                   \
        if (refused != 0 && (where)) {                                                                                 \
            errno = refused;                                                                                           \
            return -1;                                                                                                 \
        }                                                                                                              \
        if (!real)                                                                                                     \
            *(void**)&real = dlsym(RTLD_NEXT, #call);                                                                  \
        return real arguments;                                                                                         \
    }

REFUSABLE(chmod, fault("chmod"), (const char* path, mode_t mode), (path, mode), isUnder(path))
REFUSABLE(fchmod, fault("fchmod"), (int fd, mode_t mode), (fd, mode), isOpenUnder(fd))
REFUSABLE(fchmodat, fault("fchmodat"), (int dirFd, const char* path, mode_t mode, int flags),
          (dirFd, path, mode, flags), isAtUnder(dirFd, path))
REFUSABLE(rename, fault("rename"), (const char* from, const char* to), (from, to), isUnder(to))
REFUSABLE(renameat2, fault("renameat2"), (int fromDir, const char* from, int toDir, const char* to, unsigned int flags),
          (fromDir, from, toDir, to, flags), isAtUnder(toDir, to))
REFUSABLE(link, fault("link"), (const char* from, const char* to), (from, to), isUnder(to))
REFUSABLE(linkat, fault("linkat"), (int fromDir, const char* from, int toDir, const char* to, int flags),
          (fromDir, from, toDir, to, flags), isAtUnder(toDir, to))
REFUSABLE(fsync, flushFault(fd), (int fd), (fd), isOpenUnder(fd))

// "raise-on-create": the signal the process raises as soon as it has made a file with O_EXCL; "create-excl": the errno
// every O_EXCL create fails with.
int open(const char* path, int flags, ...)
{
    static int (*real)(const char*, int, ...);
    mode_t mode = 0;
    if (flags & (O_CREAT | O_TMPFILE)) {
        va_list args;
        va_start(args, flags);
        mode = (mode_t)va_arg(args, int);
        va_end(args);
    }
    const int refusal = fault("create-excl");
    if ((flags & O_EXCL) && refusal != 0 && isUnder(path)) {
        errno = refusal;
        return -1;
    }
    if (!real)
        *(void**)&real = dlsym(RTLD_NEXT, "open");
    const int fd = real(path, flags, mode);
    const int signalNumber = fault("raise-on-create");
    if (fd >= 0 && (flags & O_EXCL) && signalNumber != 0 && isUnder(path))
        raise(signalNumber);
    return fd;
}
