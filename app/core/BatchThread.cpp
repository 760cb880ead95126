#include "BatchThread.h"

#include "BatchWorker.h"

BatchThread::BatchThread(QObject* parent) : BatchThread(new BatchWorker(nullptr), parent) {}

BatchThread::BatchThread(BatchWorker* pWorker, QObject* parent) : QThread(parent), m_pWorker(pWorker)
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
