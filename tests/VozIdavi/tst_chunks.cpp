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
    void testRoundTrip();
    void testHostileChunkSizes();
    void testEnvelopeValues();
    void testEnvelopeFormatAndChannels();
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
    QCOMPARE(info.fps(), -1.0f);
    const QByteArray chunk = saved(info, dir);
    QCOMPARE(chunk.left(8), QByteArray("bext\x5a\x02\0\0", 8));
    QCOMPARE(chunk.mid(8), QByteArray(320, '\0') + "0000-00-0000:00:00" + QByteArray(264, '\0'));
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

// ckSize counts the history; an odd size gets a pad byte that it does not count.
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
    QCOMPARE(chunk.mid(610), history.toLatin1() + QByteArray(info.size() % 2, '\0'));
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
    const QString build = qobject_cast<VUVararer::App*>(QCoreApplication::instance())->build();
    QCOMPARE(text.split("\r\n"),
             (QStringList{"sUBITS=$" + QDate::currentDate().toString("ddMMyyyy"), "sSPEED=-1.000-ND",
                          "sSWVER=1.0.2." + build, "sFILENAME=", "sPROJECTNAME=My_Big_Film", "sTRK=", "sNOTE=", ""}));
    QVERIFY(info.scene().isEmpty() && info.take().isEmpty() && info.userBits().isEmpty());
}

void TestChunks::testSpeedLine_data()
{
    QTest::addColumn<float>("fps");
    QTest::addColumn<QString>("line");
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

// Longer texts are kept whole and cut only when written; 64-bit time reference; UMID bytes 0..63 only.
void TestChunks::testFixedWidthAndUmid()
{
    QTemporaryDir dir;
    QCOMPARE(EBUInfo(0, 25.0f).description(), "sSPEED=25" + QString(256 - 9, QChar(0)));
    EBUInfo info;
    const QString longName(40, QChar('x'));
    info.setOriginator(longName);
    QCOMPARE(info.originator(), longName);
    info.setTimeReference((1ll << 32) + 5);
    QCOMPARE(info.timeReferenceHigh(), 1u);
    info.setVersion(0x10002);
    info.setUMID(0, char(0xAB));
    info.setUMID(63, char(0x7F));
    info.setUMID(64, char(0x55));
    info.setUMID(-1, char(0x55));
    QCOMPARE(info.umid(64), char(0));
    QCOMPARE(info.umid(-1), char(0));
    const QStringList lines = info.umidsString().split('\n');
    QCOMPARE(lines.size(), 9);
    QCOMPARE(lines[0], QString("ab 00 00 00 00 00 00 00"));
    QCOMPARE(lines[7], QString("00 00 00 00 00 00 00 7f"));

    const QByteArray chunk = saved(info, dir);
    QCOMPARE(chunk.mid(264, 32), QByteArray(32, 'x'));
    QCOMPARE(le32(chunk, 346), 5u);
    QCOMPARE(le32(chunk, 350), 1u);
    QCOMPARE(le16(chunk, 354), quint16(2));
    QCOMPARE(chunk.mid(356, 64), "\xAB" + QByteArray(62, '\0') + "\x7F");

    // A copy starts with no chunk size; an assignment keeps the target's.
    info.setChunkSize(700);
    QCOMPARE(EBUInfo(info).chunkSize(), 0);
    EBUInfo target;
    target.setChunkSize(640);
    target = info;
    QCOMPARE(target.chunkSize(), 640);
    QCOMPARE(target.originator(), longName);
}

// Texts are Latin-1 both ways, so a non-ASCII history keeps ckSize equal to the bytes written.
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
    QCOMPARE(loaded.originationTime(), info.originationTime());
    QCOMPARE(loaded.timeReference(), 172800000ll);
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
}

