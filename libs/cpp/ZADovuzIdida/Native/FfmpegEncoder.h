#pragma once
// Encode engine: interleaved float samples into an AIFF, M4A (AAC), CAF (ALAC) or FLAC file.

#include <QString>

#include <vector>

struct AVCodecContext;
struct AVFormatContext;
struct AVFrame;
struct AVPacket;

namespace ZADovuzIdida {

class FfmpegEncoder
{
public:
    enum class FileType { Aiff, Mpeg4Aac, CafAlac, Flac };

    FfmpegEncoder() = default;
    ~FfmpegEncoder();
    FfmpegEncoder(const FfmpegEncoder&) = delete;
    FfmpegEncoder& operator=(const FfmpegEncoder&) = delete;

    // Creates path and writes its header; bitRate counts for AAC only. False with error() set on failure.
    bool open(const QString& path, FileType type, int sampleRate, int channels, int bitRate);
    // n interleaved samples (all channels counted).
    bool write(const float* samples, int n);
    // Flushes the encoder and writes the trailer.
    bool close();
    bool isOpen() const { return m_pFormat != nullptr; }
    QString error() const { return m_strError; }

private:
    bool fail(const QString& what, int status);
    bool encodeFrame(const float* samples, int frames);
    bool drain();
    void release();

    AVFormatContext* m_pFormat = nullptr;
    AVCodecContext* m_pCodec = nullptr;
    AVFrame* m_pFrame = nullptr;
    AVPacket* m_pPacket = nullptr;
    int m_nFrameSize = 1024;
    int m_nChannels = 0;
    long long m_nPts = 0;
    std::vector<float> m_vecPending;
    QString m_strError;
};

} // namespace ZADovuzIdida
