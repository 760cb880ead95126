#include "ImageOracle.h"
#include "TestMain.h"

#include <MGraphX/ImageProcess.h>

#include <QTemporaryDir>
#include <QtTest>

using namespace MGraphX;

class TestImageProcess : public QObject
{
    Q_OBJECT

private slots:
    void testConstruction()
    {
        ImageProcess bits(1, 4, 3, 1);
        QCOMPARE(bits.byteSize(), 1);
        QVERIFY(bits.red() && !bits.green() && !bits.redPalette());
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < 4; ++x)
                QCOMPARE(bits.getPixel(x, y), 1u);
        bits.setPixel(2, 1, 0);
        QCOMPARE(bits.getPixel(2, 1), 0u);
        QCOMPARE(int(bits.red()[1 * 4 + 2]), 0);
        QCOMPARE(int(bits.red()[0]), 255);

        ImageProcess indexed(8, 5, 2, 0x1234);
        QCOMPARE(indexed.byteSize(), 10);
        QCOMPARE(indexed.getPixel(4, 1), 0x34u);
        QCOMPARE(int(indexed.redPalette()[200]), 200);
        ImageProcessFloat floats(8, 2, 2, 300);
        QCOMPARE(floats.red()[0], 300.0f);
        floats.setPixel(0, 0, 300);
        QCOMPARE(floats.red()[0], 44.0f);
        ImageProcessDouble ones(1, 2, 2, 1);
        QCOMPARE(ones.red()[3], 255.0);
        QCOMPARE(ones.getPixel(1, 1), 1u);

        ImageProcess rgb(24, 3, 3, 0x102030);
        QCOMPARE(rgb.byteSize(), 27);
        QCOMPARE(rgb.getPixel(1, 1), 0x102030u);
        QVERIFY(!rgb.alpha());

