#include "Helpers.h"
#include "TestMain.h"

#include <ZADovuzIdida/_VozIdavi/Common/PeakInfoCache.h>
#include <ZADovuzIdida/_VozIdavi/Common/PeakVector.h>
#include <ZADovuzIdida/_VozIdavi/Common/ProductionParameters.h>

#include <QtTest>

#include <cmath>
#include <functional>
#include <limits>

using namespace ZADovuzIdida;
using namespace VozIdaviTest;

Q_DECLARE_METATYPE(std::function<void()>)

namespace {

bool same(const PeakInfo& peak, float min, float max)
{
    return peak.min == min && peak.max == max;
}

bool isZero(const PeakInfo& peak)
{
    return same(peak, 0.0f, 0.0f);
}

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
    void testGrowth();
    void testLookups();
    void testInsertPeaks();
    void testMove();
    void testPreconditionsStop_data();
    void testPreconditionsStop();
    void testCacheEviction();
    void testCacheZoom();
    void testProductionParameters();
};

void TestPeaks::testGrowth()
{
    PeakVector peaks;
    QVERIFY(peaks.isEmpty());
    peaks.addPeak(-0.5f, 0.25f, 3);
    QCOMPARE(peaks.peakChannels(), 4);
    QCOMPARE(peaks.numPeakFrames(), 1);
    QVERIFY(!peaks.isEmpty());
    QVERIFY(peaks.peakInfoVector(0).empty());
    QVERIFY(same(peaks.peakInfoVector(3).at(0), -0.5f, 0.25f));
    peaks.addPeak(-1.0f, 1.0f, 40); // no channel limit when adding
    QCOMPARE(peaks.peakChannels(), 41);

    QVERIFY(PeakVector(0).isEmpty());
    PeakVector three(3);
    QVERIFY(!three.isEmpty());
    QCOMPARE(three.numPeakFrames(), 0);
    PeakVector sized(5, 2);
    QCOMPARE(sized.numPeakFrames(), 5);
    QCOMPARE(sized.peakChannels(), 2);
    QVERIFY(isZero(sized.peakInfo(4, 1)));

    PeakVector copy(peaks);
    copy.addPeak(0.1f, 0.2f, 0);
    QVERIFY(peaks.peakInfoVector(0).empty());
    copy.setPeakInfoVector({PeakInfo{-0.1f, 0.1f}, PeakInfo{-0.2f, 0.2f}}, 50);
    QCOMPARE(copy.peakChannels(), 51);
    QCOMPARE(copy.numPeakFrames(), 2);
    copy.clear();
    QVERIFY(copy.isEmpty());
    QCOMPARE(copy.peakChannels(), 0);
}

void TestPeaks::testLookups()
{
    PeakVector peaks = channelOf({-0.1f, -0.2f, -0.3f, -0.4f, -0.5f});
    const PeakVector& constPeaks = peaks;
    QVERIFY(isZero(constPeaks.peakInfo(5, 0)));
    QVERIFY(isZero(constPeaks.peakInfo(-1, 0)));
    QVERIFY(isZero(constPeaks.peakInfo(0, 1)));
    QVERIFY(isZero(constPeaks.peakInfo(0, -1)));
    QCOMPARE(peaks.numPeakFrames(), 5);
    PeakInfo& grown = peaks.peakInfo(5, 0);
    QVERIFY(isZero(grown));
    QCOMPARE(peaks.numPeakFrames(), 6);
    grown.max = 0.75f;
    QCOMPARE(constPeaks.peakInfo(5, 0).max, 0.75f);
    peaks.peakInfo(2, 31);
    QCOMPARE(peaks.peakChannels(), 32);
    QCOMPARE(int(peaks.peakInfoVector(31).size()), 3);
}

void TestPeaks::testInsertPeaks()
{
    PeakVector peaks;
    peaks.addPeak(-0.9f, 0.9f, 0);
    peaks.insertPeaks(-0.1f, 0.2f, 0, 3, 2);
    const auto& channel = peaks.peakInfoVector(0);
    QCOMPARE(int(channel.size()), 5);
    QVERIFY(same(channel[0], -0.9f, 0.9f));
    QVERIFY(isZero(channel[1]) && isZero(channel[2]));
    QVERIFY(same(channel[3], -0.1f, 0.2f) && same(channel[4], -0.1f, 0.2f));
    QCOMPARE(peaks.peakChannels(), 1);
    peaks.insertPeaks(-0.5f, 0.5f, 0, 0, 1);
    QVERIFY(same(peaks.peakInfoVector(0)[0], -0.5f, 0.5f));
    QVERIFY(same(peaks.peakInfoVector(0)[1], -0.9f, 0.9f));
}

void TestPeaks::testMove()
{
    PeakVector peaks = channelOf({-1, -2, -3, -4});
    peaks.addPeak(-7, 7, 1);
    peaks.move(2);
    QVERIFY(same(peaks.peakInfo(0, 0), -3, 3) && same(peaks.peakInfo(1, 0), -4, 4));
    QVERIFY(isZero(peaks.peakInfo(2, 0)) && isZero(peaks.peakInfo(3, 0)));
    QCOMPARE(int(peaks.peakInfoVector(0).size()), 4);
    QCOMPARE(int(peaks.peakInfoVector(1).size()), 1);
    QVERIFY(isZero(peaks.peakInfo(0, 1)));

    PeakVector back = channelOf({-1, -2, -3, -4});
    back.move(-1);
    QVERIFY(isZero(back.peakInfo(0, 0)));
    QVERIFY(same(back.peakInfo(1, 0), -1, 1) && same(back.peakInfo(3, 0), -3, 3));
    back.move(4);
    for (int x = 0; x < 4; ++x)
        QVERIFY(isZero(back.peakInfo(x, 0)));
    PeakVector far = channelOf({-1, -2});
    far.move(std::numeric_limits<int>::min());
    QVERIFY(isZero(far.peakInfo(0, 0)) && isZero(far.peakInfo(1, 0)));
}

