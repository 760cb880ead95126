#pragma once
// The encodes of a normalized file: the gains of each round from the decoded peaks of those before it, and the result
// kept, which never lies above the limit and is the nearest to the window [limit - 1 dB, limit].

#include <vector>

class PeakSearch
{
public:
    // At most this many rounds aim at the window; one more, well below the limit, follows when every result lies
    // above it.
    static constexpr int AimedRounds = 3;

    // limit: the highest decoded peak kept; maxRaise: the highest gain, which brings the intermediate's own
    // samples to the limit.
    PeakSearch(float limit, float maxRaise);

    // The factors over the intermediate of the next round's encodes, at most nAtOnce: the gain the search aims at
    // (1 in the first round), then its neighbours below and above by the lift's usual scatter; none when the search
    // is over.
    std::vector<float> nextGains(int nAtOnce) const;
    // The decoded peak of an encode of the round made at gain, one of nextGains(); a peak of 0 (silence) ends the
    // search.
    void addPeak(float gain, float peak);
    // Plans the next round from every peak added.
    void endRound();
    // How many encodes were added.
    int encodes() const { return int(m_vecEncodes.size()); }
    // The encode to keep, counted from 0 in the order added; -1 while every one lies above the limit. Among equals
    // the earliest, so the aimed gain before its neighbours.
    int best() const;

private:
    struct Encode
    {
        // Gain over the intermediate and decoded peak, in dB.
        double gain;
        double peak;
        // How far the decoded peak lies above the gain: what the encoder added.
        double lift() const { return peak - gain; }
    };

    // dB outside the window; a peak above the limit counts as farther than any below it.
    double miss(double peak) const;
    // The gain in dB of the next round's aim, or NaN when none is to follow.
    double plan() const;
    // The gain that puts the peak of an encode that lifts by lift at aim, at most the highest gain.
    double aimed(double aim, double lift) const;
    double highestLift() const;
    bool tried(double gain) const;

    double m_dLimit;
    double m_dMaxRaise;
    std::vector<Encode> m_vecEncodes;
    int m_nRounds = 0;
    // In dB; NaN when the search is over.
    double m_dNextGain = 0.0;
};
