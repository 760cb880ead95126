#pragma once
// A private Xvfb display for screenshot tests; stopped when the object goes.

#include <QMap>
#include <QProcess>
#include <QRect>
#include <QString>

namespace TestKit {

class VirtualDisplay
{
public:
    // Starts Xvfb with one screen of the given size and depth 24, and waits until a client can connect. The server
    // keeps its state when clients leave.
    VirtualDisplay(int width = 640, int height = 480);
    ~VirtualDisplay();
    VirtualDisplay(const VirtualDisplay&) = delete;
    VirtualDisplay& operator=(const VirtualDisplay&) = delete;

    bool isRunning() const { return !m_strDisplay.isEmpty(); }
    // ":N", for DISPLAY.
    QString display() const { return m_strDisplay; }
    QString error() const { return m_strError; }
    // The windows wider than 50 px that a program (its X instance name) shows on the display: title, geometry.
    QMap<QString, QRect> windows(const QString& instance) const;

private:
    void start(int width, int height);
    void stop();
    // A client can connect, and the server is still the one started.
    bool answers() const;

    QProcess m_process;
    QString m_strDisplay;
    QString m_strError;
};

} // namespace TestKit
