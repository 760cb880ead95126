// Peak envelope in memory: per channel, one (min, max) pair per block of frames.
#pragma once

#include <vector>

namespace ZADovuzIdida {

struct PeakInfo
{
    float min = 0.0f;
    float max = 0.0f;
};

class PeakVector
{
public:
    PeakVector() = default;
    // peaks zero pairs in each of channels channels.
    PeakVector(int peaks, int channels);
    explicit PeakVector(int channels);
    PeakVector(const PeakVector& other);
    PeakVector& operator=(const PeakVector& other);
    virtual ~PeakVector() = default;

    const std::vector<PeakInfo>& peakInfoVector(int ch) const;
    // Grows the channel count to ch + 1 when needed, then replaces channel ch.
    void setPeakInfoVector(const std::vector<PeakInfo>& peaks, int ch);
    // Grows the channel count to ch + 1 when needed, then appends {min, max} to channel ch.
    void addPeak(const float& min, const float& max, int ch);
    // Inserts n copies of {min, max} before position pos of channel ch, zero-filling up to pos first.
    void insertPeaks(float min, float max, int ch, int pos, int n);
    // Peak x of channel ch, or a zero pair for any position outside the data.
    const PeakInfo& peakInfo(int x, int ch) const;
    // Peak x of channel ch, growing the vector with zero pairs first when needed (channels below 32).
    PeakInfo& peakInfo(int x, int ch);
    void clear();
    // Length of the longest channel.
    int numPeakFrames() const;
    int peakChannels() const;
    // True without channels; existing empty channels count as not empty.
    bool isEmpty() const;
    // n > 0 moves every channel n peaks earlier, n < 0 later; lengths stay, freed peaks become zero pairs.
    void move(int n);
    void dump() const;

private:
    void ensureChannels(int channels);

    std::vector<std::vector<PeakInfo>> m_vecChannels;
    PeakInfo m_zeroPeak;
};

} // namespace ZADovuzIdida
