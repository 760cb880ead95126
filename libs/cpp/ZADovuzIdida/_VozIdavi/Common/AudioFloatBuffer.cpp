#include <ZADovuzIdida/_VozIdavi/Common/AudioFloatBuffer.h>
#include <ZADovuzIdida/_VozIdavi/Common/Contract.h>

#include <QtGlobal>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <stdexcept>

namespace ZADovuzIdida {

namespace {

const char* const kSource = "libs/cpp/ZADovuzIdida/_VozIdavi/Common/AudioFloatBuffer";

int checkedProduct(int frames, int channels)
{
    const qint64 size = qint64(frames) * channels;
    if (size > INT_MAX)
        throw std::length_error("AudioFloatBuffer: frames x channels too large");
    return int(size);
}

int toUpper16(float x)
{
    float product = x * 32768.0f;
    if (std::isnan(product))
        return 0;
    product = std::min(32767.0f, std::max(-32767.0f, product));
    return static_cast<int>(static_cast<std::uint32_t>(static_cast<int>(product)) << 16);
}

} // namespace

AudioFloatBuffer::AudioFloatBuffer(int frames, int channels)
    : m_nChannels(std::max(channels, 0)), m_nFrames(std::max(frames, 0)),
      m_nSize(checkedProduct(m_nFrames, m_nChannels)), m_pSamples(m_nSize > 0 ? new float[m_nSize] : nullptr)
{
}

AudioFloatBuffer::AudioFloatBuffer(const AudioFloatBuffer& other)
    : m_nChannels(other.m_nChannels), m_nFrames(other.m_nFrames), m_nSize(other.m_nSize),
      m_pSamples(m_nSize > 0 ? new float[m_nSize] : nullptr)
{
    if (m_nSize > 0)
        std::memcpy(m_pSamples, other.m_pSamples, sizeof(float) * m_nSize);
}

AudioFloatBuffer::~AudioFloatBuffer() { delete[] m_pSamples; }

void AudioFloatBuffer::resize(int frames)
{
    frames = std::max(frames, 0);
    if (frames == m_nFrames)
        return;
    const int size = checkedProduct(frames, m_nChannels);
    float* pSamples = size > 0 ? new float[size] : nullptr;
    const int kept = std::min(size, m_nSize);
    if (kept > 0)
        std::memcpy(pSamples, m_pSamples, sizeof(float) * kept);
    std::fill(pSamples + kept, pSamples + size, 0.0f);
    delete[] m_pSamples;
    m_pSamples = pSamples;
    m_nFrames = frames;
    m_nSize = size;
}

void AudioFloatBuffer::copy(MTools::Handle<AudioFloatBuffer> source, unsigned sourceFrame, unsigned targetFrame,
                            unsigned frames)
{
    const AudioFloatBuffer& src = *source;
    VOZIDAVI_REQUIRE(quint64(sourceFrame) + frames <= quint64(src.m_nFrames), "AudioFloatBuffer::copy", kSource,
                     "sourceFrame + frames <= source->frames()");
    VOZIDAVI_REQUIRE(quint64(targetFrame) + frames <= quint64(m_nFrames), "AudioFloatBuffer::copy", kSource,
                     "targetFrame + frames <= frames()");
    if (frames == 0 || m_nChannels == 0)
        return;
    if (src.m_nChannels == m_nChannels) {
        std::memmove(m_pSamples + qint64(targetFrame) * m_nChannels, src.m_pSamples + qint64(sourceFrame) * m_nChannels,
                     sizeof(float) * frames * m_nChannels);
        return;
    }
    const int common = std::min(src.m_nChannels, m_nChannels);
    for (unsigned f = 0; f < frames; ++f) {
        const float* in = src.m_pSamples + (qint64(sourceFrame) + f) * src.m_nChannels;
        float* out = m_pSamples + (qint64(targetFrame) + f) * m_nChannels;
        std::memmove(out, in, sizeof(float) * common);
        std::fill(out + common, out + m_nChannels, 0.0f);
    }
}

void AudioFloatBuffer::reverse()
{
    for (int i = 0, j = m_nFrames - 1; i < j; ++i, --j)
        std::swap_ranges(m_pSamples + qint64(i) * m_nChannels, m_pSamples + qint64(i + 1) * m_nChannels,
                         m_pSamples + qint64(j) * m_nChannels);
}

void AudioFloatBuffer::move(int n)
{
    if (n == 0 || m_nSize == 0)
        return;
    const qint64 shift = std::abs(qint64(n));
    if (shift >= m_nFrames) {
        std::fill(m_pSamples, m_pSamples + m_nSize, 0.0f);
        return;
    }
    const qint64 moved = (m_nFrames - shift) * m_nChannels;
    const qint64 freed = shift * m_nChannels;
    if (n > 0) {
        std::memmove(m_pSamples, m_pSamples + freed, sizeof(float) * moved);
        std::fill(m_pSamples + moved, m_pSamples + m_nSize, 0.0f);
    } else {
        std::memmove(m_pSamples + freed, m_pSamples, sizeof(float) * moved);
        std::fill(m_pSamples, m_pSamples + freed, 0.0f);
    }
}

void AudioFloatBuffer::convertFloatTo32(const float* input, int* output, int frames, int inputChannels,
                                        int outputChannels)
{
    if (frames < 1 || inputChannels < 1 || outputChannels < 1)
        return;
    const int common = std::min(inputChannels, outputChannels);
    for (qint64 f = 0; f < frames; ++f) {
        const float* in = input + f * inputChannels;
        int* out = output + f * outputChannels;
        for (int c = 0; c < common; ++c)
            out[c] = toUpper16(in[c]);
        for (int c = common; c < outputChannels; ++c)
            out[c] = 0;
    }
}

MTools::Handle<AudioFloatBuffer> AudioFloatBuffer::convert32ToFloat(const int* input, int frames, int inputChannels,
                                                                    int outputChannels)
{
    MTools::Handle<AudioFloatBuffer> result(new AudioFloatBuffer(frames, outputChannels));
    if (result->m_nSize == 0)
        return result;
    if (inputChannels < 1) {
        std::fill(result->m_pSamples, result->m_pSamples + result->m_nSize, 0.0f);
        return result;
    }
    const int common = std::min(inputChannels, outputChannels);
    float* pSamples = result->m_pSamples;
    for (qint64 f = 0; f < frames; ++f) {
        const int* in = input + f * inputChannels;
        float* out = pSamples + f * outputChannels;
        for (int c = 0; c < common; ++c)
            out[c] = static_cast<float>(in[c] >> 16) * (1.0f / 32768.0f);
        for (int c = common; c < outputChannels; ++c)
            out[c] = 0.0f;
    }
    return result;
}

} // namespace ZADovuzIdida
