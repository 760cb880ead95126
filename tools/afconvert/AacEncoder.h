#pragma once
// Reads any audio file FFmpeg can open and writes its sound as AAC-LC in an M4A container.

#include <string>

struct AVAudioFifo;
struct AVCodecContext;
struct AVFormatContext;
struct AVFrame;
struct AVPacket;
struct SwrContext;

class AacEncoder
{
public:
    enum Result { Success = 0, InputError = 2, OutputError = 3 };

    AacEncoder() = default;
    ~AacEncoder();
    AacEncoder(const AacEncoder&) = delete;
    AacEncoder& operator=(const AacEncoder&) = delete;

    // Encodes input, every value multiplied by gain, into path, a working file for target; error gets the reason on
    // failure.
    Result run(const std::string& input, const std::string& path, const std::string& target, int quality, long bitRate,
               double gain, std::string* error);

private:
    int openInput(const std::string& input);
    int openOutput(const std::string& path, int quality, long bitRate);
    int transcode();
    int convertFrame(const AVFrame* frame);
    int encodeFifo(bool flush);
    int encodeFrame(AVFrame* frame);
    void release();

    AVFormatContext* m_pInput = nullptr;
    AVCodecContext* m_pDecoder = nullptr;
    AVFormatContext* m_pOutput = nullptr;
    AVCodecContext* m_pEncoder = nullptr;
    SwrContext* m_pResampler = nullptr;
    AVAudioFifo* m_pFifo = nullptr;
    AVPacket* m_pPacket = nullptr;
    AVFrame* m_pFrame = nullptr;
    int m_nStream = -1;
    long long m_nNextPts = 0;
    float m_fGain = 1.0f;
    bool m_bHeaderWritten = false;
};
