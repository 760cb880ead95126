#pragma once
// One conversion run as the window sees it: its thread and worker, a delayed start, stop and pause, its signals.

#include <QObject>
#include <QString>

class BatchThread;
class BatchWorker;

class BatchRun : public QObject
{
    Q_OBJECT

public:
    // pWorker (a test's, taken over) or, when null, a new BatchWorker.
    explicit BatchRun(BatchWorker* pWorker = nullptr, QObject* parent = nullptr);
    // A running run is stopped and waited for: the worker's file and the running encodes are finished first.
    ~BatchRun() override;

    // Takes the settings and lists before the start.
    BatchWorker* worker() const;
    // Starts the run after delayMs unless it is stopped before.
    void start(int delayMs);
    // Thread-safe flags of the worker. False when the run had not started: it never will and finished() is not
    // emitted.
    bool stop();
    // As stop(), but the run ends at once: the files being converted or encoded are dropped and their encoders
    // ended.
    bool cancel();
    void pause(bool bPause);

signals:
    // The run has ended and its thread is gone.
    void finished(const QString& runFolder);
    void fileProgress(int percent);
    void totalProgress(int percent);
    void currentFile(const QString& text);
    void errorsLog(const QString& errors);
    void notEnoughtFreeSpace();

private slots:
    void slotStart();
    void slotWorkerFinished(const QString& runFolder);

private:
    bool hasStarted() const;

    BatchThread* m_pThread;
    bool m_bStopped = false;
};
