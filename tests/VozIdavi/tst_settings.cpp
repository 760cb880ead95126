#include "Helpers.h"
#include "TestMain.h"

#include <ZADovuzIdida/_VozIdavi/Common/AudioIO.h>
#include <ZADovuzIdida/_VozIdavi/Common/FileInfo.h>
#include <ZADovuzIdida/_VozIdavi/Common/FileUtil.h>
#include <ZADovuzIdida/_VozIdavi/Common/Settings.h>

#include <QTemporaryDir>
#include <QtTest>

using namespace ZADovuzIdida;
using namespace VozIdaviTest;

class TestSettings : public QObject
{
    Q_OBJECT

private slots:
    void testEquality();
    void testFormatNames_data();
    void testFormatNames();
    void testAudioIODefaults();
    void testByteOrderOnFile();
    void testShortReads();
    void testSwaps();
    void testFileInfoAssignment();
};

void TestSettings::testEquality()
{
    const Settings base(44100, 2, 16, 16);
    QVERIFY(base == Settings(44100, 2, 16, 16));
    QVERIFY(!(base != Settings(44100, 2, 16, 16)));
    QVERIFY(base != Settings(48000, 2, 16, 16));
    QVERIFY(base != Settings(44100, 1, 16, 16));
    QVERIFY(base != Settings(44100, 2, 2048, 16));
    QVERIFY(base != Settings(44100, 2, 16, 24));
    Settings copy = base;
    copy.setChannels(6);
    QCOMPARE(copy.channels(), short(6));
    QCOMPARE(base.channels(), short(2));
}

void TestSettings::testFormatNames_data()
{
    QTest::addColumn<int>("fmt");
    QTest::addColumn<QString>("name");
    QTest::newRow("0") << 0 << "Query";
    QTest::newRow("1") << 1 << "Mu-Law";
    QTest::newRow("8") << 8 << "Unsigned 8";
    QTest::newRow("16") << 16 << "Little endian signed 16 or 32";
    QTest::newRow("2048") << 2048 << "Signed 24 Normal";
    QTest::newRow("4096") << 4096 << "Signed 24 Swapped";
    QTest::newRow("3") << 3 << "Unknown";
    QTest::newRow("-16") << -16 << "Unknown";
    QTest::newRow("8192") << 8192 << "Unknown";
}

void TestSettings::testFormatNames()
{
    QFETCH(int, fmt);
    QFETCH(QString, name);
    QCOMPARE(QString(Settings::formatName(short(fmt))), name);
    QTest::ignoreMessage(QtDebugMsg, "---- Settings Info Begin -----");
    QTest::ignoreMessage(QtDebugMsg, "Channels =  2");
    QTest::ignoreMessage(QtDebugMsg, "Bits Per Sample =  16");
    QTest::ignoreMessage(QtDebugMsg, "Sample Rate =  48000");
    QTest::ignoreMessage(QtDebugMsg, qPrintable(QString("Format =  %1  ( %2 )").arg(fmt).arg(name)));
    QTest::ignoreMessage(QtDebugMsg, "---- Settings Info End-----");
    Settings(48000, 2, short(fmt), 16).dump();
}

void TestSettings::testAudioIODefaults()
{
    AudioIO io;
    QVERIFY(io.settings() == Settings(48000, 2, 1, 16));
    QCOMPARE(io.name(), QString("AudioIO"));
    io.setSettings(Settings(96000, 6, 2048, 24));
    QCOMPARE(io.settings().sampleRate(), 96000u);
    QCOMPARE(io.settings().bitsPerSample(), short(24));
}

