// Preloaded into a test's child: the C library calls named in TESTKIT_REFUSED_CALLS ("call=errno,call=errno") fail
// with that errno on files under the folder TESTKIT_REFUSED_UNDER, as on a drive that refuses them. The child's own
// children run unchanged.
#define _GNU_SOURCE
#include <dlfcn.h>
#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

static char g_refused[512];
static char g_folder[4096];

__attribute__((constructor)) static void readRefusals(void)
{
    const char* calls = getenv("TESTKIT_REFUSED_CALLS");
    const char* folder = getenv("TESTKIT_REFUSED_UNDER");
    if (calls && folder) {
        snprintf(g_refused, sizeof g_refused, ",%s", calls);
        snprintf(g_folder, sizeof g_folder, "%s", folder);
    }
    unsetenv("TESTKIT_REFUSED_CALLS");
    unsetenv("TESTKIT_REFUSED_UNDER");
    unsetenv("LD_PRELOAD");
}

static int isUnder(const char* path) { return g_folder[0] && strncmp(path, g_folder, strlen(g_folder)) == 0; }

static int isOpenUnder(int fd)
{
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

// The errno the call is refused with, 0 when it runs.
static int refusal(const char* call)
{
    char key[64];
    snprintf(key, sizeof key, ",%s=", call);
    const char* found = strstr(g_refused, key);
    return found ? atoi(found + strlen(key)) : 0;
}

#define REFUSABLE(call, parameters, arguments, where)                                                                  \
    int call parameters                                                                                                \
    {                                                                                                                  \
        static int(*real) parameters;                                                                                  \
        const int error = refusal(#call);                                                                              \
        if (error != 0 && (where)) {                                                                                   \
            errno = error;                                                                                             \
            return -1;                                                                                                 \
        }                                                                                                              \
        if (!real)                                                                                                     \
            *(void**)&real = dlsym(RTLD_NEXT, #call);                                                                  \
        return real arguments;                                                                                         \
    }

REFUSABLE(chmod, (const char* path, mode_t mode), (path, mode), isUnder(path))
REFUSABLE(fchmod, (int fd, mode_t mode), (fd, mode), isOpenUnder(fd))
REFUSABLE(fchmodat, (int dirFd, const char* path, mode_t mode, int flags), (dirFd, path, mode, flags),
          isAtUnder(dirFd, path))
REFUSABLE(rename, (const char* from, const char* to), (from, to), isUnder(to))
REFUSABLE(renameat2, (int fromDir, const char* from, int toDir, const char* to, unsigned int flags),
          (fromDir, from, toDir, to, flags), isAtUnder(toDir, to))
REFUSABLE(link, (const char* from, const char* to), (from, to), isUnder(to))
REFUSABLE(linkat, (int fromDir, const char* from, int toDir, const char* to, int flags),
          (fromDir, from, toDir, to, flags), isAtUnder(toDir, to))
