#include "ImageOracle.h"
#include "TestMain.h"

#include <MGraphX/DrawTools.h>

#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

#include <functional>

using namespace MGraphX;

namespace {

QImage noise(int width, int height, quint32 seed = 1)
{
    QRandomGenerator random(seed);
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, 0xFF000000u | (random.generate() & 0xFFFFFFu));
    return image;
}

QImage filled(int width, int height, QRgb colour, QImage::Format format = QImage::Format_ARGB32)
{
    QImage image(width, height, format);
    image.fill(colour);
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
            const QImage expected = GraphXTest::referenceConvert(picture, reference, dir.path());
            QVERIFY(!expected.isNull());
            QCOMPARE(ours(picture), expected);
            QCOMPARE(ours(picture), picture.transformed(qt));
            for (QImage::Format format : {QImage::Format_Indexed8, QImage::Format_Grayscale8, QImage::Format_RGB888,
                                          QImage::Format_RGB16, QImage::Format_Mono}) {
                const QImage stored = picture.convertToFormat(format);
                const QImage turned = ours(stored);
                QCOMPARE(turned.format(), format);
                QCOMPARE(turned.convertToFormat(QImage::Format_RGB32),
                         stored.convertToFormat(QImage::Format_RGB32).transformed(qt));
            }
        }
        QVERIFY(ours(QImage()).isNull());
    }

    void testFrameAndLetterbox()
    {
        const QImage picture = noise(95, 20);
        const QImage frame = DrawTools::framed(picture, 10, Qt::green);
        QCOMPARE(frame.size(), QSize(95 + 18, 20 + 18));
        QCOMPARE(frame.copy(9, 9, 95, 20), picture);
        QCOMPARE(frame.pixel(8, 20), qRgb(0, 255, 0));
        QCOMPARE(frame.pixel(60, 29), qRgb(0, 255, 0));
        QCOMPARE(DrawTools::framed(picture.convertToFormat(QImage::Format_Indexed8), 10, Qt::green).size(),
                 frame.size());
        QCOMPARE(DrawTools::framed(picture, -10, Qt::green), picture.copy(9, 9, 77, 2));

        const QRgb fill = qRgb(1, 2, 3);
        const QImage wide = DrawTools::embed(filled(200, 100, qRgb(250, 0, 0)), QSize(100, 100), fill);
        const QImage tall =
            DrawTools::embed(filled(100, 200, qRgb(250, 0, 0), QImage::Format_Indexed8), QSize(100, 100), fill);
        for (int k = 0; k < 100; ++k) {
            QCOMPARE(wide.pixel(50, k) == fill, k < 25 || k >= 75);
            QCOMPARE(tall.pixel(k, 50) == fill, k < 25 || k >= 75);
        }
        QCOMPARE(DrawTools::embed(picture, QSize(95, 20), fill), picture);
        QVERIFY(DrawTools::embed(picture, QSize(0, 10), fill).isNull());
    }

    void testCrop_data()
    {
        QTest::addColumn<QVector<int>>("margins"); // left, right, top, bottom
        QTest::addColumn<bool>("percent");
        QTest::addColumn<QRect>("kept");
        QTest::newRow("pixels") << QVector<int>{2, 3, 1, 0} << false << QRect(2, 1, 15, 9);
        QTest::newRow("percent truncates") << QVector<int>{15, 0, 25, 25} << true << QRect(3, 2, 17, 6);
        QTest::newRow("margins take the width") << QVector<int>{10, 10, 0, 0} << false << QRect();
        QTest::newRow("margins beyond the height") << QVector<int>{0, 0, 7, 9} << false << QRect();
        QTest::newRow("negative margin") << QVector<int>{-2, 0, 0, 0} << false << QRect(-2, 0, 22, 10);
    }

    void testCrop()
    {
        QFETCH(QVector<int>, margins);
        QFETCH(bool, percent);
        QFETCH(QRect, kept);
        const QImage picture = noise(20, 10);
        const QImage cut = percent ? DrawTools::cropPercentage(picture, margins[0], margins[1], margins[2], margins[3])
                                   : DrawTools::cropPixels(picture, margins[0], margins[1], margins[2], margins[3]);
        QCOMPARE(cut.isNull(), kept.isNull());
        if (!kept.isNull())
            QCOMPARE(cut, picture.copy(kept));
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
        const QRect ab(0, 0, 4, 3);
        QTest::newRow("sub") << DrawTools::sub(a, b) << ab << qRgba(1, 1, 60, 255) << a.pixel(0, 0);
        QTest::newRow("sub itself") << DrawTools::sub(a, a) << a.rect() << qRgb(0, 0, 0) << QRgb(0);
        QTest::newRow("sub gray") << DrawTools::sub(grayA, grayB) << ab << qRgb(150, 150, 150) << qRgb(200, 200, 200);
        QTest::newRow("mix") << DrawTools::mix(a, b) << ab << qRgba(254, 0, 70, 128) << a.pixel(0, 0);
        QTest::newRow("mix gray") << DrawTools::mix(grayA, grayB) << ab << qRgb(125, 125, 125) << qRgb(200, 200, 200);
        QTest::newRow("mix2 half") << DrawTools::mix2(filled(6, 4, qRgb(255, 0, 0)), filled(6, 4, qRgb(0, 0, 255)))
                                   << QRect(0, 0, 6, 4) << qRgb(128, 0, 127) << QRgb(0);
        QTest::newRow("mix3 three quarters")
            << DrawTools::mix3(filled(6, 4, qRgb(255, 0, 0)), filled(6, 4, qRgb(0, 0, 255))) << QRect(0, 0, 6, 4)
            << qRgb(64, 0, 191) << QRgb(0);
        QTest::newRow("tolerance 0") << DrawTools::setPixels(a, b, 0) << ab << a.pixel(0, 0) << a.pixel(0, 0);
        QTest::newRow("tolerance 61") << DrawTools::setPixels(a, b, 61) << ab << b.pixel(0, 0) << a.pixel(0, 0);
        QTest::newRow("tolerance 60") << DrawTools::setPixels(a, b, 60) << ab << a.pixel(0, 0) << a.pixel(0, 0);
        QTest::newRow("small black mask")
            << DrawTools::setPixels(a, filled(6, 5, qRgb(9, 9, 9)), filled(2, 2, qRgb(0, 0, 0), QImage::Format_Mono))
            << QRect(0, 0, 2, 2) << qRgb(9, 9, 9) << a.pixel(0, 0);
        QTest::newRow("gray mask and source")
            << DrawTools::setPixels(grayA, grayB, filled(5, 5, qRgb(0, 0, 0), QImage::Format_Grayscale8)) << ab
            << qRgb(50, 50, 50) << qRgb(200, 200, 200);
        QTest::newRow("white mask") << DrawTools::setPixels(a, b, filled(6, 5, qRgb(255, 255, 255))) << ab
                                    << a.pixel(0, 0) << a.pixel(0, 0);
    }

    // Each result against the hand-worked value inside the overlap and the first picture outside it.
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
                if (overlap.contains(x, y))
                    QVERIFY2(std::abs(qRed(p) - qRed(inside)) <= 1 && std::abs(qBlue(p) - qBlue(inside)) <= 1 &&
                                 std::abs(qGreen(p) - qGreen(inside)) <= 1 && qAlpha(p) == qAlpha(inside),
                             qPrintable(QString::number(p, 16)));
                else
                    QCOMPARE(p, outside);
            }
    }

    void testMaskedPixmap()
    {
        const QPixmap picture = QPixmap::fromImage(noise(8, 6));
        for (QRgb mask : {qRgb(255, 255, 255), qRgb(0, 0, 0), qRgb(77, 200, 10)}) {
            const QImage result = DrawTools::maskedPixmap(picture, QPixmap::fromImage(filled(3, 3, mask)))
                                      .toImage()
                                      .convertToFormat(QImage::Format_ARGB32);
            QCOMPARE(result.size(), picture.size());
            QCOMPARE(qAlpha(result.pixel(5, 4)), qRed(mask));
            if (qRed(mask) == 255)
                QCOMPARE(result, picture.toImage().convertToFormat(QImage::Format_ARGB32));
        }
    }
};

TRELVANIC_TEST_MAIN(TestGeometryFilters)
#include "tst_geometryfilters.moc"
