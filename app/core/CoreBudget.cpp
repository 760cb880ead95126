#include "CoreBudget.h"

#include <QtGlobal>

#include <afconvert/EncodeParts.h>

#include <algorithm>

namespace {

// Parts of 32 lead-ins (2048 AAC frames, 47 s at 44.1 kHz), run one after another on the file's own core, cost at most
// 4 % more for their lead-ins and the frames that end them.
constexpr long long LongPartFrames = 32 * EncodeParts::kLeadFrames;

} // namespace

CoreBudget::CoreBudget(int nCores, std::function<void()> freed)
    : m_nCores(std::max(nCores, 1)), m_freed(std::move(freed))
{
}

int CoreBudget::encodeParts(long long frames, int sampleRate, long bitRate, int channels) const
{
    if (m_nCores <= 1)
        return 1;
    const int nMost = std::min(2 * m_nCores, EncodeParts::kMaxParts);
    std::lock_guard<std::mutex> lock(m_mutex);
    // Its own core, those spare, and when no file waits, those lent to other encodes, due back as their parts end.
    const int nUsable = 1 + spareCores() + (m_nWaiting == 0 ? m_nLent : 0);
    // A part for each, as more cost lead-ins and take a second round; a long file in long parts, so that cores
    // that free up while it runs can take those still to come.
    const long long nLong = frames / (LongPartFrames * EncodeParts::kFrameSamples);
    const int nCut = EncodeParts::mostParts(frames, sampleRate, bitRate, channels);
    return int(std::clamp<long long>(std::max<long long>(nUsable, nLong), 1, std::min(nMost, nCut)));
}

bool CoreBudget::tryTake()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_nHeld >= m_nCores)
        return false;
    ++m_nHeld;
    return true;
}

void CoreBudget::setWaiting(int nFiles)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_nWaiting = std::max(nFiles, 0);
}

bool CoreBudget::hasSpare() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return spareCores() > 0;
}

int CoreBudget::spareCores() const { return std::max(m_nCores - m_nHeld - m_nWaiting, 0); }

bool CoreBudget::lend()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (spareCores() == 0)
        return false;
    ++m_nHeld;
    ++m_nLent;
    return true;
}

void CoreBudget::release() { freeCores(1, false); }

void CoreBudget::giveBack(int nCores) { freeCores(nCores, true); }

void CoreBudget::freeCores(int nCores, bool bLent)
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        const int nHad = bLent ? m_nLent : m_nHeld - m_nLent;
        // A core freed twice would let the run keep more files busy than it has cores.
        if (nCores > nHad)
            qCritical("CoreBudget: %d cores %s, %d held", nCores, bLent ? "given back" : "released", nHad);
        const int nFreed = std::clamp(nCores, 0, nHad);
        m_nHeld -= nFreed;
        if (bLent)
            m_nLent -= nFreed;
    }
    if (m_freed)
        m_freed();
}

bool CoreBudget::hasFree() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_nHeld < m_nCores;
}
