#pragma once
// Target format of a conversion: codec name, sample rate, channels, bits, bit rate and quality level.

#include <QString>

namespace ZADovuzIdida {

struct MAudioFormat
{
    QString codec = QStringLiteral("WAV");
    int sampleRate = 44100;
    int channels = 2;
    int bitsPerSample = 16;
    // Bits per second.
    int bitRate = 128000;
    // Level 0 to 4.
    int quality = 3;
};

// File type name of an index: 0 "WAV", 1 "AIFF", 2 "MPEG4ACC", 3 "CAF", 4 "FLAC"; empty for any other index.
inline QString audioFileTypeName(int index)
{
    switch (index) {
    case 0:
        return QStringLiteral("WAV");
    case 1:
        return QStringLiteral("AIFF");
    case 2:
        return QStringLiteral("MPEG4ACC");
    case 3:
        return QStringLiteral("CAF");
    case 4:
        return QStringLiteral("FLAC");
    default:
        return QString();
    }
}

} // namespace ZADovuzIdida
