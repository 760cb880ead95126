#pragma once
// Status codes of the private media layer and the text that error signals carry for them.

#include <QString>

namespace ZADovuzIdida {

// Builds a status from four characters, most significant first ('f','m','t','?' gives 0x666d743f).
constexpr int fourCharStatus(char a, char b, char c, char d)
{
    return int((unsigned(static_cast<unsigned char>(a)) << 24) | (unsigned(static_cast<unsigned char>(b)) << 16) |
               (unsigned(static_cast<unsigned char>(c)) << 8) | unsigned(static_cast<unsigned char>(d)));
}

constexpr int kStatusUnsupportedFileType = fourCharStatus('t', 'y', 'p', '?');
constexpr int kStatusUnsupportedDataFormat = fourCharStatus('f', 'm', 't', '?');
constexpr int kStatusPropertyNotPresent = fourCharStatus('p', 't', 'y', '?');
constexpr int kStatusUnspecified = fourCharStatus('w', 'h', 't', '?');
// The stream ended well before the length its file declares.
constexpr int kStatusTruncated = fourCharStatus('e', 'o', 'f', '?');
constexpr int kStatusNotOpen = fourCharStatus('w', 'r', 'p', 'm');

// "<status> : <operation> <tag>": the tag is the four status bytes in single quotes when all are printable,
// otherwise FFmpeg's description of the status in parentheses.
QString statusMessage(int status, const char* operation);

} // namespace ZADovuzIdida
