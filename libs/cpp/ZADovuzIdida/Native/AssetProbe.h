#pragma once
// Opens a media file with libavformat to tell whether any of its streams can be decoded, and its length.

#include <QString>
#include <QtGlobal>

namespace ZADovuzIdida {

struct AssetProbe
{
    bool playable = false; // an audio or video stream (not a cover picture) with a decoder present
    qint64 seconds = 0;    // container duration, truncated; 0 when unknown

    static AssetProbe probe(const QString& path);
};

} // namespace ZADovuzIdida
