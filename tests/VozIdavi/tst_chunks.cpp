#include "Helpers.h"
#include "TestMain.h"

#include <ZADovuzIdida/_VozIdavi/Common/EBUEnvelope.h>
#include <ZADovuzIdida/_VozIdavi/Common/EBUInfo.h>
#include <ZADovuzIdida/_VozIdavi/Common/ProductionParameters.h>

#include <VUVararer/App.h>

#include <QDate>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

#include <cmath>
#include <limits>

using namespace ZADovuzIdida;
using namespace VozIdaviTest;

namespace {

QByteArray saved(const EBUInfo& info, QTemporaryDir& dir)
{
    const QString path = dir.filePath("bext.bin");
    if (!info.save(QFile::encodeName(path).constData()))
        return QByteArray();
    return readAll(path);
}

QByteArray savedEnvelope(EBUEnvelope& envelope, const PeakVector& peaks, EBUEnvelope::Format format, QTemporaryDir& dir,
                         bool* result = nullptr)
{
    const QString path = dir.filePath("levl.bin");
    const bool bSaved = envelope.save(QFile::encodeName(path).constData(), peaks, format);
    if (result)
        *result = bSaved;
    return readAll(path);
}

QByteArray field(const QByteArray& chunk, int offset, int width)
{
    return chunk.mid(offset, width);
}

QByteArray padded(const QByteArray& text, int width)
{
    return text + QByteArray(width - text.size(), '\0');
}

} // namespace

class TestChunks : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void testDefaultRecord();
    void testFillSizes_data();
    void testFillSizes();
    void testDescription();
    void testSpeedLine_data();
    void testSpeedLine();
    void testFixedWidthAndUmid();
    void testCopySemantics();
    void testRoundTrip();
    void testHostileChunkSizes();
    void testEnvelopeLayout();
    void testEnvelopeValues();
    void testEnvelopeFormatAndChannels();
    void testEnvelopeRoundTrip();
};

void TestChunks::initTestCase()
{
    QCoreApplication::setApplicationVersion("1.0.2");
    QCOMPARE(QCoreApplication::applicationName(), QString("Trelvanic"));
}

void TestChunks::testDefaultRecord()
{
    QTemporaryDir dir;
    EBUInfo info;
    QCOMPARE(info.size(), 602);
    QCOMPARE(info.fps(), -1.0f);
    const QByteArray chunk = saved(info, dir);
    QCOMPARE(chunk.size(), 610);
    QCOMPARE(chunk.left(4), QByteArray("bext"));
    QCOMPARE(le32(chunk, 4), 602u);
    QCOMPARE(field(chunk, 8, 256), QByteArray(256, '\0'));
    QCOMPARE(field(chunk, 264, 64), QByteArray(64, '\0'));
    QCOMPARE(field(chunk, 328, 10), QByteArray("0000-00-00"));
    QCOMPARE(field(chunk, 338, 8), QByteArray("00:00:00"));
    QCOMPARE(field(chunk, 346, 264), QByteArray(264, '\0'));
}

void TestChunks::testFillSizes_data()
{
    QTest::addColumn<int>("rate");
    QTest::addColumn<int>("channels");
    QTest::addColumn<QString>("history");
    QTest::newRow("48000 stereo") << 48000 << 2 << "A=PCM,F=48000,W=16,M=stereo,T=\r\n";
    QTest::newRow("8000 stereo") << 8000 << 2 << "A=PCM,F=8000,W=16,M=stereo,T=\r\n";
    QTest::newRow("192000 stereo") << 192000 << 2 << "A=PCM,F=192000,W=16,M=stereo,T=\r\n";
    QTest::newRow("48000 6CH") << 48000 << 6 << "A=PCM,F=48000,W=16,M=6CH,T=\r\n";
    QTest::newRow("8000 mono") << 8000 << 1 << "A=PCM,F=8000,W=16,M=mono,T=\r\n";
}

