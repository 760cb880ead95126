#pragma once
// How many pixels a picture may decode to, and the size its header announces: checked before data URLs and animation
// files are decoded, since a decoder trusts the header and a few bytes could make it allocate gigabytes.

#include <QByteArray>
#include <QString>

namespace MGraphX {

class PictureLimits
{
public:
    // The pixels of one picture (for example 8192 x 4096) and of all the pictures of one load together.
    static constexpr qint64 MaxFramePixels = 8192 * 4096;
    static constexpr qint64 MaxLoadPixels = 4 * MaxFramePixels;

    // The pixels a picture's header announces, read without decoding it; -1 when it announces no size.
    static qint64 announcedPixels(const QByteArray& picture, const QString& format);
};

} // namespace MGraphX
