#include <ZADovuzIdida/_VozIdavi/Common/Settings.h>

#include <QDebug>

namespace ZADovuzIdida {

Settings::Settings(unsigned sampleRate, short channels, short fmt, short bitsPerSample)
    : m_nSampleRate(sampleRate), m_nChannels(channels), m_nFmt(fmt), m_nBitsPerSample(bitsPerSample)
{
}

bool Settings::operator==(const Settings& other) const
{
    return m_nSampleRate == other.m_nSampleRate && m_nChannels == other.m_nChannels && m_nFmt == other.m_nFmt &&
           m_nBitsPerSample == other.m_nBitsPerSample;
}

const char* Settings::formatName(short fmt)
{
    switch (fmt) {
    case 0:
        return "Query";
    case 1:
        return "Mu-Law";
    case 2:
        return "A-Law";
    case 4:
        return "Ima ADPCM";
    case 8:
        return "Unsigned 8";
    case 16:
        return "Little endian signed 16 or 32";
    case 32:
        return "Big endian signed 16 or 32";
    case 64:
        return "Signed 8";
    case 128:
        return "Little endian unsigned 16 or 32";
    case 256:
        return "Big endian unsigned 16 or 32";
    case 512:
        return "MPEG";
    case 1024:
        return "AC3";
    case 2048:
        return "Signed 24 Normal";
    case 4096:
        return "Signed 24 Swapped";
    default:
        return "Unknown";
    }
}

void Settings::dump() const
{
    qDebug() << "---- Settings Info Begin -----";
    qDebug() << "Channels = " << m_nChannels;
    qDebug() << "Bits Per Sample = " << m_nBitsPerSample;
    qDebug() << "Sample Rate = " << m_nSampleRate;
    qDebug() << "Format = " << m_nFmt << " (" << formatName(m_nFmt) << ")";
    qDebug() << "---- Settings Info End-----";
}

} // namespace ZADovuzIdida
