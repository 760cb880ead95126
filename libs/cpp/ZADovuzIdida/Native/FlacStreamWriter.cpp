#include "FlacStreamWriter.h"

#include "MediaStatus.h"

#include <QFile>

#include <FLAC/stream_encoder.h>

#include <cmath>

namespace ZADovuzIdida {

namespace {

const int kStatusWriteFailed = fourCharStatus('f', 'l', 'w', '!');
const int kStatusCreateFailed = fourCharStatus('f', 'l', 'c', '!');

} // namespace

// The library's encoder type is an unnamed struct, so the header cannot name it.
struct FlacStreamWriter::Encoder
{
    FLAC__StreamEncoder* pStream;
};

FlacStreamWriter::FlacStreamWriter() = default;

FlacStreamWriter::~FlacStreamWriter() { finish(); }

int FlacStreamWriter::open(const QString& path, int sampleRate, int channels, int bitsPerSample)
{
    finish();
    if (channels < 1 || channels > 8 || sampleRate < 1 || bitsPerSample < 4)
        return kStatusUnsupportedDataFormat;
    m_nChannels = channels;
    m_nBits = qMin(bitsPerSample, 24);
    FLAC__StreamEncoder* stream = FLAC__stream_encoder_new();
    if (!stream)
        return kStatusCreateFailed;
    bool ok = FLAC__stream_encoder_set_channels(stream, unsigned(channels));
    ok = ok && FLAC__stream_encoder_set_bits_per_sample(stream, unsigned(m_nBits));
    ok = ok && FLAC__stream_encoder_set_sample_rate(stream, unsigned(sampleRate));
    ok = ok && FLAC__stream_encoder_set_compression_level(stream, 5);
    ok = ok && FLAC__stream_encoder_set_verify(stream, false);
    if (!ok || FLAC__stream_encoder_init_file(stream, QFile::encodeName(path).constData(), nullptr, nullptr) !=
                   FLAC__STREAM_ENCODER_INIT_STATUS_OK) {
        FLAC__stream_encoder_delete(stream);
        return kStatusCreateFailed;
    }
    m_pEncoder = new Encoder{stream};
    return 0;
}

int FlacStreamWriter::write(const float* samples, unsigned frames)
{
    if (!m_pEncoder)
        return kStatusNotOpen;
    if (frames == 0)
        return 0;
    const size_t count = size_t(frames) * size_t(m_nChannels);
    m_vecBuffer.resize(count);
    const double scale = double(1 << (m_nBits - 1));
    const double top = scale - 1.0;
    for (size_t i = 0; i < count; ++i) {
        const double value = std::nearbyint(double(samples[i]) * scale);
        // NaN fails both comparisons and becomes silence.
        m_vecBuffer[i] = value >= -scale ? (value <= top ? int(value) : int(top)) : (value < -scale ? int(-scale) : 0);
    }
    if (!FLAC__stream_encoder_process_interleaved(m_pEncoder->pStream, m_vecBuffer.data(), frames))
        return kStatusWriteFailed;
    return 0;
}

int FlacStreamWriter::finish()
{
    if (!m_pEncoder)
        return 0;
    const bool ok = FLAC__stream_encoder_finish(m_pEncoder->pStream);
    FLAC__stream_encoder_delete(m_pEncoder->pStream);
    delete m_pEncoder;
    m_pEncoder = nullptr;
    m_vecBuffer.clear();
    return ok ? 0 : kStatusWriteFailed;
}

} // namespace ZADovuzIdida
