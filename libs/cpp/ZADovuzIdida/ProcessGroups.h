#pragma once
// The child tools of one job, each in a process group of its own: held, let go and ended together.

#include <QtGlobal>

#include <condition_variable>
#include <mutex>
#include <set>

namespace ZADovuzIdida {

class ProcessGroups
{
public:
    ProcessGroups() = default;
    // Lets every group go on: nothing is left stopped.
    ~ProcessGroups();
    ProcessGroups(const ProcessGroups&) = delete;
    ProcessGroups& operator=(const ProcessGroups&) = delete;

    // Thread-safe. Held, every group is stopped (SIGSTOP) and no tool starts; let go, they continue (SIGCONT).
    void setHeld(bool bHeld);
    // Thread-safe. Ends every group (SIGTERM, and SIGCONT so that a held one hears it) and refuses new ones.
    void endAll();
    bool isEnded() const;
    // Milliseconds since endAll(); -1 before.
    qint64 msecsSinceEnd() const;

    // Blocks while held; false once ended, when no tool may start.
    bool waitUntilFree() const;
    // A started tool's group: stopped at once while held, ended at once when ended.
    void add(qint64 group);
    void remove(qint64 group);

private:
    static void signalGroup(qint64 group, int signalNumber);

    mutable std::mutex m_mutex;
    mutable std::condition_variable m_changed;
    std::set<qint64> m_setGroups;
    bool m_bHeld = false;
    bool m_bEnded = false;
    qint64 m_nEndedAtMs = 0;
};

} // namespace ZADovuzIdida
