#include "EncodeQueue.h"

#include "CoreBudget.h"
#include "GeneralOutput.h"

#include <QFile>

#include <algorithm>
#include <chrono>

EncodeQueue::EncodeQueue(CoreBudget& cores, int nFiles, std::function<void(int, const QString&)> report)
    : m_cores(cores), m_report(std::move(report)), m_entries(size_t(std::max(nFiles, 0))),
      m_nKept(int(m_entries.size()))
{
    m_pool.setMaxThreadCount(m_cores.cores());
}

EncodeQueue::~EncodeQueue() { m_pool.waitForDone(); }

void EncodeQueue::reserve(qint64 bytes)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_nPending += bytes;
}

void EncodeQueue::drop(int place, qint64 reserve)
{
    auto entry = std::make_shared<Entry>();
    entry->bDone = true;
    entry->bDropped = true;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_entries[size_t(place)] = entry;
        m_nPending -= reserve;
        reportEnded();
    }
    m_cores.release();
}

void EncodeQueue::add(int place, std::unique_ptr<GeneralOutput> pOutput, const QString& lines, qint64 reserve)
{
    auto entry = std::make_shared<Entry>();
    entry->lines = lines;
    bool bEncode = false;
    if (pOutput) {
        QObject::disconnect(pOutput.get(), nullptr, nullptr, nullptr);
        QObject::connect(pOutput.get(), &GeneralOutput::errorsLog,
                         [entry](const QString& line) { entry->lines += line; });
        bEncode = pOutput->completeIntermediate();
        entry->reserve = reserve;
        // Without an encode, the intermediate is what the file made.
        if (!bEncode && pOutput->close())
            entry->result = pOutput->outputFile();
    }
    bool bRemove = false;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        entry->bDone = !bEncode;
        entry->bDropped = place >= m_nKept;
        bRemove = entry->bDone && entry->bDropped;
        m_entries[size_t(place)] = entry;
        m_nPending -= reserve;
        reportEnded();
    }
    if (!bEncode) {
        if (bRemove && !entry->result.isEmpty())
            QFile::remove(entry->result);
        m_cores.release();
        return;
    }
    GeneralOutput* pEncoding = pOutput.release();
    if (m_cores.cores() <= 1)
        encode(entry, pEncoding);
    else
        m_pool.start([this, entry, pEncoding]() { encode(entry, pEncoding); });
}

void EncodeQueue::encode(const std::shared_ptr<Entry>& entry, GeneralOutput* pOutput)
{
    // The lines of the encode go to the entry only after it has ended, under the lock.
    QString lines;
    QObject::disconnect(pOutput, nullptr, nullptr, nullptr);
    QObject::connect(pOutput, &GeneralOutput::errorsLog, [&lines](const QString& line) { lines += line; });
    const QString result = pOutput->encodeResult() ? pOutput->outputFile() : QString();
    delete pOutput;

    bool bRemove = false;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        entry->lines += lines;
        entry->result = result;
        entry->bDone = true;
        bRemove = entry->bDropped;
        reportEnded();
    }
    if (bRemove && !result.isEmpty())
        QFile::remove(result);
    m_cores.release();
}

void EncodeQueue::reportEnded()
{
    for (; m_nReported < m_nReportable; ++m_nReported) {
        std::shared_ptr<Entry>& entry = m_entries[size_t(m_nReported)];
        if (!entry || !entry->bDone)
            break;
        if (!entry->bDropped)
            m_report(m_nReported, entry->lines);
        entry.reset();
    }
    m_changed.notify_all();
}

qint64 EncodeQueue::reservedBytes() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return reservedLocked();
}

qint64 EncodeQueue::reservedLocked() const
{
    qint64 total = m_nPending;
    for (size_t place = size_t(m_nReported); place < m_entries.size(); ++place)
        if (m_entries[place] && !m_entries[place]->bDone)
            total += m_entries[place]->reserve;
    return total;
}

void EncodeQueue::waitUntilUnreserved(const std::atomic<bool>& bStop)
{
    std::unique_lock<std::mutex> lock(m_mutex);
    while (reservedLocked() > 0 && !bStop)
        m_changed.wait_for(lock, std::chrono::milliseconds(100));
}

void EncodeQueue::reportUpTo(int nPlaces)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_nReportable = std::clamp(nPlaces, m_nReportable, int(m_entries.size()));
    reportEnded();
}

void EncodeQueue::dropFrom(int place)
{
    std::vector<QString> results;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_nKept = std::clamp(place, m_nReported, m_nKept);
        for (size_t at = size_t(m_nKept); at < m_entries.size(); ++at) {
            const std::shared_ptr<Entry>& entry = m_entries[at];
            if (!entry || entry->bDropped)
                continue;
            entry->bDropped = true;
            if (entry->bDone && !entry->result.isEmpty())
                results.push_back(entry->result);
        }
        m_nReportable = int(m_entries.size());
        reportEnded();
    }
    for (const QString& result : results)
        QFile::remove(result);
}

void EncodeQueue::waitForAll(int nPlaces)
{
    std::unique_lock<std::mutex> lock(m_mutex);
    m_changed.wait(lock, [this, nPlaces] { return m_nReported >= nPlaces; });
}
