#pragma once
// Gain, linear fades and silence trimming of the second pass, value by value; no I/O.

#include <QtGlobal>

class BlockProcessor
{
public:
    struct Params
    {
        qint64 count = 0;   // interleaved values of the whole stream
        int channels = 1;   // values per frame; every value of a frame gets the same gain
        float gain = 1.0f;  // applied to every value
        qint64 first = 0;   // first kept value (a frame start)
        qint64 end = 0;     // one past the last kept value (a frame end)
        qint64 fadeIn = 0;  // fade-in window in values, from first
        qint64 fadeOut = 0; // fade-out window in values, up to end
    };

    explicit BlockProcessor(const Params& params);

    // Processes the next n values of the stream in place: drops those outside [first, end), moves the kept ones
    // to the front of data, scales them; returns how many were kept. The gain of a value depends only on its
    // position in the stream, never on the block sizes.
    int process(float* data, int n);
    // Values processed so far.
    qint64 position() const { return m_nPosition; }

    // The gain of the value at stream position (without the level gain); 0 outside [first, end).
    float fadeGain(qint64 position) const;

private:
    Params m_params;
    // Fade windows in frames, each at most the kept frames less one; 0 means no fade.
    qint64 m_nFadeInFrames = 0;
    qint64 m_nFadeOutFrames = 0;
    qint64 m_nPosition = 0;
};
