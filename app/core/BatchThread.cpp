#include "BatchThread.h"

#include "BatchWorker.h"

BatchThread::BatchThread(QObject* parent) : QThread(parent), m_pWorker(new BatchWorker(nullptr))
{
    m_pWorker->moveToThread(this);
}

BatchThread::~BatchThread()
{
    if (isRunning()) {
        m_pWorker->stop();
        quit();
        wait();
    }
    delete m_pWorker;
}

void BatchThread::run() { exec(); }
