#pragma once
// Calendar helpers: weekday and month names, age, zodiac sign, moon cycle and seconds since a year began.

#include <QDate>
#include <QDateTime>
#include <QString>

namespace MTools {

class DateInfo
{
public:
    // 0 = Monday ... 6 = Sunday, translated; any other index gives "Unknown".
    static QString weekName(int index);
    // 1 = January ... 12 = December, translated; any other month gives "Unknown".
    static QString monthName(int month);
    // Full years from birth to today.
    static int ageInYears(const QDate& birth);
    // English sign name ("Capricom" for 22 December to 23 January); empty for an invalid date.
    static QString zodiacName(const QDate& date);
    // Translated descriptive name of an English sign name as zodiacName gives it; empty for any other text.
    static QString translatedZodiacName(const QString& sign);
    // Day of the moon's cycle, 0 to 29, computed in single precision.
    static int moonDay(const QDate& date);
    // Phase number 0 to 7 of moonDay.
    static int moonPhase(const QDate& date);
    // Seconds from 1 January of year, 00:00 local time, to now.
    static qint64 secsFromYear(const int& year);
    // 1 January of year, 00:00 local time, plus secs.
    static QDateTime addSecsToYear(const qint64& secs, const int& year);
};

} // namespace MTools
