#pragma once
// Decode engine: any file with an audio stream to interleaved stereo S16 or S32 at a chosen rate.

#include <QString>
#include <QtGlobal>

#include <cstdint>
#include <vector>

struct AVAudioFifo;
struct AVCodecContext;
struct AVFormatContext;
struct AVFrame;
struct AVPacket;
struct SwrContext;

namespace ZADovuzIdida {

class FfmpegDecoder
{
public:
    enum class SampleFormat { S16, S32 };

    FfmpegDecoder();
    ~FfmpegDecoder();
    FfmpegDecoder(const FfmpegDecoder&) = delete;
    FfmpegDecoder& operator=(const FfmpegDecoder&) = delete;

    // Opens the best audio stream of path (the sound track of a video too). Returns 0 or a status.
    int open(const QString& path);
    // Fixes the output: stereo at sampleRate. Fails when no file is open. Returns 0 or a status.
    int setOutputFormat(int sampleRate, SampleFormat format);
    void close();

    bool isOpen() const { return m_pFormat != nullptr; }
    bool isReady() const { return m_pFormat != nullptr && m_pFifo != nullptr; }
    bool atEnd() const;
    int bytesPerFrame() const { return m_eFormat == SampleFormat::S16 ? 4 : 8; }
    int sampleRate() const { return m_nRate; }

    // Fills dst with up to frames stereo frames; fewer only at the end of the stream. A damaged packet is
    // skipped; a read or demux error ends the stream and is left in *status (0 otherwise).
    int read(void* dst, int frames, int* status = nullptr);

    // Moves to the exact frame at ms (output rate) and continues from there. Returns 0 or a status.
    int seek(qint64 ms);

private:
    int openFile();
    int makeResampler(const AVFrame* frame);
    int decodeMore();
    int pushConverted(const AVFrame* frame);
    void drainResampler();

    QString m_strPath;
    int m_nRate = 0;
    SampleFormat m_eFormat = SampleFormat::S16;
    AVFormatContext* m_pFormat = nullptr;
    AVCodecContext* m_pCodec = nullptr;
    SwrContext* m_pResampler = nullptr;
    AVAudioFifo* m_pFifo = nullptr;
    AVPacket* m_pPacket = nullptr;
    AVFrame* m_pFrame = nullptr;
    int m_nStream = -1;
    int m_nInRate = 0;
    int m_nInFormat = -1;
    int m_nInChannels = 0;
    uint64_t m_nInMask = 0;
    bool m_bInputDone = false;
    bool m_bDecoderDone = false;
    qint64 m_nDropFrames = 0;
    qint64 m_nSeekTarget = -1;
    std::vector<uint8_t> m_vecScratch;
};

} // namespace ZADovuzIdida
