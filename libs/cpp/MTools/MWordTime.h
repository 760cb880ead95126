#pragma once
// A time of day in bit fields, with the 16-bit packed form hour * 2048 + minute * 32 + second / 2.

#include <QTime>

namespace MTools {

class MWordTime
{
public:
    // Each field is masked to its width (hour 5 bits, minute and second 6 bits).
    explicit MWordTime(const QTime& time);
    MWordTime(const int& hour, const int& minute, const int& second);
    MWordTime(const MWordTime& other) = default;
    MWordTime& operator=(const MWordTime& other) = default;

    int hour() const { return int(m_nHour); }
    int minute() const { return int(m_nMinute); }
    int second() const { return int(m_nSecond); }

    // The packed form keeps only even seconds: the second is halved, rounding down.
    unsigned short toUShort() const;
    MWordTime& fromUShort(const unsigned short& word);

private:
    unsigned m_nHour : 5;
    unsigned m_nMinute : 6;
    unsigned m_nSecond : 6;
};

} // namespace MTools
