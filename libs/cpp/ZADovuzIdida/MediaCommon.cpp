#include "MediaCommon.h"

#include <QTime>

namespace ZADovuzIdida {

namespace {

const char* const kVideoSuffixes[] = {".avi", ".mp4", ".mov", ".wmv", ".3gp", ".3g2", ".m4v",
                                      ".mpg", ".flv", ".swf", ".mkv", ".asf", ".vob", ".ts"};
const char* const kAudioSuffixes[] = {".wav", ".mp3", ".mp2",  ".mp1", ".m4a", ".m4b", ".m4r", ".wma", ".ac3", ".aac",
                                      ".ogg", ".3ga", ".aiff", ".aif", ".au",  ".caf", ".bwf", ".amr", ".awb"};
const char* const kImageSuffixes[] = {".jpg", ".png", ".bmp", ".tif", ".tiff", ".jpeg", ".ppm", ".xpm", ".gif"};
const char* const kDocumentSuffixes[] = {".doc", ".txt", ".rtf", ".html", ".htm", ".xml", ".docx"};

template <size_t N> bool endsWithAny(const QString& text, const char* const (&suffixes)[N])
{
    for (const char* suffix : suffixes) {
        if (text.endsWith(QLatin1String(suffix)))
            return true;
    }
    return false;
}

template <size_t N> QStringList toList(const char* const (&suffixes)[N])
{
    QStringList list;
    for (const char* suffix : suffixes)
        list << QLatin1String(suffix);
    return list;
}

} // namespace

QStringList MediaCommon::audioSuffixes()
{
    QStringList list = toList(kAudioSuffixes);
    if (flacIsAudio())
        list << QStringLiteral(".flac");
    return list;
}

QStringList MediaCommon::videoSuffixes() { return toList(kVideoSuffixes); }

int MediaCommon::mediaType(const QString& path)
{
    const QString lower = path.toLower();
    if (endsWithAny(lower, kVideoSuffixes))
        return Video;
    if (endsWithAny(lower, kAudioSuffixes) || (flacIsAudio() && lower.endsWith(QLatin1String(".flac"))))
        return Audio;
    if (endsWithAny(lower, kImageSuffixes))
        return Image;
    if (endsWithAny(lower, kDocumentSuffixes))
        return Document;
    return Other;
}

bool MediaCommon::isAudio(const QString& path) { return mediaType(path) == Audio; }

bool MediaCommon::isVideo(const QString& path) { return mediaType(path) == Video; }

bool MediaCommon::isImage(const QString& path) { return mediaType(path) == Image; }

bool MediaCommon::isDocument(const QString& path) { return mediaType(path) == Document; }

bool MediaCommon::isPlayable(const QString&) { return true; }

bool MediaCommon::flacIsAudio() { return true; }

QString MediaCommon::msecsToString(const long long& msecs)
{
    const long long hours = msecs / 3600000;
    const long long minutes = (msecs - hours * 3600000) / 60000;
    const long long seconds = (msecs % 60000) / 1000;
    if (!QTime::isValid(int(qBound(-1LL, hours, 24LL)), int(minutes), int(seconds)))
        return QString();
    return QTime(int(hours), int(minutes), int(seconds), 0).toString(QStringLiteral("hh:mm:ss"));
}

} // namespace ZADovuzIdida
