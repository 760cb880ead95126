#pragma once
// The output format this build makes (M4A); the code also knows the WAV, MP3 and FLAC variants.

#include <QString>

class ProductVariant
{
public:
    enum Kind { M4a, Wav, Mp3, Flac };

    static Kind kind();
    // Test seam: kind() answers variant until reset().
    static void setKind(Kind variant);
    static void reset();
    // Extension of the file the worker writes per source: ".mp3", ".flac", else ".wav".
    static QString intermediateExtension();
    // Extension of the M4A variant's results.
    static QString resultExtension() { return QStringLiteral(".m4a"); }
};