void TestChunks::testFillSizes()
{
    QFETCH(int, rate);
    QFETCH(int, channels);
    QFETCH(QString, history);
    QTemporaryDir dir;
    EBUInfo info;
    info.fill("/tmp/out.wav", rate, 16, channels);
    QCOMPARE(info.codingHistory(), history);
    QCOMPARE(info.size(), 602 + history.size());
    const QByteArray chunk = saved(info, dir);
    QCOMPARE(int(le32(chunk, 4)), info.size());
    QCOMPARE(chunk.size(), 8 + info.size() + info.size() % 2);
    QCOMPARE(chunk.mid(610, history.size()), history.toLatin1());
    if (info.size() % 2)
        QCOMPARE(chunk.at(chunk.size() - 1), '\0');

    QCOMPARE(field(chunk, 264, 32), padded("ZEMBREL", 32));
    QCOMPARE(field(chunk, 296, 32), padded("Trelvanic:", 32));
    QCOMPARE(le16(chunk, 354), quint16(1));
    QVERIFY(QRegularExpression("^\\d{4}-\\d\\d-\\d\\d$").match(QString::fromLatin1(field(chunk, 328, 10))).hasMatch());
    QCOMPARE(QString::fromLatin1(field(chunk, 328, 10)), QDate::currentDate().toString("yyyy-MM-dd"));
    QVERIFY(QRegularExpression("^\\d\\d:\\d\\d:\\d\\d$").match(QString::fromLatin1(field(chunk, 338, 8))).hasMatch());

    info.fill("/tmp/out.wav", rate, 16, channels);
    QCOMPARE(info.codingHistory(), history + history);
}

void TestChunks::testDescription()
{
    ProductionParameters::instance()->setProjectName("My Big Film");
    EBUInfo info;
    info.fill("/tmp/some file.wav", 48000, 24, 2);
    ProductionParameters::instance()->setProjectName(QString());

    const QString description = info.description();
    QCOMPARE(description.size(), 256);
    const QString text = description.left(description.indexOf(QChar(0)));
    QVERIFY(description.mid(text.size()) == QString(256 - text.size(), QChar(0)));
    const QStringList lines = text.split("\r\n");
    QCOMPARE(lines.size(), 8);
    QCOMPARE(lines.last(), QString());
    const QDate today = QDate::currentDate();
    QCOMPARE(lines[0], "sUBITS=$" + today.toString("ddMMyyyy"));
    QCOMPARE(lines[1], QString("sSPEED=-1.000-ND"));
    const QString build = qobject_cast<VUVararer::App*>(QCoreApplication::instance())->build();
    QCOMPARE(lines[2], "sSWVER=1.0.2." + build);
    QVERIFY2(QRegularExpression("^sSWVER=1\\.0\\.2\\.[1-9]\\d?/[1-9]\\d?/\\d{4}$").match(lines[2]).hasMatch(),
             qPrintable(lines[2]));
    QCOMPARE(lines[3], QString("sFILENAME="));
    QCOMPARE(lines[4], QString("sPROJECTNAME=My_Big_Film"));
    QCOMPARE(lines[5], QString("sTRK="));
    QCOMPARE(lines[6], QString("sNOTE="));
    QVERIFY(info.scene().isEmpty() && info.take().isEmpty() && info.userBits().isEmpty());
    QCOMPARE(EBUInfo::replaceSpacesWith("a b  c", '-'), QString("a-b--c"));
}

void TestChunks::testSpeedLine_data()
{
    QTest::addColumn<float>("fps");
    QTest::addColumn<QString>("line");
    QTest::newRow("30") << 30.0f << "sSPEED=30.000-ND";
    QTest::newRow("29.97") << 29.97f << "sSPEED=29.970-ND";
    QTest::newRow("100") << 100.0f << "sSPEED=100.00-ND";
    QTest::newRow("0 takes the production's") << 0.0f << "sSPEED=30.000-ND";
    QTest::newRow("0.5 takes the production's") << 0.5f << "sSPEED=30.000-ND";
}

