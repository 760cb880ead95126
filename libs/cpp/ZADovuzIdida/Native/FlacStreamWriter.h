#pragma once
// Writes interleaved float frames into a FLAC file as integer samples of a chosen depth.

#include <QString>

#include <vector>

namespace ZADovuzIdida {

class FlacStreamWriter
{
public:
    FlacStreamWriter();
    ~FlacStreamWriter();
    FlacStreamWriter(const FlacStreamWriter&) = delete;
    FlacStreamWriter& operator=(const FlacStreamWriter&) = delete;

    // Replaces the file at path. Depths above 24 bits are stored as 24. Returns 0 or a status.
    int open(const QString& path, int sampleRate, int channels, int bitsPerSample);
    // Encodes frames interleaved frames, clipping to [-1, 1]. Returns 0 or a status.
    int write(const float* samples, unsigned frames);
    // Flushes and closes the file. Returns 0 or a status.
    int finish();

    bool isOpen() const { return m_pEncoder != nullptr; }
    int bitsPerSample() const { return m_nBits; }

private:
    struct Encoder;
    Encoder* m_pEncoder = nullptr;
    int m_nChannels = 0;
    int m_nBits = 0;
    std::vector<int> m_vecBuffer;
};

} // namespace ZADovuzIdida
