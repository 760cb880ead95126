// Frame counting and SMPTE timecode, checked against libavutil's timecode functions.

#include "TestMain.h"

#include <MTools/FrameCount.h>
#include <MTools/Pulldown.h>
#include <MTools/TimeStamp.h>
#include <MTools/TmlTicks.h>

#include <QRegularExpression>
#include <QtEndian>

extern "C" {
#include <libavutil/timecode.h>
}

#include <cmath>
#include <cstdio>
#include <cstdlib>

using MTools::FrameCount;

namespace {

struct Fields
{
    int h = 0, m = 0, s = 0, f = 0;
    bool operator==(const Fields& o) const { return h == o.h && m == o.m && s == o.s && f == o.f; }
};

QString describe(const Fields& t) { return QString::asprintf("%02d:%02d:%02d.%02d", t.h, t.m, t.s, t.f); }

Fields ours(long long frame, float fps, bool allowFullDay = false)
{
    Fields t;
    FrameCount(frame, fps).timecodeFromFrameCount(&t.h, &t.m, &t.s, &t.f, allowFullDay);
    return t;
}

// libavutil's timecode of a frame, wrapping after 24 hours.
class AvTimecode
{
public:
    AvTimecode(AVRational rate, bool drop)
    {
        const int flags = AV_TIMECODE_FLAG_24HOURSMAX | (drop ? AV_TIMECODE_FLAG_DROPFRAME : 0);
        m_bOk = av_timecode_init(&m_tc, rate, flags, 0, nullptr) == 0;
    }
    bool ok() const { return m_bOk; }
    QByteArray text(int frame) const
    {
        char buf[AV_TIMECODE_STR_SIZE];
        return QByteArray(av_timecode_make_string(&m_tc, buf, frame));
    }
    // The fields of "HH:MM:SS:FF" (";" before the frames at drop frame); hours -1 for any other text.
    Fields fields(int frame) const
    {
        Fields t;
        char sep[3];
        const QByteArray str = text(frame);
        if (str.size() != 11 ||
            std::sscanf(str.constData(), "%2d%c%2d%c%2d%c%2d", &t.h, &sep[0], &t.m, &sep[1], &t.s, &sep[2], &t.f) != 7)
            t.h = -1;
        return t;
    }

private:
    AVTimecode m_tc{};
    bool m_bOk = false;
};

// libavutil's packed SMPTE 12M word has the frames in the high byte; ours keeps them in the low byte.
unsigned avSmpteWord(AVRational rate, bool drop, int h, int m, int s, int f)
{
    return qbswap<quint32>(av_timecode_get_smpte(rate, drop ? 1 : 0, h, m, s, f));
}

} // namespace

class TestFrameCount : public QObject
{
    Q_OBJECT

private slots:
    void testDropFrameDayAgainstLibavutil();
    void testNonDropDaysAgainstLibavutil_data();
    void testNonDropDaysAgainstLibavutil();
    void testKnownTimecodes_data();
    void testKnownTimecodes();
    void testTimecodeToFrame_data();
    void testTimecodeToFrame();
    void testRoundTripDay_data();
    void testRoundTripDay();
    void testDayWrapAndLargeValues();
    void testPulldownTables();
    void testPulldownConversions();
    void testSmpteWord();
    void testCopyAndUnset();
    void testConversions();
    void testTimecodeToString();
    void testTimeStamp();
};

void TestFrameCount::testDropFrameDayAgainstLibavutil()
{
    const AvTimecode reference({30000, 1001}, true);
    QVERIFY(reference.ok());
    const FrameCount parser(0, 29.97f);
    int mismatches = 0;
    QString first;
    for (int n = 0; n < 2589408; ++n) {
        const Fields expected = reference.fields(n);
        const Fields actual = ours(n, 29.97f);
        bool same = actual == expected;
        if (n % 17 == 0)
            same = same && parser.frameCountFromTimecode(QString::fromLatin1(reference.text(n))) == n;
        else
            same = same && parser.frameCountFromTimecode(expected.h, expected.m, expected.s, expected.f) == n;
        if (!same && mismatches++ == 0)
            first = QStringLiteral("frame %1: %2 vs %3").arg(n).arg(describe(actual), describe(expected));
    }
    QVERIFY2(mismatches == 0, qPrintable(first));
}

