#include "ProcessGroups.h"

#include <QDateTime>

#include <csignal>

namespace ZADovuzIdida {

ProcessGroups::~ProcessGroups() { setHeld(false); }

void ProcessGroups::signalGroup(qint64 group, int signalNumber)
{
    if (group > 0)
        ::kill(-pid_t(group), signalNumber);
}

void ProcessGroups::setHeld(bool bHeld)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_bHeld == bHeld)
        return;
    m_bHeld = bHeld;
    for (qint64 group : m_setGroups)
        signalGroup(group, bHeld ? SIGSTOP : SIGCONT);
    m_changed.notify_all();
}

void ProcessGroups::endAll()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_bEnded)
        return;
    m_bEnded = true;
    m_bHeld = false;
    m_nEndedAtMs = QDateTime::currentMSecsSinceEpoch();
    for (qint64 group : m_setGroups) {
        signalGroup(group, SIGTERM);
        signalGroup(group, SIGCONT);
    }
    m_changed.notify_all();
}

bool ProcessGroups::isEnded() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_bEnded;
}

qint64 ProcessGroups::msecsSinceEnd() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_bEnded ? QDateTime::currentMSecsSinceEpoch() - m_nEndedAtMs : -1;
}

bool ProcessGroups::waitUntilFree() const
{
    std::unique_lock<std::mutex> lock(m_mutex);
    m_changed.wait(lock, [this] { return !m_bHeld || m_bEnded; });
    return !m_bEnded;
}

void ProcessGroups::add(qint64 group)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_setGroups.insert(group);
    if (m_bEnded)
        signalGroup(group, SIGTERM);
    else if (m_bHeld)
        signalGroup(group, SIGSTOP);
}

void ProcessGroups::remove(qint64 group)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_setGroups.erase(group);
}

} // namespace ZADovuzIdida