void TestChunks::testSpeedLine()
{
    QFETCH(float, fps);
    QFETCH(QString, line);
    EBUInfo info(0, fps);
    info.fillDescription(QString());
    QCOMPARE(info.description().split("\r\n").value(1), line);
}

void TestChunks::testFixedWidthAndUmid()
{
    QTemporaryDir dir;
    EBUInfo speed(0, 25.0f);
    QCOMPARE(speed.description(), "sSPEED=25" + QString(256 - 9, QChar(0)));
    QCOMPARE(speed.fps(), 25.0f);
    QCOMPARE(EBUInfo(0, 29.97f).description().left(13), QString("sSPEED=29.97") + QChar(0));

    EBUInfo info;
    const QString longName(40, QChar('x'));
    info.setOriginator(longName);
    QCOMPARE(info.originator(), longName);
    info.setOriginationRef("ref");
    QCOMPARE(info.originationRef().size(), 32);
    info.setTimeReference((1ll << 32) + 5);
    QCOMPARE(info.timeReferenceLow(), 5u);
    QCOMPARE(info.timeReferenceHigh(), 1u);
    QCOMPARE(info.timeReference(), (1ll << 32) + 5);
    info.setVersion(0x10002);
    info.setUMID(0, char(0xAB));
    info.setUMID(8, char(0x01));
    info.setUMID(63, char(0x7F));
    info.setUMID(64, char(0x55));
    info.setUMID(-1, char(0x55));
    QCOMPARE(info.umid(64), char(0));
    QCOMPARE(info.umid(-1), char(0));
    QCOMPARE(info.umid(63), char(0x7F));
    const QStringList lines = info.umidsString().split('\n');
    QCOMPARE(lines.size(), 9);
    QCOMPARE(lines[0], QString("ab 00 00 00 00 00 00 00"));
    QCOMPARE(lines[1], QString("01 00 00 00 00 00 00 00"));
    QCOMPARE(lines[7], QString("00 00 00 00 00 00 00 7f"));

    const QByteArray chunk = saved(info, dir);
    QCOMPARE(field(chunk, 264, 32), QByteArray(32, 'x'));
    QCOMPARE(field(chunk, 296, 32), padded("ref", 32));
    QCOMPARE(le32(chunk, 346), 5u);
    QCOMPARE(le32(chunk, 350), 1u);
    QCOMPARE(le16(chunk, 354), quint16(2));
    QCOMPARE(quint8(chunk.at(356)), quint8(0xAB));
    QCOMPARE(quint8(chunk.at(356 + 63)), quint8(0x7F));
}

void TestChunks::testCopySemantics()
{
    EBUInfo source(1234, 24.0f);
    source.setChunkSize(700);
    source.setCodingHistory("A=PCM\r\n");
    EBUInfo copy(source);
    QCOMPARE(copy.chunkSize(), 0);
    QCOMPARE(copy.timeReference(), 1234ll);
    QCOMPARE(copy.codingHistory(), QString("A=PCM\r\n"));
    QCOMPARE(copy.fps(), 24.0f);
    EBUInfo target;
    target.setChunkSize(640);
    target = source;
    QCOMPARE(target.chunkSize(), 640);
    QCOMPARE(target.description(), source.description());
}

