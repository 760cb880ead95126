#pragma once
// Small helpers shared by the audio file library suites: files, reference tools, forked contract checks.

#include "Tools.h"

#include <QByteArray>
#include <QtGlobal>
#include <QFile>
#include <QString>
#include <QStringList>

#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <functional>

namespace VozIdaviTest {

inline QByteArray readAll(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray();
    return file.readAll();
}

inline bool writeAll(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

inline quint32 le32(const QByteArray& bytes, int offset)
{
    const unsigned char* p = reinterpret_cast<const unsigned char*>(bytes.constData()) + offset;
    return quint32(p[0]) | (quint32(p[1]) << 8) | (quint32(p[2]) << 16) | (quint32(p[3]) << 24);
}

inline quint16 le16(const QByteArray& bytes, int offset)
{
    const unsigned char* p = reinterpret_cast<const unsigned char*>(bytes.constData()) + offset;
    return quint16(p[0] | (p[1] << 8));
}

// Debian's own interpreter, with only the standard library in use.
inline TestKit::ToolResult python(const QString& script, const QStringList& args = {})
{
    return TestKit::runTool(QStringLiteral("/usr/bin/python3"), QStringList{"-c", script} + args);
}

struct ChildResult
{
    bool aborted = false;
    QByteArray err;
};

// Runs body in a forked child with stderr captured; tells whether it stopped on a signal.
inline ChildResult runInChild(const std::function<void()>& body)
{
    ChildResult result;
    int fds[2];
    if (pipe(fds) != 0)
        return result;
    fflush(stdout);
    fflush(stderr);
    const pid_t pid = fork();
    if (pid == 0) {
        close(fds[0]);
        dup2(fds[1], 2);
        // Qt's own handler: messages to stderr, and a fatal one aborts (the test logger would catch it).
        qInstallMessageHandler(nullptr);
        body();
        _exit(0);
    }
    close(fds[1]);
    char buffer[4096];
    ssize_t got;
    while ((got = read(fds[0], buffer, sizeof(buffer))) > 0)
        result.err.append(buffer, int(got));
    close(fds[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    result.aborted = WIFSIGNALED(status);
    return result;
}

} // namespace VozIdaviTest
