#pragma once
// Decodes, on a thread of its own, the packets written into an M4A file as they reach the file, for the largest
// absolute value its whole decode gives.

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <string>
#include <thread>

struct AVCodecContext;
struct AVCodecParameters;
struct AVFrame;
struct AVPacket;

class OutputPeak
{
public:
    OutputPeak() = default;
    ~OutputPeak();
    OutputPeak(const OutputPeak&) = delete;
    OutputPeak& operator=(const OutputPeak&) = delete;

    // Opens the decoder for parameters and a descriptor of its own on path, whose packets' data begins at dataStart
    // and follows in the order of add(); then starts decoding. An FFmpeg error code on failure.
    int start(const std::string& path, const AVCodecParameters* parameters, int64_t dataStart);
    // The next packet written has size bytes; never waits for the decoder.
    void add(int size);
    // Every byte before end is in the file.
    void flushed(int64_t end);
    // The file does not hold the packets as told: no peak is given.
    void abandon();
    // No packet follows: waits for the decoder to end and returns the peak, or -1 when there is none.
    float finish();

private:
    // Decodes the packets told as they are flushed, the first one's data at offset.
    void decodeLoop(int64_t offset);
    // Decodes the packets of sizes, whose data begins at offset; false when the decode fails.
    bool decode(int64_t offset, const std::deque<int>& sizes);
    bool receiveFrames();

    int m_nFile = -1;
    AVCodecContext* m_pDecoder = nullptr;
    AVPacket* m_pPacket = nullptr;
    AVFrame* m_pFrame = nullptr;
    long long m_nSkip = 0; // the decoded samples still to skip at the start: the encoder's priming
    float m_fPeak = 0.0f;
    std::thread m_thread;
    std::mutex m_mutex; // guards the members below
    std::condition_variable m_changed;
    std::deque<int> m_sizes; // the packets not yet taken by the decoder
    int64_t m_nFlushedEnd = 0;
    bool m_bFinished = false;
    bool m_bFailed = false;
};