void TestFrameCount::testNonDropDaysAgainstLibavutil_data()
{
    QTest::addColumn<float>("fps");
    QTest::addColumn<int>("num");
    QTest::addColumn<int>("den");
    QTest::newRow("24") << 24.0f << 24 << 1;
    QTest::newRow("25") << 25.0f << 25 << 1;
    QTest::newRow("30") << 30.0f << 30 << 1;
    QTest::newRow("50") << 50.0f << 50 << 1;
    QTest::newRow("59.94 counts 60 a second") << 59.94f << 60000 << 1001;
}

void TestFrameCount::testNonDropDaysAgainstLibavutil()
{
    QFETCH(float, fps);
    QFETCH(int, num);
    QFETCH(int, den);
    const AvTimecode reference({num, den}, false);
    QVERIFY(reference.ok());
    const int day = FrameCount::nominalRate(fps) * 86400;
    int mismatches = 0;
    QString first;
    // A step prime to the rate meets every frame field; a little past one day compares the wrap too.
    for (int n = 0; n < day + 1000; n += 7) {
        const Fields expected = reference.fields(n);
        const Fields actual = ours(n, fps);
        if (!(actual == expected) && mismatches++ == 0)
            first = QStringLiteral("frame %1: %2 vs %3").arg(n).arg(describe(actual), describe(expected));
    }
    QVERIFY2(mismatches == 0, qPrintable(first));
}

void TestFrameCount::testKnownTimecodes_data()
{
    QTest::addColumn<qlonglong>("frame");
    QTest::addColumn<float>("fps");
    QTest::addColumn<bool>("allowFullDay");
    QTest::addColumn<QString>("text");
    QTest::newRow("1799 df") << 1799LL << 29.97f << false << "00;00;59;29";
    QTest::newRow("1800 df") << 1800LL << 29.97f << false << "00;01;00;02";
    QTest::newRow("17982 df") << 17982LL << 29.97f << false << "00;10;00;00";
    QTest::newRow("107892 df") << 107892LL << 29.97f << false << "01;00;00;00";
    QTest::newRow("2589407 df") << 2589407LL << 29.97f << false << "23;59;59;29";
    QTest::newRow("full day df") << 2589408LL << 29.97f << true << "24;00;00;00";
    QTest::newRow("1800 at 30000/1001") << 1800LL << float(30000.0 / 1001.0) << false << "00;01;00;02";
    QTest::newRow("14382 df24") << 14382LL << 23.98f << false << "00;10;00;00";
    QTest::newRow("1440 at 24000/1001") << 1440LL << float(24000.0 / 1001.0) << false << "00;01;00;02";
    QTest::newRow("90000@25") << 90000LL << 25.0f << false << "01:00:00:00";
    QTest::newRow("2160000@25") << 2160000LL << 25.0f << false << "00:00:00:00";
    QTest::newRow("2160000@25 full day") << 2160000LL << 25.0f << true << "24:00:00:00";
    QTest::newRow("-1@25") << -1LL << 25.0f << false << "23:59:59:24";
    QTest::newRow("fps 0") << 1234LL << 0.0f << false << "";
    QTest::newRow("no usable rate") << 1234LL << 0.2f << false << "";
    QTest::newRow("nan") << 1234LL << float(NAN) << false << "";
}

void TestFrameCount::testKnownTimecodes()
{
    QFETCH(qlonglong, frame);
    QFETCH(float, fps);
    QFETCH(bool, allowFullDay);
    QFETCH(QString, text);
    QCOMPARE(FrameCount(frame, fps).timecodeFromFrameCount(allowFullDay, false, 0, false), text);
}

