#pragma once
// A QProcess whose child runs in its own process group and is sent SIGTERM when the starting thread or the program
// ends, so no tool outlives it.

#include <QProcess>

#include <functional>

#include <sys/types.h>

namespace ZADovuzIdida {

class ProcessGroups;

class TiedProcess : public QProcess
{
public:
    explicit TiedProcess(QObject* parent = nullptr);

    // Starts program and blocks until it has ended. With groups: waits while they are held, joins them while it
    // runs, and is killed when they were ended and it has not gone a while later. While it runs, whileRunning is
    // called whenever it writes to standard output, and now and then. False when it did not run because the groups
    // were ended.
    bool run(const QString& program, const QStringList& arguments, ProcessGroups* pGroups,
             const std::function<void()>& whileRunning = {});

protected:
    // Runs in the child between fork and exec.
    void setupChildProcess() override;

private:
    pid_t m_nParentPid;
};

} // namespace ZADovuzIdida
