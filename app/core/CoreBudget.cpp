#include "CoreBudget.h"

#include <QtGlobal>

#include <afconvert/EncodeParts.h>

#include <algorithm>

CoreBudget::CoreBudget(int nCores, std::function<void()> freed)
    : m_nCores(std::max(nCores, 1)), m_freed(std::move(freed))
{
}

int CoreBudget::encodeParts() const
{
    // Twice the cores, so that parts ending early can take more of what is left; within what the tool takes.
    return m_nCores > 1 ? std::min(2 * m_nCores, EncodeParts::kMaxParts) : 1;
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
    return m_nCores - m_nHeld > m_nWaiting;
}

bool CoreBudget::lend()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_nCores - m_nHeld <= m_nWaiting)
        return false;
    ++m_nHeld;
    return true;
}

void CoreBudget::giveBack(int nCores)
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        // A core given back twice would let the run keep more files busy than it has cores.
        if (nCores > m_nHeld)
            qCritical("CoreBudget: %d cores given back, %d held", nCores, m_nHeld);
        m_nHeld = std::max(m_nHeld - nCores, 0);
    }
    if (m_freed)
        m_freed();
}

bool CoreBudget::hasFree() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_nHeld < m_nCores;
}
