#pragma once
// Decodes the audio of a file into planar float samples at its own rate, every value multiplied by a gain; a seekable
// PCM file may be read from any sample on.

#include <string>

struct AVAudioFifo;
struct AVChannelLayout;
struct AVCodecContext;
struct AVFormatContext;
struct AVFrame;
struct AVPacket;
struct SwrContext;

class AudioReader
{
public:
    AudioReader() = default;
    ~AudioReader();
    AudioReader(const AudioReader&) = delete;
    AudioReader& operator=(const AudioReader&) = delete;

    // Opens the best audio stream of path; an FFmpeg error code on failure.
    int open(const std::string& path, float gain);
    int sampleRate() const;
    int channels() const;
    // The channel layout of the samples read.
    int copyLayout(AVChannelLayout* layout) const;
    // The input's sample count when reading may start at any sample exactly; -1 when it may not.
    long long seekableLength() const;
    // Makes the samples read next begin at position.
    int seek(long long position);
    // Appends samples to fifo until it holds at least count or the input has ended.
    int fill(AVAudioFifo* fifo, int count);

private:
    int readPacket();
    int receiveFrame(AVAudioFifo* fifo);
    int convert(const AVFrame* frame, AVAudioFifo* fifo);

    AVFormatContext* m_pInput = nullptr;
    AVCodecContext* m_pDecoder = nullptr;
    SwrContext* m_pResampler = nullptr;
    AVPacket* m_pPacket = nullptr;
    AVFrame* m_pFrame = nullptr;
    int m_nStream = -1;
    float m_fGain = 1.0f;
    long long m_nTarget = 0; // where a seek asked reading to begin
    long long m_nSkip = 0;   // samples still to drop before it; -1 until the first frame after a seek
    bool m_bInputDone = false;
    bool m_bEnded = false;
};
