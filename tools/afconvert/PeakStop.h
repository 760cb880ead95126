#pragma once
// Ends a split encode early once one of its parts decodes above a level: each part decodes the packets of its loud
// input frames as they come, each after the packet before it, which its overlap needs.

#include <deque>
#include <mutex>
#include <utility>

struct AVCodecContext;
struct AVFrame;
struct AVPacket;

// The level and the largest decoded value seen, shared by the parts of one encode.
class PeakStop
{
public:
    explicit PeakStop(float level) : m_fLevel(level) {}

    float level() const { return m_fLevel; }
    // A decoded value of a part; true once any value passed the level.
    bool report(float value);
    bool passed();
    // The largest decoded value reported.
    float highest();

private:
    const float m_fLevel;
    std::mutex m_mutex;
    float m_fHighest = 0.0f;
};

// The check of one part's encoder.
class PartPeakCheck
{
public:
    explicit PartPeakCheck(PeakStop* stop) : m_pStop(stop) {}
    ~PartPeakCheck();
    PartPeakCheck(const PartPeakCheck&) = delete;
    PartPeakCheck& operator=(const PartPeakCheck&) = delete;

    // Opens the decoder for what encoder writes; an FFmpeg error code on failure.
    int open(const AVCodecContext* encoder);
    // An input frame handed to the encoder, its first sample at pts.
    void frameRead(const AVFrame* frame);
    // Every packet of the encoder in order, and whether the part keeps it; AVERROR_EXIT once the encode is to end.
    int packet(const AVPacket* packet, bool bKept);

private:
    int decode(const AVPacket* packet, bool bMeasured);

    PeakStop* const m_pStop;
    AVCodecContext* m_pDecoder = nullptr;
    AVFrame* m_pFrame = nullptr;
    AVPacket* m_pPrevious = nullptr;   // the packet before the current one, whose overlap it completes
    bool m_bPreviousDecoded = false;   // the decoder's last packet is m_pPrevious
    std::deque<std::pair<long long, float>> m_inputPeaks; // per input frame not yet coded: time, largest value
};
