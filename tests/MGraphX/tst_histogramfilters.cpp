#include "TestMain.h"

#include <MGraphX/DrawTools.h>

#include <QtTest>

using namespace MGraphX;

namespace {

// One row with red = green = blue = first + x for x = 0 .. count - 1.
QImage ramp(int first, int count, QImage::Format format = QImage::Format_RGB32)
{
    QImage image(count, 1, QImage::Format_RGB32);
    for (int x = 0; x < count; ++x)
        image.setPixel(x, 0, qRgb(first + x, first + x, first + x));
    return image.convertToFormat(format);
}

int valueAt(const QImage& image, int x) { return qRed(image.pixel(x, 0)); }

} // namespace

class TestHistogramFilters : public QObject
{
    Q_OBJECT

private slots:
    void testOptimizing()
    {
        const QImage picture = ramp(10, 191);
        const QImage result = DrawTools::histogramOptimizing(picture, 0, 0);
        QCOMPARE(result.format(), QImage::Format_ARGB32);
        QCOMPARE(valueAt(result, 0), 0);
        QCOMPARE(valueAt(result, 189), 254);
        QCOMPARE(valueAt(result, 190), 255);
        QCOMPARE(valueAt(result, 95), int(95 * (256.0f / 190)));
        QCOMPARE(qBlue(result.pixel(95, 0)), valueAt(result, 95));
        QCOMPARE(qAlpha(result.pixel(95, 0)), 255);

        // 20 per cent: 10 % of 191 pixels (19) clipped at each end.
        const QImage clipped = DrawTools::histogramOptimizing(picture, 20, 20);
        QCOMPARE(valueAt(clipped, 19), 0);
        QCOMPARE(valueAt(clipped, 20), int(1 * (256.0f / 151)));
        QCOMPARE(valueAt(clipped, 171), 255);

        const QImage all = DrawTools::histogramOptimizing(picture, 200, 250);
        for (int x = 0; x < 191; ++x)
            QCOMPARE(valueAt(all, x), 0);
    }

    void testSpreadingAndStretching()
    {
        const QImage picture = ramp(0, 256, QImage::Format_RGB888);
        const QImage spread = DrawTools::histogramSpreading(picture, 0, 0);
        QCOMPARE(spread.format(), QImage::Format_ARGB32);
        for (int i = 0; i < 255; ++i)
            QCOMPARE(valueAt(spread, i), int(i * (256.0f / 255)));
        QCOMPARE(valueAt(spread, 255), 255);

        const QImage ranged = DrawTools::histogramSpreading(picture, 20, 35);
        QCOMPARE(valueAt(ranged, 19), 0);
        QCOMPARE(valueAt(ranged, 20), 0);
        QCOMPARE(valueAt(ranged, 219), int(199 * (256.0f / 200)));
        QCOMPARE(valueAt(ranged, 220), 255);
        // A negative high would run past the table; the upper entries stay mapped.
        const QImage wide = DrawTools::histogramSpreading(picture, 0, -100);
        QCOMPARE(valueAt(wide, 255), int(255 * (256.0f / 355)));

        const QImage stretched = DrawTools::histogramStretching(picture, 0, 0);
        QCOMPARE(valueAt(stretched, 255), 254);
        QCOMPARE(valueAt(stretched, 128), 127);
        const QImage squeezed = DrawTools::histogramStretching(picture, 50, 100);
        QCOMPARE(valueAt(squeezed, 0), 50);
        QCOMPARE(valueAt(squeezed, 255), 50 + int(255 * 105 / 256.0f));

        const QImage quantized = DrawTools::quantization(picture, 0);
        QCOMPARE(valueAt(quantized, 255), 254);
        QCOMPARE(valueAt(quantized, 128), 127);
        const QImage banded = DrawTools::quantization(picture, 40);
        QCOMPARE(valueAt(banded, 0), 0);
        QVERIFY(valueAt(banded, 255) >= 250);
    }
};

TRELVANIC_TEST_MAIN(TestHistogramFilters)
#include "tst_histogramfilters.moc"
