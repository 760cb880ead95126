#include "ParallelTruePeak.h"

#include <ZADovuzIdida/CoreLender.h>

#include <algorithm>

namespace {

// Blocks waiting or under way per thread: enough to keep them busy, few enough to hold little.
constexpr int BlocksPerThread = 2;

} // namespace

ParallelTruePeak::ParallelTruePeak(int channels, double bandwidth, int nThreads, ZADovuzIdida::CoreLender* pLender)
    : m_nChannels(std::max(channels, 1)), m_fresh(channels, bandwidth), m_nThreads(std::max(nThreads, 0)),
      m_pLender(pLender)
{
    m_pool.setMaxThreadCount(std::max(m_nThreads, 1));
}

ParallelTruePeak::~ParallelTruePeak() { m_pool.waitForDone(); }

void ParallelTruePeak::measure(std::vector<float> history, std::vector<float> frames, bool bLast)
{
    TruePeak truePeak(m_fresh);
    // Stretches that cannot pass the peak found so far are passed over, as in one long measurement.
    truePeak.setHistory(history.data(), int(history.size()) / m_nChannels, peak());
    truePeak.add(frames.data(), int(frames.size()));
    if (bLast)
        truePeak.finish();
    else
        truePeak.measureAdded();
    std::lock_guard<std::mutex> lock(m_mutex);
    m_fPeak = std::max(m_fPeak, truePeak.peak());
}

void ParallelTruePeak::add(const float* data, int count)
{
    std::vector<float> frames(std::move(m_vecPartial));
    frames.insert(frames.end(), data, data + count);
    const size_t whole = frames.size() - frames.size() % size_t(m_nChannels);
    m_vecPartial.assign(frames.begin() + long(whole), frames.end());
    frames.resize(whole);
    if (frames.empty())
        return;
    // The block follows on from the history so far; the next one from the end of both.
    const size_t historyValues = size_t(TruePeak::historyFrames()) * size_t(m_nChannels);
    std::vector<float> history = m_vecHistory;
    m_vecHistory.insert(m_vecHistory.end(), frames.end() - long(std::min(frames.size(), historyValues)), frames.end());
    m_vecHistory.erase(m_vecHistory.begin(), m_vecHistory.end() - long(std::min(m_vecHistory.size(), historyValues)));
    if (m_nThreads == 0) {
        measure(std::move(history), std::move(frames), false);
        return;
    }
    std::unique_lock<std::mutex> lock(m_mutex);
    // On lent cores no block waits for a thread: one that none takes at once is measured here.
    if (m_pLender && (m_nInFlight >= m_nThreads || !m_pLender->lend())) {
        lock.unlock();
        measure(std::move(history), std::move(frames), false);
        return;
    }
    m_changed.wait(lock, [this] { return m_nInFlight < BlocksPerThread * m_nThreads; });
    ++m_nInFlight;
    lock.unlock();
    m_pool.start([this, history = std::move(history), frames = std::move(frames)]() mutable {
        measure(std::move(history), std::move(frames), false);
        {
            std::lock_guard<std::mutex> done(m_mutex);
            --m_nInFlight;
            m_changed.notify_all();
        }
        if (m_pLender)
            m_pLender->giveBack(1);
    });
}

void ParallelTruePeak::finish()
{
    m_pool.waitForDone();
    // The stream's end: what is left of a frame, then the silence after it.
    measure(m_vecHistory, m_vecPartial, true);
}

float ParallelTruePeak::peak() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_fPeak;
}
