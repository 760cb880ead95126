#pragma once
// Synchronous look at a media file: is there a decodable audio stream, how long is it, how many channels.

#include <QString>
#include <QtGlobal>

namespace ZADovuzIdida {

struct MediaProbe
{
    bool playable = false; // an audio stream exists and a decoder for it is present
    qint64 durationMs = 0; // truncated toward zero; 0 when not playable
    int channels = 0;

    // Opens the file with libavformat only; safe on any thread, creates no audio output.
    static MediaProbe probe(const QString& path);
};

} // namespace ZADovuzIdida
