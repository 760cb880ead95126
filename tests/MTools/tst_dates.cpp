#include <MTools/DateInfo.h>
#include <MTools/MWordDate.h>
#include <MTools/MWordTime.h>
#include <MTools/TimeInfo.h>

#include "TestMain.h"
#include "Tools.h"

#include <QLocale>
#include <QRandomGenerator>

using namespace MTools;

class TestDates : public QObject
{
    Q_OBJECT

private slots:
    void testWordTime();
    void testWordDate();
    void testWordsAgainstZipfile();
    void testNames();
    void testZodiac_data();
    void testZodiac();
    void testTranslatedZodiac();
    void testMoonDayEclipses_data();
    void testMoonDayEclipses();
    void testMoonCycle();
    void testTimeInfo_data();
    void testTimeInfo();
    void testAge();
    void testYearSeconds();
};

void TestDates::testWordTime()
{
    const MWordTime time(QTime(13, 45, 31));
    QCOMPARE(time.hour(), 13);
    QCOMPARE(time.minute(), 45);
    QCOMPARE(time.second(), 31);
    QCOMPARE(time.toUShort(), ushort(0x6DAF));
    QCOMPARE(time.toUShort(), ushort(28079));

    MWordTime back(0, 0, 0);
    QCOMPARE(back.toUShort(), ushort(0));
    const unsigned short word = 0x6DAF;
    QCOMPARE(back.fromUShort(word).second(), 30);
    QCOMPARE(back.hour(), 13);
    QCOMPARE(back.minute(), 45);

    QCOMPARE(MWordTime(23, 59, 59).toUShort(), ushort(0xBF7D));
    MWordTime copy(time);
    QCOMPARE(copy.toUShort(), time.toUShort());
    copy = MWordTime(1, 2, 4);
    QCOMPARE(copy.toUShort(), ushort(1 * 2048 + 2 * 32 + 2));
    // Fields are masked to their widths.
    QCOMPARE(MWordTime(33, 65, 66).hour(), 1);
    QCOMPARE(MWordTime(33, 65, 66).minute(), 1);
    QCOMPARE(MWordTime(33, 65, 66).second(), 2);
}

void TestDates::testWordDate()
{
    const MWordDate date(QDate(2024, 3, 5));
    QCOMPARE(date.toUShort(), ushort(27749));
    QCOMPARE(date.year(), 2024);
    QCOMPARE(date.month(), 3);
    QCOMPARE(date.day(), 5);
    QCOMPARE(MWordDate(2024, 3, 5).toUShort(), ushort(27749));

    MWordDate other(1970, 1, 1);
    QCOMPARE(other.toUShort(), ushort(33));
    const unsigned short word = 27749;
    QCOMPARE(other.fromUShort(word).year(), 2024);
    QCOMPARE(MWordDate(2097, 12, 31).year(), 2097);
    other = MWordDate(2097, 12, 31);
    QCOMPARE(other.toUShort(), ushort(127 << 9 | 12 << 5 | 31));

    // Years outside 1970-2097 wrap silently.
    QCOMPARE(MWordDate(2098, 1, 1).year(), 1970);
    QCOMPARE(MWordDate(1969, 1, 1).year(), 2097);

    // A FAT date word counts from 1980; this one from 1970.
    for (QDate day(1980, 1, 1); day.year() < 2098; day = day.addDays(97)) {
        const int fat = (day.year() - 1980) << 9 | day.month() << 5 | day.day();
        QCOMPARE(int(MWordDate(day).toUShort()), fat + (10 << 9));
        const MWordDate packed(day);
        QCOMPARE(QDate(packed.year(), packed.month(), packed.day()), day);
    }
}

