#include "NativeAudioEncoder.h"

#include "Native/FlacStreamWriter.h"
#include "Native/MediaStatus.h"

#include <QDebug>

namespace ZADovuzIdida {

NativeAudioEncoder::NativeAudioEncoder(const QString& path, const MAudioFormat& format, QObject* parent)
    : QObject(parent), m_strPath(path), m_nBitsPerSample(format.bitsPerSample), m_nChannels(format.channels),
      m_nSampleRate(format.sampleRate), m_pFile(new FlacStreamWriter)
{
    m_pFile->open(m_strPath, m_nSampleRate, m_nChannels, m_nBitsPerSample);
}

NativeAudioEncoder::~NativeAudioEncoder() { finish(); }

bool NativeAudioEncoder::write(float* samples, int count)
{
    if (count <= 0 || m_nChannels <= 0)
        return true;
    const unsigned frames = unsigned(count) / unsigned(m_nChannels);
    if (m_pFile->write(samples, frames) != 0)
        qDebug() << "Couldn't write packets to file";
    return true;
}

void NativeAudioEncoder::finish() { checkResult(m_pFile->finish(), "ExtAudioFileDispose"); }

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

} // namespace ZADovuzIdida
