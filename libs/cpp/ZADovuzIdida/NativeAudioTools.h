#pragma once
// Object-less questions about a media file: can it be played, and for how many whole seconds.

#include <QString>
#include <QUrl>
#include <QtGlobal>

namespace ZADovuzIdida {

class NativeAudioTools
{
public:
    // True when the file opens and holds an audio or video stream that can be decoded.
    static bool isPlayable(const QUrl& url);
    // Whole seconds, truncated; -1 when the file is not playable, 0 when its length is unknown.
    static qint64 duration(const QUrl& url);
    // The largest magnitude of the decoded sound (floats, not clipped, at the file's own rate); -1 when the
    // file can not be decoded to its end.
    static float peak(const QString& path);
};

} // namespace ZADovuzIdida
