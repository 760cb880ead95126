#include "SectionedDecode.h"

#include "MediaStatus.h"

#include "../CoreLender.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <limits>

namespace ZADovuzIdida {

namespace {

// Sections decoded ahead of the reader, per thread.
constexpr qint64 AheadPerThread = 2;
// Cores given back elsewhere come without a notice: a thread waiting for one asks again this often.
constexpr std::chrono::milliseconds LendRetry(20);
// Packets before a section's first whose frames must match those that the section before gave for them.
constexpr int CheckedPackets = 2;
// A packet that tells no length counts as this many frames towards a section's.
constexpr qint64 UnknownPacketFrames = 1024;
// Frames passed over at a time where a decode from the start catches up with the reader.
constexpr int CatchUpFrames = 8192;

} // namespace

bool SectionedDecode::suits(const FfmpegDecoder& opened, int sampleRate)
{
    if (opened.cutsExactly())
        return pays(opened.declaredFrames(), sampleRate);
    return opened.cutsByPackets() && pays(opened.estimatedFrames(), sampleRate);
}

SectionedDecode::SectionedDecode(const QString& path, int sampleRate, FfmpegDecoder::SampleFormat format, int nThreads,
                                 const FfmpegDecoder& opened, CoreLender* pLender)
    : m_strPath(path), m_nRate(sampleRate), m_eFormat(format), m_nBytesPerFrame(opened.bytesPerFrame()),
      m_nSectionFrames(int(qint64(sampleRate) * SectionMs / 1000)), m_nThreads(std::max(nThreads, 1)), m_opened(opened),
      m_pLender(pLender), m_bByPackets(!opened.cutsExactly()), m_memory(opened.memory()),
      m_nCap(m_bByPackets ? std::numeric_limits<qint64>::max()
                          : std::max<qint64>(opened.declaredFrames() - 1, 0) / m_nSectionFrames)
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
        Cut cut;
        if (m_bByPackets)
            cut = cutSection(index);
        const bool bFileEnds = cut.bFileEnds;
        if (!bOpened) {
            bOpened = true;
            status = decoder.open(m_strPath);
            if (status == 0)
                status = decoder.setOutputFormat(m_nRate, m_eFormat);
        }
        section.frames = 0;
        const int damagedBefore = decoder.damagedPackets();
        if (status != 0)
            section.status = status;
        else if (m_bByPackets)
            decodeCut(decoder, std::move(cut), &section);
        else
            fill(decoder, decoder.decodeRange(index * m_nSectionFrames, (index + 1) * m_nSectionFrames), &section);
        const bool bEnded = section.status != 0 || (m_bByPackets ? bFileEnds : decoder.endedInRange());
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_nDamaged += decoder.damagedPackets() - damagedBefore;
            if (bEnded)
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

void SectionedDecode::fill(FfmpegDecoder& decoder, int status, Section* pSection)
{
    pSection->status = status;
    // A section holds fewer frames where damage lost some, more only where timestamps repeat or packets give more
    // than they tell; room beyond it lets the read find its end.
    const size_t growth = (size_t(m_nSectionFrames) + 1) * size_t(m_nBytesPerFrame);
    while (pSection->status == 0) {
        const size_t filled = size_t(pSection->frames) * size_t(m_nBytesPerFrame);
        if (filled == pSection->bytes.size())
            pSection->bytes.resize(filled + growth);
        const int room = int((pSection->bytes.size() - filled) / size_t(m_nBytesPerFrame));
        const int got = decoder.read(pSection->bytes.data() + filled, room, &pSection->status);
        if (got <= 0)
            break;
        pSection->frames += got;
    }
}

SectionedDecode::Cut SectionedDecode::cutSection(qint64 index)
{
    std::unique_lock<std::mutex> lock(m_demuxMutex);
    m_demuxTurn.wait(lock, [&] { return m_nDemuxed == index; });
    Cut cut;
    if (!m_bDemuxerOpen) {
        m_bDemuxerOpen = true;
        cut.status = m_demuxer.open(m_strPath);
        if (cut.status == 0)
            cut.status = m_demuxer.setOutputFormat(m_nRate, m_eFormat);
        m_bDemuxEnded = cut.status != 0;
    }
    for (const FfmpegDecoder::Packet& packet : m_dequeBefore)
        cut.packets.push_back(packet.pPacket);
    cut.nFirstKept = cut.packets.size();
    cut.bFileEnds = m_bDemuxEnded;
    const size_t settling = size_t(m_memory.nSettlePackets + CheckedPackets);
    const auto reservoirBytes = [this](const FfmpegDecoder::Packet& packet) {
        return std::max(packet.nBytes - m_memory.nOverheadBytes, 1);
    };
    for (qint64 frames = 0; !m_bDemuxEnded;) {
        FfmpegDecoder::Packet packet =
            m_nextPacket.pPacket ? std::move(m_nextPacket) : m_demuxer.readPacket(&cut.status);
        m_nextPacket = FfmpegDecoder::Packet();
        if (!packet.pPacket) {
            m_bDemuxEnded = true;
            cut.bFileEnds = cut.status == 0;
            break;
        }
        // A section holds no more frames than its length, but one packet at least.
        const qint64 packetFrames = packet.nFrames > 0 ? packet.nFrames : UnknownPacketFrames;
        if (frames > 0 && frames + packetFrames > m_nSectionFrames) {
            m_nextPacket = std::move(packet);
            break;
        }
        frames += packetFrames;
        m_bDemuxRenewed = m_bDemuxRenewed || packet.bRenews;
        cut.packets.push_back(packet.pPacket);
        // The next section is fed the packets that settle a decoder and are checked, and before them those that
        // hold the reservoir of the first.
        m_dequeBefore.push_back(std::move(packet));
        if (m_dequeBefore.size() > settling)
            m_nBeforeBytes += reservoirBytes(m_dequeBefore[m_dequeBefore.size() - 1 - settling]);
        while (m_dequeBefore.size() > settling &&
               m_nBeforeBytes - reservoirBytes(m_dequeBefore.front()) >= m_memory.nReservoirBytes) {
            m_nBeforeBytes -= reservoirBytes(m_dequeBefore.front());
            m_dequeBefore.pop_front();
        }
    }
    cut.bRenewed = m_bDemuxRenewed;
    ++m_nDemuxed;
    lock.unlock();
    m_demuxTurn.notify_all();
    return cut;
}

void SectionedDecode::decodeCut(FfmpegDecoder& decoder, Cut cut, Section* pSection)
{
    const int demuxStatus = cut.status;
    fill(decoder, decoder.decodePackets(std::move(cut.packets), cut.nFirstKept, CheckedPackets, cut.bFileEnds),
         pSection);
    if (pSection->status == 0)
        pSection->status = demuxStatus;
    pSection->bExact = !cut.bRenewed && decoder.fedExactly();
    pSection->entered = decoder.enteredFrames();
    pSection->ended = decoder.endedFrames();
}

bool SectionedDecode::decodeWholeFromHere(int* status)
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_bStop = true;
    }
    m_changed.notify_all();
    for (std::thread& thread : m_vecThreads)
        thread.join();
    m_vecThreads.clear();
    m_mapReady.clear();
    m_pWhole = std::make_unique<FfmpegDecoder>();
    int rc = m_pWhole->open(m_strPath);
    if (rc == 0)
        rc = m_pWhole->setOutputFormat(m_nRate, m_eFormat);
    std::vector<char> passed(size_t(CatchUpFrames) * size_t(m_nBytesPerFrame));
    for (qint64 left = m_nFramesOut; rc == 0 && left > 0;) {
        const int got = m_pWhole->read(passed.data(), int(std::min<qint64>(left, CatchUpFrames)), &rc);
        if (got <= 0)
            break;
        left -= got;
    }
    if (status)
        *status = rc;
    return rc == 0;
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
        if (m_pWhole) {
            const int got = m_pWhole->read(static_cast<char*>(dst) + size_t(done) * size_t(m_nBytesPerFrame),
                                           frames - done, status);
            return done + std::max(got, 0);
        }
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
            // A section of packets that may differ from a decode from the start, or whose decoder did not reach the
            // state of the one before it: the rest comes from one such decode.
            const bool bTaken =
                !m_bByPackets || (it->second.bExact && (m_nReading == 0 || it->second.entered == m_current.ended));
            if (!bTaken) {
                lock.unlock();
                if (!decodeWholeFromHere(status))
                    return done;
                continue;
            }
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
    if (m_pWhole)
        return m_pWhole->damagedPackets();
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_nDamaged;
}

} // namespace ZADovuzIdida
