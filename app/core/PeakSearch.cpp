#include "PeakSearch.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

constexpr double Window = 1.0;
// Where an encode aims: the middle of the window, since the encoder's lift scatters by a few tenths of a dB either way
// between nearby levels.
constexpr double MiddleAim = -0.5;
// Where the neighbours of an aimed gain lie: together the three land in the window for a lift up to this much
// either side of the one planned for.
constexpr double Scatter = 0.4;
// An aim after two or more results above the limit, and none below, allows for this much more lift than the largest
// seen.
constexpr double ThirdMargin = 0.15;
// The last encode after every aimed one lay above the limit allows for this much more lift than the largest seen.
constexpr double SafeMargin = 3.0;
// A result below the window is encoded once more only when that raises it by at least this much.
constexpr double MinRaise = 0.1;
// Gains closer than this to one tried give the same result.
constexpr double SameGain = 0.01;

double toDb(double factor) { return 20.0 * std::log10(factor); }

} // namespace

PeakSearch::PeakSearch(float limit, float maxRaise) : m_dLimit(toDb(limit)), m_dMaxRaise(toDb(std::max(maxRaise, 1.0f)))
{
}

std::vector<float> PeakSearch::nextGains(int nAtOnce) const
{
    std::vector<float> gains;
    if (std::isnan(m_dNextGain) || tried(m_dNextGain))
        return gains;
    std::vector<double> planned;
    for (const double offset : {0.0, -Scatter, Scatter}) {
        const double gain = std::min(m_dNextGain + offset, m_dMaxRaise);
        const bool bSame = std::any_of(planned.begin(), planned.end(),
                                       [gain](double other) { return std::fabs(other - gain) < SameGain; });
        if (int(planned.size()) < nAtOnce && !bSame && !tried(gain))
            planned.push_back(gain);
    }
    for (const double gain : planned)
        gains.push_back(float(std::pow(10.0, gain / 20.0)));
    return gains;
}

void PeakSearch::addPeak(float gain, float peak)
{
    m_vecEncodes.push_back({toDb(gain), peak > 0.0f ? toDb(peak) : -std::numeric_limits<double>::infinity()});
}

void PeakSearch::endRound()
{
    ++m_nRounds;
    m_dNextGain = plan();
}

bool PeakSearch::tried(double gain) const
{
    return std::any_of(m_vecEncodes.begin(), m_vecEncodes.end(),
                       [gain](const Encode& encode) { return std::fabs(encode.gain - gain) < SameGain; });
}

double PeakSearch::miss(double peak) const
{
    if (peak > m_dLimit)
        return 1000.0 + peak - m_dLimit;
    return std::max(m_dLimit - Window - peak, 0.0);
}

int PeakSearch::best() const
{
    int nBest = -1;
    for (int i = 0; i < encodes(); ++i) {
        const double peak = m_vecEncodes[size_t(i)].peak;
        if (peak <= m_dLimit && (nBest < 0 || miss(peak) < miss(m_vecEncodes[size_t(nBest)].peak)))
            nBest = i;
    }
    return nBest;
}

double PeakSearch::aimed(double aim, double lift) const { return std::min(m_dLimit + aim - lift, m_dMaxRaise); }

double PeakSearch::highestLift() const
{
    double lift = -std::numeric_limits<double>::infinity();
    for (const Encode& encode : m_vecEncodes)
        lift = std::max(lift, encode.lift());
    return lift;
}

double PeakSearch::plan() const
{
    const double none = std::numeric_limits<double>::quiet_NaN();
    const bool bDone = std::any_of(m_vecEncodes.begin(), m_vecEncodes.end(), [this](const Encode& encode) {
        return std::isinf(encode.peak) || miss(encode.peak) == 0.0;
    });
    if (m_vecEncodes.empty() || bDone || m_nRounds > AimedRounds)
        return none;
    if (m_nRounds == AimedRounds)
        return best() < 0 ? m_dLimit - SafeMargin - highestLift() : none;

    // The nearest results on either side of the window: above it at the lowest gain, below it at the highest.
    const Encode* pHigh = nullptr;
    const Encode* pLow = nullptr;
    int nAbove = 0;
    for (const Encode& encode : m_vecEncodes) {
        if (encode.peak > m_dLimit) {
            ++nAbove;
            if (!pHigh || encode.gain < pHigh->gain)
                pHigh = &encode;
        } else if (!pLow || encode.gain > pLow->gain) {
            pLow = &encode;
        }
    }
    if (pHigh && pLow) {
        // One on each side of the window: the level between them where the line through both meets the aim.
        const double aim = m_dLimit + MiddleAim;
        return std::min(pLow->gain + (pHigh->gain - pLow->gain) * (aim - pLow->peak) / (pHigh->peak - pLow->peak),
                        m_dMaxRaise);
    }
    if (pHigh)
        return aimed(nAbove > 1 ? MiddleAim - ThirdMargin : MiddleAim, highestLift());
    // Every result so far below the window: raised by what the largest lift says, when that is a step up.
    const double gain = aimed(MiddleAim, highestLift());
    return gain >= pLow->gain + MinRaise ? gain : none;
}
