#include "VirtualDisplay.h"

#include <QRegularExpression>

#include <unistd.h>

namespace TestKit {

VirtualDisplay::VirtualDisplay(int width, int height)
{
    // Each server gets a number of its own, away from the low numbers that servers of other suites take and free
    // all the time; one that does not get it, or does not serve it, is replaced on the next number.
    constexpr int kTries = 5;
    for (int attempt = 0; attempt < kTries && m_strDisplay.isEmpty(); ++attempt) {
        stop();
        start(width, height);
        if (!m_strDisplay.isEmpty() && !answers()) {
            m_strError = "Xvfb does not answer on " + m_strDisplay + ": " +
                         QString::fromLocal8Bit(m_process.readAllStandardError());
            m_strDisplay.clear();
        }
    }
}

VirtualDisplay::~VirtualDisplay() { stop(); }

void VirtualDisplay::start(int width, int height)
{
    static int sm_nStarted = 0;
    const int requested = 100 + int(getpid() % 400) * 16 + sm_nStarted++ % 16;
    // Without -noreset the server resets whenever its last client leaves, and refuses connections meanwhile: a
    // program started right after a probe client could not connect.
    m_process.start("Xvfb", {":" + QString::number(requested), "-displayfd", "1", "-noreset", "-screen", "0",
                             QString("%1x%2x24").arg(width).arg(height), "-nolisten", "tcp"});
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

void VirtualDisplay::stop()
{
    if (m_process.state() != QProcess::NotRunning) {
        m_process.terminate();
        if (!m_process.waitForFinished(5000)) {
            m_process.kill();
            m_process.waitForFinished();
        }
    }
}

bool VirtualDisplay::answers() const
{
    QProcess client;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("DISPLAY", m_strDisplay);
    client.setProcessEnvironment(env);
    client.start("xwininfo", {"-root"});
    return client.waitForFinished(10000) && client.exitStatus() == QProcess::NormalExit && client.exitCode() == 0 &&
           m_process.state() == QProcess::Running;
}

QMap<QString, QRect> VirtualDisplay::windows(const QString& instance) const
{
    QProcess xwininfo;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("DISPLAY", m_strDisplay);
    xwininfo.setProcessEnvironment(env);
    xwininfo.start("xwininfo", {"-root", "-tree"});
    QMap<QString, QRect> windows;
    if (!xwininfo.waitForFinished(10000))
        return windows;
    const QRegularExpression line("\"([^\"]*)\": \\(\"" + QRegularExpression::escape(instance) +
                                  "\" \"[^\"]*\"\\)\\s+(\\d+)x(\\d+)\\+(-?\\d+)\\+(-?\\d+)");
    QRegularExpressionMatchIterator it = line.globalMatch(QString::fromLocal8Bit(xwininfo.readAllStandardOutput()));
    while (it.hasNext()) {
        const QRegularExpressionMatch match = it.next();
        const QRect rect(match.captured(4).toInt(), match.captured(5).toInt(), match.captured(2).toInt(),
                         match.captured(3).toInt());
        if (rect.width() > 50)
            windows.insert(match.captured(1), rect);
    }
    return windows;
}

} // namespace TestKit
