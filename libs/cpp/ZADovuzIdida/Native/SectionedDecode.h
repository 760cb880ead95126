#pragma once
// Decodes a file that can be cut at exact frames in sections of ten seconds by its timestamps, side by side on several
// threads, and hands the frames over in order, as one FfmpegDecoder reading it from the start would.

#include "FfmpegDecoder.h"

#include <condition_variable>
#include <map>
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

    // Starts decoding path at sampleRate in format on nThreads threads; opened, the same file opened for that
    // output, tells its declared length. With pLender, a thread decodes a section on a core lent for it, or on the
    // reader's while the reader waits; a thread with nothing to decode holds no core.
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
    };

    void decodeSections();
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
};

} // namespace ZADovuzIdida
