#pragma once
// Runs the stretches of an encode on worker threads, each by an encoder of its own, and writes their packets in order:
// the first unfinished stretch straight into the output, each later one into a spool file of its own until its turn.

#include "PartEncoder.h"

#include <cstdio>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

struct AVPacket;

class PartScheduler
{
public:
    // Opens one more encoder for the input into *encoder; an FFmpeg error code on failure.
    using MakeEncoder = std::function<int(std::unique_ptr<PartEncoder>* encoder)>;
    // Writes a packet, times in samples, into the output; an FFmpeg error code on failure. Called one at a time.
    using Write = std::function<int(AVPacket* packet)>;

    // Without lend, every stretch runs at once. With lend, one at a time at first: while stretches wait, a core is
    // asked for on standard output, each core lent on standard input runs one more at once, and a lent core goes back
    // as soon as no stretch is left for it. spoolPattern: a path ending in XXXXXX, in the output's folder.
    PartScheduler(MakeEncoder makeEncoder, Write write, bool lend, std::string spoolPattern);
    ~PartScheduler();
    PartScheduler(const PartScheduler&) = delete;
    PartScheduler& operator=(const PartScheduler&) = delete;

    // Encodes every stretch, written in order, and returns when all have ended: 0 or an FFmpeg error code.
    int run(const std::vector<Stretch>& stretches);

private:
    struct Part
    {
        Stretch stretch;
        FILE* pSpool = nullptr; // its packets while an earlier stretch is unfinished
        bool bEnded = false;
    };

    // Starts a worker on the next stretch, which takes the following ones as it ends them; false when none is left.
    bool addWorker();
    void work(size_t index);
    int encode(size_t index);
    int take(size_t index, AVPacket* packet);
    int spool(Part* part, const AVPacket* packet);
    // With the lock held: the stretches ended before the first unfinished one are passed, the spool of each that
    // becomes first is written out.
    int advance();
    int unspool(Part* part);
    int lendLoop();

    const MakeEncoder m_makeEncoder;
    const Write m_write;
    const bool m_bLend;
    const std::string m_strSpoolPattern;
    std::mutex m_mutex; // guards the members below and the output
    std::vector<Part> m_vecParts;
    size_t m_nNext = 0; // the next stretch a worker takes
    size_t m_nHead = 0; // the first unfinished stretch, which writes straight into the output
    int m_nResult = 0;
    std::vector<std::thread> m_vecWorkers; // touched by the thread of run() only
    int m_ended[2] = {-1, -1};             // a byte for each worker that has ended, with lend
};
