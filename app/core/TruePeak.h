#pragma once
// The true peak of interleaved float samples within a bandwidth: the largest magnitude also between the samples,
// found by 4x oversampling through a low-pass filter at that bandwidth.

#include <vector>

class TruePeak
{
public:
    // bandwidth: the highest frequency kept, as a fraction of the sample rate (0.5 keeps all).
    TruePeak(int channels, double bandwidth);

    // The frames whose samples reach into each interpolated value besides its own.
    static int historyFrames();

    // Before the first add(): the stream goes on from nFrames frames not measured here (of which the last
    // historyFrames() count), in place of the silence before it, whose peak is known to reach known: what cannot pass
    // that is not interpolated.
    void setHistory(const float* frames, int nFrames, float known);
    // The next count interleaved values of the stream; a block may end inside a frame.
    void add(const float* data, int count);
    // Measures every value added so far, as the last of a stretch measured on its own; add() is not called after it.
    void measureAdded();
    // Ends the stream, followed by silence as it is preceded by it; add() is not called after it.
    void finish();
    float peak() const { return m_fPeak; }

private:
    // Interpolates the count values staged in channel's buffer after its history, then keeps the newest as history.
    void interpolate(int channel, int count);

    int m_nChannels;
    // Taps of the filter's four phases, one after the other.
    std::vector<float> m_vecTaps;
    // The largest sum of the magnitudes of one phase's taps: no interpolated value exceeds the largest sample
    // around it times this.
    float m_fMaxGain = 0.0f;
    // Per channel: the last samples of the channel (history), then the samples staged since.
    std::vector<std::vector<float>> m_vecStaged;
    // Samples staged per channel.
    std::vector<int> m_vecFill;
    // The channel of the next value.
    int m_nNext = 0;
    // Interpolated values of one phase.
    std::vector<float> m_vecPhase;
    float m_fPeak = 0.0f;
};
