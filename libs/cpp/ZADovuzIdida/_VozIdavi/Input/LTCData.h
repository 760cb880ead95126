// One decoded linear timecode frame: its time, drop flag, user bits and the audio frame where it ends.
#pragma once

#include <QString>
#include <QtGlobal>

namespace ZADovuzIdida {

class LTCData
{
public:
    // Bits of one frame as "1"/"0" characters in time order; valid with exactly 80 of them and audioFrame > 0.
    LTCData(const long long& audioFrame, const QString& bits, const float& fps);
    LTCData(bool valid, long long audioFrame, char hour, char minute, char sec, char frame, bool drop, quint8 u1,
            quint8 u2, quint8 u3, quint8 u4);
    LTCData(const LTCData& other) = default;
    LTCData& operator=(const LTCData& other) = default;
    virtual ~LTCData() = default;

    long long audioFrame() const { return m_nAudioFrame; }
    int hour() const { return m_nHour; }
    int minute() const { return m_nMinute; }
    int sec() const { return m_nSec; }
    int frame() const { return m_nFrame; }
    bool drop() const { return m_bDrop; }
    bool isValid() const { return m_bValid; }
    // User-bit byte i + 1 (0..255) for i from 0 to 3; -1 for any other i.
    int bitGroup(int i) const;
    // "" for an invalid frame; else the time, or the four user-bit bytes, as a timecode text.
    QString timecode(const float& fps, bool userBits) const;

    void dump() const;

private:
    bool m_bValid = false;
    long long m_nAudioFrame = -1;
    quint8 m_nHour = 0;
    quint8 m_nMinute = 0;
    quint8 m_nSec = 0;
    quint8 m_nFrame = 0;
    bool m_bDrop = false;
    quint8 m_anUserBits[4] = {};
};

} // namespace ZADovuzIdida
