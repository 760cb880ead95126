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
    void testWords();
    void testWordsAgainstZipfile();
    void testNames();
    void testZodiac_data();
    void testZodiac();
    void testMoonDayEclipses_data();
    void testMoonDayEclipses();
    void testMoonCycle();
    void testTimeInfo_data();
    void testTimeInfo();
    void testAgeAndYearSeconds();
};

// The packed forms are MS-DOS/FAT words; the date counts from 1970 instead of 1980.
void TestDates::testWords()
{
    MWordTime time(QTime(13, 45, 31));
    QCOMPARE(time.toUShort(), ushort(0x6DAF));
    const unsigned short timeWord = 0x6DAF;
    QCOMPARE(time.fromUShort(timeWord).second(), 30);
    QCOMPARE(time.hour(), 13);
    QCOMPARE(time.minute(), 45);

    MWordDate date(QDate(2024, 3, 5));
    QCOMPARE(date.toUShort(), ushort(27749));
    const unsigned short dateWord = 33;
    QCOMPARE(date.fromUShort(dateWord).year(), 1970);
    QCOMPARE(date.month(), 1);
    QCOMPARE(date.day(), 1);
    // Years outside 1970-2097 wrap silently.
    QCOMPARE(MWordDate(2098, 1, 1).year(), 1970);
    QCOMPARE(MWordDate(1969, 1, 1).year(), 2097);
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
        const QDateTime stamp(QDate(1980, 1, 1).addDays(random.bounded(365 * 100)),
                              QTime(random.bounded(24), random.bounded(60), random.bounded(60)));
        stamps << stamp;
        args << stamp.toString("yyyy,M,d,H,m,s");
    }
    const TestKit::ToolResult result = TestKit::runTool("/usr/bin/python3", args);
    QCOMPARE(result.exitCode, 0);
    const QList<QByteArray> lines = result.out.trimmed().split('\n');
    QCOMPARE(lines.size(), stamps.size());
    for (int i = 0; i < stamps.size(); ++i) {
        const QList<QByteArray> words = lines[i].split(' ');
        QCOMPARE(int(MWordTime(stamps[i].time()).toUShort()), words.value(0).toInt());
        QCOMPARE(int(MWordDate(stamps[i].date()).toUShort()), words.value(1).toInt() + (10 << 9));
        const MWordDate packed(stamps[i].date());
        QCOMPARE(QDate(packed.year(), packed.month(), packed.day()), stamps[i].date());
    }
}

void TestDates::testNames()
{
    for (int i = 0; i < 7; ++i)
        QCOMPARE(DateInfo::weekName(i), QLocale::c().dayName(i + 1, QLocale::LongFormat));
    for (int m = 1; m <= 12; ++m)
        QCOMPARE(DateInfo::monthName(m), QLocale::c().monthName(m, QLocale::LongFormat));
    for (int bad : {7, -1, INT_MIN})
        QCOMPARE(DateInfo::weekName(bad), QStringLiteral("Unknown"));
    for (int bad : {0, 13, -5})
        QCOMPARE(DateInfo::monthName(bad), QStringLiteral("Unknown"));

    const QPair<const char*, const char*> names[] = {
        {"Aries", "The Ram"},
        {"Taurus", "The Bull"},
        {"Gemini", "The Twins"},
        {"Cancer", "The Crab"},
        {"Leo", "The Lion"},
        {"Virgo", "The Maiden"},
        {"Libra", "The Scales"},
        {"Scorpio", "The Scorpion"},
        {"Sagittarius", "The Archer"},
        {"Capricom", "The Sea-Goat"},
        {"Aquarius", "The Water-Bearer"},
        {"Pisces", "The Fishes"},
    };
    for (const auto& name : names)
        QCOMPARE(DateInfo::translatedZodiacName(QString::fromLatin1(name.first)), QString::fromLatin1(name.second));
    QCOMPARE(DateInfo::translatedZodiacName(QStringLiteral("aries")), QString());
    // Every day of a leap year has a sign whose descriptive name exists.
    for (QDate day(2024, 1, 1); day.year() == 2024; day = day.addDays(1))
        QVERIFY2(!DateInfo::translatedZodiacName(DateInfo::zodiacName(day)).isEmpty(), qPrintable(day.toString()));
}

