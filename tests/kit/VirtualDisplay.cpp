#include "VirtualDisplay.h"

namespace TestKit {

VirtualDisplay::VirtualDisplay(int width, int height)
{
    m_process.start(
        "Xvfb", {"-displayfd", "1", "-screen", "0", QString("%1x%2x24").arg(width).arg(height), "-nolisten", "tcp"});
    if (!m_process.waitForStarted(10000)) {
        m_strError = "Xvfb did not start: " + m_process.errorString();
        return;
    }
    while (!m_process.canReadLine() && m_process.waitForReadyRead(10000)) {
    }
    const QString number = QString::fromUtf8(m_process.readLine()).trimmed();
    if (number.isEmpty())
        m_strError = "Xvfb printed no display: " + QString::fromLocal8Bit(m_process.readAllStandardError());
    else
        m_strDisplay = ":" + number;
}

VirtualDisplay::~VirtualDisplay()
{
    if (m_process.state() != QProcess::NotRunning) {
        m_process.terminate();
        if (!m_process.waitForFinished(5000)) {
            m_process.kill();
            m_process.waitForFinished();
        }
    }
}

} // namespace TestKit
