#include "Helpers.h"
#include "TestMain.h"

#include <ZADovuzIdida/_VozIdavi/Common/PeakInfoCache.h>
#include <ZADovuzIdida/_VozIdavi/Common/PeakVector.h>
#include <ZADovuzIdida/_VozIdavi/Common/ProductionParameters.h>
#include <ZADovuzIdida/_VozIdavi/Common/SampleRange.h>

#include <QtTest>

#include <cmath>
#include <functional>
#include <limits>

using namespace ZADovuzIdida;
using namespace VozIdaviTest;

Q_DECLARE_METATYPE(std::function<void()>)

namespace {

bool same(const PeakInfo& peak, float min, float max) { return peak.min == min && peak.max == max; }

bool isZero(const PeakInfo& peak) { return same(peak, 0.0f, 0.0f); }

PeakVector channelOf(std::initializer_list<float> mins)
{
    PeakVector peaks;
    for (float m : mins)
        peaks.addPeak(m, -m, 0);
    return peaks;
}

} // namespace

class TestPeaks : public QObject
{
    Q_OBJECT

private slots:
    void testGrowthAndLookups();
    void testInsertAndMove();
    void testPreconditionsStop_data();
    void testPreconditionsStop();
    void testCache();
    void testProductionParameters();
    void testSampleRange_data();
    void testSampleRange();
};

// Adding grows to any channel; the const lookup gives the zero pair outside, the other one grows.
void TestPeaks::testGrowthAndLookups()
{
    PeakVector peaks;
    QVERIFY(peaks.isEmpty());
    peaks.addPeak(-0.5f, 0.25f, 3);
    QCOMPARE(peaks.peakChannels(), 4);
    QVERIFY(!peaks.isEmpty() && peaks.peakInfoVector(0).empty());
    peaks.addPeak(-1.0f, 1.0f, 40);
    QCOMPARE(peaks.peakChannels(), 41);
    QVERIFY(!PeakVector(3).isEmpty() && PeakVector(0).isEmpty());

    PeakVector five = channelOf({-0.1f, -0.2f, -0.3f, -0.4f, -0.5f});
    const PeakVector& constFive = five;
    QVERIFY(isZero(constFive.peakInfo(5, 0)) && isZero(constFive.peakInfo(-1, 0)));
    QVERIFY(isZero(constFive.peakInfo(0, 1)) && isZero(constFive.peakInfo(0, -1)));
    QCOMPARE(five.numPeakFrames(), 5);
    five.peakInfo(5, 0).max = 0.75f;
    QCOMPARE(five.numPeakFrames(), 6);
    QCOMPARE(constFive.peakInfo(5, 0).max, 0.75f);
    five.peakInfo(2, 31);
    QCOMPARE(five.peakChannels(), 32);
    QCOMPARE(int(five.peakInfoVector(31).size()), 3);
    five.clear();
    QVERIFY(five.isEmpty());
}

void TestPeaks::testInsertAndMove()
{
    PeakVector peaks;
    peaks.addPeak(-0.9f, 0.9f, 0);
    peaks.insertPeaks(-0.1f, 0.2f, 0, 3, 2);
    const auto& channel = peaks.peakInfoVector(0);
    QCOMPARE(int(channel.size()), 5);
    QVERIFY(same(channel[0], -0.9f, 0.9f) && isZero(channel[1]) && isZero(channel[2]));
    QVERIFY(same(channel[3], -0.1f, 0.2f) && same(channel[4], -0.1f, 0.2f));

    PeakVector moved = channelOf({-1, -2, -3, -4});
    moved.addPeak(-7, 7, 1);
    moved.move(2);
    QVERIFY(same(moved.peakInfo(0, 0), -3, 3) && same(moved.peakInfo(1, 0), -4, 4));
    QVERIFY(isZero(moved.peakInfo(2, 0)) && isZero(moved.peakInfo(0, 1)));
    QCOMPARE(int(moved.peakInfoVector(0).size()), 4);
    PeakVector back = channelOf({-1, -2, -3, -4});
    back.move(-1);
    QVERIFY(isZero(back.peakInfo(0, 0)) && same(back.peakInfo(3, 0), -3, 3));
    back.move(std::numeric_limits<int>::min());
    QVERIFY(isZero(back.peakInfo(1, 0)) && isZero(back.peakInfo(3, 0)));
}

void TestPeaks::testPreconditionsStop_data()
{
    QTest::addColumn<std::function<void()>>("call");
    QTest::addColumn<QString>("condition");
    QTest::newRow("peakInfo ch 32") << std::function<void()>([] { PeakVector().peakInfo(0, 32); }) << "\"ch<32\"";
    QTest::newRow("peakInfo x -1") << std::function<void()>([] { PeakVector().peakInfo(-1, 0); }) << "\"x>=0\"";
    QTest::newRow("peakInfoVector past end")
        << std::function<void()>([] { PeakVector(2).peakInfoVector(2); }) << "\"ch < _vectorVector.size()\"";
    QTest::newRow("addPeak ch -1") << std::function<void()>([] { PeakVector().addPeak(0, 0, -1); }) << "\"ch>=0\"";
    QTest::newRow("insertPeaks n -1") << std::function<void()>([] { PeakVector().insertPeaks(0, 0, 0, 0, -1); })
                                      << "\"n>=0\"";
    QTest::newRow("channels -1") << std::function<void()>([] { PeakVector p(-1); }) << "\"nChannels>=0\"";
}

