#include <ZADovuzIdida/_VozIdavi/Common/PeakVector.h>
#include <ZADovuzIdida/_VozIdavi/Common/Contract.h>

#include <QDebug>

#include <algorithm>
#include <cstdlib>
#include <stdexcept>

namespace ZADovuzIdida {

namespace {
const char* const kSource = "libs/cpp/ZADovuzIdida/_VozIdavi/Common/PeakVector";
}

PeakVector::PeakVector(int peaks, int channels)
{
    if (peaks < 0 || channels < 0)
        throw std::length_error("PeakVector: negative size");
    m_vecChannels.assign(channels, std::vector<PeakInfo>(peaks));
}

PeakVector::PeakVector(int channels)
{
    VOZIDAVI_REQUIRE(channels >= 0, "PeakVector::PeakVector", kSource, "nChannels>=0");
    m_vecChannels.resize(channels);
}

PeakVector::PeakVector(const PeakVector& other) : m_vecChannels(other.m_vecChannels) {}

PeakVector& PeakVector::operator=(const PeakVector& other)
{
    m_vecChannels = other.m_vecChannels;
    return *this;
}

void PeakVector::ensureChannels(int channels)
{
    if (int(m_vecChannels.size()) < channels)
        m_vecChannels.resize(channels);
}

const std::vector<PeakInfo>& PeakVector::peakInfoVector(int ch) const
{
    VOZIDAVI_REQUIRE(ch >= 0, "PeakVector::peakInfoVector", kSource, "ch>=0");
    VOZIDAVI_REQUIRE(ch < int(m_vecChannels.size()), "PeakVector::peakInfoVector", kSource,
                     "ch < _vectorVector.size()");
    return m_vecChannels[ch];
}

void PeakVector::setPeakInfoVector(const std::vector<PeakInfo>& peaks, int ch)
{
    VOZIDAVI_REQUIRE(ch >= 0, "PeakVector::setPeakInfoVector", kSource, "ch>=0");
    ensureChannels(ch + 1);
    m_vecChannels[ch] = peaks;
}

void PeakVector::addPeak(const float& min, const float& max, int ch)
{
    VOZIDAVI_REQUIRE(ch >= 0, "PeakVector::addPeak", kSource, "ch>=0");
    ensureChannels(ch + 1);
    m_vecChannels[ch].push_back(PeakInfo{min, max});
}

void PeakVector::insertPeaks(float min, float max, int ch, int pos, int n)
{
    VOZIDAVI_REQUIRE(ch >= 0, "PeakVector::insertPeaks", kSource, "ch>=0");
    VOZIDAVI_REQUIRE(pos >= 0, "PeakVector::insertPeaks", kSource, "pos>=0");
    VOZIDAVI_REQUIRE(n >= 0, "PeakVector::insertPeaks", kSource, "n>=0");
    ensureChannels(ch + 1);
    std::vector<PeakInfo>& channel = m_vecChannels[ch];
    if (int(channel.size()) < pos)
        channel.resize(pos);
    channel.insert(channel.begin() + pos, size_t(n), PeakInfo{min, max});
}

const PeakInfo& PeakVector::peakInfo(int x, int ch) const
{
    if (ch < 0 || ch >= int(m_vecChannels.size()) || x < 0 || x >= int(m_vecChannels[ch].size()))
        return m_zeroPeak;
    return m_vecChannels[ch][x];
}

PeakInfo& PeakVector::peakInfo(int x, int ch)
{
    VOZIDAVI_REQUIRE(x >= 0, "PeakVector::peakInfo", kSource, "x>=0");
    VOZIDAVI_REQUIRE(ch >= 0, "PeakVector::peakInfo", kSource, "ch>=0");
    VOZIDAVI_REQUIRE(ch < 32, "PeakVector::peakInfo", kSource, "ch<32");
    ensureChannels(ch + 1);
    std::vector<PeakInfo>& channel = m_vecChannels[ch];
    if (int(channel.size()) <= x)
        channel.resize(size_t(x) + 1);
    return channel[x];
}

void PeakVector::clear() { m_vecChannels.clear(); }

int PeakVector::numPeakFrames() const
{
    size_t longest = 0;
    for (const std::vector<PeakInfo>& channel : m_vecChannels)
        longest = std::max(longest, channel.size());
    return int(longest);
}

int PeakVector::peakChannels() const { return int(m_vecChannels.size()); }

bool PeakVector::isEmpty() const { return m_vecChannels.empty(); }

void PeakVector::move(int n)
{
    if (n == 0)
        return;
    const long long shift = std::llabs(static_cast<long long>(n));
    for (std::vector<PeakInfo>& channel : m_vecChannels) {
        const long long length = static_cast<long long>(channel.size());
        if (length <= shift) {
            std::fill(channel.begin(), channel.end(), PeakInfo());
        } else if (n > 0) {
            std::copy(channel.begin() + shift, channel.end(), channel.begin());
            std::fill(channel.end() - shift, channel.end(), PeakInfo());
        } else {
            std::copy_backward(channel.begin(), channel.end() - shift, channel.end());
            std::fill(channel.begin(), channel.begin() + shift, PeakInfo());
        }
    }
}

void PeakVector::dump() const
{
    qDebug() << "---- PeakVector Info Begin -----";
    qDebug() << "Number of peaks = " << numPeakFrames();
    qDebug() << "Number of channels = " << peakChannels();
    qDebug() << "---- PeakVector Info End-----";
}

} // namespace ZADovuzIdida