void TestDates::testWordsAgainstZipfile()
{
    // Python's zipfile writes MS-DOS time and date words into each local file header (offsets 10 and 12).
    QRandomGenerator random(1980);
    QList<QDateTime> stamps;
    QStringList args{"-c", QStringLiteral("import io, sys, zipfile, struct\n"
                                          "for a in sys.argv[1:]:\n"
                                          "    t = tuple(int(x) for x in a.split(','))\n"
                                          "    b = io.BytesIO()\n"
                                          "    with zipfile.ZipFile(b, 'w') as z:\n"
                                          "        z.writestr(zipfile.ZipInfo('x', t), b'')\n"
                                          "    print(*struct.unpack('<HH', b.getvalue()[10:14]))\n")};
    for (int i = 0; i < 40; ++i) {
        const QDate date = QDate(1980, 1, 1).addDays(random.bounded(365 * 100));
        const QTime time(random.bounded(24), random.bounded(60), random.bounded(60));
        stamps << QDateTime(date, time);
        args << QStringLiteral("%1,%2,%3,%4,%5,%6")
                    .arg(date.year())
                    .arg(date.month())
                    .arg(date.day())
                    .arg(time.hour())
                    .arg(time.minute())
                    .arg(time.second());
    }
    const TestKit::ToolResult result = TestKit::runTool("/usr/bin/python3", args);
    QCOMPARE(result.exitCode, 0);
    const QList<QByteArray> lines = result.out.trimmed().split('\n');
    QCOMPARE(lines.size(), stamps.size());
    for (int i = 0; i < stamps.size(); ++i) {
        const QList<QByteArray> words = lines[i].split(' ');
        QCOMPARE(words.size(), 2);
        QCOMPARE(int(MWordTime(stamps[i].time()).toUShort()), words[0].toInt());
        QCOMPARE(int(MWordDate(stamps[i].date()).toUShort()), words[1].toInt() + (10 << 9));
    }
}

void TestDates::testNames()
{
    for (int i = 0; i < 7; ++i)
        QCOMPARE(DateInfo::weekName(i), QLocale::c().dayName(i + 1, QLocale::LongFormat));
    QCOMPARE(DateInfo::weekName(0), QStringLiteral("Monday"));
    QCOMPARE(DateInfo::weekName(QDate(2024, 3, 10).dayOfWeek() - 1), QStringLiteral("Sunday"));
    QCOMPARE(DateInfo::weekName(7), QStringLiteral("Unknown"));
    QCOMPARE(DateInfo::weekName(-1), QStringLiteral("Unknown"));
    QCOMPARE(DateInfo::weekName(INT_MIN), QStringLiteral("Unknown"));

    for (int m = 1; m <= 12; ++m)
        QCOMPARE(DateInfo::monthName(m), QLocale::c().monthName(m, QLocale::LongFormat));
    QCOMPARE(DateInfo::monthName(0), QStringLiteral("Unknown"));
    QCOMPARE(DateInfo::monthName(13), QStringLiteral("Unknown"));
    QCOMPARE(DateInfo::monthName(-5), QStringLiteral("Unknown"));
    QCOMPARE(DateInfo::monthName(INT_MAX), QStringLiteral("Unknown"));
}

void TestDates::testZodiac_data()
{
    QTest::addColumn<QDate>("date");
    QTest::addColumn<QString>("sign");
    QTest::newRow("1 Jan 1990") << QDate(1990, 1, 1) << "Capricom";
    QTest::newRow("23 Jan") << QDate(2023, 1, 23) << "Capricom";
    QTest::newRow("24 Jan") << QDate(2023, 1, 24) << "Aquarius";
    QTest::newRow("19 Feb") << QDate(2001, 2, 19) << "Aquarius";
    QTest::newRow("20 Feb") << QDate(2001, 2, 20) << "Pisces";
    QTest::newRow("29 Feb") << QDate(2024, 2, 29) << "Pisces";
    QTest::newRow("29 Feb 1900s") << QDate(1996, 2, 29) << "Pisces";
    QTest::newRow("20 Mar") << QDate(2000, 3, 20) << "Pisces";
    QTest::newRow("21 Mar") << QDate(2000, 3, 21) << "Aries";
    QTest::newRow("20 Apr") << QDate(1985, 4, 20) << "Aries";
    QTest::newRow("21 Apr") << QDate(1985, 4, 21) << "Taurus";
    QTest::newRow("21 May") << QDate(1985, 5, 21) << "Taurus";
    QTest::newRow("22 May") << QDate(1985, 5, 22) << "Gemini";
    QTest::newRow("21 Jun") << QDate(1977, 6, 21) << "Gemini";
    QTest::newRow("22 Jun") << QDate(1977, 6, 22) << "Cancer";
    QTest::newRow("22 Jul") << QDate(1977, 7, 22) << "Cancer";
    QTest::newRow("23 Jul") << QDate(1977, 7, 23) << "Leo";
    QTest::newRow("23 Aug") << QDate(2010, 8, 23) << "Leo";
    QTest::newRow("24 Aug") << QDate(2010, 8, 24) << "Virgo";
    QTest::newRow("23 Sep") << QDate(2010, 9, 23) << "Virgo";
    QTest::newRow("24 Sep") << QDate(2010, 9, 24) << "Libra";
    QTest::newRow("23 Oct") << QDate(1950, 10, 23) << "Libra";
    QTest::newRow("24 Oct") << QDate(1950, 10, 24) << "Scorpio";
    QTest::newRow("22 Nov") << QDate(1950, 11, 22) << "Scorpio";
    QTest::newRow("23 Nov") << QDate(1950, 11, 23) << "Sagittarius";
    QTest::newRow("21 Dec") << QDate(2030, 12, 21) << "Sagittarius";
    QTest::newRow("22 Dec") << QDate(2030, 12, 22) << "Capricom";
    QTest::newRow("31 Dec") << QDate(2030, 12, 31) << "Capricom";
    QTest::newRow("invalid") << QDate() << "";
}

