#pragma once
// Decodes a file in sections of ten seconds side by side on several threads and hands the frames over in order, as one
// FfmpegDecoder reading it from the start would: a file that can be cut at exact frames by its timestamps, or one
// whose packets, read in order, a fresh decoder decodes the same once fed a few before them.

#include "FfmpegDecoder.h"

#include <condition_variable>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace ZADovuzIdida {

class CoreLender;

class SectionedDecode
{
public:
    static constexpr qint64 SectionMs = 10000;

    // True when a file of frames at sampleRate is long enough to be decoded in sections: two of them at least.
    static bool pays(qint64 frames, int sampleRate) { return frames > 2 * SectionMs * sampleRate / 1000; }
    // True when opened, a file opened for its output, is decoded the same in sections.
    static bool suits(const FfmpegDecoder& opened, int sampleRate);

    // Starts decoding path at sampleRate in format on nThreads threads; opened, the same file opened for that
    // output, tells its declared length. Where a section of packets may not give the frames of a decode from the
    // start, its frames and those after it come from one such decode. With pLender, a thread decodes a section on a
    // core lent for it, or on the reader's while the reader waits; a thread with nothing to decode holds no core.
    SectionedDecode(const QString& path, int sampleRate, FfmpegDecoder::SampleFormat format, int nThreads,
                    const FfmpegDecoder& opened, CoreLender* pLender = nullptr);
    // Stops the threads; every core lent is given back.
    ~SectionedDecode();
    SectionedDecode(const SectionedDecode&) = delete;
    SectionedDecode& operator=(const SectionedDecode&) = delete;

    // As FfmpegDecoder::read.
    int read(void* dst, int frames, int* status);
    int damagedPackets() const;

private:
    struct Section
    {
        std::vector<char> bytes;
        int frames = 0;
        int status = 0;
        // Of a section of packets: false where it may differ from a decode from the start; the codec's frames of
        // the packets before its first and of its last, to match where two sections meet.
        bool bExact = true;
        std::vector<uint8_t> entered;
        std::vector<uint8_t> ended;
    };
    // The packets of one section, with those before it that a fresh decoder needs.
    struct Cut
    {
        std::vector<std::shared_ptr<AVPacket>> packets;
        size_t nFirstKept = 0;
        bool bFileEnds = false;
        bool bRenewed = false;
        int status = 0;
    };

    void decodeSections();
    // Reads the packets of section index in its turn, after those of the section before.
    Cut cutSection(qint64 index);
    // Decodes the packets of cut into pSection and tells whether it may be taken as a decode from the start's.
    void decodeCut(FfmpegDecoder& decoder, Cut cut, Section* pSection);
    // Reads what decoder gives into pSection after a start with status.
    void fill(FfmpegDecoder& decoder, int status, Section* pSection);
    // Stops the threads and goes on from the frames read with a decode from the start; false when it cannot.
    bool decodeWholeFromHere(int* status);
    // Under the lock: the next section is there, or the threads are told to stop.
    bool nextReady() const;
    // Under the lock: a core for the next section, the reader's or a lent one; false when there is none.
    bool takeCore(bool* pLent, bool* pReaderCore);

    const QString m_strPath;
    const int m_nRate;
    const FfmpegDecoder::SampleFormat m_eFormat;
    const int m_nBytesPerFrame;
    const int m_nSectionFrames;
    const int m_nThreads;
    const FfmpegDecoder& m_opened;
    CoreLender* const m_pLender;
    const bool m_bByPackets;
    const FfmpegDecoder::Memory m_memory;
    // The packets are read in order by one decoder, section by section, under m_demuxMutex.
    std::mutex m_demuxMutex;
    std::condition_variable m_demuxTurn;
    FfmpegDecoder m_demuxer;
    bool m_bDemuxerOpen = false;
    qint64 m_nDemuxed = 0;
    bool m_bDemuxEnded = false;
    bool m_bDemuxRenewed = false;
    // The last packets read, as many as the next section needs before its first; their data beyond the overhead.
    std::deque<FfmpegDecoder::Packet> m_dequeBefore;
    qint64 m_nBeforeBytes = 0;
    // Read, and the first of the next section.
    FfmpegDecoder::Packet m_nextPacket;
    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    // Decoded sections not yet read, by index; sections are taken in order, at most a few ahead of the reader.
    std::map<qint64, Section> m_mapReady;
    qint64 m_nNextToDecode = 0;
    qint64 m_nReading = 0;
    // No section after this one is begun: the last by the declared length, moved on while the file goes on.
    qint64 m_nCap = 0;
    // The last section of the file, once the stream ended in one; -1 until then.
    qint64 m_nLast = -1;
    int m_nDamaged = 0;
    bool m_bStop = false;
    // The reader waits for a section, and a thread decodes on its core.
    bool m_bReaderWaiting = false;
    bool m_bReaderCoreTaken = false;
    // Buffers of sections read, for the next sections to fill.
    std::vector<std::vector<char>> m_vecSpare;
    // What the reader is taking from.
    Section m_current;
    int m_nOffset = 0;
    qint64 m_nFramesOut = 0;
    std::vector<std::thread> m_vecThreads;
    // Once a section could not be taken as it is: the decode from the start the reader goes on with.
    std::unique_ptr<FfmpegDecoder> m_pWhole;
};

} // namespace ZADovuzIdida
