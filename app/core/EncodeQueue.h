#pragma once
// The encodes of one run: in the background on the cores the files hand over, each file's outcome reported in file
// order.

#include <QString>
#include <QThreadPool>

#include <atomic>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>

class CoreBudget;
class GeneralOutput;

class EncodeQueue
{
public:
    // report receives each file's error lines once its encode has ended and every earlier file's has; it runs on
    // whichever thread ended the last of them. With one core or fewer, each encode runs at once inside add().
    EncodeQueue(CoreBudget& cores, std::function<void(const QString& lines)> report);
    // Waits for every encode.
    ~EncodeQueue();

    // Disk space a file about to be written may take until its encode has ended.
    void reserve(qint64 bytes);
    // A file that holds a core and reserve bytes ends without an outcome.
    void drop(qint64 reserve);
    // The outcome of one file, in file order, which holds a core: its lines so far and, when it made one, the
    // output to complete and encode on that core; reserve is the disk space its encode may still take.
    void add(std::unique_ptr<GeneralOutput> pOutput, const QString& lines, qint64 reserve);
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
        qint64 reserve = 0;
        bool bDone = false;
    };

    void encode(const std::shared_ptr<Entry>& entry, GeneralOutput* pOutput);
    // Under the lock: reports the ended files at the head of the queue.
    void reportEnded();
    qint64 reservedLocked() const;

    CoreBudget& m_cores;
    const std::function<void(const QString&)> m_report;
    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<std::shared_ptr<Entry>> m_entries;
    // The space held by files still being written.
    qint64 m_nPending = 0;
    QThreadPool m_pool;
};
