#include "BatchRun.h"

#include "BatchThread.h"
#include "BatchWorker.h"

#include <QTimer>

BatchRun::BatchRun(BatchWorker* pWorker, QObject* parent)
    : QObject(parent), m_pThread(pWorker ? new BatchThread(pWorker, this) : new BatchThread(this))
{
    BatchWorker* pRunWorker = worker();
    connect(m_pThread, SIGNAL(started()), pRunWorker, SLOT(slotDoWork()));
    connect(pRunWorker, SIGNAL(finished(QString)), this, SLOT(slotWorkerFinished(QString)));
    connect(pRunWorker, SIGNAL(fileProgress(int)), this, SIGNAL(fileProgress(int)));
    connect(pRunWorker, SIGNAL(totalProgress(int)), this, SIGNAL(totalProgress(int)));
    connect(pRunWorker, SIGNAL(currentFile(QString)), this, SIGNAL(currentFile(QString)));
    connect(pRunWorker, SIGNAL(errorsLog(QString)), this, SIGNAL(errorsLog(QString)));
    connect(pRunWorker, SIGNAL(notEnoughtFreeSpace()), this, SIGNAL(notEnoughtFreeSpace()));
}

// The thread, a child, stops and waits for its worker when it is deleted.
BatchRun::~BatchRun() = default;

BatchWorker* BatchRun::worker() const { return m_pThread->worker(); }

void BatchRun::start(int delayMs) { QTimer::singleShot(delayMs, this, SLOT(slotStart())); }

void BatchRun::slotStart()
{
    if (!m_bStopped)
        m_pThread->start();
}

bool BatchRun::stop()
{
    m_bStopped = true;
    worker()->stop();
    return hasStarted();
}

bool BatchRun::cancel()
{
    m_bStopped = true;
    worker()->cancel();
    return hasStarted();
}

bool BatchRun::hasStarted() const { return m_pThread->isRunning() || m_pThread->isFinished(); }

void BatchRun::pause(bool bPause) { worker()->pause(bPause); }

void BatchRun::slotWorkerFinished(const QString& runFolder)
{
    m_pThread->quit();
    m_pThread->wait();
    emit finished(runFolder);
}
