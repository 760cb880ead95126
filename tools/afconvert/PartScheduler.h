#pragma once
// Runs the parts of an encode on threads and gathers their packets in order: all planned parts at once, or, with
// lent cores, the first alone and one more for each core lent, cut off the part with the most left to encode.

#include "PartEncoder.h"

#include <atomic>
#include <functional>
#include <memory>
#include <thread>
#include <vector>

struct AVPacket;

class PartScheduler
{
public:
    // Opens one more encoder for the input into *encoder; an FFmpeg error code on failure.
    using MakeEncoder = std::function<int(std::unique_ptr<PartEncoder>* encoder)>;

    // With lend, the tool asks for a core on standard output with 'w' while a part is worth cutting, takes one for
    // each 'c' on standard input and gives one back with 'r' once no part is worth cutting; at most maxParts parts.
    // length: the input's sample count where it can be read from any sample on, else -1 (no part is cut then).
    PartScheduler(MakeEncoder makeEncoder, bool lend, int maxParts, long long length);
    ~PartScheduler();
    PartScheduler(const PartScheduler&) = delete;
    PartScheduler& operator=(const PartScheduler&) = delete;

    // Encodes encoders[i] over stretches[i] and returns when every part has ended: 0 or an FFmpeg error code.
    int run(std::vector<std::unique_ptr<PartEncoder>> encoders, const std::vector<Stretch>& stretches);
    // The kept packets of every part, in time order; the caller frees them.
    std::vector<AVPacket*> takePackets();

private:
    struct Part
    {
        std::unique_ptr<PartEncoder> encoder;
        std::vector<AVPacket*> packets;
        int result = 0;
        std::atomic<bool> bEnded{false};
        std::thread thread;
    };

    void start(std::unique_ptr<PartEncoder> encoder, const Stretch& stretch);
    // The running part with the most left to encode; none when every part has ended.
    Part* mostLeft() const;
    bool worthCutting() const;
    // Cuts a new part off the running part with the most left; false when none is worth it.
    bool cutOne();
    int running() const;
    // Runs the parts as cores are lent and they end.
    int lendLoop();

    MakeEncoder m_makeEncoder;
    const bool m_bLend;
    const int m_nMaxParts;
    const long long m_nLength;
    int m_ended[2] = {-1, -1};
    std::vector<std::unique_ptr<Part>> m_vecParts;
};
