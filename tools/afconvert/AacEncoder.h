#pragma once
// Reads any audio file FFmpeg can open and writes its sound as AAC-LC in an M4A container, in parts at once if asked.

#include "DecodedPeak.h"
#include "Options.h"
#include "OutputPeak.h"
#include "PeakStop.h"

#include <cstdint>
#include <memory>
#include <string>

struct AVCodecContext;
struct AVFormatContext;
struct AVPacket;

class AacEncoder
{
public:
    enum Result { Success = 0, InputError = 2, OutputError = 3, PeakPassed = DecodedPeak::kPassedExit };

    AacEncoder() = default;
    ~AacEncoder();
    AacEncoder(const AacEncoder&) = delete;
    AacEncoder& operator=(const AacEncoder&) = delete;

    // Encodes the input of options, every value multiplied by its gain, into path, a working file for its output;
    // error gets the reason on failure. With parts above 1, stretches of a seekable PCM input long enough are encoded
    // by as many encoders, all at once or as cores are lent; the result is the same either way.
    Result run(const Options& options, const std::string& path, std::string* error);
    // After a run that ended well with options.peak: the largest absolute value a whole decode of the result gives,
    // measured while it was written, once its decode has ended; -1 when there is none.
    float decodedPeak();
    // After a run that ended with PeakPassed: the largest decoded value seen.
    float passedPeak() { return m_pStop ? m_pStop->highest() : -1.0f; }

private:
    int openOutput(const std::string& path, const AVCodecContext* codec);
    int write(AVPacket* packet);

    // Makes the packets written from now on reach the file and tells the decoder of the peak.
    void flushForPeak();

    AVFormatContext* m_pOutput = nullptr;
    int m_nSampleRate = 0;
    std::unique_ptr<OutputPeak> m_pPeak; // with options.peak
    std::unique_ptr<PeakStop> m_pStop;   // with options.stopAbove
    int64_t m_nWrittenEnd = 0;           // where the data of the packets written so far ends in the output
    int m_nUnflushed = 0;                // packets written since the last flush
};