void TestFrameCount::testTimecodeToFrame_data()
{
    QTest::addColumn<float>("fps");
    QTest::addColumn<QString>("text");
    QTest::addColumn<qlonglong>("frame");
    QTest::newRow("29.97") << 29.97f << "00:01:00:02" << 1800LL;
    QTest::newRow("30") << 30.0f << "00:01:00:02" << 1802LL;
    QTest::newRow("23.98") << 23.98f << "00:01:00:02" << 1440LL;
    QTest::newRow("separators not read") << 25.0f << "01x00y00z01" << 90001LL;
    QTest::newRow("10 characters") << 25.0f << "01:00:00:0" << FrameCount::Unknown;
    QTest::newRow("fps 0") << 0.0f << "01:00:00:00" << FrameCount::Unknown;
}

void TestFrameCount::testTimecodeToFrame()
{
    QFETCH(float, fps);
    QFETCH(QString, text);
    QFETCH(qlonglong, frame);
    QCOMPARE(FrameCount(0, fps).frameCountFromTimecode(text), frame);
    if (text.count(':') == 3 && text.size() == 11) {
        const FrameCount count(text.mid(0, 2).toInt(), text.mid(3, 2).toInt(), text.mid(6, 2).toInt(),
                               text.mid(9, 2).toInt(), fps);
        QCOMPARE(count.frame(), frame);
    }
}

void TestFrameCount::testRoundTripDay_data()
{
    QTest::addColumn<float>("fps");
    QTest::addColumn<int>("day");
    QTest::newRow("23.98") << 23.98f << 2071008;
    QTest::newRow("24") << 24.0f << 24 * 86400;
    QTest::newRow("25") << 25.0f << 25 * 86400;
    QTest::newRow("29.97") << 29.97f << 2589408;
    QTest::newRow("30") << 30.0f << 30 * 86400;
}

void TestFrameCount::testRoundTripDay()
{
    QFETCH(float, fps);
    QFETCH(int, day);
    const FrameCount parser(0, fps);
    int mismatches = 0;
    QString first;
    Fields previous = ours(day - 1, fps);
    for (int n = 0; n < day; ++n) {
        const Fields t = ours(n, fps);
        // Each frame is a new timecode, and the fields stay in range.
        const bool valid = !(t == previous) && t.h < 24 && t.m < 60 && t.s < 60 && t.f < FrameCount::nominalRate(fps);
        if ((!valid || parser.frameCountFromTimecode(t.h, t.m, t.s, t.f) != n) && mismatches++ == 0)
            first = QStringLiteral("frame %1 gives %2").arg(n).arg(describe(t));
        previous = t;
    }
    QVERIFY2(mismatches == 0, qPrintable(first));
}

void TestFrameCount::testDayWrapAndLargeValues()
{
    // 64-bit frames wrap by whole days.
    const long long day30 = 30LL * 86400;
    QCOMPARE(ours(-1000 * day30 + 12345, 30.0f), ours(12345, 30.0f));
    QCOMPARE(ours(5000000000LL, 25.0f), (Fields{19, 33, 20, 0}));
    QCOMPARE(ours(1000 * 2589408LL + 1800, 29.97f), ours(1800, 29.97f));
    QCOMPARE(ours(3 * day30, 30.0f, true), (Fields{24, 0, 0, 0}));
    QCOMPARE(ours(LLONG_MAX, 29.97f), ours(LLONG_MAX % 2589408, 29.97f));
    // A day at 30000 fps no longer fits 32 bits.
    QCOMPARE(ours(30000LL * 86400 + 30000LL * 3600 + 7, 30000.0f), (Fields{1, 0, 0, 7}));
    QCOMPARE(FrameCount(23, 59, 59, 0, 30000.0f).frame(), 30000LL * 86399);
    QCOMPARE(FrameCount(0, 1e9f).timecodeFromFrameCount(), QString());
    QCOMPARE(FrameCount(INT_MAX, INT_MAX, INT_MAX, INT_MAX, 999999.0f).frame(), INT_MAX + 999999LL * INT_MAX * 3661);
}

