#pragma once
// The product's output format word ("m4a" here; the code also knows "wav", "mp3" and "flac").

#include <QString>

class ProductVariant
{
public:
    static QString name();
    // Test seam: replaces the built-in word; an empty word restores it.
    static void setName(const QString& strName);
    // Extension of the file the worker writes per source: ".mp3", ".flac", else ".wav".
    static QString intermediateExtension();
};
