#include "ImageOracle.h"
#include "TestMain.h"

#include <MGraphX/ColorReducer.h>

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

using namespace MGraphX;

namespace {

QImage solid(int w, int h, QRgb colour, QImage::Format format = QImage::Format_RGB32)
{
    QImage image(w, h, format);
    image.fill(colour);
    return image;
}

QImage twoColours(QRgb a, QRgb b)
{
    QImage image = solid(4, 4, a);
    for (int y = 2; y < 4; ++y)
        for (int x = 0; x < 4; ++x)
            image.setPixel(x, y, b);
    return image;
}

double meanOf(const QImage& image, int channel)
{
    double sum = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QRgb p = image.pixel(x, y);
            sum += channel == 0 ? qRed(p) : channel == 1 ? qGreen(p) : qBlue(p);
        }
    return sum / (image.width() * image.height());
}

} // namespace

class TestColorReducer : public QObject
{
    Q_OBJECT

private slots:
    void testFifteenBitColours()
    {
        QCOMPARE(ColorReducer::rgb(int(qRgb(255, 0, 0))), 31);
        QCOMPARE(ColorReducer::rgb(int(qRgb(0, 8, 0))), 1 << 5);
        QCOMPARE(ColorReducer::rgb(int(qRgb(0, 0, 255))), 31 << 10);
        QCOMPARE(ColorReducer::red(31), 248);
        QCOMPARE(ColorReducer::green(3 << 5), 24);
        QCOMPARE(ColorReducer::blue(31 << 10), 248);

        ColorReducer reducer(QImage(), nullptr);
        QCOMPARE(reducer.dist(int(qRgb(0, 0, 0)), int(qRgb(3, 4, 0))), 5.0);
        const QVector<unsigned int> palette{qRgb(0, 0, 0), qRgb(10, 0, 0), qRgb(0, 10, 0)};
        QCOMPARE(reducer.findClosestPaletteColor(int(qRgb(5, 5, 0)), palette), unsigned(qRgb(0, 0, 0)));
        QCOMPARE(reducer.findClosestPaletteColor(int(qRgb(7, 1, 0)), palette), unsigned(qRgb(10, 0, 0)));
        QCOMPARE(reducer.findClosestPaletteColor(int(qRgb(7, 1, 0)), {}), unsigned(qRgb(7, 1, 0)));
        // A picture that is not there gives an empty result.
        QVERIFY(reducer.convertToByte(16).isNull());
    }

    void testOneColour()
    {
        for (bool dithering : {false, true}) {
            ColorReducer reducer(solid(5, 3, qRgb(40, 80, 120)), nullptr);
            reducer.setDithering(dithering);
            const QImage result = reducer.convertToByte(16);
            QCOMPARE(reducer.cubeCount(), 1);
            QCOMPARE(reducer.palette().size(), 1);
            QCOMPARE(reducer.palette().first(), unsigned(qRgb(40, 80, 120)));
            QCOMPARE(result.format(), QImage::Format_Indexed8);
            for (int y = 0; y < 3; ++y)
                for (int x = 0; x < 5; ++x)
                    QCOMPARE(result.pixel(x, y), qRgb(40, 80, 120));
        }

        // An average of 248 on every channel is white.
        ColorReducer light(solid(2, 2, qRgb(250, 250, 250)), nullptr);
        light.setGrayAlg(false);
        QCOMPARE(light.convertToByte(4).pixel(1, 1), qRgb(255, 255, 255));
    }

    void testSplitAxis_data()
    {
        QTest::addColumn<unsigned int>("first");
        QTest::addColumn<unsigned int>("second");
        QTest::addColumn<unsigned int>("lower");
        // Equal red and blue extents split along blue; equal red and green along green.
        QTest::newRow("red-blue") << unsigned(qRgb(0, 0, 248)) << unsigned(qRgb(248, 0, 0))
                                  << unsigned(qRgb(248, 0, 0));
        QTest::newRow("red-green") << unsigned(qRgb(0, 248, 0)) << unsigned(qRgb(248, 0, 0))
                                   << unsigned(qRgb(248, 0, 0));
        QTest::newRow("red") << unsigned(qRgb(0, 0, 0)) << unsigned(qRgb(248, 8, 0)) << unsigned(qRgb(0, 0, 0));
    }

