#pragma once
// The true peak of a stream as TruePeak measures it, measured block by block on several threads.

#include "TruePeak.h"

#include <QThreadPool>

#include <condition_variable>
#include <mutex>
#include <vector>

namespace ZADovuzIdida {
class CoreLender;
}

class ParallelTruePeak
{
public:
    // With no threads, every block is measured at once in add(). With a lender, a block goes to a thread only on a
    // core lent for it, and is measured at once when none is spare.
    ParallelTruePeak(int channels, double bandwidth, int nThreads, ZADovuzIdida::CoreLender* pLender = nullptr);
    // Waits for the blocks under way.
    ~ParallelTruePeak();

    // As TruePeak::add().
    void add(const float* data, int count);
    // Ends the stream as TruePeak::finish() does and waits for every block.
    void finish();
    float peak() const;

private:
    // Measures frames of the stream after history, the stream's end when bLast.
    void measure(std::vector<float> history, std::vector<float> frames, bool bLast);

    const int m_nChannels;
    // Each block is measured by a copy, so that the filter is made once.
    const TruePeak m_fresh;
    const int m_nThreads;
    ZADovuzIdida::CoreLender* const m_pLender;
    QThreadPool m_pool;
    // The last frames added, which the next block follows on from; values of a frame not yet whole.
    std::vector<float> m_vecHistory;
    std::vector<float> m_vecPartial;
    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    int m_nInFlight = 0;
    float m_fPeak = 0.0f;
};