void TestFrameCount::testPulldownTables()
{
    using namespace MTools::Pulldown;
    for (int phase = 1; phase <= Phases; ++phase) {
        QVector<int> covered(FilmFrames, 0);
        for (int video = 0; video < VideoFrames; ++video)
            ++covered[*videoToFilm(video, phase) / 2];
        // Phase 4 shows film frame 23 at video frame 0 of the next second (entry -1).
        QVERIFY2(!covered.mid(0, phase == 4 ? FilmFrames - 1 : FilmFrames).contains(0),
                 qPrintable(QString::number(phase)));
        for (int film = 0; film < FilmFrames; ++film) {
            const int video = *filmToVideo(film, phase);
            if (phase == 4 && film == 23)
                QCOMPARE(video, 0);
            else
                QCOMPARE(*videoToFilm(video, phase) / 2, film);
        }
    }
    QVERIFY(!videoToFilm(30, 1) && !videoToFilm(-1, 1) && !videoToFilm(0, 0) && !videoToFilm(0, 5));
    QVERIFY(!filmToVideo(24, 1) && !filmToVideo(0, 0));
}

void TestFrameCount::testPulldownConversions()
{
    using namespace MTools::Pulldown;
    int remainder = 7;
    QCOMPARE(FrameCount(0, 0, 1, 2, 30.0f, true, 1, &remainder).frame(), 24LL + 1);
    QCOMPARE(remainder, 1);

    // Video frames that start a film frame come back unchanged, across a minute and every phase.
    for (const float fps : {30.0f, 29.97f})
        for (int phase = 1; phase <= Phases; ++phase)
            for (int second = 0; second < 60; ++second)
                for (int film = 0; film < FilmFrames; ++film) {
                    // Film 23 of phase 4 belongs to the next second; drop-frame counting skips frames 0 and 1.
                    if ((phase == 4 && film == 23) || (fps != 30.0f && second == 0 && film < 2))
                        continue;
                    const int video = *filmToVideo(film, phase);
                    Fields t;
                    FrameCount(1, 2, second, video, fps, true, phase)
                        .timecodeFromFrameCount(&t.h, &t.m, &t.s, &t.f, false, 0, true, phase);
                    QCOMPARE(t, (Fields{1, 2, second, video}));
                }
    Fields t;
    FrameCount(0, 0, 10, 0, 24.0f).timecodeFromFrameCount(&t.h, &t.m, &t.s, &t.f, false, -2, true, 1);
    QCOMPARE(t, (Fields{0, 0, 9, 28}));
    FrameCount(23, 59, 59, 23, 24.0f).timecodeFromFrameCount(&t.h, &t.m, &t.s, &t.f, false, 0, true, 4);
    QCOMPARE(t, (Fields{0, 0, 0, 0}));
    // An offset near INT_MAX: video frame 1 + 2147483647 = 2^31 is 71582788 s (12:06:28 past whole days) and 8 frames.
    FrameCount(1, 24.0f).timecodeFromFrameCount(&t.h, &t.m, &t.s, &t.f, false, INT_MAX, true, 1);
    QCOMPARE(t, (Fields{12, 6, 28, 8}));

    // Look-ups outside the tables leave the values as they are.
    QTest::ignoreMessage(QtDebugMsg, QRegularExpression("pulldown value out of range"));
    QCOMPARE(FrameCount(0, 0, 1, 30, 30.0f, true, 1, &remainder).frame(), 60LL);
    QTest::ignoreMessage(QtDebugMsg, "FrameCount::timecodeFromFrameCount wrong pulldown phase value: 5");
    QCOMPARE(FrameCount(55, 25.0f).timecodeFromFrameCount(false, true, 5), QStringLiteral("00:00:02:05"));
    QTest::ignoreMessage(QtDebugMsg, QRegularExpression("film frame out of pulldown table: 24"));
    QCOMPARE(FrameCount(49, 25.0f).timecodeFromFrameCount(false, true, 1), QStringLiteral("00:00:01:24"));
}