    void testSplitAxis()
    {
        QFETCH(unsigned int, first);
        QFETCH(unsigned int, second);
        QFETCH(unsigned int, lower);
        ColorReducer reducer(twoColours(first, second), nullptr);
        reducer.setDithering(false);
        const QImage result = reducer.convertToByte(2);
        QCOMPARE(reducer.cubeCount(), 2);
        QCOMPARE(reducer.palette().first(), lower);
        QCOMPARE(reducer.cubes()[0].level, 1);
        QCOMPARE(reducer.cubes()[1].level, 1);
        QCOMPARE(result.pixel(0, 0), first);
        QCOMPARE(result.pixel(0, 3), second);
    }

    void testAlpha()
    {
        QImage picture = GraphXTest::samplePicture(48, 40).convertToFormat(QImage::Format_ARGB32);
        for (int y = 0; y < 40; ++y)
            for (int x = 0; x < 10; ++x)
                picture.setPixel(x, y, (picture.pixel(x, y) & 0xFFFFFF) | (x < 5 ? 0x7E000000u : 0x7F000000u));
        for (bool dithering : {false, true}) {
            ColorReducer reducer(picture, nullptr);
            reducer.setDithering(dithering);
            const QImage result = reducer.convertToByte(256);
            QVERIFY(reducer.cubeCount() <= 254);
            QCOMPARE(result.colorCount(), 256);
            QCOMPARE(result.color(255), 0u);
            for (int y = 0; y < 40; ++y)
                for (int x = 0; x < 48; ++x)
                    QCOMPARE(result.pixelIndex(x, y) == 255, x < 5);
        }
    }

    // Colour counts and the mean error against the reference converter's own reduction.
    void testAgainstReference_data()
    {
        QTest::addColumn<int>("colours");
        QTest::newRow("4") << 4;
        QTest::newRow("16") << 16;
        QTest::newRow("64") << 64;
        QTest::newRow("256") << 256;
    }

    void testAgainstReference()
    {
        QFETCH(int, colours);
        QTemporaryDir dir;
        const QImage picture = GraphXTest::samplePicture(96, 72);
        const QImage reference =
            GraphXTest::referenceConvert(picture, {"+dither", "-colors", QString::number(colours)}, dir.path());
        QCOMPARE(reference.size(), picture.size());
        QVERIFY(GraphXTest::colourCount(reference) <= colours);

        ColorReducer reducer(picture, nullptr);
        reducer.setDithering(false);
        const QImage ours = reducer.convertToByte(colours).convertToFormat(QImage::Format_RGB32);
        QVERIFY(GraphXTest::colourCount(ours) <= colours);
        QVERIFY(GraphXTest::colourCount(ours) >= colours / 2);
        const double ourError = GraphXTest::meanError(picture, ours);
        const double theirError = GraphXTest::meanError(picture, reference);
        QVERIFY2(ourError <= theirError * 1.3 + 1.0, qPrintable(QString("%1 vs %2").arg(ourError).arg(theirError)));

        // Dithering keeps to the palette and keeps the picture's average colour.
        ColorReducer dithering(picture, nullptr);
        const QImage dithered = dithering.convertToByte(colours).convertToFormat(QImage::Format_RGB32);
        QVERIFY(GraphXTest::colourCount(dithered) <= colours);
        for (int c = 0; c < 3; ++c)
            QVERIFY(std::abs(meanOf(dithered, c) - meanOf(picture, c)) <=
                    std::abs(meanOf(ours, c) - meanOf(picture, c)) + 2.0);
    }

