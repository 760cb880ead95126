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
    void testFormatNames_data();
    void testFormatNames();
    void testDefaultsAndEquality();
    void testByteOrderOnFile();
    void testFileInfoAssignment();
};

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
}

void TestSettings::testFormatNames()
{
    QFETCH(int, fmt);
    QFETCH(QString, name);
    QCOMPARE(QString(Settings::formatName(short(fmt))), name);
}

void TestSettings::testDefaultsAndEquality()
{
    AudioIO io;
    QVERIFY(io.settings() == Settings(48000, 2, 1, 16));
    QCOMPARE(io.name(), QString("AudioIO"));
    const Settings base(44100, 2, 16, 16);
    for (const Settings& other : {Settings(48000, 2, 16, 16), Settings(44100, 1, 16, 16), Settings(44100, 2, 2048, 16),
                                  Settings(44100, 2, 16, 24)})
        QVERIFY(base != other && !(base == other));
}

// Little endian unless swapped, checked against od; a short read gives 0 and leaves EOF set.
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
    QCOMPARE(FileUtil::readS(f, false), quint16(0));
    QVERIFY(feof(f));
    fseek(f, -3, SEEK_END);
    QCOMPARE(FileUtil::readL(f, false), 0u);
    fclose(f);
    QCOMPARE(FileUtil::swapL(0x12345678u), 0x78563412u);
    QCOMPARE(FileUtil::swapS(quint16(0x1234)), quint16(0x3412));
    QCOMPARE(FileUtil::swapLL(0x0102030405060708ull), 0x0807060504030201ull);
}

// The copy constructor copies the url, the assignment leaves it alone.
void TestSettings::testFileInfoAssignment()
{
    FileInfo source;
    source.setURL(QUrl::fromLocalFile("/tmp/a#b.wav"));
    source.setComment("note");
    source.setDataSize(1ull << 33);
    source.setCompression(1);
    QCOMPARE(FileInfo(source).url(), source.url());
    FileInfo target;
    target.setURL(QUrl::fromLocalFile("/tmp/kept.wav"));
    target = source;
    QCOMPARE(target.url().toLocalFile(), QString("/tmp/kept.wav"));
    QCOMPARE(target.comment(), QString("note"));
    QCOMPARE(target.dataSize(), 1ull << 33);
    QCOMPARE(target.compression(), 1ull);
}

TRELVANIC_TEST_MAIN(TestSettings)
#include "tst_settings.moc"