// Sizes from a file never read past the chunk or the file, and never allocate what the file cannot hold.
void TestChunks::testHostileChunkSizes()
{
    QTemporaryDir dir;
    EBUInfo info;
    info.fill("/tmp/x.wav", 48000, 16, 2);
    const QString path = dir.filePath("body.bin");
    QVERIFY(writeAll(path, saved(info, dir).mid(8)));
    FILE* f = fopen(QFile::encodeName(path).constData(), "rb");
    QVERIFY(f);
    const auto readWith = [f](int chunkSize, EBUInfo& record) {
        rewind(f);
        record.setChunkSize(chunkSize);
        return record.initFromHeader(f);
    };
    EBUInfo more, huge, small;
    QVERIFY(readWith(620, more));
    QCOMPARE(more.codingHistory(), info.codingHistory().left(18));
    QVERIFY(!readWith(0x7FFFFFFF, huge));
    QCOMPARE(huge.codingHistory(), info.codingHistory());
    QVERIFY(readWith(300, small));
    QCOMPARE(ftell(f), 300L);
    QCOMPARE(small.description(), info.description());
    QCOMPARE(small.originationRef(), QString("Trelvanic:") + QString(22, QChar(0)));
    QCOMPARE(small.originationDate(), QString(10, QChar(0)));
    fclose(f);

    QVERIFY(writeAll(path, saved(info, dir).mid(8, 100)));
    f = fopen(QFile::encodeName(path).constData(), "rb");
    EBUInfo truncated;
    QVERIFY(!truncated.initFromHeader(f));
    QCOMPARE(truncated.description().mid(100), QString(156, QChar(0)));
    QCOMPARE(truncated.timeReference(), 0ll);
    fclose(f);
}

// Values are |min| then |max| per channel, clipped to full scale (NaN as 0), the same past one staging block.
void TestChunks::testEnvelopeValues()
{
    QTemporaryDir dir;
    EBUEnvelope envelope;
    QByteArray chunk = savedEnvelope(envelope, PeakVector(), EBUEnvelope::SixteenBit, dir);
    QCOMPARE(chunk.size(), 128);
    QCOMPARE(chunk.mid(68, 60), QByteArray(60, '\0'));
    PeakVector half;
    half.addPeak(-0.5f, 0.25f, 0);
    chunk = savedEnvelope(envelope, half, EBUEnvelope::SixteenBit, dir);
    QCOMPARE(chunk.mid(128), QByteArray("\xFF\x7F\xFF\x3F", 4));
    QCOMPARE(envelope.chunkSize(), 124);
    QCOMPARE(envelope.timeStamp(), QString(28, ' '));

    PeakVector full;
    full.addPeak(-1.5f, 3.0f, 0);
    full.addPeak(std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity(), 0);
    chunk = savedEnvelope(envelope, full, EBUEnvelope::EightBit, dir);
    QCOMPARE(le32(chunk, 4), 124u);
    QCOMPARE(chunk.mid(128), QByteArray("\xFF\xFF\x00\xFF", 4));
    chunk = savedEnvelope(envelope, full, EBUEnvelope::SixteenBit, dir);
    QCOMPARE(chunk.mid(128), QByteArray("\xFF\xFF\xFF\xFF\x00\x00\xFF\xFF", 8));

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

// Short channels give zero pairs; any number of channels; an unknown format writes nothing.
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
    QVERIFY(savedEnvelope(envelope, wide, EBUEnvelope::Format(3), dir, &bSaved).isEmpty());
    QVERIFY(!bSaved);

    // The header reads back from a side file; the peak vector is left alone.
    const QString path = dir.filePath("side.levl");
    envelope.setPosPeakOfPeaks(4096);
    QVERIFY(envelope.save(QFile::encodeName(path).constData(), PeakVector(10, 2), EBUEnvelope::SixteenBit));
    EBUEnvelope loaded;
    PeakVector untouched;
    QVERIFY(loaded.load(QFile::encodeName(path).constData(), untouched));
    QVERIFY(untouched.isEmpty());
    QCOMPARE(loaded.chunkSize(), 120 + 80);
    QCOMPARE(loaded.numPeakFrames(), 10);
    QCOMPARE(loaded.posPeakOfPeaks(), 4096);
    QCOMPARE(loaded.timeStamp().mid(23), QString(5, QChar(0)));
}

TRELVANIC_TEST_MAIN_APP(VUVararer::App, TestChunks)
#include "tst_chunks.moc"
