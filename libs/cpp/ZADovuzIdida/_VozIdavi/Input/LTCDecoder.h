// Linear timecode decoder on one channel of a file input: calibration, bit decoding, frame list and its cache file.
#pragma once

#include <ZADovuzIdida/_VozIdavi/Input/LTCData.h>

#include <vector>

namespace ZADovuzIdida {

class FileInput;

class LTCDecoder
{
public:
    // Calibrates on the input and picks the channel that carries timecode, scanning from the last channel down.
    explicit LTCDecoder(FileInput* input);
    LTCDecoder(const LTCDecoder&) = delete;
    LTCDecoder& operator=(const LTCDecoder&) = delete;
    virtual ~LTCDecoder() = default;

    // Threshold and samples per bit from one window of samples, which it squares in place; rewinds the input.
    void calibrate(float* samples);
    // Squaring with hysteresis: inside the threshold the current level, else +1 or -1.
    void normalizeFrame(float& sample);
    void normalizeFrame(float* samples, int n);
    // Threshold from one window: the largest magnitude / 7.
    void initIgnoreValue(const float* samples);
    // Calibrates on one window and decodes it; the number of sync words found 80 bits after the previous one.
    int detectLTC(float* samples);
    // Decodes channel ch of the whole input into the frame list, replacing it; ch becomes the timecode channel.
    void process(const int& ch);
    bool endIsSync() const { return false; }
    int getLTCTrack() const { return m_nTrack; }
    bool isLTCDataAvailable() const { return !m_vecFrames.empty(); }
    const std::vector<LTCData>& frames() const { return m_vecFrames; }
    // The frame holding audioFrame: the first whose audio frame is greater, or the last at its own audio frame.
    const LTCData& getLTC(const qint64& audioFrame) const;
    // Audio frame of the first frame with this time; -1 when there is none or it does not fit an int.
    int getAudioFrame(int h, int m, int s, int f) const;
    // The highest frame number among the first 60 frames, plus 1; 0.0 without frames.
    float ltcFps();
    // The "LTCC" cache file; load replaces the frame list, and a damaged file leaves it empty.
    bool save(const char* path) const;
    bool load(const char* path);
    void dump() const;

private:
    // Calibrates on successive windows of channel ch until one holds timecode; false after MaxWindows.
    bool findSync(int ch);

    int m_nSamplesPerBit = 0;
    float m_fLevel = 0.0f;
    FileInput* m_pInput;
    std::vector<LTCData> m_vecFrames;
    LTCData m_noFrame;
    float m_fThreshold = 0.1f;
    float m_fHighestFrame = 0.0f;
    float m_fFps = 0.0f;
    int m_nWindow = 0;
    int m_nTrack = -1;
};

} // namespace ZADovuzIdida
