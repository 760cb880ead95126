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

    // Blocks while every slot is busy; then takes one for a file about to be written, true, or false once bStop
    // is set. The slot passes to the file's encode or is given back by add() or releaseSlot().
    bool takeSlot(const std::atomic<bool>& bStop);
    // Disk space a file holding a slot may take until its encode has ended.
    void reserve(qint64 bytes);
    // A file holding a slot and reserve bytes ends without an outcome.
    void releaseSlot(qint64 reserve);
    // The outcome of one file, in file order: its lines so far and, when it made one, the output to complete and
    // encode; reserve is the disk space its encode may still take; bSlot tells whether the file holds a slot.
    void add(std::unique_ptr<GeneralOutput> pOutput, const QString& lines, qint64 reserve, bool bSlot = false);
    // Disk space taken by files being written or encoded.
    qint64 reservedBytes() const;
    // Blocks until no file holds any disk space, or bStop is set.
    void waitUntilUnreserved(const std::atomic<bool>& bStop);
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
    qint64 reservedLocked() const;

    const int m_nSlots;
    const std::function<void(const QString&)> m_report;
    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<std::shared_ptr<Entry>> m_entries;
    // Result names of running encodes, which may not exist on disk yet.
    QSet<QString> m_setResults;
    // Slots held by files being written or encoded, and the space held by those still being written.
    int m_nRunning = 0;
    qint64 m_nPending = 0;
    QThreadPool m_pool;
};
