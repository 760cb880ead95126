#include "NativeAudioEncoder.h"

#include "Native/FlacStreamWriter.h"
#include "Native/MediaStatus.h"

#include <QDebug>

namespace ZADovuzIdida {

NativeAudioEncoder::NativeAudioEncoder(const QString& path, const MAudioFormat& format, QObject* parent)
    : QObject(parent), m_strPath(path), m_nBitsPerSample(format.bitsPerSample), m_nChannels(format.channels),
      m_nSampleRate(format.sampleRate), m_pFile(new FlacStreamWriter)
{
    EncoderStreamFormat output;
    createOutputFormat(&output);
    checkResult(
        m_pFile->open(m_strPath, int(output.sampleRate), int(output.channelsPerFrame), int(output.bitsPerChannel)),
        "ExtAudioFileCreateWithURL");
}

NativeAudioEncoder::~NativeAudioEncoder() { finish(); }

bool NativeAudioEncoder::isOpen() const { return m_pFile->isOpen(); }

bool NativeAudioEncoder::write(float* samples, int count)
{
    if (count <= 0 || m_nChannels <= 0)
        return true;
    const unsigned frames = unsigned(count) / unsigned(m_nChannels);
    return checkResult(m_pFile->write(samples, frames), "ExtAudioFileWrite");
}

bool NativeAudioEncoder::finish() { return checkResult(m_pFile->finish(), "ExtAudioFileDispose"); }

void NativeAudioEncoder::createOutputFormat(EncoderStreamFormat* d) const
{
    d->sampleRate = double(m_nSampleRate);
    d->formatID = EncoderStreamFormat::FormatFlac;
    d->formatFlags = 1;
    d->bytesPerPacket = 0;
    d->framesPerPacket = 1024;
    d->bytesPerFrame = 0;
    d->channelsPerFrame = unsigned(m_nChannels);
    d->bitsPerChannel = unsigned(m_nBitsPerSample);
    d->reserved = 0;
}

void NativeAudioEncoder::createCanonicalFormat(EncoderStreamFormat* d) const
{
    d->sampleRate = double(m_nSampleRate);
    d->formatID = EncoderStreamFormat::FormatLinearPCM;
    d->formatFlags = 9; // float, packed
    d->bytesPerPacket = 4 * unsigned(m_nChannels);
    d->framesPerPacket = 1;
    d->bytesPerFrame = 4 * unsigned(m_nChannels);
    d->channelsPerFrame = unsigned(m_nChannels);
    d->bitsPerChannel = 32;
}

bool NativeAudioEncoder::checkResult(int status, const char* operation)
{
    if (status == 0)
        return true;
    const QString message = statusMessage(status, operation);
    emit error(message);
    qDebug() << message;
    return false;
}

void NativeAudioEncoder::dump() const
{
    qDebug() << "---------- Begin NativeAudioEncoder ----------";
    qDebug() << "path =" << m_strPath;
    qDebug() << "bits per sample =" << m_nBitsPerSample;
    qDebug() << "channels =" << m_nChannels;
    qDebug() << "sample rate =" << m_nSampleRate;
    qDebug() << "file =" << m_pFile->isOpen();
    qDebug() << "---------- End NativeAudioEncoder ----------";
}

int setBitRate(FlacStreamWriter* file, unsigned bitRate)
{
    Q_UNUSED(bitRate)
    return file && file->isOpen() ? kStatusPropertyNotPresent : kStatusNotOpen;
}

} // namespace ZADovuzIdida
