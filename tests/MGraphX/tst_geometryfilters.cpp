#include "ImageOracle.h"
#include "TestMain.h"

#include <MGraphX/DrawTools.h>

#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

#include <functional>

using namespace MGraphX;
using GraphXTest::filled;

namespace {

QImage noise(int width, int height)
{
    QRandomGenerator random(1);
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, 0xFF000000u | (random.generate() & 0xFFFFFFu));
    return image;
}

using Transform = std::function<QImage(const QImage&)>;

} // namespace

Q_DECLARE_METATYPE(Transform)

class TestGeometryFilters : public QObject
{
    Q_OBJECT

private slots:
    void testTurnsAndMirrors_data()
    {
        QTest::addColumn<Transform>("ours");
        QTest::addColumn<QTransform>("qt");
        QTest::addColumn<QStringList>("reference");
        QTest::newRow("right") << Transform(DrawTools::rotateRight90) << QTransform().rotate(90)
                               << QStringList{"-rotate", "90"};
        QTest::newRow("left") << Transform(DrawTools::rotateLeft90) << QTransform().rotate(270)
                              << QStringList{"-rotate", "270"};
        QTest::newRow("half") << Transform(DrawTools::rotateBy180) << QTransform().rotate(180)
                              << QStringList{"-rotate", "180"};
        QTest::newRow("flip") << Transform([](const QImage& i) { return DrawTools::mirror(i, false, true); })
                              << QTransform().scale(1, -1) << QStringList{"-flip"};
        QTest::newRow("flop") << Transform([](const QImage& i) { return DrawTools::mirror(i, true, false); })
                              << QTransform().scale(-1, 1) << QStringList{"-flop"};
    }

    // Exact against the reference tool and Qt's own transform, in every storage format.
    void testTurnsAndMirrors()
    {
        QFETCH(Transform, ours);
        QFETCH(QTransform, qt);
        QFETCH(QStringList, reference);
        QTemporaryDir dir;
        for (const QSize& size : {QSize(3, 2), QSize(7, 5), QSize(1, 9)}) {
            const QImage picture = noise(size.width(), size.height());
            QCOMPARE(ours(picture), GraphXTest::referenceConvert(picture, reference, dir.path()));
            QCOMPARE(ours(picture), picture.transformed(qt));
            for (QImage::Format format : {QImage::Format_Indexed8, QImage::Format_Grayscale8, QImage::Format_RGB888,
                                          QImage::Format_RGB16, QImage::Format_Mono}) {
                const QImage stored = picture.convertToFormat(format);
                QCOMPARE(ours(stored).format(), format);
                QCOMPARE(ours(stored).convertToFormat(QImage::Format_RGB32),
                         stored.convertToFormat(QImage::Format_RGB32).transformed(qt));
            }
        }
        QVERIFY(ours(QImage()).isNull());
    }

    void testFrameCropAndLetterbox()
    {
        const QImage picture = noise(95, 20);
        const QImage frame = DrawTools::framed(picture, 10, Qt::green); // 9 on every side, from the width
        QCOMPARE(frame.copy(9, 9, 95, 20), picture);
        QCOMPARE(frame.size(), QSize(113, 38));
        QCOMPARE(frame.pixel(8, 20), qRgb(0, 255, 0));
        QCOMPARE(frame.pixel(60, 29), qRgb(0, 255, 0));
        QCOMPARE(DrawTools::framed(picture, -10, Qt::green), picture.copy(9, 9, 77, 2));
        QCOMPARE(DrawTools::cropPixels(picture, 2, 3, 1, 0), picture.copy(2, 1, 90, 19));
        QCOMPARE(DrawTools::cropPercentage(picture, 15, 0, 25, 25), picture.copy(14, 5, 81, 10));
        QCOMPARE(DrawTools::cropPixels(picture, -2, 0, 0, 0), picture.copy(-2, 0, 97, 20));
        QVERIFY(DrawTools::cropPixels(picture, 50, 45, 0, 0).isNull());
        QVERIFY(DrawTools::cropPixels(picture, 0, 0, 7, 19).isNull());

        const QRgb fill = qRgb(1, 2, 3);
        const QImage wide = DrawTools::embed(filled(200, 100, qRgb(250, 0, 0)), QSize(100, 100), fill);
        const QImage tall =
            DrawTools::embed(filled(100, 200, qRgb(250, 0, 0), QImage::Format_Indexed8), QSize(100, 100), fill);
        for (int k = 0; k < 100; ++k) {
            QCOMPARE(wide.pixel(50, k) == fill, k < 25 || k >= 75);
            QCOMPARE(tall.pixel(k, 50) == fill, k < 25 || k >= 75);
        }
        QVERIFY(DrawTools::embed(picture, QSize(0, 10), fill).isNull());
    }

