#include "MWordTime.h"

namespace MTools {

MWordTime::MWordTime(const QTime& time) : MWordTime(time.hour(), time.minute(), time.second()) {}

MWordTime::MWordTime(const int& hour, const int& minute, const int& second)
    : m_nHour(unsigned(hour) & 0x1F), m_nMinute(unsigned(minute) & 0x3F), m_nSecond(unsigned(second) & 0x3F)
{
}

unsigned short MWordTime::toUShort() const
{
    return static_cast<unsigned short>(m_nHour << 11 | m_nMinute << 5 | m_nSecond / 2);
}

MWordTime& MWordTime::fromUShort(const unsigned short& word)
{
    m_nHour = (word >> 11) & 0x1F;
    m_nMinute = (word >> 5) & 0x3F;
    m_nSecond = (word & 0x1F) * 2u;
    return *this;
}

} // namespace MTools