        // Outside the image: reads 0, writes nothing, also for negative coordinates.
        QCOMPARE(rgb.getPixel(-1, 0), 0u);
        rgb.setPixel(3, 0, 0xFFFFFF);
        rgb.setPixel(-1, 2, 0xFFFFFF);
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < 3; ++x)
                QCOMPARE(rgb.getPixel(x, y), 0x102030u);

        // A negative size is an empty image, not a failed allocation.
        ImageProcess empty(24, -4, 3, 0);
        QCOMPARE(empty.width(), 0);
        QCOMPARE(empty.getPixel(0, 0), 0u);

        ImageProcess missing("/nonexistent/picture.png");
        QCOMPARE(missing.width(), 0);
        QCOMPARE(missing.height(), 0);
        QVERIFY(missing.toImage().isNull());

        // A file name beyond Latin-1 opens.
        QTemporaryDir dir;
        const QString path = dir.filePath(
            QString::fromUtf8("\xD0\xBA\xD0\xB0\xD1\x80\xD1\x82\xD0\xB8\xD0\xBD\xD0\xB0 \xE7\x94\xBB.png"));
        QImage picture(3, 2, QImage::Format_RGB32);
        picture.fill(qRgb(1, 2, 3));
        QVERIFY(picture.save(path));
        ImageProcess loaded(path);
        QCOMPARE(loaded.width(), 3);
        QCOMPARE(loaded.height(), 2);
        QCOMPARE(loaded.getPixel(2, 1), 0x010203u);
    }

    void testFlagsAndCopies()
    {
        QImage picture(4, 2, QImage::Format_ARGB32);
        picture.fill(qRgba(10, 20, 30, 128));
        ImageProcess buffer(picture);
        QCOMPARE(buffer.depth(), 24);
        QCOMPARE(buffer.getPixel(3, 1), 0x0A141Eu);
        QCOMPARE(buffer.keptImage().format(), QImage::Format_RGB32);
        QCOMPARE(buffer.flags(), static_cast<unsigned char>(0));

        buffer.toGray();
        QCOMPARE(buffer.getPixel(0, 0), 0x141414u);
        QCOMPARE(buffer.flags(), static_cast<unsigned char>(ImageProcess::FlagGray));
        ImageProcess copy(buffer);
        QCOMPARE(copy.flags(), static_cast<unsigned char>(ImageProcess::FlagGray | ImageProcess::FlagCopied));
        QVERIFY(copy.red() != buffer.red());
        QVERIFY(copy.keptImage().isNull());
        copy.setPixel(0, 0, 0x050505);
        QCOMPARE(copy.flags(), static_cast<unsigned char>(ImageProcess::FlagGray));
        QCOMPARE(buffer.getPixel(0, 0), 0x141414u);

        // Gray once: a second call leaves changed samples alone.
        copy.setPixel(1, 0, 0x0000FF);
        copy.toGray();
        QCOMPARE(copy.getPixel(1, 0), 0x0000FFu);

        // The copy has no kept picture and is opaque; the kept picture is opaque too (RGB32).
        QCOMPARE(qAlpha(copy.toImage().pixel(0, 0)), 255);
        QCOMPARE(buffer.toImage().format(), QImage::Format_ARGB32);
        QCOMPARE(buffer.toImage().pixel(2, 1), qRgba(20, 20, 20, 255));
    }

    void testIndexedGray()
    {
        ImageProcess indexed(8, 2, 1, 10);
        indexed.setPixel(1, 0, 20);
        indexed.brightness(35);
        QCOMPARE(int(indexed.redPalette()[10]), 45);
        QCOMPARE(int(indexed.redPalette()[240]), 255);
        QCOMPARE(indexed.getPixel(0, 0), 10u);
        indexed.toGray();
        QCOMPARE(indexed.getPixel(0, 0), 45u);
        QCOMPARE(indexed.getPixel(1, 0), 55u);
        QCOMPARE(int(indexed.bluePalette()[10]), 10);
        // Gray now: brightness moves the samples.
        indexed.brightness(-50);
        QCOMPARE(indexed.getPixel(0, 0), 0u);
        QCOMPARE(indexed.getPixel(1, 0), 5u);
    }

    void testBrightnessAndLut_data()
    {
        QTest::addColumn<int>("sample");
        QTest::addColumn<int>("delta");
        QTest::addColumn<int>("expected");
        QTest::newRow("high") << 240 << 30 << 255;
        QTest::newRow("low") << 10 << 30 << 40;
        QTest::newRow("below") << 10 << -30 << 0;
        QTest::newRow("none") << 128 << 0 << 128;
    }

    void testBrightnessAndLut()
    {
        QFETCH(int, sample);
        QFETCH(int, delta);
        QFETCH(int, expected);
        ImageProcess rgb(24, 2, 2, sample << 16 | sample << 8 | sample);
        rgb.brightness(delta);
        QCOMPARE(rgb.getPixel(1, 1), unsigned(expected << 16 | expected << 8 | expected));

        unsigned char identity[256], down[256];
        for (int i = 0; i < 256; ++i) {
            identity[i] = static_cast<unsigned char>(i);
            down[i] = i == 255 ? 126 : static_cast<unsigned char>(i);
        }
        ImageProcess bits(1, 3, 1, 1);
        bits.setPixel(0, 0, 0);
        bits.applyLut(identity);
        QCOMPARE(int(bits.red()[0]), 0);
        QCOMPARE(int(bits.red()[1]), 255);
        bits.applyLut(nullptr);
        QCOMPARE(int(bits.red()[1]), 255);
        bits.applyLut(down);
        for (int i = 0; i < 3; ++i)
            QCOMPARE(int(bits.red()[i]), 0);
    }

    // Gray and negative against the reference converter.
    void testAgainstReference()
    {
        QTemporaryDir dir;
        const QImage picture = GraphXTest::samplePicture(64, 48);

        ImageProcess gray(picture);
        gray.toGray();
        const QImage ours = gray.toImage();
        const QImage reference = GraphXTest::referenceConvert(picture, {"-grayscale", "Average"}, dir.path());
        QCOMPARE(reference.size(), picture.size());
        int exact = 0;
        for (int y = 0; y < picture.height(); ++y)
            for (int x = 0; x < picture.width(); ++x) {
                const int a = qRed(ours.pixel(x, y)), b = qRed(reference.pixel(x, y));
                QVERIFY2(std::abs(a - b) <= 1, qPrintable(QString("%1,%2: %3 %4").arg(x).arg(y).arg(a).arg(b)));
                QCOMPARE(qGreen(ours.pixel(x, y)), a);
                exact += a == b;
            }
        QVERIFY(exact > picture.width() * picture.height() / 2);

        unsigned char negate[256];
        for (int i = 0; i < 256; ++i)
            negate[i] = static_cast<unsigned char>(255 - i);
        ImageProcess negative(picture);
        negative.applyLut(negate);
        const QImage negated = GraphXTest::referenceConvert(picture, {"-negate"}, dir.path());
        QCOMPARE(negative.toImage().convertToFormat(QImage::Format_RGB32), negated);
    }

    void testDrawingIntoBuffer()
    {
        ImageProcess rgb(24, 5, 5, 0);
        rgb.rect(0, 0, 5, 5, 0xFF0000);
        rgb.fill(2, 2, 0x00FF00);
        QCOMPARE(rgb.getPixel(0, 4), 0xFF0000u);
        QCOMPARE(rgb.getPixel(2, 2), 0x00FF00u);
        QCOMPARE(rgb.getPixel(1, 3), 0x00FF00u);
        QCOMPARE(rgb.getPixel(4, 4), 0xFF0000u);
        QCOMPARE(rgb.screenWidth(), 0);
        QCOMPARE(rgb.screenMode(), 0);
    }
};

TRELVANIC_TEST_MAIN(TestImageProcess)
#include "tst_imageprocess.moc"
