#pragma once
// The thread of one conversion run: runs an event loop and owns the worker that lives on it.

#include <QThread>

class BatchWorker;

class BatchThread : public QThread
{
    Q_OBJECT

public:
    // Creates the worker and moves it to this thread; connect started() to its slotDoWork().
    explicit BatchThread(QObject* parent = nullptr);
    // Takes pWorker (a test's) instead.
    explicit BatchThread(BatchWorker* pWorker, QObject* parent = nullptr);
    // A running run is stopped and waited for (its current file is finished); then the worker is deleted.
    ~BatchThread() override;

    BatchWorker* worker() const { return m_pWorker; }

protected:
    void run() override;

private:
    BatchWorker* m_pWorker;
};
