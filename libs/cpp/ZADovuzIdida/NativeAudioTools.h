#pragma once
// Object-less questions about a media file: can it be played, and for how many whole seconds.

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
};

} // namespace ZADovuzIdida
