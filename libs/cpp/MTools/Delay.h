// Waits that keep the calling thread's event loop running.
#pragma once

#include <QObject>

class QEventLoop;
class QTimer;

namespace MTools {

// Returns after the given milliseconds; events of this thread are handled meanwhile.
void delay(int nMilliseconds);

class Delay : public QObject
{
    Q_OBJECT
public:
    explicit Delay(QObject* pParent = nullptr);

    // Runs the event loop until the time has passed or slotUnblock() ends it; returns its exit code.
    int wait(int nMilliseconds);

public slots:
    void slotUnblock();

private:
    QEventLoop* m_pLoop;
    QTimer* m_pTimer;
};

} // namespace MTools