    void testGrayPath()
    {
        QImage gray(64, 8, QImage::Format_RGB32);
        for (int y = 0; y < 8; ++y)
            for (int x = 0; x < 64; ++x)
                gray.setPixel(x, y, qRgb(x * 255 / 63, x * 255 / 63, x * 255 / 63));
        ColorReducer reducer(gray, nullptr);
        reducer.setDithering(false);
        QSignalSpy spy(&reducer, SIGNAL(progress(int)));
        const QImage result = reducer.convertToByte(16);
        QCOMPARE(spy.count(), 1);
        QCOMPARE(result.format(), QImage::Format_Indexed8);
        QCOMPARE(result.colorCount(), 256);
        const QImage shown = result.convertToFormat(QImage::Format_RGB32);
        QVERIFY(GraphXTest::colourCount(shown) <= 9);
        QVERIFY(GraphXTest::colourCount(shown) >= 4);
        QCOMPARE(qRed(shown.pixel(0, 0)), 0);
        QCOMPARE(qRed(shown.pixel(63, 0)), 255);
        for (int x = 1; x < 64; ++x) {
            QVERIFY(qRed(shown.pixel(x, 0)) >= qRed(shown.pixel(x - 1, 0)));
            QCOMPARE(qRed(shown.pixel(x, 0)), qBlue(shown.pixel(x, 0)));
        }
    }

    void testProgress()
    {
        ColorReducer reducer(GraphXTest::samplePicture(32, 16), nullptr);
        QSignalSpy spy(&reducer, SIGNAL(progress(int)));
        reducer.convertToByte(32);
        QVERIFY(spy.count() > 2);
        QCOMPARE(spy.first().first().toInt(), 0);
        int last = 0;
        for (const QList<QVariant>& report : spy) {
            QVERIFY(report.first().toInt() >= last);
            last = report.first().toInt();
        }
        QVERIFY(last >= 90 && last <= 100);
    }

    void testTwentyFourBits()
    {
        const QImage picture = GraphXTest::samplePicture(24, 16);
        ColorReducer same(picture, nullptr);
        same.setDithering(false);
        QCOMPARE(same.convertTo24Bits(255).convertToFormat(QImage::Format_RGB32), picture);

        ColorReducer two(picture, nullptr);
        two.setDithering(false);
        const QImage posterized = two.convertTo24Bits(1);
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 24; ++x) {
                const QRgb p = posterized.pixel(x, y), q = picture.pixel(x, y);
                QCOMPARE(qRed(p), qRed(q) == 255 ? 255 : 0);
                QCOMPARE(qBlue(p), qBlue(q) == 255 ? 255 : 0);
            }
        // No levels at all is treated as one step instead of dividing by zero.
        ColorReducer none(picture, nullptr);
        none.setDithering(false);
        QCOMPARE(none.convertTo24Bits(0), posterized);

        ColorReducer dithered(picture, nullptr);
        const QImage result = dithered.convertTo24Bits(4);
        ColorReducer plain(picture, nullptr);
        plain.setDithering(false);
        const int allowed = GraphXTest::colourCount(plain.convertTo24Bits(4));
        QVERIFY(GraphXTest::colourCount(result) <= allowed);
    }

    void testSaving()
    {
        QTemporaryDir dir;
        const QString png = dir.filePath("reduced.png");
        ColorReducer::saveToPng(GraphXTest::samplePicture(40, 30), png, 8, false, true);
        const QImage loaded(png);
        QVERIFY(!loaded.isNull());
        QVERIFY(GraphXTest::colourCount(loaded) <= 8);

        const QString bmp = dir.filePath("reduced.bmp");
        ColorReducer::save(GraphXTest::samplePicture(40, 30), bmp, 1000, "BMP");
        QVERIFY(QFile::exists(bmp));
        QVERIFY(GraphXTest::colourCount(QImage(bmp)) <= 256);
    }
};

TRELVANIC_TEST_MAIN(TestColorReducer)
#include "tst_colorreducer.moc"
