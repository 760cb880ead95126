#include "Helpers.h"
#include "TestMain.h"

#include <ZADovuzIdida/_VozIdavi/Common/Util.h>

#include <QTemporaryDir>
#include <QtTest>

#include <climits>
#include <cmath>
#include <limits>
#include <vector>

using ZADovuzIdida::Util;
using namespace VozIdaviTest;

namespace {

enum FloatToInt { To8, To16, To24, To32, To8U, To16U, To24U, ToShort16 };

int convertOne(int kind, float x)
{
    int out = 0;
    switch (kind) {
    case To8:
        Util::convertFloatTo8(&x, &out, 1);
        break;
    case To16:
        Util::convertFloatTo16(&x, &out, 1);
        break;
    case To24:
        Util::convertFloatTo24(&x, &out, 1);
        break;
    case To32:
        Util::convertFloatTo32(&x, &out, 1);
        break;
    case To8U:
        Util::convertFloatTo8U(&x, &out, 1);
        break;
    case To16U:
        Util::convertFloatTo16U(&x, &out, 1);
        break;
    case To24U:
        Util::convertFloatTo24U(&x, &out, 1);
        break;
    case ToShort16: {
        short s = 0;
        Util::convertFloatToShort16(&x, &s, 1);
        out = s;
        break;
    }
    }
    return out;
}

QByteArray bytes(std::initializer_list<int> values)
{
    QByteArray result;
    for (int v : values)
        result.append(char(v));
    return result;
}

} // namespace

class TestConversion : public QObject
{
    Q_OBJECT

private slots:
    void testFloatToInt_data();
    void testFloatToInt();
    void testIntToFloat();
    void testIntAndRaw();
    void testInPlaceAndCounts();
    void testIeeeExtendedAgainstSoxAiff();
    void testRawToFloatAgainstSox_data();
    void testRawToFloatAgainstSox();
};

// Scaled in single precision, clipped symmetrically, truncated toward zero; never wrapped; NaN is silence.
void TestConversion::testFloatToInt_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<float>("input");
    QTest::addColumn<int>("expected");
    const float inf = std::numeric_limits<float>::infinity();
    const float nan = std::numeric_limits<float>::quiet_NaN();
    QTest::newRow("16 0.99999") << int(To16) << 0.99999f << 32767;
    QTest::newRow("16 -1") << int(To16) << -1.0f << -32767;
    QTest::newRow("16 0.5") << int(To16) << 0.5f << 16384;
    QTest::newRow("16 1e-6 truncates") << int(To16) << 1e-6f << 0;
    QTest::newRow("16 -0.00004 truncates") << int(To16) << -0.00004f << -1;
    QTest::newRow("16 NaN") << int(To16) << nan << 0;
    QTest::newRow("short16 -2") << int(ToShort16) << -2.0f << -32767;
    QTest::newRow("short16 NaN") << int(ToShort16) << nan << 0;
    QTest::newRow("8 -1") << int(To8) << -1.0f << -127;
    QTest::newRow("24 +1") << int(To24) << 1.0f << 8388607;
    QTest::newRow("24 NaN") << int(To24) << nan << 0;
    QTest::newRow("32 +1 saturates") << int(To32) << 1.0f << INT_MAX;
    QTest::newRow("32 +inf") << int(To32) << inf << INT_MAX;
    QTest::newRow("32 -3") << int(To32) << -3.0f << INT_MIN;
    QTest::newRow("32 NaN") << int(To32) << nan << 0;
    QTest::newRow("8U 0") << int(To8U) << 0.0f << 128;
    QTest::newRow("8U -2") << int(To8U) << -2.0f << 0;
    QTest::newRow("8U NaN is silence") << int(To8U) << nan << 128;
    QTest::newRow("16U +1") << int(To16U) << 1.0f << 65535;
    QTest::newRow("16U NaN") << int(To16U) << nan << 32768;
    QTest::newRow("24U +1") << int(To24U) << 1.0f << 16777215;
    QTest::newRow("24U NaN") << int(To24U) << nan << 8388608;
}

void TestConversion::testFloatToInt()
{
    QFETCH(int, kind);
    QFETCH(float, input);
    QFETCH(int, expected);
    QCOMPARE(convertOne(kind, input), expected);
}

