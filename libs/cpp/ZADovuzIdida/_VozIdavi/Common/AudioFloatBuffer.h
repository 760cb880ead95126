// Interleaved float frames with helpers to resize, copy, reverse, shift and convert.
#pragma once

#include <MTools/Handle.h>

namespace ZADovuzIdida {

class AudioFloatBuffer
{
public:
    // frames x channels floats, content undefined; size 0 unless both are at least 1.
    // Throws std::length_error when frames x channels does not fit an int.
    AudioFloatBuffer(int frames, int channels);
    AudioFloatBuffer(const AudioFloatBuffer& other);
    AudioFloatBuffer& operator=(const AudioFloatBuffer& other) = delete;
    virtual ~AudioFloatBuffer();

    int frameSize() const { return m_nChannels; }
    int frames() const { return m_nFrames; }
    int size() const { return m_nSize; }
    float* data() { return m_pSamples; }
    const float* data() const { return m_pSamples; }

    // Keeps the first min(old, new) floats and zero-fills the rest; on failure the buffer is unchanged.
    void resize(int frames);
    // Copies frames from source into this buffer. Extra target channels get 0.0, surplus source channels
    // are dropped. Both ranges must lie inside their buffers.
    void copy(MTools::Handle<AudioFloatBuffer> source, unsigned sourceFrame, unsigned targetFrame, unsigned frames);
    // Reverses the order of the frames.
    void reverse();
    // n > 0 moves content n frames earlier, n < 0 later; freed frames become silence.
    void move(int n);

    // Each sample as a 16-bit value in the upper half of an int (x*32768 clipped to +-32767, truncated).
    // Fewer output channels drop the tail of each frame, more output channels are zero-filled.
    static void convertFloatTo32(const float* input, int* output, int frames, int inputChannels, int outputChannels);
    // The inverse of convertFloatTo32, into a new buffer of outputChannels channels.
    static MTools::Handle<AudioFloatBuffer> convert32ToFloat(const int* input, int frames, int inputChannels,
                                                             int outputChannels);

private:
    int m_nChannels;
    int m_nFrames;
    int m_nSize;
    float* m_pSamples;
};

} // namespace ZADovuzIdida
