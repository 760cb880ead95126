// Description of a PCM stream: sample rate, channels, sample format code and bits per sample.
#pragma once

namespace ZADovuzIdida {

class Settings
{
public:
    Settings(unsigned sampleRate, short channels, short fmt, short bitsPerSample);
    Settings(const Settings& other) = default;
    Settings& operator=(const Settings& other) = default;
    virtual ~Settings() = default;

    bool operator==(const Settings& other) const;
    bool operator!=(const Settings& other) const { return !(*this == other); }

    unsigned sampleRate() const { return m_nSampleRate; }
    short channels() const { return m_nChannels; }
    // Sample format code: 8 unsigned 8, 16 little-endian signed 16/32, 32 floats, 2048 signed 24 (see dump).
    short fmt() const { return m_nFmt; }
    short bitsPerSample() const { return m_nBitsPerSample; }

    void setSampleRate(unsigned sampleRate) { m_nSampleRate = sampleRate; }
    void setChannels(short channels) { m_nChannels = channels; }
    void setFmt(short fmt) { m_nFmt = fmt; }
    void setBitsPerSample(short bitsPerSample) { m_nBitsPerSample = bitsPerSample; }

    // The printed name of a format code, "Unknown" for codes outside the table.
    static const char* formatName(short fmt);

    void dump() const;

private:
    unsigned m_nSampleRate;
    short m_nChannels;
    short m_nFmt;
    short m_nBitsPerSample;
};

} // namespace ZADovuzIdida