void TestDates::testZodiac()
{
    QFETCH(QDate, date);
    QFETCH(QString, sign);
    QCOMPARE(DateInfo::zodiacName(date), sign);
}

void TestDates::testTranslatedZodiac()
{
    const QPair<const char*, const char*> names[] = {
        {"Aries", "The Ram"},           {"Taurus", "The Bull"},     {"Gemini", "The Twins"},
        {"Cancer", "The Crab"},         {"Leo", "The Lion"},        {"Virgo", "The Maiden"},
        {"Libra", "The Scales"},        {"Scorpio", "The Scorpion"}, {"Sagittarius", "The Archer"},
        {"Capricom", "The Sea-Goat"},   {"Aquarius", "The Water-Bearer"}, {"Pisces", "The Fishes"},
    };
    for (const auto& name : names)
        QCOMPARE(DateInfo::translatedZodiacName(QString::fromLatin1(name.first)), QString::fromLatin1(name.second));
    QCOMPARE(DateInfo::translatedZodiacName(QStringLiteral("aries")), QString());
    QCOMPARE(DateInfo::translatedZodiacName(QStringLiteral("Capricorn")), QString());
    QCOMPARE(DateInfo::translatedZodiacName(QString()), QString());

    // Every day of a leap year has a sign whose descriptive name exists.
    for (QDate day(2024, 1, 1); day.year() == 2024; day = day.addDays(1))
        QVERIFY2(!DateInfo::translatedZodiacName(DateInfo::zodiacName(day)).isEmpty(), qPrintable(day.toString()));
}

void TestDates::testMoonDayEclipses_data()
{
    // Solar eclipses happen at new moon, lunar eclipses at full moon.
    QTest::addColumn<QDate>("date");
    QTest::addColumn<bool>("solar");
    QTest::addColumn<int>("exact");
    QTest::newRow("1999-08-11 solar") << QDate(1999, 8, 11) << true << 29;
    QTest::newRow("2017-08-21 solar") << QDate(2017, 8, 21) << true << 29;
    QTest::newRow("2024-04-08 solar") << QDate(2024, 4, 8) << true << 0;
    QTest::newRow("2006-03-29 solar") << QDate(2006, 3, 29) << true << -1;
    QTest::newRow("2015-09-28 lunar") << QDate(2015, 9, 28) << false << 15;
    QTest::newRow("2021-05-26 lunar") << QDate(2021, 5, 26) << false << 15;
    QTest::newRow("2022-11-08 lunar") << QDate(2022, 11, 8) << false << 14;
    QTest::newRow("2000-01-21 lunar") << QDate(2000, 1, 21) << false << -1;
}

void TestDates::testMoonDayEclipses()
{
    QFETCH(QDate, date);
    QFETCH(bool, solar);
    QFETCH(int, exact);
    const int day = DateInfo::moonDay(date);
    if (exact >= 0)
        QCOMPARE(day, exact);
    if (solar) {
        QVERIFY2(day >= 28 || day <= 1, qPrintable(QString::number(day)));
        QCOMPARE(DateInfo::moonPhase(date), 0);
    } else {
        QVERIFY2(day >= 13 && day <= 16, qPrintable(QString::number(day)));
        QVERIFY(DateInfo::moonPhase(date) >= 3 && DateInfo::moonPhase(date) <= 5);
    }
}

