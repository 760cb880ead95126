#pragma once
// Decodes any readable audio or video file into interleaved float samples at a chosen rate, stereo or mixed to mono.

#include "NativeAudioDecoderBase.h"

#include <memory>
#include <vector>

namespace ZADovuzIdida {

class FfmpegDecoder;
class SectionedDecode;

class NativeAudioDecoder : public NativeAudioDecoderBase
{
    Q_OBJECT

public:
    explicit NativeAudioDecoder(QObject* parent = nullptr);
    ~NativeAudioDecoder() override;

    // Opens path and fixes the output: sampleRate, integers of 16, 24 or 32 bits (others count as 16) turned
    // into floats, two channels, mixed down to one in read() when channels is below 2. A file still open is
    // closed first. Failures are reported through error().
    void setFile(const QString& path, const int& sampleRate, const int& bitsPerSample, const int& channels) override;
    // Returns 2 x frames in stereo, frames in mono; 0 at the end, on failure, without a file and after finish().
    int read(float* buffer, int count) override;
    void finish() override;
    // Since setFile, also after finish().
    int damagedPackets() const override;
    // A file longer than two sections that decodes the same in sections (PCM, FLAC, MP3 or Vorbis at the output
    // rate) is decoded in sections of ten seconds on nThreads threads, ahead of read().
    void setSectionThreads(int nThreads, CoreLender* pLender = nullptr) override
    {
        m_nSectionThreads = nThreads;
        m_pLender = pLender;
    }

    QString path() const { return m_strPath; }

private:
    bool checkResult(int status, const char* operation);
    void initInputInfo(const QString& path);
    int bytesPerFrame() const;

    qint64 m_nSourceDuration = 0;
    std::unique_ptr<FfmpegDecoder> m_pFile;
    // While the open file is decoded in sections.
    std::unique_ptr<SectionedDecode> m_pSections;
    int m_nSectionThreads = 0;
    CoreLender* m_pLender = nullptr;
    // Raw frames of one read, kept between reads so that a read allocates nothing once it has grown.
    std::vector<char> m_vecRaw;
    // Damaged packets of the sections of the file last finished.
    int m_nSectionsDamaged = 0;
    int m_nOpenStatus = 0;
    bool m_bFinished = false;
    quint32 m_nFramesRead = 0;
    int m_nBitsPerSample = 16;
    int m_nSourceChannels = 0;
    int m_nChannels = 2;
};

} // namespace ZADovuzIdida
