#include "BlockProcessor.h"

#include <algorithm>

BlockProcessor::BlockProcessor(const Params& params) : m_params(params)
{
    m_params.channels = std::max(m_params.channels, 1);
    m_params.first = std::clamp<qint64>(m_params.first, 0, m_params.count);
    m_params.end = std::clamp<qint64>(m_params.end, m_params.first, m_params.count);
    const qint64 channels = m_params.channels;
    const qint64 lastFrame = std::max<qint64>((m_params.end - m_params.first) / channels - 1, 0);
    m_nFadeInFrames = std::clamp<qint64>(m_params.fadeIn / channels, 0, lastFrame);
    m_nFadeOutFrames = std::clamp<qint64>(m_params.fadeOut / channels, 0, lastFrame);
}

float BlockProcessor::fadeGain(qint64 position) const
{
    if (position < m_params.first || position >= m_params.end)
        return 0.0f;
    const qint64 channels = m_params.channels;
    const qint64 fromFirst = (position - m_params.first) / channels;
    const qint64 toLast = (m_params.end - 1 - position) / channels;
    double gain = 1.0;
    if (fromFirst < m_nFadeInFrames)
        gain = double(fromFirst) / double(m_nFadeInFrames);
    if (toLast < m_nFadeOutFrames)
        gain *= double(toLast) / double(m_nFadeOutFrames);
    return float(gain);
}

int BlockProcessor::process(float* data, int n)
{
    const qint64 start = m_nPosition;
    m_nPosition += n;
    const qint64 from = std::max(start, m_params.first);
    const qint64 to = std::min(m_nPosition, m_params.end);
    if (to <= from)
        return 0;
    const int kept = int(to - from);
    const float* in = data + (from - start);
    const qint64 fadeInEnd = m_params.first + m_nFadeInFrames * m_params.channels;
    const qint64 fadeOutStart = m_params.end - m_nFadeOutFrames * m_params.channels;
    const float gain = m_params.gain;
    // Front to back, as the kept values may move towards the front: the fade-in, the values between the fades in a
    // loop the compiler can vectorise, the fade-out.
    const int plainFrom = int(std::clamp(fadeInEnd, from, to) - from);
    const int plainTo = int(std::clamp(fadeOutStart, from + plainFrom, to) - from);
    for (int i = 0; i < plainFrom; ++i)
        data[i] = in[i] * (gain * fadeGain(from + i));
    for (int i = plainFrom; i < plainTo; ++i)
        data[i] = in[i] * gain;
    for (int i = plainTo; i < kept; ++i)
        data[i] = in[i] * (gain * fadeGain(from + i));
    return kept;
}
