#pragma once
// Command line of afconvert: input, output, quality, bit rate, file type, data format, gain, part count and lending.

#include <string>

struct Options
{
    std::string input;
    std::string output;
    int quality = 127;     // 0..127; 32 and above choose the careful coder
    long bitRate = 128000; // bits per second
    double gain = 1.0;     // factor applied to every value before encoding; given in dB
    int parts = 1;         // stretches of the input encoded at once, each on its own thread
    // With parts: the whole input at first, and for each core the caller lends, one more part cut off the part with
    // the most left, up to parts. On standard output the tool asks for a core with 'w' and gives one back with 'r';
    // on standard input the caller lends one with 'c'.
    bool lend = false;
};

// Parses argv; on a usage error returns false and leaves the reason in *error.
bool parseOptions(int argc, char** argv, Options* options, std::string* error);
