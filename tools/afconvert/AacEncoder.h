#pragma once
// Reads any audio file FFmpeg can open and writes its sound as AAC-LC in an M4A container, in parts at once if asked.

#include "Options.h"

#include <string>

struct AVCodecContext;
struct AVFormatContext;
struct AVPacket;

class AacEncoder
{
public:
    enum Result { Success = 0, InputError = 2, OutputError = 3 };

    AacEncoder() = default;
    ~AacEncoder();
    AacEncoder(const AacEncoder&) = delete;
    AacEncoder& operator=(const AacEncoder&) = delete;

    // Encodes the input of options, every value multiplied by its gain, into path, a working file for its output;
    // error gets the reason on failure. With parts above 1, stretches of a seekable PCM input long enough are encoded
    // by as many encoders, all at once or as cores are lent; the result is the same either way.
    Result run(const Options& options, const std::string& path, std::string* error);

private:
    int openOutput(const std::string& path, const AVCodecContext* codec);
    int write(AVPacket* packet);

    AVFormatContext* m_pOutput = nullptr;
    int m_nSampleRate = 0;
};
