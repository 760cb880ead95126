#pragma once
// Ends an encode early once it decodes above a level: each part of it (the whole encode is one) gathers the packets of
// its loud input frames, each after the packet before it, which its overlap needs, and decodes them a batch at a time
// on one of a few decoders that all parts share, so that memory does not grow with the parts running at once. The
// decoder draws the noise it substitutes from a random state that runs through the whole file, which a batch decoded
// apart does not share: a batch that passes is decoded twice more, each time with noise drawn further on, and a value
// counts only as far as it passes whatever noise those two decodes allow for.

#include <condition_variable>
#include <deque>
#include <mutex>
#include <utility>
#include <vector>

struct AVCodecContext;
struct AVFrame;
struct AVPacket;

// A packet to decode: the first of a run only completes the overlap of the next and is not measured.
struct PendingPacket
{
    AVPacket* packet;
    bool bMeasured;
};

// The level, the shared decoders and the largest decoded value seen, for the parts of one encode.
class PeakStop
{
public:
    explicit PeakStop(float level) : m_fLevel(level) {}
    ~PeakStop();
    PeakStop(const PeakStop&) = delete;
    PeakStop& operator=(const PeakStop&) = delete;

    float level() const { return m_fLevel; }
    // Decodes packets, which encoder wrote, on a shared decoder; AVERROR_EXIT once a value passed the level.
    int decode(const AVCodecContext* encoder, const std::vector<PendingPacket>& packets);
    bool passed();
    // The largest value measured that no substituted noise accounts for.
    float highest();

private:
    // A decoder of its own for the caller, waiting while every one is taken; nullptr when none can be opened.
    AVCodecContext* takeDecoder(const AVCodecContext* encoder, int* error);
    void giveBack(AVCodecContext* decoder);
    // Hands each measured packet's frame to measure.
    template <typename Measure>
    int decodeWith(AVCodecContext* decoder, const std::vector<PendingPacket>& packets, Measure measure);
    // The largest value of packets that no substituted noise accounts for, from two more decodes on decoder.
    int confirmedPeak(AVCodecContext* decoder, const std::vector<PendingPacket>& packets, float* peak);

    const float m_fLevel;
    std::mutex m_mutex; // guards the members below
    std::condition_variable m_given;
    std::vector<AVCodecContext*> m_idle;
    int m_nOpened = 0;
    float m_fHighest = 0.0f; // the largest confirmed value
};

// The packets of one part's encoder that the check decodes.
class PartPeakCheck
{
public:
    PartPeakCheck(PeakStop* stop, const AVCodecContext* encoder);
    ~PartPeakCheck();
    PartPeakCheck(const PartPeakCheck&) = delete;
    PartPeakCheck& operator=(const PartPeakCheck&) = delete;

    // An input frame handed to the encoder.
    void frameRead(const AVFrame* frame);
    // Every packet of the encoder in order, and whether the part keeps it; AVERROR_EXIT once the encode is to end.
    int packet(const AVPacket* packet, bool bKept);
    // The part's packets have all come: the ones gathered are decoded.
    int finish();

private:
    int add(const AVPacket* packet, bool bMeasured);
    void clear();

    PeakStop* const m_pStop;
    const AVCodecContext* const m_pEncoder;
    AVPacket* m_pPrevious = nullptr; // the packet before the current one, whose overlap it completes
    bool m_bPreviousAdded = false;   // m_pPrevious is the last packet gathered
    std::vector<PendingPacket> m_pending;
    int m_nMeasured = 0;
    std::deque<std::pair<long long, float>> m_inputPeaks; // per input frame not yet coded: time, largest value
};
