// Completes the desktop entry's MimeType line with the audio and video types of every suffix that the media
// classification accepts, as the system's MIME database names them.

#include <ZADovuzIdida/MediaCommon.h>

#include <QCoreApplication>
#include <QFile>
#include <QMimeDatabase>
#include <QSaveFile>
#include <QStringList>

#include <cstdio>

namespace {

bool isAudioOrVideo(const QMimeType& type)
{
    QStringList names = type.aliases();
    names << type.name();
    for (const QString& name : names)
        if (name.startsWith(QLatin1String("audio/")) || name.startsWith(QLatin1String("video/")))
            return true;
    return false;
}

QStringList mediaTypes()
{
    using ZADovuzIdida::MediaCommon;
    const QMimeDatabase database;
    QStringList types;
    for (const QString& suffix : MediaCommon::audioSuffixes() + MediaCommon::videoSuffixes())
        for (const QMimeType& type : database.mimeTypesForFileName(QStringLiteral("file") + suffix))
            if (isAudioOrVideo(type) && !types.contains(type.name()))
                types << type.name();
    types.sort();
    return types;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList arguments = app.arguments();
    if (arguments.size() != 3) {
        std::fprintf(stderr, "usage: make_desktop_entry <template> <desktop entry>\n");
        return 2;
    }
    QFile input(arguments.at(1));
    if (!input.open(QIODevice::ReadOnly | QIODevice::Text)) {
        std::fprintf(stderr, "make_desktop_entry: cannot read %s\n", qPrintable(arguments.at(1)));
        return 1;
    }
    const QStringList types = mediaTypes();
    if (types.isEmpty()) {
        std::fprintf(stderr, "make_desktop_entry: the MIME database knows none of the media suffixes\n");
        return 1;
    }
    QByteArray entry;
    for (const QByteArray& line : input.readAll().split('\n')) {
        entry += line.startsWith("MimeType=") ? "MimeType=" + types.join(QLatin1Char(';')).toUtf8() + ";" : line;
        entry += '\n';
    }
    entry.chop(1);
    QSaveFile output(arguments.at(2));
    if (!output.open(QIODevice::WriteOnly) || output.write(entry) != entry.size() || !output.commit()) {
        std::fprintf(stderr, "make_desktop_entry: cannot write %s\n", qPrintable(arguments.at(2)));
        return 1;
    }
    return 0;
}
