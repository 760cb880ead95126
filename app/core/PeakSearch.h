#pragma once
// The encodes of a normalized file: the gain of each from the decoded peaks of those before it, and the result kept,
// which never lies above the limit and is the nearest to the window [limit - 1 dB, limit].

#include <vector>

class PeakSearch
{
public:
    // At most this many encodes aim at the window; one more, well below the limit, follows when all of them lie
    // above it. Encodes that ended early as they passed the limit do not count, up to PassedEncodes more in all.
    static constexpr int AimedEncodes = 3;
    static constexpr int PassedEncodes = 2;

    // limit: the highest decoded peak kept; maxRaise: the highest gain, which brings the intermediate's own
    // samples to the limit.
    PeakSearch(float limit, float maxRaise);

    // The factor of the next encode over the intermediate (1 for the first); 0 when the search is over.
    float nextGain() const { return m_fNextGain; }
    // The decoded peak of the encode made at nextGain(); a peak of 0 (silence) ends the search.
    void addPeak(float peak);
    // The encode made at nextGain() ended early, its decoded peak at least atLeast, above the limit; it left no result.
    void addPassed(float atLeast);
    // How many encodes were made.
    int encodes() const { return int(m_vecEncodes.size()); }
    // The encode to keep, counted from 0; -1 while every one lies above the limit.
    int best() const;

private:
    struct Encode
    {
        // Gain over the intermediate and decoded peak, in dB.
        double gain;
        double peak;
        // Ended early: the peak is what it reached.
        bool bPassed;
        // How far the decoded peak lies above the gain: what the encoder added.
        double lift() const { return peak - gain; }
    };

    void add(float peak, bool bPassed);
    // dB outside the window; a peak above the limit counts as farther than any below it.
    double miss(double peak) const;
    // The gain in dB of the next encode, or NaN when none is to follow.
    double plan() const;
    // The gain that puts the peak of an encode that lifts by lift at aim, at most the highest gain.
    double aimed(double aim, double lift) const;
    double highestLift() const;

    double m_dLimit;
    double m_dMaxRaise;
    std::vector<Encode> m_vecEncodes;
    float m_fNextGain = 1.0f;
};
