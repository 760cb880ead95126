#include <ZADovuzIdida/_VozIdavi/Input/LTCData.h>

#include <MTools/FrameCount.h>

#include <QDebug>

namespace ZADovuzIdida {

namespace {

// The number held in count bits from bit first on, least significant bit first.
int field(const QString& bits, int first, int count)
{
    int value = 0;
    for (int i = 0; i < count; ++i) {
        if (bits.at(first + i) == QLatin1Char('1'))
            value |= 1 << i;
    }
    return value;
}

} // namespace

LTCData::LTCData(const long long& audioFrame, const QString& bits, const float& fps)
    : m_bValid(audioFrame > 0 && bits.size() == 80), m_nAudioFrame(audioFrame)
{
    if (!m_bValid)
        return;
    m_nFrame = quint8(field(bits, 0, 4) + 10 * field(bits, 8, 2));
    m_nSec = quint8(field(bits, 16, 4) + 10 * field(bits, 24, 3));
    m_nMinute = quint8(field(bits, 32, 4) + 10 * field(bits, 40, 3));
    m_nHour = quint8(field(bits, 48, 4) + 10 * field(bits, 56, 2));
    m_bDrop = bits.at(10) == QLatin1Char('1') && fps != 24.0f && fps != 25.0f;
    // User-bit groups 1..8 sit at bits 4, 12, 20, ... 60; byte k holds groups 2k-1 and 2k.
    for (int k = 0; k < 4; ++k)
        m_anUserBits[k] = quint8(field(bits, 4 + 16 * k, 4) | (field(bits, 12 + 16 * k, 4) << 4));
}

LTCData::LTCData(bool valid, long long audioFrame, char hour, char minute, char sec, char frame, bool drop, quint8 u1,
                 quint8 u2, quint8 u3, quint8 u4)
    : m_bValid(valid), m_nAudioFrame(audioFrame), m_nHour(quint8(hour)), m_nMinute(quint8(minute)), m_nSec(quint8(sec)),
      m_nFrame(quint8(frame)), m_bDrop(drop), m_anUserBits{u1, u2, u3, u4}
{
}

int LTCData::bitGroup(int i) const { return i >= 0 && i < 4 ? m_anUserBits[i] : -1; }

QString LTCData::timecode(const float& fps, bool userBits) const
{
    if (!m_bValid)
        return QString();
    if (userBits)
        return MTools::FrameCount::timecodeToString(m_anUserBits[0], m_anUserBits[1], m_anUserBits[2], m_anUserBits[3],
                                                    m_bDrop, fps, false);
    return MTools::FrameCount::timecodeToString(m_nHour, m_nMinute, m_nSec, m_nFrame, m_bDrop, fps, false);
}

void LTCData::dump() const
{
    qDebug().nospace() << "LTC: AudioFrame=" << m_nAudioFrame << "; hour=" << int(m_nHour) << "; min=" << int(m_nMinute)
                       << "; sec=" << int(m_nSec) << "; frame=" << int(m_nFrame) << "; u1=" << int(m_anUserBits[0])
                       << "; u2=" << int(m_anUserBits[1]) << "; u3=" << int(m_anUserBits[2])
                       << "; u4=" << int(m_anUserBits[3]) << "; drop=" << (m_bDrop ? "true" : "false")
                       << "; valid=" << (m_bValid ? "true" : "false");
}

} // namespace ZADovuzIdida