void TestChunks::testRoundTrip()
{
    QTemporaryDir dir;
    EBUInfo info;
    info.fill("/tmp/x.wav", 44100, 24, 2);
    info.setCodingHistory(info.codingHistory() + QString::fromUtf8("A=ANALOGUE,M=Café\r\n"));
    info.setTimeReference(172800000);
    info.setUMID(5, char(0xEE));
    info.reservedData()[10] = char(0x42);
    const QString path = dir.filePath("side.bext");
    QVERIFY(info.save(QFile::encodeName(path).constData()));
    const QByteArray chunk = readAll(path);
    QCOMPARE(int(le32(chunk, 4)), info.size());
    QCOMPARE(chunk.size(), 8 + info.size() + info.size() % 2);

    EBUInfo loaded;
    QVERIFY(loaded.load(QFile::encodeName(path).constData()));
    QCOMPARE(loaded.chunkSize(), info.size());
    QCOMPARE(loaded.description(), info.description());
    QCOMPARE(loaded.originator(), info.originator());
    QCOMPARE(loaded.originationRef(), info.originationRef());
    QCOMPARE(loaded.originationDate(), info.originationDate());
    QCOMPARE(loaded.originationTime(), info.originationTime());
    QCOMPARE(loaded.timeReference(), 172800000ll);
    QCOMPARE(loaded.version(), 1);
    QCOMPARE(loaded.umid(5), char(0xEE));
    QCOMPARE(loaded.reservedData()[10], char(0x42));
    QCOMPARE(loaded.codingHistory(), info.codingHistory());

    // A bare body read from its first byte, with no chunk size, reads no history.
    QVERIFY(writeAll(path, chunk.mid(8)));
    EBUInfo bare;
    QVERIFY(bare.load(QFile::encodeName(path).constData()));
    QCOMPARE(bare.description(), info.description());
    QVERIFY(bare.codingHistory().isEmpty());

    QTest::ignoreMessage(QtDebugMsg, "EBUInfo::load: file open error");
    QVERIFY(!bare.load(QFile::encodeName(dir.filePath("missing")).constData()));
    QCOMPARE(bare.description(), info.description());
}

void TestChunks::testHostileChunkSizes()
{
    QTemporaryDir dir;
    EBUInfo info;
    info.fill("/tmp/x.wav", 48000, 16, 2);
    const QByteArray chunk = saved(info, dir);
    const QString path = dir.filePath("body.bin");
    QVERIFY(writeAll(path, chunk.mid(8)));
    FILE* f = fopen(QFile::encodeName(path).constData(), "rb");
    QVERIFY(f);

    EBUInfo exact;
    exact.setChunkSize(602);
    QVERIFY(exact.initFromHeader(f));
    QVERIFY(exact.codingHistory().isEmpty());
    QCOMPARE(ftell(f), 602L);

    rewind(f);
    EBUInfo more;
    more.setChunkSize(620);
    QVERIFY(more.initFromHeader(f));
    QCOMPARE(more.codingHistory(), info.codingHistory().left(18));

    rewind(f);
    EBUInfo huge;
    huge.setChunkSize(0x7FFFFFFF);
    QVERIFY(!huge.initFromHeader(f));
    QCOMPARE(huge.codingHistory(), info.codingHistory());

    rewind(f);
    EBUInfo small;
    small.setChunkSize(300);
    QVERIFY(small.initFromHeader(f));
    QCOMPARE(small.description(), info.description());
    QCOMPARE(small.originator().left(4), QString("ZEMB"));
    QCOMPARE(small.originationRef().left(12), QString("Trelvanic:") + QString(2, QChar(0)));
    QCOMPARE(small.originationRef().mid(12), QString(20, QChar(0)));
    QCOMPARE(small.originationDate(), QString(10, QChar(0)));
    QCOMPARE(ftell(f), 300L);
    fclose(f);

    QVERIFY(writeAll(path, chunk.mid(8, 100)));
    f = fopen(QFile::encodeName(path).constData(), "rb");
    EBUInfo truncated;
    QVERIFY(!truncated.initFromHeader(f));
    QCOMPARE(truncated.description().left(7), QString("sUBITS="));
    QCOMPARE(truncated.description().mid(100), QString(156, QChar(0)));
    QCOMPARE(truncated.originationDate(), QString(10, QChar(0)));
    QCOMPARE(truncated.timeReference(), 0ll);
    fclose(f);
}

