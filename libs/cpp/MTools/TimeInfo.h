#pragma once
// Millisecond and microsecond counts as a time of day.

#include <QTime>

namespace MTools {

class TimeInfo
{
public:
    // Whole seconds only; hours are not reduced modulo 24, so 24 hours or more give an invalid QTime.
    static QTime msecsToTime(qint64 ms);
    static QTime usecsToTime(qint64 us);
};

} // namespace MTools