    void testCompositions_data()
    {
        QTest::addColumn<QImage>("result");
        QTest::addColumn<QRect>("overlap");
        QTest::addColumn<QRgb>("inside");
        QTest::addColumn<QRgb>("outside");
        const QImage a = filled(6, 5, qRgba(255, 0, 100, 255));
        const QImage b = filled(4, 3, qRgba(254, 1, 40, 1));
        const QImage grayA = filled(6, 5, qRgb(200, 200, 200), QImage::Format_Grayscale8);
        const QImage grayB = filled(4, 3, qRgb(50, 50, 50), QImage::Format_Grayscale8);
        const QImage red = filled(6, 4, qRgb(255, 0, 0)), blue = filled(6, 4, qRgb(0, 0, 255));
        const QRect ab(0, 0, 4, 3);
        QTest::newRow("sub") << DrawTools::sub(a, b) << ab << qRgba(1, 1, 60, 255) << a.pixel(0, 0);
        QTest::newRow("sub gray") << DrawTools::sub(grayA, grayB) << ab << qRgb(150, 150, 150) << grayA.pixel(0, 0);
        QTest::newRow("mix") << DrawTools::mix(a, b) << ab << qRgba(254, 0, 70, 128) << a.pixel(0, 0);
        QTest::newRow("mix gray") << DrawTools::mix(grayA, grayB) << ab << qRgb(125, 125, 125) << grayA.pixel(0, 0);
        QTest::newRow("mix2") << DrawTools::mix2(red, blue) << red.rect() << qRgb(128, 0, 127) << QRgb(0);
        QTest::newRow("mix3") << DrawTools::mix3(red, blue) << red.rect() << qRgb(64, 0, 191) << QRgb(0);
        QTest::newRow("tolerance 0") << DrawTools::setPixels(a, b, 0) << ab << a.pixel(0, 0) << a.pixel(0, 0);
        QTest::newRow("tolerance 61") << DrawTools::setPixels(a, b, 61) << ab << b.pixel(0, 0) << a.pixel(0, 0);
        QTest::newRow("small mask") << DrawTools::setPixels(a, grayA, filled(2, 2, 0, QImage::Format_Mono))
                                    << QRect(0, 0, 2, 2) << grayA.pixel(0, 0) << a.pixel(0, 0);
        QTest::newRow("gray mask") << DrawTools::setPixels(grayA, grayB, filled(5, 5, 0, QImage::Format_Grayscale8))
                                   << ab << grayB.pixel(0, 0) << grayA.pixel(0, 0);
    }

    // Each result against the hand-worked value (within 1 for smooth scaling) inside the overlap, and the
    // first picture outside it.
    void testCompositions()
    {
        QFETCH(QImage, result);
        QFETCH(QRect, overlap);
        QFETCH(QRgb, inside);
        QFETCH(QRgb, outside);
        QCOMPARE(result.depth(), 32);
        for (int y = 0; y < result.height(); ++y)
            for (int x = 0; x < result.width(); ++x) {
                const QRgb p = result.pixel(x, y);
                if (!overlap.contains(x, y))
                    QCOMPARE(p, outside);
                else
                    QVERIFY(std::abs(qRed(p) - qRed(inside)) <= 1 && std::abs(qGreen(p) - qGreen(inside)) <= 1 &&
                            std::abs(qBlue(p) - qBlue(inside)) <= 1 && qAlpha(p) == qAlpha(inside));
            }
        for (QRgb mask : {qRgb(255, 255, 255), qRgb(77, 200, 10), qRgb(0, 0, 0)}) {
            const QPixmap masked =
                DrawTools::maskedPixmap(QPixmap::fromImage(result), QPixmap::fromImage(filled(3, 3, mask)));
            QCOMPARE(masked.size(), result.size());
            QCOMPARE(qAlpha(masked.toImage().pixel(result.width() - 1, 0)), qRed(mask));
        }
    }
};

TRELVANIC_TEST_MAIN(TestGeometryFilters)
#include "tst_geometryfilters.moc"
