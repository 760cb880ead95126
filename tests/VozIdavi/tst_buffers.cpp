#include "Helpers.h"
#include "TestMain.h"

#include <ZADovuzIdida/_VozIdavi/Common/AudioFloatBuffer.h>
#include <ZADovuzIdida/_VozIdavi/Common/RawBuffer.h>
#include <ZADovuzIdida/_VozIdavi/Output/BaseOutput.h>

#include <MTools/Error.h>
#include <MTools/Handle.h>

#include <QtTest>

#include <limits>
#include <stdexcept>
#include <vector>

using namespace ZADovuzIdida;
using namespace VozIdaviTest;

namespace {

// Records what reaches the two pure writes.
class RecordingOutput : public BaseOutput
{
public:
    bool write(char* data, int n) override
    {
        m_baBytes.append(data, n);
        ++m_nCalls;
        return true;
    }
    bool write(float* samples, int n) override
    {
        m_vecSamples.assign(samples, samples + n);
        ++m_nCalls;
        return true;
    }
    using BaseOutput::write;

    QByteArray m_baBytes;
    std::vector<float> m_vecSamples;
    int m_nCalls = 0;
};

MTools::Handle<AudioFloatBuffer> makeBuffer(int frames, int channels, std::vector<float> values)
{
    MTools::Handle<AudioFloatBuffer> buffer(new AudioFloatBuffer(frames, channels));
    std::copy(values.begin(), values.end(), buffer->data());
    return buffer;
}

std::vector<float> contents(const AudioFloatBuffer& buffer)
{
    return std::vector<float>(buffer.data(), buffer.data() + buffer.size());
}

} // namespace

class TestBuffers : public QObject
{
    Q_OBJECT

private slots:
    void testResizeReverseCopy();
    void testMove_data();
    void testMove();
    void testContractsStop();
    void testInt32Conversion();
    void testRawBufferCopies();
    void testBaseOutputWrites();
};

void TestBuffers::testResizeReverseCopy()
{
    QCOMPARE(AudioFloatBuffer(4, -1).size(), 0);
    QVERIFY_EXCEPTION_THROWN(AudioFloatBuffer(std::numeric_limits<int>::max(), 2), std::length_error);
    auto buffer = makeBuffer(4, 2, {1, 2, 3, 4, 5, 6, 7, 8});
    buffer->resize(6);
    QCOMPARE(contents(*buffer), (std::vector<float>{1, 2, 3, 4, 5, 6, 7, 8, 0, 0, 0, 0}));
    buffer->resize(3);
    buffer->reverse();
    QCOMPARE(contents(*buffer), (std::vector<float>{5, 6, 3, 4, 1, 2}));

    // Into more channels the rest is zero; into fewer each frame's first samples; overlapping copies are safe.
    auto mono = makeBuffer(3, 1, {1, 2, 3});
    auto stereo = makeBuffer(4, 2, {9, 9, 9, 9, 9, 9, 9, 9});
    stereo->copy(mono, 1, 2, 2);
    QCOMPARE(contents(*stereo), (std::vector<float>{9, 9, 9, 9, 2, 0, 3, 0}));
    auto target = makeBuffer(2, 1, {0, 0});
    target->copy(makeBuffer(2, 3, {1, 2, 3, 4, 5, 6}), 0, 0, 2);
    QCOMPARE(contents(*target), (std::vector<float>{1, 4}));
    auto same = makeBuffer(3, 2, {1, 2, 3, 4, 5, 6});
    same->copy(same, 0, 1, 2);
    QCOMPARE(contents(*same), (std::vector<float>{1, 2, 1, 2, 3, 4}));
    QVERIFY_EXCEPTION_THROWN(stereo->copy(MTools::Handle<AudioFloatBuffer>(), 0, 0, 1), MTools::Error);
}

void TestBuffers::testMove_data()
{
    QTest::addColumn<int>("n");
    QTest::addColumn<std::vector<float>>("expected");
    QTest::newRow("1") << 1 << std::vector<float>{2, 20, 3, 30, 0, 0};
    QTest::newRow("-1") << -1 << std::vector<float>{0, 0, 1, 10, 2, 20};
    QTest::newRow("3") << 3 << std::vector<float>(6, 0.0f);
    QTest::newRow("INT_MIN") << std::numeric_limits<int>::min() << std::vector<float>(6, 0.0f);
}

