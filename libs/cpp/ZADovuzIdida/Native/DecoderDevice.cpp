#include "DecoderDevice.h"

namespace ZADovuzIdida {

DecoderDevice::DecoderDevice(QObject* parent) : QIODevice(parent) {}

bool DecoderDevice::openFile(const QString& path, int sampleRate)
{
    if (m_decoder.open(path) != 0 || m_decoder.setOutputFormat(sampleRate, FfmpegDecoder::SampleFormat::S16) != 0)
        return false;
    return open(QIODevice::ReadOnly | QIODevice::Unbuffered);
}

bool DecoderDevice::seekTo(qint64 ms) { return m_decoder.seek(ms) == 0; }

qint64 DecoderDevice::bytesAvailable() const { return (m_decoder.atEnd() ? 0 : 16384) + QIODevice::bytesAvailable(); }

qint64 DecoderDevice::deliveredUSecs() const
{
    return m_decoder.sampleRate() > 0 ? m_nFramesDelivered * 1000000 / m_decoder.sampleRate() : 0;
}

qint64 DecoderDevice::readData(char* data, qint64 maxSize)
{
    const int frames = m_decoder.read(data, int(qMin<qint64>(maxSize / 4, 1 << 20)));
    if (frames <= 0)
        return 0;
    m_nFramesDelivered += frames;
    if (m_fPan != 0.0f) {
        const float left = m_fPan > 0.0f ? 1.0f - m_fPan : 1.0f;
        const float right = m_fPan < 0.0f ? 1.0f + m_fPan : 1.0f;
        qint16* samples = reinterpret_cast<qint16*>(data);
        for (int i = 0; i < frames; ++i) {
            samples[2 * i] = qint16(samples[2 * i] * left);
            samples[2 * i + 1] = qint16(samples[2 * i + 1] * right);
        }
    }
    return qint64(frames) * 4;
}

qint64 DecoderDevice::writeData(const char*, qint64) { return -1; }

} // namespace ZADovuzIdida