void TestChunks::testEnvelopeLayout()
{
    QTemporaryDir dir;
    EBUEnvelope envelope;
    QCOMPARE(envelope.timeStamp(), QString(28, ' '));
    envelope.setBlockSize(256);
    envelope.setPosPeakOfPeaks(77);
    QByteArray chunk = savedEnvelope(envelope, PeakVector(), EBUEnvelope::SixteenBit, dir);
    QCOMPARE(chunk.size(), 128);
    QCOMPARE(chunk.left(4), QByteArray("levl"));
    QCOMPARE(le32(chunk, 4), 120u);
    QCOMPARE(le32(chunk, 8), 0u);
    QCOMPARE(le32(chunk, 12), 2u);
    QCOMPARE(le32(chunk, 16), 2u);
    QCOMPARE(le32(chunk, 20), 256u);
    QCOMPARE(le32(chunk, 24), 0u);
    QCOMPARE(le32(chunk, 28), 0u);
    QCOMPARE(le32(chunk, 32), 77u);
    QCOMPARE(le32(chunk, 36), 128u);
    QVERIFY2(QRegularExpression("^\\d{4}-\\d\\d-\\d\\d_\\d\\d:\\d\\d:\\d\\d:\\d{3}$")
                 .match(QString::fromLatin1(chunk.mid(40, 23)))
                 .hasMatch(),
             chunk.mid(40, 23).constData());
    QCOMPARE(chunk.mid(63, 5), QByteArray(5, '\0'));
    QCOMPARE(chunk.mid(68, 60), QByteArray(60, '\0'));
    QCOMPARE(envelope.chunkSize(), 120);
    QCOMPARE(envelope.timeStamp(), QString(28, ' '));

    PeakVector peaks;
    for (int x = 0; x < 3; ++x) {
        peaks.addPeak(-0.1f * (x + 1), 0.2f * (x + 1), 0);
        peaks.addPeak(-0.3f * (x + 1), 0.05f * (x + 1), 1);
    }
    chunk = savedEnvelope(envelope, peaks, EBUEnvelope::SixteenBit, dir);
    QCOMPARE(le32(chunk, 4), 144u);
    QCOMPARE(chunk.size(), 152);
    QCOMPARE(envelope.chunkSize(), 144);
    QCOMPARE(envelope.peakChannels(), 2);
    QCOMPARE(envelope.numPeakFrames(), 3);
    for (int x = 0; x < 3; ++x) {
        const int base = 128 + x * 8;
        QCOMPARE(int(le16(chunk, base)), int(0.1f * (x + 1) * 65535.0f));
        QCOMPARE(int(le16(chunk, base + 2)), int(0.2f * (x + 1) * 65535.0f));
        QCOMPARE(int(le16(chunk, base + 4)), int(0.3f * (x + 1) * 65535.0f));
        QCOMPARE(int(le16(chunk, base + 6)), int(0.05f * (x + 1) * 65535.0f));
    }
}

