#pragma once
// A QProcess whose child runs in its own process group and is sent SIGTERM when the starting thread or the program
// ends, so no tool outlives it.

#include <QProcess>

#include <sys/types.h>

namespace ZADovuzIdida {

class TiedProcess : public QProcess
{
public:
    explicit TiedProcess(QObject* parent = nullptr);

protected:
    // Runs in the child between fork and exec.
    void setupChildProcess() override;

private:
    pid_t m_nParentPid;
};

} // namespace ZADovuzIdida