void TestDates::testZodiac_data()
{
    QTest::addColumn<QDate>("date");
    QTest::addColumn<QString>("sign");
    QTest::newRow("23 Jan") << QDate(2023, 1, 23) << "Capricom";
    QTest::newRow("24 Jan") << QDate(2023, 1, 24) << "Aquarius";
    QTest::newRow("20 Feb") << QDate(2001, 2, 20) << "Pisces";
    QTest::newRow("29 Feb") << QDate(2024, 2, 29) << "Pisces";
    QTest::newRow("20 Mar") << QDate(2000, 3, 20) << "Pisces";
    QTest::newRow("21 Mar") << QDate(2000, 3, 21) << "Aries";
    QTest::newRow("23 Jul") << QDate(1977, 7, 23) << "Leo";
    QTest::newRow("23 Nov") << QDate(1950, 11, 23) << "Sagittarius";
    QTest::newRow("22 Dec") << QDate(2030, 12, 22) << "Capricom";
    QTest::newRow("invalid") << QDate() << "";
}

void TestDates::testZodiac()
{
    QFETCH(QDate, date);
    QFETCH(QString, sign);
    QCOMPARE(DateInfo::zodiacName(date), sign);
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
    QTest::newRow("2015-09-28 lunar") << QDate(2015, 9, 28) << false << 15;
    QTest::newRow("2021-05-26 lunar") << QDate(2021, 5, 26) << false << 15;
    QTest::newRow("2022-11-08 lunar") << QDate(2022, 11, 8) << false << 14;
}

void TestDates::testMoonDayEclipses()
{
    QFETCH(QDate, date);
    QFETCH(bool, solar);
    QFETCH(int, exact);
    const int day = DateInfo::moonDay(date);
    QCOMPARE(day, exact);
    QVERIFY(solar ? (day >= 28 || day <= 1) : (day >= 13 && day <= 16));
    QVERIFY(solar ? DateInfo::moonPhase(date) == 0 : DateInfo::moonPhase(date) >= 3 && DateInfo::moonPhase(date) <= 5);
}

void TestDates::testMoonCycle()
{
    const int phaseOf[30] = {0, 1, 1, 1, 1, 1, 1, 2, 3, 3, 3, 3, 3, 3, 4, 5, 5, 5, 5, 5, 5, 7, 6, 6, 6, 6, 6, 6, 0, 0};
    int previous = DateInfo::moonDay(QDate(1899, 12, 31));
    for (QDate day(1900, 1, 1); day.year() < 2100; day = day.addDays(1)) {
        const int moon = DateInfo::moonDay(day);
        // One step a day; after day 28 or 29 a new cycle starts at 0. The formula's century term makes its day
        // count stand still once in these two centuries, from 28 February to 1 March 2034.
        if (day != QDate(2034, 3, 1))
            QVERIFY2(moon == previous + 1 || (moon == 0 && previous >= 28), qPrintable(day.toString(Qt::ISODate)));
        QCOMPARE(DateInfo::moonPhase(day), phaseOf[moon]);
        previous = moon;
    }
    // Single precision matters: in double this day would be 22.
    QCOMPARE(DateInfo::moonDay(QDate(2098, 7, 22)), 23);
    // Far from the present the remainder can round below zero; it still stays within the cycle.
    QCOMPARE(DateInfo::moonDay(QDate(531, 2, 4)), 29);
}

void TestDates::testTimeInfo_data()
{
    QTest::addColumn<qint64>("msecs");
    QTest::addColumn<QTime>("expected");
    QTest::newRow("01:02:03.004") << qint64(3723004) << QTime(1, 2, 3);
    QTest::newRow("last of day") << qint64(86399999) << QTime(23, 59, 59);
    QTest::newRow("24 h") << qint64(86400000) << QTime();
    QTest::newRow("huge") << std::numeric_limits<qint64>::max() / 1000 << QTime();
    QTest::newRow("negative second") << qint64(-1000) << QTime();
}

void TestDates::testTimeInfo()
{
    QFETCH(qint64, msecs);
    QFETCH(QTime, expected);
    QCOMPARE(TimeInfo::msecsToTime(msecs), expected);
    QCOMPARE(TimeInfo::usecsToTime(msecs * 1000), expected);
}

void TestDates::testAgeAndYearSeconds()
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

    const qint64 expected = QDateTime(QDate(today.year(), 1, 1), QTime(0, 0)).secsTo(QDateTime::currentDateTime());
    QVERIFY(qAbs(DateInfo::secsFromYear(today.year()) - expected) <= 2);
    QCOMPARE(DateInfo::addSecsToYear(31 * 86400 + 3661, 2024), QDateTime(QDate(2024, 2, 1), QTime(1, 1, 1)));
    QCOMPARE(DateInfo::addSecsToYear(-1, 2024), QDateTime(QDate(2023, 12, 31), QTime(23, 59, 59)));
}

TRELVANIC_TEST_MAIN(TestDates)
#include "tst_dates.moc"
