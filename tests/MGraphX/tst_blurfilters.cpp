#include "ImageOracle.h"
#include "TestMain.h"

#include <MGraphX/DrawTools.h>

#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

#include <cmath>

using namespace MGraphX;

namespace {

// A dark picture with a bright rectangle: sharp edges in both directions.
QImage blockPicture(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(qRgb(20, 20, 20));
    for (int y = height / 4; y < height * 3 / 4; ++y)
        for (int x = width * 3 / 10; x < width * 7 / 10; ++x)
            image.setPixel(x, y, qRgb(230, 230, 230));
    return image;
}

// Low-contrast noise: the edge filter's raw sum stays within 0..255, so the reference does not clip it.
QImage quietNoise(int width, int height, QImage::Format format)
{
    QRandomGenerator random(7);
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, qRgb(100 + random.bounded(31), 100 + random.bounded(31), 100 + random.bounded(31)));
    return image.convertToFormat(format);
}

} // namespace

class TestBlurFilters : public QObject
{
    Q_OBJECT

private slots:
    void testBlurMatchesGaussian_data()
    {
        QTest::addColumn<int>("radius");
        QTest::addColumn<int>("factor");
        for (int radius : {1, 3, 5, 9, 17})
            QTest::addRow("radius %d", radius)
                << radius << QVector<int>{14, 10, 8, 6, 5, 5, 4, 3, 3, 3, 3, 2, 2, 2, 2, 2, 2}[radius - 1];
    }

    // A forward and backward exponential pass with factor a/16 per axis has the variance of a Gaussian with
    // sigma = sqrt(2 (1 - a/16)) / (a/16); the shapes differ, so the reference is met within a tolerance:
    // a mean error below 6 and no pixel further off than 30 (of 255) on sharp edges.
    void testBlurMatchesGaussian()
    {
        QFETCH(int, radius);
        QFETCH(int, factor);
        const QImage picture = blockPicture(80, 80);
        const double alpha = factor / 16.0;
        QTemporaryDir dir;
        const QImage reference = GraphXTest::referenceConvert(
            picture, {"-blur", QString("0x%1").arg(std::sqrt(2 * (1 - alpha)) / alpha, 0, 'f', 3)}, dir.path());
        QVERIFY(!reference.isNull());
        const QImage ours = DrawTools::blurred(picture, picture.rect(), radius, false);
        QCOMPARE(ours.format(), QImage::Format_ARGB32_Premultiplied);
        double sum = 0;
        int worst = 0;
        for (int y = 0; y < ours.height(); ++y)
            for (int x = 0; x < ours.width(); ++x) {
                const int d = std::abs(qRed(ours.pixel(x, y)) - qRed(reference.pixel(x, y)));
                sum += d;
                worst = std::max(worst, d);
            }
        QVERIFY2(sum / (80 * 80) < 6 && worst <= 30, qPrintable(QString("mean %1 max %2").arg(sum / 6400).arg(worst)));
    }

    void testBlurKeepsWhatItMustNotTouch_data()
    {
        QTest::addColumn<QRect>("rect");
        QTest::addColumn<int>("radius");
        QTest::addColumn<bool>("alphaOnly");
        QTest::addColumn<QRect>("changed"); // the only area allowed to differ from the converted source
        QTest::newRow("radius 0 is the identity") << QRect(0, 0, 30, 20) << 0 << false << QRect();
        QTest::newRow("right of the picture") << QRect(35, 0, 10, 10) << 17 << false << QRect();
        QTest::newRow("below the picture") << QRect(0, 25, 10, 10) << 17 << false << QRect();
        QTest::newRow("far outside") << QRect(-50, -50, 10, 10) << 5 << false << QRect();
        QTest::newRow("clipped to the picture") << QRect(20, 10, 40, 40) << 9 << false << QRect(20, 10, 10, 10);
        QTest::newRow("reversed rectangle") << QRect(QPoint(9, 9), QPoint(4, 4)) << 9 << false << QRect(4, 4, 6, 6);
        QTest::newRow("alpha only keeps colours") << QRect(0, 0, 30, 20) << 9 << true << QRect();
    }

    void testBlurKeepsWhatItMustNotTouch()
    {
        QFETCH(QRect, rect);
        QFETCH(int, radius);
        QFETCH(bool, alphaOnly);
        QFETCH(QRect, changed);
        QImage picture = GraphXTest::samplePicture(30, 20).convertToFormat(QImage::Format_ARGB32);
        for (int x = 0; x < 30; ++x)
            picture.setPixel(x, 5, qRgba(10, 20, 30, x * 8));
        const QImage converted = picture.convertToFormat(QImage::Format_ARGB32_Premultiplied);
        const QImage ours = DrawTools::blurred(picture, rect, radius, alphaOnly);
        QCOMPARE(ours.size(), picture.size());
        bool changedInside = false;
        for (int y = 0; y < 20; ++y)
            for (int x = 0; x < 30; ++x) {
                const QRgb p = ours.pixel(x, y), q = converted.pixel(x, y);
                const bool same = alphaOnly ? (p & 0xFFFFFFu) == (q & 0xFFFFFFu) || qAlpha(p) != qAlpha(q)
                                            : ours.pixel(x, y) == converted.pixel(x, y);
                if (!changed.contains(x, y))
                    QVERIFY2(same, qPrintable(QString("%1,%2").arg(x).arg(y)));
                changedInside |= !same;
            }
        QCOMPARE(changedInside, !changed.isNull());
    }

