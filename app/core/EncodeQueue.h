#pragma once
// The encodes of one run: in the background on the cores the files hand over, each file's outcome reported in file
// order.

#include <QString>
#include <QThreadPool>

#include <atomic>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

class CoreBudget;
class GeneralOutput;

class EncodeQueue
{
public:
    // The run's nFiles places (0 first): report receives a file's place and error lines once its encode has ended,
    // its place may be reported (reportUpTo) and every earlier place is reported or dropped; it runs on whichever
    // thread ended the last of them. With one core or fewer, each encode runs at once inside add().
    EncodeQueue(CoreBudget& cores, int nFiles, std::function<void(int place, const QString& lines)> report);
    // Waits for every encode.
    ~EncodeQueue();

    // Disk space a file about to be written may take until its encode has ended.
    void reserve(qint64 bytes);
    // The file at place, which holds a core and reserve bytes, ends without an outcome.
    void drop(int place, qint64 reserve);
    // The outcome of the file at place, in any order, which holds a core: its lines so far and, when it made one,
    // the output to complete and encode on that core; reserve is the disk space its encode may still take.
    void add(int place, std::unique_ptr<GeneralOutput> pOutput, const QString& lines, qint64 reserve);
    // Disk space taken by files being written or encoded.
    qint64 reservedBytes() const;
    // Blocks until no file holds any disk space, or bStop is set.
    void waitUntilUnreserved(const std::atomic<bool>& bStop);
    // The first nPlaces files may be reported as their encodes end; the others wait.
    void reportUpTo(int nPlaces);
    // Every file from place on, added or still to come, ends without an outcome: what it made is removed, once its
    // encode has ended where one runs.
    void dropFrom(int place);
    // Blocks until the first nPlaces places are reported or dropped.
    void waitForAll(int nPlaces);

private:
    struct Entry
    {
        QString lines;
        // What the file made, removed when it is dropped.
        QString result;
        qint64 reserve = 0;
        bool bDone = false;
        bool bDropped = false;
    };

    void encode(const std::shared_ptr<Entry>& entry, GeneralOutput* pOutput);
    // Under the lock: reports the ended files from the first place not reported on.
    void reportEnded();
    qint64 reservedLocked() const;

    CoreBudget& m_cores;
    const std::function<void(int, const QString&)> m_report;
    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    // By place; empty until the file is added or dropped.
    std::vector<std::shared_ptr<Entry>> m_entries;
    int m_nReported = 0;
    int m_nReportable = 0;
    // Places from here on are dropped.
    int m_nKept = 0;
    // The space held by files still being written.
    qint64 m_nPending = 0;
    QThreadPool m_pool;
};
