#pragma once
// The encodes of one run: a few at once in the background, each file's outcome reported in file order.

#include <QSet>
#include <QString>
#include <QThreadPool>

#include <atomic>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>

class GeneralOutput;

class EncodeQueue
{
public:
    // report receives each file's error lines once its encode has ended and every earlier file's has; it runs
    // on whichever thread ended the last of them. One slot or fewer: each encode runs at once inside add().
    EncodeQueue(int nSlots, std::function<void(const QString& lines)> report);
    // Waits for every encode.
    ~EncodeQueue();

    // Blocks while every slot is busy, until one is free or bStop is set.
    void waitForSlot(const std::atomic<bool>& bStop);
    // The outcome of one file: its lines so far and, when it made one, the output to complete and encode;
    // reserve is the disk space its encode may still take.
    void add(std::unique_ptr<GeneralOutput> pOutput, const QString& lines, qint64 reserve);
    // Disk space the running encodes may still take.
    qint64 reservedBytes() const;
    int running() const;
    // Blocks until no encode runs.
    void waitForIdle();
    // Blocks until every file is reported.
    void waitForAll();

private:
    struct Entry
    {
        QString lines;
        QString result;
        qint64 reserve = 0;
        bool bDone = false;
    };

    void encode(const std::shared_ptr<Entry>& entry, GeneralOutput* pOutput);
    // Under the lock: reports the ended files at the head of the queue.
    void reportEnded();

    const int m_nSlots;
    const std::function<void(const QString&)> m_report;
    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<std::shared_ptr<Entry>> m_entries;
    // Result names of running encodes, which may not exist on disk yet.
    QSet<QString> m_setResults;
    int m_nRunning = 0;
    QThreadPool m_pool;
};