    // Radius 17 keeps 7/8 of the accumulator per step: a bright block leaves a decaying tail on all four sides.
    void testBrightBlockTail()
    {
        QImage picture(41, 41, QImage::Format_ARGB32);
        picture.fill(qRgb(0, 0, 0));
        for (int y = 18; y <= 22; ++y)
            for (int x = 18; x <= 22; ++x)
                picture.setPixel(x, y, qRgb(255, 255, 255));
        const QImage ours = DrawTools::blurred(picture, picture.rect(), 17, false);
        const QPoint steps[] = {{1, 0}, {-1, 0}, {0, 1}, {0, -1}};
        for (const QPoint& step : steps) {
            int previous = qRed(ours.pixel(20, 20));
            for (int k = 3; k <= 12; ++k) {
                const int v = qRed(ours.pixel(QPoint(20, 20) + step * k));
                QVERIFY2(v > 0 && v <= previous,
                         qPrintable(QString("%1 %2: %3").arg(step.x() + 2 * step.y()).arg(k).arg(v)));
                previous = v;
            }
        }
        QVERIFY(qRed(ours.pixel(20, 20)) < 255);
    }

    void testEdgeMatchesReference_data()
    {
        QTest::addColumn<int>("format");
        QTest::newRow("RGB32") << int(QImage::Format_RGB32);
        QTest::newRow("ARGB32") << int(QImage::Format_ARGB32);
        QTest::newRow("RGB888") << int(QImage::Format_RGB888);
    }

    // The reference's -edge 1 is max(0, 8 centre - the eight neighbours); ours divides it by 9.
    void testEdgeMatchesReference()
    {
        QFETCH(int, format);
        const QImage picture = quietNoise(13, 9, QImage::Format(format));
        QTemporaryDir dir;
        const QImage reference = GraphXTest::referenceConvert(picture, {"-alpha", "off", "-edge", "1"}, dir.path());
        QVERIFY(!reference.isNull());
        const QImage ours = DrawTools::filtered(picture, {1, 2, 3});
        QCOMPARE(ours.format(), picture.format());
        QCOMPARE(ours.size(), picture.size());
        for (int y = 0; y < 9; ++y)
            for (int x = 0; x < 13; ++x) {
                const QRgb p = ours.pixel(x, y);
                if (x >= 1 && x <= 10 && y >= 1 && y <= 6) {
                    const QRgb r = reference.pixel(x, y);
                    QCOMPARE(p, qRgb(qRed(r) / 9, qGreen(r) / 9, qBlue(r) / 9));
                } else {
                    QCOMPARE(p, picture.pixel(x, y));
                }
            }
    }

    void testEdgeShapes_data()
    {
        QTest::addColumn<QImage>("picture");
        QTest::addColumn<QRgb>("interior");
        QImage uniform(9, 7, QImage::Format_ARGB32);
        uniform.fill(qRgba(90, 120, 200, 100));
        QTest::newRow("uniform is black inside") << uniform << qRgb(0, 0, 0);
        QTest::newRow("three wide is a copy") << GraphXTest::samplePicture(3, 8) << QRgb(0);
        QTest::newRow("indexed") << GraphXTest::samplePicture(9, 7).convertToFormat(QImage::Format_Indexed8) << QRgb(0);
        QTest::newRow("empty") << QImage() << QRgb(0);
        QTest::newRow("no rows") << QImage(9, 0, QImage::Format_RGB32) << QRgb(0);
    }

    void testEdgeShapes()
    {
        QFETCH(QImage, picture);
        QFETCH(QRgb, interior);
        const QImage ours = DrawTools::filtered(picture, {});
        QCOMPARE(ours.size(), picture.size());
        for (int y = 0; y < ours.height(); ++y)
            for (int x = 0; x < ours.width(); ++x) {
                const bool inside = x >= 1 && x <= ours.width() - 3 && y >= 1 && y <= ours.height() - 3;
                if (!inside)
                    QCOMPARE(ours.pixel(x, y), picture.pixel(x, y));
                else if (interior != 0)
                    QCOMPARE(ours.pixel(x, y), interior);
            }
    }
};

TRELVANIC_TEST_MAIN(TestBlurFilters)
#include "tst_blurfilters.moc"
