#pragma once
// What the audio file service reports about one file: statuses, info dictionary, artwork and ID3 picture frames.

#include <QByteArray>
#include <QVariantMap>

namespace ZADovuzIdida {

struct AudioFileInfo
{
    static constexpr int StatusUnsupportedFileType = 0x7479703F; // 'typ?'
    static constexpr int StatusUnsupportedProperty = 0x7074793F; // 'pty?'

    int openStatus = 0; // opening the file
    int id3Status = 0;  // size and bytes of the ID3 tag
    QByteArray id3Tag;
    int infoStatus = 0;    // the info dictionary
    QVariantMap info;      // text values under the info keys ("album", "track number" ...)
    int artworkStatus = 0; // 0 when the file carries an album artwork property
    QByteArray artwork;
    QVariantMap id3Frames; // frame ID -> { entry -> { "data": picture bytes, ... } }
};

} // namespace ZADovuzIdida
