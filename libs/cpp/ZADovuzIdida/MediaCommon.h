#pragma once
// Media kind of a file judged by its path alone, and a formatter for playing times.

#include <QString>
#include <QStringList>

namespace ZADovuzIdida {

class MediaCommon
{
public:
    enum MediaType { Audio = 0, Video = 1, Image = 2, Document = 4, Other = 5 };

    // Suffix tests on the lower-cased whole path: video, then audio, image and document.
    static int mediaType(const QString& path);
    static bool isAudio(const QString& path);
    static bool isVideo(const QString& path);
    static bool isImage(const QString& path);
    static bool isDocument(const QString& path);
    // The lower-case suffixes, with their dot, that count as audio and as video; the desktop entry's file types
    // are made from them.
    static QStringList audioSuffixes();
    static QStringList videoSuffixes();
    // Always true: playability is decided by probing, not by the name.
    static bool isPlayable(const QString& path);
    // Whether ".flac" counts as audio; the decoder always handles FLAC here.
    static bool flacIsAudio();
    // "hh:mm:ss"; empty when the time is negative or a day or longer.
    static QString msecsToString(const long long& msecs);
};

} // namespace ZADovuzIdida
