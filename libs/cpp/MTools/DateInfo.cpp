#include "DateInfo.h"

#include <QCoreApplication>

#include <cmath>

namespace MTools {

namespace {

const char* const sm_weekNames[] = {
    QT_TRANSLATE_NOOP("QObject", "Monday"),    QT_TRANSLATE_NOOP("QObject", "Tuesday"),
    QT_TRANSLATE_NOOP("QObject", "Wednesday"), QT_TRANSLATE_NOOP("QObject", "Thursday"),
    QT_TRANSLATE_NOOP("QObject", "Friday"),    QT_TRANSLATE_NOOP("QObject", "Saturday"),
    QT_TRANSLATE_NOOP("QObject", "Sunday"),
};

const char* const sm_monthNames[] = {
    QT_TRANSLATE_NOOP("QObject", "January"),   QT_TRANSLATE_NOOP("QObject", "February"),
    QT_TRANSLATE_NOOP("QObject", "March"),     QT_TRANSLATE_NOOP("QObject", "April"),
    QT_TRANSLATE_NOOP("QObject", "May"),       QT_TRANSLATE_NOOP("QObject", "June"),
    QT_TRANSLATE_NOOP("QObject", "July"),      QT_TRANSLATE_NOOP("QObject", "August"),
    QT_TRANSLATE_NOOP("QObject", "September"), QT_TRANSLATE_NOOP("QObject", "October"),
    QT_TRANSLATE_NOOP("QObject", "November"),  QT_TRANSLATE_NOOP("QObject", "December"),
};

struct ZodiacRange
{
    int fromMonth;
    int fromDay;
    int toMonth;
    int toDay;
    const char* name;
    const char* description;
};

const ZodiacRange sm_zodiac[] = {
    {3, 21, 4, 20, "Aries", QT_TRANSLATE_NOOP("QObject", "The Ram")},
    {4, 21, 5, 21, "Taurus", QT_TRANSLATE_NOOP("QObject", "The Bull")},
    {5, 22, 6, 21, "Gemini", QT_TRANSLATE_NOOP("QObject", "The Twins")},
    {6, 22, 7, 22, "Cancer", QT_TRANSLATE_NOOP("QObject", "The Crab")},
    {7, 23, 8, 23, "Leo", QT_TRANSLATE_NOOP("QObject", "The Lion")},
    {8, 24, 9, 23, "Virgo", QT_TRANSLATE_NOOP("QObject", "The Maiden")},
    {9, 24, 10, 23, "Libra", QT_TRANSLATE_NOOP("QObject", "The Scales")},
    {10, 24, 11, 22, "Scorpio", QT_TRANSLATE_NOOP("QObject", "The Scorpion")},
    {11, 23, 12, 21, "Sagittarius", QT_TRANSLATE_NOOP("QObject", "The Archer")},
    {12, 22, 12, 31, "Capricom", QT_TRANSLATE_NOOP("QObject", "The Sea-Goat")},
    {1, 1, 1, 23, "Capricom", QT_TRANSLATE_NOOP("QObject", "The Sea-Goat")},
    {1, 24, 2, 19, "Aquarius", QT_TRANSLATE_NOOP("QObject", "The Water-Bearer")},
    {2, 20, 3, 20, "Pisces", QT_TRANSLATE_NOOP("QObject", "The Fishes")},
};

// Month and day as one comparable number.
int monthDayKey(int month, int day) { return month * 100 + day; }

// The translated name of number in a list that starts at first, or "Unknown" outside the list.
template <size_t N> QString nameAt(const char* const (&names)[N], int number, int first)
{
    if (number < first || number - first >= int(N))
        return QStringLiteral("Unknown");
    return QCoreApplication::translate("QObject", names[number - first]);
}

QDateTime yearStart(int year) { return QDateTime(QDate(year, 1, 1), QTime(0, 0), Qt::LocalTime); }

} // namespace

QString DateInfo::weekName(int index) { return nameAt(sm_weekNames, index, 0); }

QString DateInfo::monthName(int month) { return nameAt(sm_monthNames, month, 1); }

int DateInfo::ageInYears(const QDate& birth)
{
    const QDate today = QDate::currentDate();
    int age = today.year() - birth.year();
    if (today.month() < birth.month() || (today.month() == birth.month() && today.day() < birth.day()))
        --age;
    return age;
}

QString DateInfo::zodiacName(const QDate& date)
{
    if (!date.isValid())
        return QString();
    // Month and day are compared directly, so 29 February falls in Pisces whatever the current year.
    const int key = monthDayKey(date.month(), date.day());
    for (const ZodiacRange& range : sm_zodiac) {
        if (key >= monthDayKey(range.fromMonth, range.fromDay) && key <= monthDayKey(range.toMonth, range.toDay))
            return QString::fromLatin1(range.name);
    }
    return QString();
}

QString DateInfo::translatedZodiacName(const QString& sign)
{
    for (const ZodiacRange& range : sm_zodiac) {
        if (sign == QLatin1String(range.name))
            return QCoreApplication::translate("QObject", range.description);
    }
    return QString();
}

int DateInfo::moonDay(const QDate& date)
{
    const float y = float(date.year());
    const float m = float(date.month());
    const float d = float(date.day());
    const float a = std::floor((14.0f - m) / 12.0f + 0.001f);
    const float p = std::floor((4800.0f + y - a) * 1461.0f * 0.25f + 0.001f) + (d - 2447095.0f);
    const float q = std::floor((a * 12.0f + (m - 2.0f)) * 367.0f / 12.0f + 0.001f);
    const float j = q + p - std::floor((y + 4900.0f - a) * 3.0f / 400.0f + 0.001f) - 23743.0f;
    const int day = int(std::floor(j - std::floor(j / 29.530588f) * 29.530588f));
    // Far from the present, rounding can leave the remainder just below zero: that is the cycle's last day.
    return day < 0 ? 29 : day;
}

int DateInfo::moonPhase(const QDate& date)
{
    const int day = moonDay(date);
    if (day >= 1 && day <= 6)
        return 1;
    if (day == 7)
        return 2;
    if (day >= 8 && day <= 13)
        return 3;
    if (day == 14)
        return 4;
    if (day >= 15 && day <= 20)
        return 5;
    // Numbers 6 and 7 are kept in this order (day 21 is 7, days 22-27 are 6) for compatibility.
    if (day == 21)
        return 7;
    if (day >= 22 && day <= 27)
        return 6;
    return 0;
}

qint64 DateInfo::secsFromYear(const int& year) { return yearStart(year).secsTo(QDateTime::currentDateTime()); }

QDateTime DateInfo::addSecsToYear(const qint64& secs, const int& year) { return yearStart(year).addSecs(secs); }

} // namespace MTools
