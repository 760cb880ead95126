#include "SectionedDecode.h"

#include "MediaStatus.h"

#include "../CoreLender.h"

#include <algorithm>
#include <chrono>
#include <cstring>

namespace ZADovuzIdida {

namespace {

// Sections decoded ahead of the reader, per thread.
constexpr qint64 AheadPerThread = 2;
// Cores given back elsewhere come without a notice: a thread waiting for one asks again this often.
constexpr std::chrono::milliseconds LendRetry(20);

} // namespace

SectionedDecode::SectionedDecode(const QString& path, int sampleRate, FfmpegDecoder::SampleFormat format, int nThreads,
                                 const FfmpegDecoder& opened, CoreLender* pLender)
    : m_strPath(path), m_nRate(sampleRate), m_eFormat(format), m_nBytesPerFrame(opened.bytesPerFrame()),
      m_nSectionFrames(int(qint64(sampleRate) * SectionMs / 1000)), m_nThreads(std::max(nThreads, 1)), m_opened(opened),
      m_pLender(pLender), m_nCap(std::max<qint64>(opened.declaredFrames() - 1, 0) / m_nSectionFrames)
{
    for (int i = 0; i < m_nThreads; ++i)
        m_vecThreads.emplace_back([this] { decodeSections(); });
}

SectionedDecode::~SectionedDecode()
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_bStop = true;
    }
    m_changed.notify_all();
    for (std::thread& thread : m_vecThreads)
        thread.join();
}

void SectionedDecode::decodeSections()
{
    // Opened with the first section: a thread that never gets one costs little.
    FfmpegDecoder decoder;
    bool bOpened = false;
    int status = 0;
    Section section;
    for (;;) {
        qint64 index = 0;
        bool bLent = false;
        bool bReaderCore = false;
        {
            std::unique_lock<std::mutex> lock(m_mutex);
            const auto over = [this] { return m_bStop || (m_nLast >= 0 && m_nNextToDecode > m_nLast); };
            const auto due = [this] {
                return m_nNextToDecode <= m_nCap && m_nNextToDecode < m_nReading + AheadPerThread * m_nThreads;
            };
            // A core is taken only for a section that is due.
            while (!over() && !(due() && takeCore(&bLent, &bReaderCore))) {
                if (m_pLender)
                    m_changed.wait_for(lock, LendRetry);
                else
                    m_changed.wait(lock);
            }
            if (over())
                return;
            index = m_nNextToDecode++;
            if (!m_vecSpare.empty()) {
                section.bytes = std::move(m_vecSpare.back());
                m_vecSpare.pop_back();
            }
        }
        if (!bOpened) {
            bOpened = true;
            status = decoder.open(m_strPath);
            if (status == 0)
                status = decoder.setOutputFormat(m_nRate, m_eFormat);
        }
        section.frames = 0;
        const int damagedBefore = decoder.damagedPackets();
        section.status =
            status != 0 ? status : decoder.decodeRange(index * m_nSectionFrames, (index + 1) * m_nSectionFrames);
        // A section holds fewer frames where damage lost some, more only where timestamps repeat; a frame of room
        // beyond its length lets the read find its end.
        const size_t growth = (size_t(m_nSectionFrames) + 1) * size_t(m_nBytesPerFrame);
        while (section.status == 0) {
            const size_t filled = size_t(section.frames) * size_t(m_nBytesPerFrame);
            if (filled == section.bytes.size())
                section.bytes.resize(filled + growth);
            const int room = int((section.bytes.size() - filled) / size_t(m_nBytesPerFrame));
            const int got = decoder.read(section.bytes.data() + filled, room, &section.status);
            if (got <= 0)
                break;
            section.frames += got;
        }
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_nDamaged += decoder.damagedPackets() - damagedBefore;
            if (section.status != 0 || decoder.endedInRange())
                m_nLast = m_nLast < 0 ? index : std::min(m_nLast, index);
            else if (index == m_nCap)
                ++m_nCap;
            m_mapReady[index] = std::move(section);
            section = Section();
            if (bReaderCore)
                m_bReaderCoreTaken = false;
        }
        if (bLent)
            m_pLender->giveBack(1);
        m_changed.notify_all();
    }
}

bool SectionedDecode::takeCore(bool* pLent, bool* pReaderCore)
{
    if (!m_pLender)
        return true;
    if (m_bReaderWaiting && !m_bReaderCoreTaken) {
        m_bReaderCoreTaken = *pReaderCore = true;
        return true;
    }
    return *pLent = m_pLender->lend();
}

bool SectionedDecode::nextReady() const
{
    return m_bStop || m_mapReady.count(m_nReading) > 0 || (m_nLast >= 0 && m_nReading > m_nLast);
}

int SectionedDecode::read(void* dst, int frames, int* status)
{
    if (status)
        *status = 0;
    int done = 0;
    while (done < frames) {
        if (m_nOffset == m_current.frames) {
            if (m_current.status != 0) {
                if (status)
                    *status = m_current.status;
                return done;
            }
            std::unique_lock<std::mutex> lock(m_mutex);
            // The section in hand came out short: the file ends with it.
            const bool bEnded = m_nLast >= 0 && m_nReading > m_nLast;
            if (bEnded || m_bStop) {
                if (done == 0 && status && m_opened.fallsShort(m_nFramesOut))
                    *status = kStatusTruncated;
                return done;
            }
            // While the reader waits, its core may decode what it waits for.
            m_bReaderWaiting = true;
            m_changed.notify_all();
            m_changed.wait(lock, [this] { return nextReady(); });
            m_bReaderWaiting = false;
            auto it = m_mapReady.find(m_nReading);
            if (it == m_mapReady.end())
                continue;
            m_vecSpare.push_back(std::move(m_current.bytes));
            m_current = std::move(it->second);
            m_mapReady.erase(it);
            ++m_nReading;
            m_nOffset = 0;
            lock.unlock();
            m_changed.notify_all();
            continue;
        }
        const int n = std::min(frames - done, m_current.frames - m_nOffset);
        std::memcpy(static_cast<char*>(dst) + size_t(done) * size_t(m_nBytesPerFrame),
                    m_current.bytes.data() + size_t(m_nOffset) * size_t(m_nBytesPerFrame),
                    size_t(n) * size_t(m_nBytesPerFrame));
        m_nOffset += n;
        done += n;
        m_nFramesOut += n;
    }
    return done;
}

int SectionedDecode::damagedPackets() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_nDamaged;
}

} // namespace ZADovuzIdida