// Only the low N bits of each integer count; U forms have their midpoint at 0.0.
void TestConversion::testIntToFloat()
{
    const int in[] = {-128, 127, 0x180, -32768, 0x18000, 8388607, 0x7FFFFFFF, INT_MIN};
    float out[3];
    Util::convert8ToFloat(in, out, 3);
    QCOMPARE(std::vector<float>(out, out + 3), (std::vector<float>{-1.0f, 127.0f / 128.0f, -1.0f}));
    Util::convert16ToFloat(in + 3, out, 2);
    QCOMPARE(std::vector<float>(out, out + 2), (std::vector<float>{-1.0f, -1.0f}));
    Util::convert24ToFloat(in + 5, out, 1);
    QCOMPARE(out[0], 8388607.0f / 8388608.0f);
    Util::convert32ToFloat(in + 6, out, 2);
    QCOMPARE(std::vector<float>(out, out + 2), (std::vector<float>{1.0f, -1.0f}));

    const int u[] = {0, int(2147483648u), 65535, 128, 8388608};
    Util::convert32UToFloat(u, out, 2);
    QCOMPARE(std::vector<float>(out, out + 2), (std::vector<float>{-1.0f, 0.0f}));
    Util::convert16UToFloat(u + 2, out, 1);
    QCOMPARE(out[0], 32767.0f / 32768.0f);
    Util::convert8UToFloat(u + 3, out, 1);
    QCOMPARE(out[0], 0.0f);
    Util::convert24UToFloat(u + 4, out, 1);
    QCOMPARE(out[0], 0.0f);
}

void TestConversion::testIntAndRaw()
{
    const int ints[] = {0x12345678, -2, -1, 0x123456};
    char out[8];
    Util::convert32ToRaw(ints, out, 4, false);
    QCOMPARE(QByteArray(out, 4), bytes({0x12, 0x34, 0x56, 0x78}));
    Util::convert16ToRaw(ints + 1, out, 2, false);
    QCOMPARE(QByteArray(out, 2), bytes({0xFF, 0xFE}));
    Util::convert24ToRaw(ints + 2, out, 6);
    QCOMPARE(QByteArray(out, 6), bytes({0xFF, 0xFF, 0xFF, 0x56, 0x34, 0x12}));
    const int u8[] = {0, 0x1FF};
    Util::convert8UToRaw(u8, out, 2);
    QCOMPARE(QByteArray(out, 2), bytes({0x00, 0xFF}));

    const QByteArray raw = bytes({0x12, 0x34, 0x56, 0x78});
    int back[2];
    Util::convertRawTo32U(raw.constData(), back, 1, true);
    QCOMPARE(back[0], 0x78563412);
    Util::convertRawTo16U(raw.constData(), back, 2, false);
    QCOMPARE(back[1], 0x5678);
    Util::convertRawTo24U(raw.constData(), back, 1, true);
    QCOMPARE(back[0], 0x563412);

    const float floats[] = {1.0f, -0.5f};
    Util::convertFloatToFloat32(floats, out, 2, false);
    QCOMPARE(QByteArray(out, 8), bytes({0x3F, 0x80, 0x00, 0x00, 0xBF, 0x00, 0x00, 0x00}));
    // Exactly 3 bytes per sample: the guard byte after the input is never read.
    float two[2];
    Util::convertRaw24ToFloat(bytes({0x00, 0x00, 0x40, 0x00, 0x00, 0xC0, 0x7F}).constData(), two, 2, true);
    QCOMPARE(std::vector<float>(two, two + 2), (std::vector<float>{0.5f, -0.5f}));
}

void TestConversion::testInPlaceAndCounts()
{
    // Float to int and back in one buffer.
    std::vector<float> samples{0.5f, -0.25f, 1.0f, -1.0f};
    Util::convertFloatTo16(samples.data(), reinterpret_cast<int*>(samples.data()), 4);
    const int* ints = reinterpret_cast<const int*>(samples.data());
    QCOMPARE(std::vector<int>(ints, ints + 4), (std::vector<int>{16384, -8192, 32767, -32767}));
    Util::convert16ToFloat(ints, samples.data(), 4);
    QCOMPARE(samples[3], -32767.0f / 32768.0f);

    // 1-byte input widened into 4-byte integers from the same start address.
    std::vector<int> buffer(4, 0);
    std::memcpy(buffer.data(), "\x01\x80\xFF\x7F", 4);
    Util::convertRawTo8U(reinterpret_cast<char*>(buffer.data()), buffer.data(), 4);
    QCOMPARE(buffer, (std::vector<int>{1, 128, 255, 127}));

    // Counts below 1 leave the output alone; odd byte counts write whole samples only.
    char out[8];
    std::memset(out, 0x55, sizeof(out));
    const int values[] = {0x0102, 0x0304, 0x050607};
    Util::convert16ToRaw(values, out, -4, true);
    QCOMPARE(QByteArray(out, 8), QByteArray(8, 0x55));
    Util::convert16ToRaw(values, out, 3, true);
    QCOMPARE(QByteArray(out, 4), bytes({0x02, 0x01, 0x55, 0x55}));
    std::memset(out, 0x55, sizeof(out));
    Util::convert24ToRaw(values + 2, out, 5);
    QCOMPARE(QByteArray(out, 5), bytes({0x07, 0x06, 0x05, 0x55, 0x55}));
}

