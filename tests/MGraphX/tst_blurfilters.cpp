#include "ImageOracle.h"
#include "TestMain.h"

#include <MGraphX/DrawTools.h>

#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

#include <cmath>

using namespace MGraphX;

namespace {

// Low-contrast noise: 8 centre - the neighbours stays within 0..255, so the reference does not clip it.
QImage quietNoise(int width, int height)
{
    QRandomGenerator random(7);
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, qRgb(100 + random.bounded(31), 100 + random.bounded(31), 100 + random.bounded(31)));
    return image;
}

} // namespace

class TestBlurFilters : public QObject
{
    Q_OBJECT

private slots:
    void testBlurAgainstGaussian_data()
    {
        QTest::addColumn<int>("radius");
        QTest::addColumn<int>("factor");
        for (const QPoint& row : {QPoint(1, 14), QPoint(3, 8), QPoint(5, 5), QPoint(9, 3), QPoint(17, 2)})
            QTest::addRow("radius %d", row.x()) << row.x() << row.y();
    }

    // Forward and backward passes with factor a = f/16 per axis have the variance of a Gaussian of
    // sigma = sqrt(2 (1 - a)) / a; the shapes differ, so on sharp edges the reference is met within a mean
    // error below 6 and no pixel further off than 30 (of 255).
    void testBlurAgainstGaussian()
    {
        QFETCH(int, radius);
        QFETCH(int, factor);
        QImage picture(80, 80, QImage::Format_RGB32);
        picture.fill(qRgb(20, 20, 20));
        for (int y = 20; y < 60; ++y)
            for (int x = 24; x < 56; ++x)
                picture.setPixel(x, y, qRgb(230, 230, 230));
        const double a = factor / 16.0;
        QTemporaryDir dir;
        const QImage reference = GraphXTest::referenceConvert(
            picture, {"-blur", QString("0x%1").arg(std::sqrt(2 * (1 - a)) / a, 0, 'f', 3)}, dir.path());
        QVERIFY(!reference.isNull());
        const QImage ours = DrawTools::blurred(picture, picture.rect(), radius, false);
        QCOMPARE(ours.format(), QImage::Format_ARGB32_Premultiplied);
        double sum = 0;
        int worst = 0;
        for (int y = 0; y < 80; ++y)
            for (int x = 0; x < 80; ++x) {
                const int d = std::abs(qRed(ours.pixel(x, y)) - qRed(reference.pixel(x, y)));
                sum += d;
                worst = std::max(worst, d);
            }
        QVERIFY2(sum / 6400 < 6 && worst <= 30, qPrintable(QString("mean %1 max %2").arg(sum / 6400).arg(worst)));
    }

    void testBlurStaysInside_data()
    {
        QTest::addColumn<QRect>("rect");
        QTest::addColumn<int>("radius");
        QTest::addColumn<QRect>("changed"); // the only pixels that may differ from the converted source
        QTest::newRow("radius 0 is the identity") << QRect(0, 0, 30, 20) << 0 << QRect();
        QTest::newRow("right of the picture") << QRect(35, 0, 10, 10) << 17 << QRect();
        QTest::newRow("right of the last row") << QRect(30, 15, 10, 10) << 17 << QRect();
        QTest::newRow("below the picture") << QRect(0, 25, 10, 10) << 17 << QRect();
        QTest::newRow("just below the picture") << QRect(0, 20, 10, 10) << 17 << QRect();
        QTest::newRow("far outside") << QRect(-50, -50, 10, 10) << 5 << QRect();
        QTest::newRow("clipped") << QRect(20, 10, 40, 40) << 9 << QRect(20, 10, 10, 10);
        QTest::newRow("reversed") << QRect(QPoint(9, 9), QPoint(4, 4)) << 9 << QRect(4, 4, 6, 6);
    }

    void testBlurStaysInside()
    {
        QFETCH(QRect, rect);
        QFETCH(int, radius);
        QFETCH(QRect, changed);
        const QImage picture = GraphXTest::samplePicture(30, 20);
        const QImage converted = picture.convertToFormat(QImage::Format_ARGB32_Premultiplied);
        const QImage ours = DrawTools::blurred(picture, rect, radius, false);
        QCOMPARE(ours.size(), picture.size());
        bool changedInside = false;
        for (int y = 0; y < 20; ++y)
            for (int x = 0; x < 30; ++x) {
                const bool same = ours.pixel(x, y) == converted.pixel(x, y);
                QVERIFY(same || changed.contains(x, y));
                changedInside |= !same;
            }
        QCOMPARE(changedInside, !changed.isNull());
    }

    void testEdge_data()
    {
        QTest::addColumn<QImage>("picture");
        QImage uniform(9, 7, QImage::Format_ARGB32);
        uniform.fill(qRgba(90, 120, 200, 100));
        QTest::newRow("RGB32") << quietNoise(13, 9);
        QTest::newRow("ARGB32") << quietNoise(13, 9).convertToFormat(QImage::Format_ARGB32);
        QTest::newRow("RGB888") << quietNoise(13, 9).convertToFormat(QImage::Format_RGB888);
        QTest::newRow("indexed") << quietNoise(13, 9).convertToFormat(QImage::Format_Indexed8);
        QTest::newRow("gray") << quietNoise(13, 9).convertToFormat(QImage::Format_Grayscale8);
        QTest::newRow("uniform") << uniform;
        QTest::newRow("three wide") << quietNoise(3, 8);
        QTest::newRow("empty") << QImage(9, 0, QImage::Format_RGB32);
    }

    // The reference's -edge 1 is max(0, 8 centre - the eight neighbours); ours is that / 9, opaque, on
    // x = 1 .. W - 3 and y = 1 .. H - 3, and the source's pixels elsewhere.
    void testEdge()
    {
        QFETCH(QImage, picture);
        const QImage ours = DrawTools::filtered(picture, {1, 2, 3});
        QCOMPARE(ours.size(), picture.size());
        QCOMPARE(ours.format(), picture.format() == QImage::Format_Indexed8 ? QImage::Format_ARGB32 : picture.format());
        QTemporaryDir dir;
        const QImage reference =
            picture.isNull() ? QImage()
                             : GraphXTest::referenceConvert(picture, {"-alpha", "off", "-edge", "1"}, dir.path());
        QCOMPARE(reference.isNull(), picture.isNull());
        for (int y = 0; y < ours.height(); ++y)
            for (int x = 0; x < ours.width(); ++x) {
                const QRgb r = reference.pixel(x, y);
                const bool inside = x >= 1 && x <= ours.width() - 3 && y >= 1 && y <= ours.height() - 3;
                QCOMPARE(ours.pixel(x, y),
                         inside ? qRgb(qRed(r) / 9, qGreen(r) / 9, qBlue(r) / 9) : picture.pixel(x, y));
            }
    }
};

TRELVANIC_TEST_MAIN(TestBlurFilters)
#include "tst_blurfilters.moc"
