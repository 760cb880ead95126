#include <MTools/Delay.h>

#include <QEventLoop>
#include <QTimer>

namespace MTools {

void delay(int nMilliseconds)
{
    QEventLoop loop;
    QTimer::singleShot(nMilliseconds, &loop, SLOT(quit()));
    loop.exec();
}

Delay::Delay(QObject* pParent) : QObject(pParent), m_pLoop(new QEventLoop(this)), m_pTimer(new QTimer(this))
{
    m_pTimer->setSingleShot(true);
    connect(m_pTimer, SIGNAL(timeout()), this, SLOT(slotUnblock()));
}

int Delay::wait(int nMilliseconds)
{
    m_pTimer->start(nMilliseconds);
    return m_pLoop->exec();
}

// Also stops the timer, so an early unblock cannot cut a later wait short.
void Delay::slotUnblock()
{
    m_pTimer->stop();
    m_pLoop->exit(0);
}

} // namespace MTools