void TestFrameCount::testSmpteWord()
{
    struct Case
    {
        float fps;
        AVRational rate;
        bool drop;
    };
    const Case cases[] = {
        {24.0f, {24, 1}, false}, {25.0f, {25, 1}, false}, {30.0f, {30, 1}, false}, {29.97f, {30000, 1001}, true}};
    for (const Case& c : cases) {
        for (int i = 0; i < 2000; ++i) {
            const int h = i % 24, m = (i * 7) % 60, s = (i * 13) % 60;
            int f = (i * 11) % FrameCount::nominalRate(c.fps);
            if (c.drop && s == 0 && m % 10 != 0 && f < 2)
                f = 2;
            AVTimecode reference;
            QCOMPARE(av_timecode_init_from_components(&reference, c.rate, c.drop ? AV_TIMECODE_FLAG_DROPFRAME : 0, h, m,
                                                      s, f, nullptr),
                     0);
            const unsigned word = avSmpteWord(c.rate, c.drop, h, m, s, f);
            FrameCount fromWord(c.fps, word, false, 0, nullptr);
            QCOMPARE(fromWord.frame(), qlonglong(reference.start));
            QCOMPARE(fromWord.fps(), c.fps);
            QCOMPARE(fromWord.smpteTimecode(), word);
            // Written words carry no drop-frame flag.
            QCOMPARE(FrameCount(reference.start, c.fps).smpteTimecode(), avSmpteWord(c.rate, false, h, m, s, f));
        }
    }

    // Without the drop-frame bit 29.97 counts 30 whole frames a second; other rates become 30.
    FrameCount count;
    count.setSmpteTimecode(0x00010002, 29.97f);
    QCOMPARE(count.fps(), 30.0f);
    QCOMPARE(count.frame(), 1802LL);
    count.setSmpteTimecode(0x00010042, float(30000.0 / 1001.0));
    QCOMPARE(count.fps(), 29.97f);
    QCOMPARE(count.frame(), 1800LL);
    count.setSmpteTimecode(0x00000100, 50.0f);
    QCOMPARE(count.fps(), 30.0f);
    QCOMPARE(count.frame(), 30LL);

    count.unsetFrameCount();
    QTest::ignoreMessage(QtDebugMsg, "FrameCount::smpteTimecode() wille framecount is unkonwn");
    QCOMPARE(count.smpteTimecode(), 0u);
}

void TestFrameCount::testCopyAndUnset()
{
    const QRegularExpression unexpected("^unexpected ERROR in .*FrameCount\\.cpp:\\d+$");
    FrameCount count(1234, 25.0f);
    QVERIFY(FrameCount(1, 25.0f) < count && count > FrameCount(1, 25.0f));
    QVERIFY(!(FrameCount(1234, 25.0f) == FrameCount(1234, 24.0f)));
    count.unsetFrameCount();
    QTest::ignoreMessage(QtDebugMsg, unexpected);
    QCOMPARE(count.frame(), -1LL);
    QTest::ignoreMessage(QtDebugMsg, unexpected);
    QVERIFY(!(count < FrameCount(5, 30.0f)));

    // A copy of an unset object keeps the unknown frame, an assignment gives frame 0.
    const FrameCount copied(count);
    QVERIFY(!copied.isSet() && copied == count);
    FrameCount assigned(77, 24.0f);
    assigned = count;
    QVERIFY(!assigned.isSet());
    QVERIFY(!(assigned == count));
}

