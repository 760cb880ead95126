#include "PeakSearch.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <limits>

namespace {

constexpr double Window = 1.0;
// Where an encode aims: the middle of the window, since the encoder's lift scatters by a few tenths of a dB either way
// between nearby levels.
constexpr double MiddleAim = -0.5;
// A third encode after two above the limit allows for this much more lift than the larger one seen.
constexpr double ThirdMargin = 0.15;
// An encode that ended early gives only a peak its decode passed, which lies below the whole encode's, by 0.1 to
// 0.4 dB on most music and well over 1 dB on loud noise: each one in a row allows for this much more lift than the
// largest seen, the last margin for any after it.
constexpr double PassedMargins[] = {0.3, 0.3, 1.0, 2.0};
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

void PeakSearch::addPeak(float peak) { add(peak, false); }

void PeakSearch::addPassed(float atLeast) { add(atLeast, true); }

void PeakSearch::add(float peak, bool bPassed)
{
    m_vecEncodes.push_back(
        {toDb(m_fNextGain), peak > 0.0f ? toDb(peak) : -std::numeric_limits<double>::infinity(), bPassed});
    const double gain = peak > 0.0f ? plan() : std::numeric_limits<double>::quiet_NaN();
    const bool bTried = std::any_of(m_vecEncodes.begin(), m_vecEncodes.end(),
                                    [gain](const Encode& encode) { return std::fabs(encode.gain - gain) < SameGain; });
    m_fNextGain = std::isnan(gain) || bTried ? 0.0f : float(std::pow(10.0, gain / 20.0));
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
    const Encode& last = m_vecEncodes.back();
    if (miss(last.peak) == 0.0)
        return none;
    // Whether the first n encodes leave none to aim: then one more follows, well below the limit, when every one
    // lies above it.
    const auto spent = [this](size_t n) {
        const int nPassed = int(std::count_if(m_vecEncodes.begin(), m_vecEncodes.begin() + long(n),
                                              [](const Encode& encode) { return encode.bPassed; }));
        return int(n) - nPassed >= AimedEncodes || int(n) >= AimedEncodes + PassedEncodes;
    };
    if (spent(m_vecEncodes.size() - 1))
        return none;
    if (spent(m_vecEncodes.size()))
        return best() < 0 ? m_dLimit - SafeMargin - highestLift() : none;
    const auto above = [this](const Encode& encode) { return encode.peak > m_dLimit; };
    const int nAbove = int(std::count_if(m_vecEncodes.begin(), m_vecEncodes.end(), above));
    // Every result so far above the limit: aimed by the last lift, or with a margin over the largest after two, or
    // after encodes that ended early, with a margin for each of them in a row.
    if (nAbove == encodes() && last.bPassed) {
        const auto firstOfRow = std::find_if(m_vecEncodes.rbegin(), m_vecEncodes.rend(),
                                             [](const Encode& encode) { return !encode.bPassed; });
        const size_t row = std::min<size_t>(size_t(firstOfRow - m_vecEncodes.rbegin()), std::size(PassedMargins));
        return aimed(MiddleAim - PassedMargins[row - 1], highestLift());
    }
    if (nAbove == encodes())
        return nAbove == 1 ? aimed(MiddleAim, last.lift()) : aimed(MiddleAim - ThirdMargin, highestLift());
    // Every result so far below the window: raised by what the largest lift says, when that is a step up.
    if (nAbove == 0) {
        double highestGain = -std::numeric_limits<double>::infinity();
        for (const Encode& encode : m_vecEncodes)
            highestGain = std::max(highestGain, encode.gain);
        const double gain = aimed(MiddleAim, highestLift());
        return gain >= highestGain + MinRaise ? gain : none;
    }
    // Encodes on each side of the window: the level between the nearest two where the line through them meets the
    // aim.
    const Encode* high = nullptr;
    const Encode* low = nullptr;
    for (const Encode& encode : m_vecEncodes) {
        const Encode*& nearest = above(encode) ? high : low;
        if (!nearest || (above(encode) ? encode.gain < nearest->gain : encode.gain > nearest->gain))
            nearest = &encode;
    }
    const double aim = m_dLimit + MiddleAim;
    return std::min(low->gain + (high->gain - low->gain) * (aim - low->peak) / (high->peak - low->peak), m_dMaxRaise);
}
