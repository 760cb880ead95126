#include "EncodeQueue.h"

#include "CoreBudget.h"
#include "GeneralOutput.h"

#include <chrono>

EncodeQueue::EncodeQueue(CoreBudget& cores, std::function<void(const QString&)> report)
    : m_cores(cores), m_report(std::move(report))
{
    m_pool.setMaxThreadCount(m_cores.cores());
}

EncodeQueue::~EncodeQueue()
{
    waitForAll();
    m_pool.waitForDone();
}

void EncodeQueue::reserve(qint64 bytes)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_nPending += bytes;
}

void EncodeQueue::drop(qint64 reserve)
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_nPending -= reserve;
        m_changed.notify_all();
    }
    m_cores.release();
}

void EncodeQueue::add(std::unique_ptr<GeneralOutput> pOutput, const QString& lines, qint64 reserve)
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
    }
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        entry->bDone = !bEncode;
        m_entries.push_back(entry);
        m_nPending -= reserve;
        reportEnded();
    }
    if (!bEncode) {
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
    pOutput->encodeResult();
    delete pOutput;

    {
        std::lock_guard<std::mutex> lock(m_mutex);
        entry->lines += lines;
        entry->bDone = true;
        reportEnded();
    }
    m_cores.release();
}

void EncodeQueue::reportEnded()
{
    while (!m_entries.empty() && m_entries.front()->bDone) {
        const std::shared_ptr<Entry> entry = m_entries.front();
        m_entries.pop_front();
        m_report(entry->lines);
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
    for (const auto& entry : m_entries)
        if (!entry->bDone)
            total += entry->reserve;
    return total;
}

void EncodeQueue::waitUntilUnreserved(const std::atomic<bool>& bStop)
{
    std::unique_lock<std::mutex> lock(m_mutex);
    while (reservedLocked() > 0 && !bStop)
        m_changed.wait_for(lock, std::chrono::milliseconds(100));
}

void EncodeQueue::waitForAll()
{
    std::unique_lock<std::mutex> lock(m_mutex);
    m_changed.wait(lock, [this] { return m_entries.empty(); });
}
