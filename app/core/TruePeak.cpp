#include "TruePeak.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr int Taps = 12;
constexpr int History = Taps - 1;
// Frames interpolated at a time; a chunk well below the peak so far is passed over.
constexpr int Chunk = 1024;

// The 4x interpolation filter of ITU-R BS.1770, by phase; the other two phases are these reversed.
constexpr float Phases[2][Taps] = {
    {0.0017089843750f, 0.0109863281250f, -0.0196533203125f, 0.0332031250000f, -0.0594482421875f, 0.1373291015625f,
     0.9721679687500f, -0.1022949218750f, 0.0476074218750f, -0.0266113281250f, 0.0148925781250f, -0.0083007812500f},
    {-0.0291748046875f, 0.0292968750000f, -0.0517578125000f, 0.0891113281250f, -0.1665039062500f, 0.4650878906250f,
     0.7797851562500f, -0.2003173828125f, 0.1015625000000f, -0.0582275390625f, 0.0330810546875f, -0.0189208984375f}};

// The largest sum of magnitudes of the taps of a phase.
constexpr float MaxGain = 2.03f;

// In lanes, so that the compiler can vectorise it.
float largestMagnitude(const float* data, int count)
{
    constexpr int Lanes = 8;
    float lanes[Lanes] = {};
    int i = 0;
    for (; i + Lanes <= count; i += Lanes) {
        for (int j = 0; j < Lanes; ++j)
            lanes[j] = std::max(lanes[j], std::fabs(data[i + j]));
    }
    for (; i < count; ++i)
        lanes[0] = std::max(lanes[0], std::fabs(data[i]));
    return *std::max_element(lanes, lanes + Lanes);
}

} // namespace

TruePeak::TruePeak(int channels)
    : m_nChannels(std::max(channels, 1)), m_vecStaged(size_t(m_nChannels), std::vector<float>(History + Chunk, 0.0f)),
      m_vecFill(size_t(m_nChannels), 0), m_vecPhase(Chunk)
{
}

void TruePeak::add(const float* data, int count)
{
    int i = 0;
    while (i < count) {
        if (m_nNext == 0 && count - i >= m_nChannels) {
            // Whole frames: every channel has as many staged.
            const int frames = std::min((count - i) / m_nChannels, Chunk - m_vecFill[0]);
            for (int c = 0; c < m_nChannels; ++c) {
                float* staged = m_vecStaged[size_t(c)].data() + History + m_vecFill[size_t(c)];
                const float* in = data + i + c;
                for (int f = 0; f < frames; ++f)
                    staged[f] = in[f * m_nChannels];
                m_vecFill[size_t(c)] += frames;
            }
            i += frames * m_nChannels;
        } else {
            m_vecStaged[size_t(m_nNext)][size_t(History + m_vecFill[size_t(m_nNext)]++)] = data[i++];
            m_nNext = (m_nNext + 1) % m_nChannels;
        }
        for (int c = 0; c < m_nChannels; ++c) {
            if (m_vecFill[size_t(c)] == Chunk)
                interpolate(c, Chunk);
        }
    }
}

void TruePeak::finish()
{
    for (int c = 0; c < m_nChannels; ++c) {
        std::vector<float>& staged = m_vecStaged[size_t(c)];
        int& fill = m_vecFill[size_t(c)];
        if (fill + History > Chunk)
            interpolate(c, fill);
        std::fill_n(staged.begin() + History + fill, History, 0.0f);
        interpolate(c, fill + History);
    }
}

void TruePeak::interpolate(int channel, int count)
{
    float* x = m_vecStaged[size_t(channel)].data();
    m_fSamplePeak = std::max(m_fSamplePeak, largestMagnitude(x + History, count));
    m_fPeak = std::max(m_fPeak, m_fSamplePeak);
    // No value between these samples can exceed the largest of them times the filter's largest sum of magnitudes.
    const bool bBelowPeak = largestMagnitude(x, History + count) * MaxGain <= m_fPeak;
    float* y = m_vecPhase.data();
    for (int p = 0; p < 4 && !bBelowPeak; ++p) {
        float h[Taps];
        for (int k = 0; k < Taps; ++k)
            h[k] = p < 2 ? Phases[p][k] : Phases[3 - p][Taps - 1 - k];
        for (int i = 0; i < count; ++i) {
            float sum = 0.0f;
            for (int k = 0; k < Taps; ++k)
                sum += h[k] * x[i + k];
            y[i] = sum;
        }
        m_fPeak = std::max(m_fPeak, largestMagnitude(y, count));
    }
    std::copy(x + count, x + count + History, x);
    m_vecFill[size_t(channel)] = 0;
}
