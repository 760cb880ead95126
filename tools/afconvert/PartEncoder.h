#pragma once
// Encodes one stretch of an input to AAC packets; the audio read around the stretch primes the encoder, and only the
// packets of the stretch itself are kept.

#include "AudioReader.h"
#include "PeakStop.h"

#include <climits>
#include <functional>
#include <memory>

struct AVAudioFifo;
struct AVCodecContext;
struct AVPacket;

// Samples read, [start, end) with end -1 for the input's end, and the packet times kept, [keepFrom, keepTo); the
// samples before drainTo are encoded at a raised bit rate, which empties the encoder's bit reservoir.
struct Stretch
{
    long long start = 0;
    long long end = -1;
    long long drainTo = 0;
    long long keepFrom = LLONG_MIN;
    long long keepTo = LLONG_MAX;
};

class PartEncoder
{
public:
    // Takes a kept packet, times in samples; may take its data. An FFmpeg error code stops the encode.
    using Sink = std::function<int(AVPacket*)>;

    PartEncoder() = default;
    ~PartEncoder();
    PartEncoder(const PartEncoder&) = delete;
    PartEncoder& operator=(const PartEncoder&) = delete;

    AudioReader& reader() { return m_reader; }
    // Opens the encoder for the opened reader's samples; quality 32 and above chooses the careful coder.
    int openEncoder(int quality, long bitRate);
    const AVCodecContext* codec() const { return m_pEncoder; }
    // After openEncoder: the kept packets of loud frames are decoded, and the encode ends with AVERROR_EXIT once one
    // passes stop's level.
    void checkPeak(PeakStop* stop);
    // Encodes stretch of the input from the reader's start and hands its kept packets to sink.
    int run(const Stretch& stretch, const Sink& sink);

private:
    int encodeFrame(int samples, const Sink& sink);
    int drain(const Sink& sink);

    Stretch m_stretch;
    AudioReader m_reader;
    AVCodecContext* m_pEncoder = nullptr;
    AVAudioFifo* m_pFifo = nullptr;
    AVPacket* m_pPacket = nullptr;
    std::unique_ptr<PartPeakCheck> m_pPeakCheck;
    long long m_nNextPts = 0;
    long m_nBitRate = 0;
};