// The 80-bit rate of sox-written AIFF headers; zero and the infinite exponent are special.
void TestConversion::testIeeeExtendedAgainstSoxAiff()
{
    QCOMPARE(Util::convertFromIeeeExtended(bytes({0xC0, 0x0E, 0xAC, 0x44, 0, 0, 0, 0, 0, 0}).constData()), -44100.0);
    QCOMPARE(Util::convertFromIeeeExtended(QByteArray(10, 0).constData()), 0.0);
    const double inf = Util::convertFromIeeeExtended(bytes({0x7F, 0xFF, 0x12, 0, 0, 0, 0, 0, 0, 1}).constData());
    QVERIFY(std::isinf(inf) && inf > 0);
    QTemporaryDir dir;
    for (int rate : {7350, 11025, 44100, 48000, 88200, 192000}) {
        const QString path = dir.filePath(QString("r%1.aiff").arg(rate));
        const auto made = TestKit::runTool(
            "sox", {"-n", "-r", QString::number(rate), "-c", "1", "-b", "16", path, "trim", "0", "0.001"});
        QCOMPARE(made.exitCode, 0);
        const QByteArray file = readAll(path);
        const int comm = file.indexOf("COMM");
        QVERIFY(comm > 0);
        // COMM body: channels (2), frames (4), sample size (2), then the 10-byte rate.
        QCOMPARE(Util::convertFromIeeeExtended(file.constData() + comm + 16), double(rate));
    }
}

void TestConversion::testRawToFloatAgainstSox_data()
{
    QTest::addColumn<int>("bits");
    QTest::addColumn<bool>("littleEndian");
    QTest::newRow("s16 le") << 16 << true;
    QTest::newRow("s16 be") << 16 << false;
    QTest::newRow("s24 le") << 24 << true;
    QTest::newRow("s24 be") << 24 << false;
    QTest::newRow("s32 le") << 32 << true;
    QTest::newRow("s32 be") << 32 << false;
    QTest::newRow("u8") << 8 << true;
}

// Bit for bit equal to sox's integer to f32 conversion (32 bits within 1e-7: sox rounds to 25 bits first).
void TestConversion::testRawToFloatAgainstSox()
{
    QFETCH(int, bits);
    QFETCH(bool, littleEndian);
    QTemporaryDir dir;
    const QString raw = dir.filePath("in.raw");
    const QString ref = dir.filePath("ref.f32");
    const QString encoding = bits == 8 ? "unsigned-integer" : "signed-integer";
    const QStringList format{
        "-r", "8000", "-c", "1", "-b", QString::number(bits), "-e", encoding, littleEndian ? "-L" : "-B"};
    auto made =
        TestKit::runTool("sox", QStringList{"-D", "-n"} + format +
                                    QStringList{"-t", "raw", raw, "synth", "0.05", "sine", "440", "vol", "0.99"});
    QCOMPARE(made.exitCode, 0);
    made = TestKit::runTool("sox", QStringList{"-t", "raw"} + format + QStringList{raw, "-t", "f32", ref});
    QCOMPARE(made.exitCode, 0);

    const QByteArray input = readAll(raw);
    const QByteArray reference = readAll(ref);
    const int n = input.size() / (bits / 8);
    QCOMPARE(reference.size(), n * 4);
    QVERIFY(n >= 400);
    std::vector<float> ours(n);
    if (bits == 8) {
        std::vector<int> ints(n);
        Util::convertRawTo8U(input.constData(), ints.data(), n);
        Util::convert8UToFloat(ints.data(), ours.data(), n);
    } else if (bits == 16) {
        Util::convertRaw16ToFloat(input.constData(), ours.data(), n, littleEndian);
    } else if (bits == 24) {
        Util::convertRaw24ToFloat(input.constData(), ours.data(), n, littleEndian);
    } else {
        Util::convertRaw32ToFloat(input.constData(), ours.data(), n, littleEndian);
    }
    const float* expected = reinterpret_cast<const float*>(reference.constData());
    for (int i = 0; i < n; ++i)
        QVERIFY2(bits == 32 ? std::fabs(ours[i] - expected[i]) <= 1e-7f : ours[i] == expected[i],
                 qPrintable(QString("sample %1: %2 != %3").arg(i).arg(ours[i]).arg(expected[i])));
}

TRELVANIC_TEST_MAIN(TestConversion)
#include "tst_conversion.moc"