void TestChunks::testEnvelopeValues()
{
    QTemporaryDir dir;
    EBUEnvelope envelope;
    PeakVector half;
    half.addPeak(-0.5f, 0.25f, 0);
    QByteArray chunk = savedEnvelope(envelope, half, EBUEnvelope::SixteenBit, dir);
    QCOMPARE(chunk.mid(128), QByteArray("\xFF\x7F\xFF\x3F", 4));

    PeakVector full;
    full.addPeak(-1.0f, 1.0f, 0);
    full.addPeak(-1.5f, 3.0f, 0);
    full.addPeak(std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity(), 0);
    chunk = savedEnvelope(envelope, full, EBUEnvelope::EightBit, dir);
    QCOMPARE(le32(chunk, 4), 126u);
    QCOMPARE(chunk.mid(128), QByteArray("\xFF\xFF\xFF\xFF\x00\xFF", 6));
    chunk = savedEnvelope(envelope, full, EBUEnvelope::SixteenBit, dir);
    QCOMPARE(chunk.mid(128), QByteArray("\xFF\xFF\xFF\xFF\xFF\xFF\xFF\xFF\x00\x00\xFF\xFF", 12));

    // More values than one staging block: the bytes equal a direct computation.
    PeakVector many;
    for (int x = 0; x < 1500; ++x)
        many.addPeak(-float(x) / 1500.0f, float(1499 - x) / 1500.0f, 0);
    chunk = savedEnvelope(envelope, many, EBUEnvelope::SixteenBit, dir);
    QCOMPARE(chunk.size(), 128 + 1500 * 4);
    for (int x = 0; x < 1500; ++x) {
        QCOMPARE(int(le16(chunk, 128 + 4 * x)), int(float(x) / 1500.0f * 65535.0f));
        QCOMPARE(int(le16(chunk, 130 + 4 * x)), int(float(1499 - x) / 1500.0f * 65535.0f));
    }
}

void TestChunks::testEnvelopeFormatAndChannels()
{
    QTemporaryDir dir;
    EBUEnvelope envelope;
    PeakVector uneven;
    uneven.addPeak(-0.5f, 0.5f, 0);
    uneven.addPeak(-0.5f, 0.5f, 0);
    uneven.addPeak(-1.0f, 1.0f, 1);
    QByteArray chunk = savedEnvelope(envelope, uneven, EBUEnvelope::EightBit, dir);
    QCOMPARE(chunk.mid(128), QByteArray("\x7F\x7F\xFF\xFF\x7F\x7F\x00\x00", 8));
    QCOMPARE(uneven.peakInfoVector(1).size(), size_t(1));

    PeakVector wide;
    for (int ch = 0; ch < 40; ++ch)
        wide.addPeak(0.0f, 1.0f, ch);
    chunk = savedEnvelope(envelope, wide, EBUEnvelope::EightBit, dir);
    QCOMPARE(chunk.size(), 128 + 80);
    QCOMPARE(quint8(chunk.at(128 + 79)), quint8(0xFF));

    bool bSaved = true;
    chunk = savedEnvelope(envelope, wide, EBUEnvelope::Format(3), dir, &bSaved);
    QVERIFY(!bSaved);
    QVERIFY(chunk.isEmpty());
}

void TestChunks::testEnvelopeRoundTrip()
{
    QTemporaryDir dir;
    EBUEnvelope envelope;
    envelope.setBlockSize(256);
    envelope.setPosPeakOfPeaks(4096);
    PeakVector peaks(10, 2);
    const QString path = dir.filePath("side.levl");
    QVERIFY(envelope.save(QFile::encodeName(path).constData(), peaks, EBUEnvelope::SixteenBit));
    EBUEnvelope loaded;
    PeakVector untouched;
    QVERIFY(loaded.load(QFile::encodeName(path).constData(), untouched));
    QVERIFY(untouched.isEmpty());
    QCOMPARE(loaded.chunkSize(), 120 + 80);
    QCOMPARE(loaded.format(), 2);
    QCOMPARE(loaded.pointsPerValue(), 2);
    QCOMPARE(loaded.blockSize(), 256);
    QCOMPARE(loaded.peakChannels(), 2);
    QCOMPARE(loaded.numPeakFrames(), 10);
    QCOMPARE(loaded.posPeakOfPeaks(), 4096);
    QCOMPARE(loaded.offsetToPeaks(), 128);
    QCOMPARE(loaded.timeStamp().size(), 28);
    QCOMPARE(loaded.timeStamp().mid(23), QString(5, QChar(0)));
    loaded.setTimeStamp("short");
    QCOMPARE(loaded.timeStamp(), QString("short") + QString(23, ' '));
}

TRELVANIC_TEST_MAIN_APP(VUVararer::App, TestChunks)
#include "tst_chunks.moc"