void TestPeaks::testPreconditionsStop()
{
    QFETCH(std::function<void()>, call);
    QFETCH(QString, condition);
    const ChildResult result = runInChild(call);
    QVERIFY(result.aborted);
    QVERIFY2(result.err.contains(condition.toLatin1()), result.err.constData());
    QVERIFY(result.err.contains("libs/cpp/ZADovuzIdida/_VozIdavi/Common/PeakVector"));
    QVERIFY(result.err.contains("PeakVector::"));
}

// FIFO by insertion, duplicates included, and find does not refresh; another zoom (NaN too) clears.
void TestPeaks::testCache()
{
    PeakInfoCache twice(2);
    twice.insert(1, 1, 2.0f, PeakInfo{-0.1f, 0.1f});
    twice.insert(1, 1, 2.0f, PeakInfo{-0.5f, 0.5f});
    QVERIFY(twice.find(1, 1, 2.0f) && twice.find(1, 1, 2.0f)->max == 0.5f);
    twice.insert(2, 1, 2.0f, PeakInfo{-0.2f, 0.2f});
    QVERIFY(twice.find(1, 1, 2.0f) == nullptr);
    twice.insert(3, 1, 2.0f, PeakInfo{});
    QVERIFY(twice.find(2, 1, 2.0f) != nullptr); // the remaining copy of (1,1) went first
    twice.insert(4, 1, 2.0f, PeakInfo{});
    QVERIFY(twice.find(2, 1, 2.0f) == nullptr);
    twice.reset();
    QVERIFY(twice.find(4, 1, 2.0f) == nullptr);

    PeakInfoCache cache(10);
    cache.insert(1, 0, 3.0f, PeakInfo{-0.1f, 0.1f});
    QVERIFY(cache.find(1, 0, 5.0f) == nullptr && cache.find(1, 0, 3.0f) != nullptr);
    cache.insert(7, 1, 5.0f, PeakInfo{-0.7f, 0.7f});
    QVERIFY(cache.find(1, 0, 3.0f) == nullptr && cache.find(7, 1, 5.0f) != nullptr);
    const float nan = std::numeric_limits<float>::quiet_NaN();
    cache.insert(8, 0, nan, PeakInfo{});
    QVERIFY(cache.find(8, 0, nan) == nullptr && cache.find(7, 1, 5.0f) == nullptr);
}

void TestPeaks::testProductionParameters()
{
    QCOMPARE(Production::fps(), 30.0f);
    QCOMPARE(Production::sampleRate(), 48000);
    QCOMPARE(Production::bitsPerSample(), 24);
    QVERIFY(Production::projectName().isEmpty());
    ProductionParameters::instance()->setFPS(25.0f);
    QCOMPARE(Production::fps(), 25.0f);
    ProductionParameters::instance()->setFPS(30.0f);
}

void TestPeaks::testSampleRange_data()
{
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("stride");
    QTest::addColumn<int>("nanAt");
    // Counts below, at and past whole runs of the scan's lanes, where the extremes lie last.
    QTest::newRow("none") << 0 << 1 << -1;
    QTest::newRow("short") << 5 << 1 << -1;
    QTest::newRow("runs and a tail") << 29 << 1 << -1;
    QTest::newRow("stereo") << 27 << 2 << -1;
    QTest::newRow("three channels") << 17 << 3 << -1;
    QTest::newRow("a NaN among them") << 40 << 2 << 9;
}

// The extremes as a value by value scan finds them, whatever the count and stride; a NaN is passed over.
void TestPeaks::testSampleRange()
{
    QFETCH(int, count);
    QFETCH(int, stride);
    QFETCH(int, nanAt);
    std::vector<float> values(size_t(std::max(count * stride, 1)));
    for (size_t i = 0; i < values.size(); ++i)
        values[i] = float(std::sin(double(i) * 1.7)) * float(i + 1);
    if (nanAt >= 0)
        values[size_t(nanAt * stride)] = std::numeric_limits<float>::quiet_NaN();
    float expectedMin = 0.5f;
    float expectedMax = 0.5f;
    float expectedPeak = 0.0f;
    for (int i = 0; i < count; ++i) {
        const float x = values[size_t(i * stride)];
        if (x < expectedMin)
            expectedMin = x;
        if (x > expectedMax)
            expectedMax = x;
        if (std::fabs(x) > expectedPeak)
            expectedPeak = std::fabs(x);
    }
    float lowest = 0.5f;
    float highest = 0.5f;
    SampleRange::widen(values.data(), count, stride, &lowest, &highest);
    QCOMPARE(lowest, expectedMin);
    QCOMPARE(highest, expectedMax);
    if (stride == 1)
        QCOMPARE(SampleRange::absolutePeak(values.data(), count), expectedPeak);
}

TRELVANIC_TEST_MAIN(TestPeaks)
#include "tst_peaks.moc"