void TestFrameCount::testConversions()
{
    using namespace MTools;
    QCOMPARE(FrameCount(25, 25.0f).convertFrame(30.0f), 30LL);
    QCOMPARE(FrameCount(1, 3.0f).convertFrame(2.0f), 1LL);
    QCOMPARE(FrameCount(100, 0.0f).convertFrame(25.0f), FrameCount::Unknown);
    QCOMPARE(FrameCount(LLONG_MAX, 1.0f).convertFrame(1000.0f), FrameCount::Unknown);
    FrameCount count(25, 25.0f);
    QCOMPARE(count.updateFps(50.0f), 50LL);
    QCOMPARE(count.fps(), 50.0f);

    QCOMPARE(toTmlTicks(48000, FipAudioFrames, 25.0f, 48000, 705600000), 705600000LL);
    QCOMPARE(toTmlTicks(3, FipImageFrames, 29.97f, 48000, 1000), 100LL);
    QCOMPARE(fromTmlTicks(999, FipImageFrames, 25.0f, 48000, 1000), 24LL);
    QCOMPARE(fromTmlTicks(-999, FipImageFrames, 25.0f, 48000, 1000), -24LL);
    QCOMPARE(audioToImageFrames(96000, 25.0f, 48000, 44100), 50LL);
    QCOMPARE(imageToAudioFrames(50, 25.0f, 48000, 44100), 96000LL);
    QCOMPARE(audioToImageFramesSource(48000, 29.97f, 48000), 29LL);
    QCOMPARE(imageToAudioFramesSource(1, 29.97f, 48000), 1601LL);
    // Zero, NaN and overflowing rates give 0 or saturate instead of dividing by zero or wrapping.
    QCOMPARE(toTmlTicks(1, FipAudioFrames, 25.0f, 0, 1000), 0LL);
    QCOMPARE(toTmlTicks(1, FipImageFrames, float(NAN), 48000, 1000), 0LL);
    QCOMPARE(fromTmlTicks(1000, FipAudioFrames, 25.0f, 48000, 0), 0LL);
    QCOMPARE(audioToImageFrames(96000, 25.0f, 48000, 0), 0LL);
    QCOMPARE(imageToAudioFrames(50, 0.0f, 48000, 48000), 0LL);
    QCOMPARE(audioToImageFramesSource(48000, 25.0f, 0), 0LL);
    QCOMPARE(audioToImageFramesSource(LLONG_MAX, 1e30f, 1), LLONG_MAX);
    QCOMPARE(imageToAudioFramesSource(LLONG_MIN, 1e-30f, 48000), LLONG_MIN);
}

void TestFrameCount::testTimecodeToString()
{
    QCOMPARE(FrameCount::timecodeToString(1, 2, 3, 4, false, 24.0f, true), QStringLiteral("01:02:03+04"));
    QCOMPARE(FrameCount::timecodeToString(1, 2, 3, 4, true, 24.0f, true), QStringLiteral("01;02;03;04"));
    QCOMPARE(FrameCount::timecodeToString(1, 2, 3, 4, false, 25.0f, true), QStringLiteral("01:02:03:04"));
    QCOMPARE(FrameCount::timecodeToString(1, 2, 3, 4, false, 24.0f, false), QStringLiteral("01:02:03:04"));
    QCOMPARE(FrameCount().timecodeToString(10, 20, 30, 5, true), QStringLiteral("10;20;30;05"));
}

void TestFrameCount::testTimeStamp()
{
    QCOMPARE(MTools::createTimeStamp(QDateTime(QDate(2024, 3, 5), QTime(14, 7, 9, 42))),
             QStringLiteral("2024-03-05_14:07:09:042"));
    const QDateTime before = QDateTime::currentDateTime();
    const QString stamp = MTools::createTimeStamp();
    QVERIFY2(QRegularExpression("^\\d{4}-\\d\\d-\\d\\d_\\d\\d:\\d\\d:\\d\\d:\\d{3}$").match(stamp).hasMatch(),
             qPrintable(stamp));
    const QDateTime parsed = QDateTime::fromString(stamp, QStringLiteral("yyyy-MM-dd_HH:mm:ss:zzz"));
    QVERIFY2(parsed.isValid() && std::llabs(parsed.msecsTo(before)) < 2000, qPrintable(stamp));
}

TRELVANIC_TEST_MAIN(TestFrameCount)
#include "tst_framecount.moc"
