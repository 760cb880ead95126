#include "MediaCorpus.h"

#include "Tools.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>

namespace TestKit {

namespace {

bool run(const QString& program, const QStringList& args, QString* error)
{
    const ToolResult result = runTool(program, args);
    if (result.exitCode != 0 && error)
        *error = program + " failed: " + QString::fromLocal8Bit(result.err);
    return result.exitCode == 0;
}

bool writeText(const QString& path, const QByteArray& text)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(text) == text.size();
}

} // namespace

bool makeMediaCorpus(const QString& root, QString* error, double longSeconds)
{
    const QString base = root.endsWith('/') ? root : root + '/';
    for (const char* folder : {"Album/CD1", "Album/CD2", "Loose"})
        if (!QDir().mkpath(base + folder)) {
            *error = "cannot make " + base + folder;
            return false;
        }
    bool ok = makeTone(base + "Album/CD1/01 tone.wav", 1, 48000, 2, {"-c:a", "pcm_s16le"}, error);
    ok = ok && makeTone(base + "Album/CD2/02.mp3", 1, 44100, 2,
                        {"-b:a", "192k", "-metadata", QString::fromUtf8("title=Tönë"), "-metadata", "artist=Tester",
                         "-metadata", "album=Album", "-metadata", "track=2/9"},
                        error);
    ok = ok && run("ffmpeg",
                   {"-v", "error", "-y", "-f", "lavfi", "-i", "color=c=red:s=64x64", "-frames:v", "1",
                    base + "Album/cover.jpg"},
                   error);
    ok = ok && writeText(base + "Album/notes.txt", "notes\n");
    ok = ok && run("ffmpeg",
                   {"-v", "error", "-y", "-f", "lavfi", "-i", "testsrc=d=1:s=160x120:r=10", "-f", "lavfi", "-i",
                    "sine=f=660:d=1", "-shortest", "-c:v", "mpeg4", "-c:a", "aac", base + "Loose/clip.mp4"},
                   error);
    if (ok && longSeconds > 0)
        ok = makeTone(base + "Loose/long.wav", longSeconds, 44100, 2, {"-c:a", "pcm_s16le"}, error);
    return ok;
}

QJsonObject probeMedia(const QString& file)
{
    const ToolResult result =
        runTool("ffprobe",
                {"-v", "error", "-show_entries",
                 "stream=codec_type,codec_name,sample_rate,channels,bit_rate:format=format_name,duration:format_tags",
                 "-of", "json", file});
    const QJsonObject root = QJsonDocument::fromJson(result.out).object();
    QJsonObject info = root["format"].toObject();
    const QJsonArray streams = root["streams"].toArray();
    info["streams"] = streams.size();
    for (const QJsonValue& stream : streams) {
        if (stream["codec_type"] == "audio")
            for (const QString& key : stream.toObject().keys())
                info[key] = stream[key];
    }
    return info;
}

QStringList filesUnder(const QString& folder)
{
    QStringList files;
    QDirIterator it(folder, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext())
        files << QDir(folder).relativeFilePath(it.next());
    files.sort();
    return files;
}

QString onlyRunFolder(const QString& destination)
{
    const QString base = destination.endsWith('/') ? destination : destination + '/';
    const QStringList runs = QDir(base).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    return runs.size() == 1 ? base + runs.first() + "/" : QString();
}

} // namespace TestKit
