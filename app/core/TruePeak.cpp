#include "TruePeak.h"

#include <ZADovuzIdida/_VozIdavi/Common/SampleRange.h>

#include <algorithm>
#include <cmath>

namespace {

constexpr int Phases = 4;
constexpr int Taps = 24;
constexpr int History = Taps - 1;
// Frames staged at a time.
constexpr int Chunk = 1024;
// Frames interpolated at a time; a stretch whose samples cannot reach the peak so far is passed over.
constexpr int Stretch = 64;
// The filter's half-amplitude point lies this far above the bandwidth (as a fraction of the sample rate), so that
// what lies within it passes whole.
constexpr double EdgeMargin = 0.025;
// The Kaiser window's shape: about 50 dB of stop-band attenuation.
constexpr double KaiserBeta = 5.0;

// The modified Bessel function of the first kind and order 0.
double besselI0(double x)
{
    double sum = 1.0;
    double term = 1.0;
    for (int k = 1; k < 25; ++k) {
        term *= (x / (2.0 * k)) * (x / (2.0 * k));
        sum += term;
    }
    return sum;
}

// The taps of a Kaiser-windowed sinc low-pass at cutoff (a fraction of the oversampled rate), by phase.
std::vector<float> lowPassPhases(double cutoff)
{
    const int length = Phases * Taps;
    std::vector<float> taps(size_t(length), 0.0f);
    const double middle = (length - 1) / 2.0;
    for (int n = 0; n < length; ++n) {
        const double t = n - middle;
        const double sinc = t == 0.0 ? 2.0 * cutoff : std::sin(2.0 * M_PI * cutoff * t) / (M_PI * t);
        const double ratio = t / middle;
        const double window =
            besselI0(KaiserBeta * std::sqrt(std::max(0.0, 1.0 - ratio * ratio))) / besselI0(KaiserBeta);
        // Phase p of output sample i weighs input sample i + k by the prototype's tap at p + Phases * (Taps-1-k).
        const int phase = n % Phases;
        const int k = Taps - 1 - n / Phases;
        taps[size_t(phase * Taps + k)] = float(Phases * sinc * window);
    }
    return taps;
}

} // namespace

TruePeak::TruePeak(int channels, double bandwidth)
    : m_nChannels(std::max(channels, 1)), m_vecTaps(lowPassPhases(std::min(bandwidth + EdgeMargin, 0.5) / Phases)),
      m_vecStaged(size_t(m_nChannels), std::vector<float>(History + Chunk, 0.0f)), m_vecFill(size_t(m_nChannels), 0),
      m_vecPhase(Stretch)
{
    for (int p = 0; p < Phases; ++p) {
        float sum = 0.0f;
        for (int k = 0; k < Taps; ++k)
            sum += std::fabs(m_vecTaps[size_t(p * Taps + k)]);
        m_fMaxGain = std::max(m_fMaxGain, sum);
    }
}

int TruePeak::historyFrames() { return History; }

void TruePeak::setHistory(const float* frames, int nFrames, float known)
{
    m_fPeak = known;
    const int kept = std::min(nFrames, History);
    for (int c = 0; c < m_nChannels; ++c) {
        float* history = m_vecStaged[size_t(c)].data() + History - kept;
        for (int f = 0; f < kept; ++f)
            history[f] = frames[(nFrames - kept + f) * m_nChannels + c];
    }
}

void TruePeak::measureAdded()
{
    for (int c = 0; c < m_nChannels; ++c) {
        if (m_vecFill[size_t(c)] > 0)
            interpolate(c, m_vecFill[size_t(c)]);
    }
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
    float* y = m_vecPhase.data();
    for (int start = 0; start < count; start += Stretch) {
        const int n = std::min(Stretch, count - start);
        const float* stretch = x + start;
        if (ZADovuzIdida::SampleRange::absolutePeak(stretch, History + n) * m_fMaxGain <= m_fPeak)
            continue;
        for (int p = 0; p < Phases; ++p) {
            const float* h = m_vecTaps.data() + p * Taps;
            // Tap by tap over all outputs, so that the compiler can vectorise it; each sum still adds its terms in
            // tap order.
            std::fill_n(y, n, 0.0f);
            for (int k = 0; k < Taps; ++k) {
                const float tap = h[k];
                const float* in = stretch + k;
                for (int i = 0; i < n; ++i)
                    y[i] += tap * in[i];
            }
            m_fPeak = std::max(m_fPeak, ZADovuzIdida::SampleRange::absolutePeak(y, n));
        }
    }
    std::copy(x + count, x + count + History, x);
    m_vecFill[size_t(channel)] = 0;
}
