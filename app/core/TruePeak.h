#pragma once
// Estimate of the true peak of interleaved float samples: the largest magnitude also between the samples, found by
// 4x oversampling with the interpolation filter of loudness meters.

#include <vector>

class TruePeak
{
public:
    explicit TruePeak(int channels);

    // The next count interleaved values of the stream; a block may end inside a frame.
    void add(const float* data, int count);
    // Ends the stream, followed by silence as it is preceded by it; add() is not called after it.
    void finish();
    // The largest magnitude of the samples and of the values between them; at least samplePeak().
    float peak() const { return m_fPeak; }
    float samplePeak() const { return m_fSamplePeak; }

private:
    // Interpolates the count values staged in channel's buffer after its history, then keeps the newest as history.
    void interpolate(int channel, int count);

    int m_nChannels;
    // Per channel: the last samples of the channel (history), then the samples staged since.
    std::vector<std::vector<float>> m_vecStaged;
    // Samples staged per channel.
    std::vector<int> m_vecFill;
    // The channel of the next value.
    int m_nNext = 0;
    // Interpolated values of one phase.
    std::vector<float> m_vecPhase;
    float m_fPeak = 0.0f;
    float m_fSamplePeak = 0.0f;
};