void TestPeaks::testPreconditionsStop_data()
{
    QTest::addColumn<std::function<void()>>("call");
    QTest::addColumn<QString>("condition");
    QTest::newRow("peakInfo ch 32") << std::function<void()>([] {
        PeakVector p;
        p.peakInfo(0, 32);
    }) << "\"ch<32\"";
    QTest::newRow("peakInfo x -1") << std::function<void()>([] {
        PeakVector p;
        p.peakInfo(-1, 0);
    }) << "\"x>=0\"";
    QTest::newRow("peakInfoVector past end") << std::function<void()>([] {
        PeakVector p(2);
        p.peakInfoVector(2);
    }) << "\"ch < _vectorVector.size()\"";
    QTest::newRow("addPeak ch -1") << std::function<void()>([] {
        PeakVector p;
        p.addPeak(0, 0, -1);
    }) << "\"ch>=0\"";
    QTest::newRow("insertPeaks n -1") << std::function<void()>([] {
        PeakVector p;
        p.insertPeaks(0, 0, 0, 0, -1);
    }) << "\"n>=0\"";
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

void TestPeaks::testCacheEviction()
{
    PeakInfoCache cache(2);
    cache.insert(1, 0, 4.0f, PeakInfo{-0.1f, 0.1f});
    cache.insert(2, 0, 4.0f, PeakInfo{-0.2f, 0.2f});
    cache.insert(3, 0, 4.0f, PeakInfo{-0.3f, 0.3f});
    QVERIFY(cache.find(1, 0, 4.0f) == nullptr);
    QVERIFY(cache.find(2, 0, 4.0f) && cache.find(2, 0, 4.0f)->max == 0.2f);
    QVERIFY(cache.find(3, 0, 4.0f) && cache.find(3, 0, 4.0f)->min == -0.3f);

    // A key inserted twice is evicted by its first copy; find does not refresh.
    PeakInfoCache twice(2);
    twice.insert(1, 1, 2.0f, PeakInfo{-0.1f, 0.1f});
    twice.insert(1, 1, 2.0f, PeakInfo{-0.5f, 0.5f});
    QVERIFY(twice.find(1, 1, 2.0f) && twice.find(1, 1, 2.0f)->max == 0.5f);
    twice.insert(2, 1, 2.0f, PeakInfo{-0.2f, 0.2f});
    QVERIFY(twice.find(1, 1, 2.0f) == nullptr);
    QVERIFY(twice.find(2, 1, 2.0f) != nullptr);
    twice.insert(3, 1, 2.0f, PeakInfo{});
    QVERIFY(twice.find(2, 1, 2.0f) != nullptr); // the remaining copy of (1,1) went first
    twice.insert(4, 1, 2.0f, PeakInfo{});
    QVERIFY(twice.find(2, 1, 2.0f) == nullptr);

    twice.reset();
    QVERIFY(twice.find(4, 1, 2.0f) == nullptr);
    twice.insert(5, 0, 2.0f, PeakInfo{});
    QVERIFY(twice.find(5, 0, 2.0f) != nullptr);
}

void TestPeaks::testCacheZoom()
{
    PeakInfoCache cache(10);
    cache.insert(1, 0, 3.0f, PeakInfo{-0.1f, 0.1f});
    cache.insert(2, 0, 3.0f, PeakInfo{-0.2f, 0.2f});
    QVERIFY(cache.find(1, 0, 5.0f) == nullptr);
    QVERIFY(cache.find(1, 0, 3.0f) != nullptr);
    cache.insert(7, 1, 5.0f, PeakInfo{-0.7f, 0.7f});
    QVERIFY(cache.find(1, 0, 3.0f) == nullptr);
    QVERIFY(cache.find(1, 0, 5.0f) == nullptr);
    QVERIFY(cache.find(7, 1, 5.0f) != nullptr);
    const float nan = std::numeric_limits<float>::quiet_NaN();
    cache.insert(8, 0, nan, PeakInfo{});
    QVERIFY(cache.find(8, 0, nan) == nullptr);
    QVERIFY(cache.find(7, 1, 5.0f) == nullptr);
}

void TestPeaks::testProductionParameters()
{
    QCOMPARE(Production::fps(), 30.0f);
    QCOMPARE(Production::sampleRate(), 48000);
    QCOMPARE(Production::bitsPerSample(), 24);
    QVERIFY(Production::projectName().isEmpty());
    ProductionParameters* parameters = ProductionParameters::instance();
    QCOMPARE(ProductionParameters::instance(), parameters);
    parameters->setFPS(25.0f);
    parameters->setProjectName("My Film");
    QCOMPARE(Production::fps(), 25.0f);
    QCOMPARE(Production::projectName(), QString("My Film"));
    parameters->setFPS(30.0f);
    parameters->setProjectName(QString());
}

TRELVANIC_TEST_MAIN(TestPeaks)
#include "tst_peaks.moc"