void TestSettings::testByteOrderOnFile()
{
    QTemporaryDir dir;
    const QByteArray path = QFile::encodeName(dir.filePath("bytes.bin"));
    FILE* f = fopen(path.constData(), "wb");
    QVERIFY(f);
    QCOMPARE(FileUtil::writeL(0x12345678, f, false), 1);
    QCOMPARE(FileUtil::writeL(0x12345678, f, true), 1);
    QCOMPARE(FileUtil::writeS(0x0102, f, true), 1);
    QCOMPARE(FileUtil::writeS(0x0102, f, false), 1);
    QCOMPARE(FileUtil::writeB(0xAB, f), 1);
    QCOMPARE(FileUtil::writeLL(0x0102030405060708ull, f, false), 1);
    QCOMPARE(FileUtil::writeLL(0x0102030405060708ull, f, true), 1);
    fclose(f);
    const auto dumped = TestKit::runTool("od", {"-An", "-v", "-tx1", dir.filePath("bytes.bin")});
    QCOMPARE(dumped.exitCode, 0);
    QCOMPARE(QString::fromLatin1(dumped.out).simplified(),
             QString("78 56 34 12 12 34 56 78 01 02 02 01 ab 08 07 06 05 04 03 02 01 01 02 03 04 05 06 07 08"));

    f = fopen(path.constData(), "rb");
    QVERIFY(f);
    QCOMPARE(FileUtil::readL(f, false), 0x12345678u);
    QCOMPARE(FileUtil::readL(f, true), 0x12345678u);
    QCOMPARE(FileUtil::readS(f, true), quint16(0x0102));
    QCOMPARE(FileUtil::readS(f, false), quint16(0x0102));
    QCOMPARE(FileUtil::readB(f), quint8(0xAB));
    QCOMPARE(FileUtil::readLL(f, false), 0x0102030405060708ull);
    QCOMPARE(FileUtil::readLL(f, true), 0x0102030405060708ull);
    fclose(f);
}

void TestSettings::testShortReads()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("short.bin");
    QVERIFY(writeAll(path, QByteArray("\x01\x02\x03", 3)));
    FILE* f = fopen(QFile::encodeName(path).constData(), "rb");
    QVERIFY(f);
    QCOMPARE(FileUtil::readL(f, false), 0u);
    QVERIFY(feof(f));
    QCOMPARE(FileUtil::readS(f, false), quint16(0));
    QCOMPARE(FileUtil::readB(f), quint8(0));
    fclose(f);
}

void TestSettings::testSwaps()
{
    QCOMPARE(FileUtil::swapL(0x12345678u), 0x78563412u);
    QCOMPARE(FileUtil::swapS(quint16(0x1234)), quint16(0x3412));
    QCOMPARE(FileUtil::swapLL(0x0102030405060708ull), 0x0807060504030201ull);
}

void TestSettings::testFileInfoAssignment()
{
    FileInfo source;
    QVERIFY(source.url().isEmpty());
    QCOMPARE(source.dataSize(), 0ull);
    source.setURL(QUrl::fromLocalFile("/tmp/a#b.wav"));
    source.setComment("note");
    source.setDataOffset(682);
    source.setDataSize(1ull << 33);
    source.setNumSamples(7);
    source.setFileSize(9);
    source.setSizeOffset(4);
    source.setCompression(1);

    FileInfo copy(source);
    QCOMPARE(copy.url(), source.url());
    QCOMPARE(copy.dataSize(), 1ull << 33);

    FileInfo target;
    target.setURL(QUrl::fromLocalFile("/tmp/kept.wav"));
    target = source;
    QCOMPARE(target.url().toLocalFile(), QString("/tmp/kept.wav"));
    QCOMPARE(target.comment(), QString("note"));
    QCOMPARE(target.dataOffset(), 682ull);
    QCOMPARE(target.numSamples(), 7ull);
    QCOMPARE(target.fileSize(), 9ull);
    QCOMPARE(target.sizeOffset(), 4ull);
    QCOMPARE(target.compression(), 1ull);
    QCOMPARE(source.url().toLocalFile(), QString("/tmp/a#b.wav"));
}

TRELVANIC_TEST_MAIN(TestSettings)
#include "tst_settings.moc"
