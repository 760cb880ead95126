#pragma once
// Helpers of the media suites: quiet ffmpeg runs, single ffprobe values, Debian's python, small file I/O.

#include "Tools.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace MediaKit {

// Runs ffmpeg quietly, overwriting outputs; true on success.
inline bool ffmpeg(const QStringList& args)
{
    return TestKit::runTool("ffmpeg", QStringList{"-hide_banner", "-loglevel", "error", "-y"} + args).exitCode == 0;
}

// The first value ffprobe prints for entries such as "format=duration"; extra goes before the file.
inline QString probe(const QString& entries, const QString& path, const QStringList& extra = {})
{
    const QStringList args{"-v", "error", "-show_entries", entries, "-of", "default=nw=1:nk=1"};
    const TestKit::ToolResult result = TestKit::runTool("ffprobe", args + extra + QStringList{path});
    return result.exitCode == 0 ? QString::fromUtf8(result.out).section('\n', 0, 0).trimmed() : QString();
}

inline double probeSeconds(const QString& path) { return probe("format=duration", path).toDouble(); }

// Runs a Python snippet with Debian's interpreter (where mutagen lives); sys.argv[1:] = args.
inline TestKit::ToolResult python(const QString& script, const QStringList& args = {})
{
    return TestKit::runTool("/usr/bin/python3", QStringList{"-c", script} + args);
}

inline QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Writes bytes to path, making its folder first.
inline bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return QDir().mkpath(QFileInfo(path).path()) && file.open(QIODevice::WriteOnly) &&
           file.write(bytes) == bytes.size();
}

} // namespace MediaKit