void TestDates::testMoonCycle()
{
    const int phaseOf[30] = {0, 1, 1, 1, 1, 1, 1, 2, 3, 3, 3, 3, 3, 3, 4,
                             5, 5, 5, 5, 5, 5, 7, 6, 6, 6, 6, 6, 6, 0, 0};
    bool seen21 = false;
    bool seen22 = false;
    int previous = DateInfo::moonDay(QDate(1899, 12, 31));
    for (QDate day(1900, 1, 1); day.year() < 2100; day = day.addDays(1)) {
        const int moon = DateInfo::moonDay(day);
        QVERIFY(moon >= 0 && moon <= 29);
        // One step a day; after day 28 or 29 a new cycle starts at 0. The formula's century term makes its day
        // count stand still once in these two centuries, from 28 February to 1 March 2034.
        if (day == QDate(2034, 3, 1))
            QCOMPARE(moon, previous);
        else
            QVERIFY2(moon == previous + 1 || (moon == 0 && previous >= 28), qPrintable(day.toString(Qt::ISODate)));
        QCOMPARE(DateInfo::moonPhase(day), phaseOf[moon]);
        seen21 = seen21 || moon == 21;
        seen22 = seen22 || moon == 22;
        previous = moon;
    }
    QVERIFY(seen21 && seen22);

    // Single precision matters: in double this day would be 22.
    QCOMPARE(DateInfo::moonDay(QDate(2098, 7, 22)), 23);

    // Far from the present the remainder can round below zero; it still stays within the cycle.
    QCOMPARE(DateInfo::moonDay(QDate(531, 2, 4)), 29);
    for (QDate day(500, 1, 1); day.year() < 700; day = day.addDays(1)) {
        const int moon = DateInfo::moonDay(day);
        QVERIFY2(moon >= 0 && moon <= 29, qPrintable(day.toString(Qt::ISODate)));
    }
}

void TestDates::testTimeInfo_data()
{
    QTest::addColumn<qint64>("msecs");
    QTest::addColumn<QTime>("expected");
    QTest::newRow("01:02:03.004") << qint64(3723004) << QTime(1, 2, 3);
    QTest::newRow("zero") << qint64(0) << QTime(0, 0, 0);
    QTest::newRow("999 ms") << qint64(999) << QTime(0, 0, 0);
    QTest::newRow("last of day") << qint64(86399999) << QTime(23, 59, 59);
    QTest::newRow("24 h") << qint64(86400000) << QTime();
    QTest::newRow("huge") << qint64(1) << QTime();
    QTest::newRow("negative second") << qint64(-1000) << QTime();
}

void TestDates::testTimeInfo()
{
    QFETCH(qint64, msecs);
    QFETCH(QTime, expected);
    if (QByteArray(QTest::currentDataTag()) == "huge")
        msecs = std::numeric_limits<qint64>::max() / 1000;
    const QTime fromMs = TimeInfo::msecsToTime(msecs);
    const QTime fromUs = TimeInfo::usecsToTime(msecs * 1000);
    QCOMPARE(fromMs.isValid(), expected.isValid());
    QCOMPARE(fromUs.isValid(), expected.isValid());
    if (expected.isValid()) {
        QCOMPARE(fromMs, expected);
        QCOMPARE(fromUs, expected);
    }
}

void TestDates::testAge()
{
    // A birthday 30 years back (28 for 29 February, so the date exists) today, and tomorrow.
    const auto birthdayOf = [](const QDate& day, int* years) {
        *years = QDate::isLeapYear(day.year() - 30) || day.month() != 2 || day.day() != 29 ? 30 : 28;
        return QDate(day.year() - *years, day.month(), day.day());
    };
    const QDate today = QDate::currentDate();
    int years = 0;
    const QDate birthToday = birthdayOf(today, &years);
    QCOMPARE(DateInfo::ageInYears(birthToday), years);
    const QDate birthTomorrow = birthdayOf(today.addDays(1), &years);
    QCOMPARE(DateInfo::ageInYears(birthTomorrow), years - 1);
    QCOMPARE(DateInfo::ageInYears(today), 0);
    QCOMPARE(DateInfo::ageInYears(QDate(today.year() - 10, 1, 1)), 10);
}

void TestDates::testYearSeconds()
{
    const int year = QDate::currentDate().year();
    const QDateTime start(QDate(year, 1, 1), QTime(0, 0));
    const qint64 expected = start.secsTo(QDateTime::currentDateTime());
    QVERIFY(qAbs(DateInfo::secsFromYear(year) - expected) <= 2);
    QVERIFY(DateInfo::secsFromYear(year - 1) > DateInfo::secsFromYear(year));

    QCOMPARE(DateInfo::addSecsToYear(0, 2024), QDateTime(QDate(2024, 1, 1), QTime(0, 0)));
    QCOMPARE(DateInfo::addSecsToYear(31 * 86400 + 3661, 2024), QDateTime(QDate(2024, 2, 1), QTime(1, 1, 1)));
    QCOMPARE(DateInfo::addSecsToYear(-1, 2024), QDateTime(QDate(2023, 12, 31), QTime(23, 59, 59)));
}

TRELVANIC_TEST_MAIN(TestDates)
#include "tst_dates.moc"
