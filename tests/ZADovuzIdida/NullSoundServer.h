#pragma once
// A private PulseAudio server with a null sink for playback suites; reuses a server that already answers.

#include "Tools.h"

#include <QTemporaryDir>
#include <QThread>

namespace TestKit {

class NullSoundServer
{
public:
    NullSoundServer() = default;
    NullSoundServer(const NullSoundServer&) = delete;
    NullSoundServer& operator=(const NullSoundServer&) = delete;

    ~NullSoundServer()
    {
        if (m_bOwn)
            runTool("pulseaudio", {"--kill"}, 10000);
    }

    // Must run before the first audio object is made. Returns false with a reason when no server comes up.
    bool start(QString* error)
    {
        if (runTool("pactl", {"info"}, 10000).exitCode == 0)
            return true;
        if (!m_dir.isValid()) {
            *error = "no temporary folder";
            return false;
        }
        qputenv("XDG_RUNTIME_DIR", m_dir.path().toLocal8Bit());
        qputenv("PULSE_RUNTIME_PATH", (m_dir.path() + "/pulse").toLocal8Bit());
        const ToolResult daemon = runTool("pulseaudio",
                                          {"-D", "-n", "--exit-idle-time=-1", "--disallow-exit", "--use-pid-file=yes",
                                           "--load=module-null-sink sink_name=null",
                                           "--load=module-native-protocol-unix", "--load=module-always-sink"},
                                          30000);
        m_bOwn = true;
        for (int i = 0; i < 100; ++i) {
            if (runTool("pactl", {"info"}, 10000).exitCode == 0) {
                runTool("pactl", {"set-default-sink", "null"}, 10000);
                return true;
            }
            QThread::msleep(100);
        }
        *error = "pulseaudio did not start: " + QString::fromLocal8Bit(daemon.err);
        return false;
    }

private:
    QTemporaryDir m_dir;
    bool m_bOwn = false;
};

} // namespace TestKit
