#pragma once
// Command line of afconvert: input, output, quality, bit rate, file type, data format, gain, part count, lending, the
// decoded peak and the level that stops an encode.

#include <string>

struct Options
{
    std::string input;
    std::string output;
    int quality = 127;     // 0..127; 32 and above choose the careful coder
    long bitRate = 128000; // bits per second
    double gain = 1.0;     // factor applied to every value before encoding; given in dB
    int parts = 1;         // stretches a seekable PCM input is encoded in, each by an encoder of its own
    // With parts: one stretch at a time at first, and one more at once for each core the caller lends, instead of
    // all at once; the stretches are the same either way (EncodeParts.h has the messages).
    bool lend = false;
    // The result's decoded peak is measured while it is written and told on standard output (DecodedPeak.h).
    bool peak = false;
    // Above 0: the encode ends as soon as a decoded value of its parts' loud frames passes this factor (PeakStop.h),
    // which it tells as DecodedPeak.h says.
    double stopAbove = 0.0;
};

// Parses argv; on a usage error returns false and leaves the reason in *error.
bool parseOptions(int argc, char** argv, Options* options, std::string* error);