void TestBuffers::testMove()
{
    QFETCH(int, n);
    QFETCH(std::vector<float>, expected);
    auto buffer = makeBuffer(3, 2, {1, 10, 2, 20, 3, 30});
    buffer->move(n);
    QCOMPARE(contents(*buffer), expected);
}

// Broken contracts stop the program with the operation and the condition, in every build.
void TestBuffers::testContractsStop()
{
    ChildResult result = runInChild([] { makeBuffer(4, 1, {0, 0, 0, 0})->copy(makeBuffer(2, 1, {1, 2}), 1, 0, 2); });
    QVERIFY(result.aborted);
    QVERIFY2(result.err.contains("sourceFrame + frames <= source->frames()"), result.err.constData());
    QVERIFY(result.err.contains("AudioFloatBuffer::copy"));
    result = runInChild([] {
        RecordingOutput output;
        output.write(MTools::Handle<RawBuffer>(new RawBuffer(4)), 5);
    });
    QVERIFY(result.aborted);
    QVERIFY2(result.err.contains("!(n > buffer->size())"), result.err.constData());
    result = runInChild([] {
        RecordingOutput output;
        output.write(makeBuffer(2, 2, {0, 0, 0, 0}), 3);
    });
    QVERIFY(result.aborted);
    QVERIFY2(result.err.contains("!((n * buffer->frameSize()) > (buffer->size()))"), result.err.constData());
}

// A 16-bit value in the upper half of each word, mapped between channel counts.
void TestBuffers::testInt32Conversion()
{
    const float in[] = {0.5f, 1.5f, -1.0f, 0.25f, -0.5f, 0.0f};
    int down[3] = {};
    AudioFloatBuffer::convertFloatTo32(in, down, 3, 2, 1);
    QCOMPARE(std::vector<int>(down, down + 3), (std::vector<int>{0x40000000, -32767 * 65536, -16384 * 65536}));
    int up[6] = {1, 1, 1, 1, 1, 1};
    AudioFloatBuffer::convertFloatTo32(in, up, 2, 1, 3);
    QCOMPARE(std::vector<int>(up, up + 6), (std::vector<int>{0x40000000, 0, 0, 0x7FFF0000, 0, 0}));

    const int words[] = {0x40000000, -32768 * 65536};
    auto floats = AudioFloatBuffer::convert32ToFloat(words, 1, 2, 3);
    QCOMPARE(contents(*floats), (std::vector<float>{0.5f, -1.0f, 0.0f}));
}

// A copy takes the bytes but not the source's settings.
void TestBuffers::testRawBufferCopies()
{
    RawBuffer source(4);
    std::memcpy(source.data(), "abcd", 4);
    source.setSettings(Settings(44100, 1, 16, 16));
    RawBuffer copy(source);
    QCOMPARE(QByteArray(copy.data(), 4), QByteArray("abcd"));
    QVERIFY(copy.settings() == Settings(48000, 2, 1, 16));
    RawBuffer target(2);
    target.setSettings(Settings(8000, 1, 8, 8));
    target = source;
    QCOMPARE(QByteArray(target.data(), target.size()), QByteArray("abcd"));
    QVERIFY(target.settings() == Settings(8000, 1, 8, 8));
    QVERIFY_EXCEPTION_THROWN(RawBuffer(-1), std::length_error);
}

// Handle writes pass on the first n frames or bytes; a negative n writes nothing.
void TestBuffers::testBaseOutputWrites()
{
    RecordingOutput output;
    QCOMPARE(output.fragmentSize(), -1);
    auto floats = makeBuffer(3, 2, {1, 2, 3, 4, 5, 6});
    QVERIFY(output.write(floats, 2));
    QCOMPARE(output.m_vecSamples, (std::vector<float>{1, 2, 3, 4}));
    MTools::Handle<RawBuffer> raw(new RawBuffer(5));
    std::memcpy(raw->data(), "hello", 5);
    QVERIFY(output.write(raw, raw->size()));
    QCOMPARE(output.m_baBytes, QByteArray("hello"));

    const int calls = output.m_nCalls;
    QVERIFY(!output.write(raw, -1));
    QVERIFY(!output.write(floats, -1));
    QVERIFY_EXCEPTION_THROWN(output.write(MTools::Handle<RawBuffer>(), 1), MTools::Error);
    QVERIFY_EXCEPTION_THROWN(output.write(MTools::Handle<AudioFloatBuffer>(), 1), MTools::Error);
    QCOMPARE(output.m_nCalls, calls);
}

TRELVANIC_TEST_MAIN(TestBuffers)
#include "tst_buffers.moc"
