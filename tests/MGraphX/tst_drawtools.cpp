#include "ImageOracle.h"
#include "TestMain.h"

#include <MGraphX/DrawTools.h>

#include <QTemporaryDir>
#include <QtTest>

using namespace MGraphX;

namespace {

QImage onePixel(QRgb colour, QImage::Format format = QImage::Format_ARGB32)
{
    QImage image(1, 1, format);
    image.setPixel(0, 0, colour);
    return image;
}

// Largest per-channel difference of two pictures of the same size.
int maxDifference(const QImage& a, const QImage& b)
{
    int worst = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            worst = std::max(
                {worst, std::abs(qRed(p) - qRed(q)), std::abs(qGreen(p) - qGreen(q)), std::abs(qBlue(p) - qBlue(q))});
        }
    return worst;
}

} // namespace

class TestDrawTools : public QObject
{
    Q_OBJECT

private slots:
    void testShapeOfResults()
    {
        const QImage empty(5, 0, QImage::Format_RGB32);
        QVERIFY(DrawTools::grayScale(empty).isNull());
        const QImage picture = GraphXTest::samplePicture(7, 5);
        for (const QImage& result :
             {DrawTools::grayScale(picture), DrawTools::brightnessAndContrast(picture, 3, 4),
              DrawTools::saturation(picture, 0.5f), DrawTools::brightnessContrastSaturation(picture, 1, 2, 0.3f),
              DrawTools::invert(picture), DrawTools::colorBalance(picture, 100, 127, 150),
              DrawTools::denoise(picture, 80), DrawTools::binarize(picture, 100), DrawTools::grade(picture, {0, 255}),
              DrawTools::changeRedAndBlue(picture), DrawTools::changeRedAndGreen(picture),
              DrawTools::changeGreenAndBlue(picture)}) {
            QCOMPARE(result.size(), picture.size());
            QCOMPARE(result.format(), picture.format());
        }
        QCOMPARE(DrawTools::colorizeImage(picture, Qt::red, Qt::blue).format(), QImage::Format_ARGB32_Premultiplied);
        QCOMPARE(normalize(4, -2, 9, 1), 3);
        QCOMPARE(normalize(-3, -2, -2, -2), -2);
    }

    void testTone()
    {
        const QImage picture = GraphXTest::samplePicture(16, 12).convertToFormat(QImage::Format_ARGB32);
        QCOMPARE(DrawTools::brightnessAndContrast(picture, 0, 0), picture);
        const QImage black = DrawTools::brightnessAndContrast(onePixel(qRgba(200, 100, 50, 77)), 40, -127);
        QCOMPARE(black.pixel(0, 0), qRgba(0, 0, 0, 77));
        QCOMPARE(DrawTools::brightnessAndContrast(onePixel(qRgb(100, 250, 0)), 10, 127).pixel(0, 0),
                 qRgb(220, 255, 20));

        QVERIFY(maxDifference(DrawTools::saturation(picture, 1.0f), picture) <= 1);
        const QRgb flat = DrawTools::saturation(onePixel(qRgb(255, 0, 0)), 0.0f).pixel(0, 0);
        // sqrt(0.299) * 255 = 139.43
        QCOMPARE(flat, qRgb(139, 139, 139));

        const QImage bits = DrawTools::binarize(onePixel(qRgba(0, 128, 255, 9)), 128);
        QCOMPARE(bits.pixel(0, 0), qRgba(0, 255, 255, 9));
        QCOMPARE(DrawTools::binarize(onePixel(qRgb(0, 1, 2)), 0).pixel(0, 0), qRgb(255, 255, 255));
        QCOMPARE(DrawTools::binarize(onePixel(qRgb(255, 1, 2)), 256).pixel(0, 0), qRgb(0, 0, 0));

        QCOMPARE(DrawTools::grade(onePixel(qRgba(64, 63, 200, 5)), {0, 128, 255}).pixel(0, 0), qRgba(128, 0, 255, 5));
        QCOMPARE(DrawTools::grade(onePixel(qRgb(9, 10, 250)), {10, 20, 240}).pixel(0, 0), qRgb(0, 10, 255));
        QCOMPARE(DrawTools::grade(onePixel(qRgb(9, 10, 250)), {}).pixel(0, 0), qRgb(9, 10, 250));

        QCOMPARE(DrawTools::denoise(onePixel(qRgb(100, 200, 50)), 50).pixel(0, 0), qRgb(50, 100, 25));
        QCOMPARE(DrawTools::colorBalance(onePixel(qRgb(127, 127, 127)), 254, 127, 0).pixel(0, 0), qRgb(254, 127, 0));
    }

    void testAgainstReference()
    {
        QTemporaryDir dir;
        const QImage picture = GraphXTest::samplePicture(40, 30);
        const auto reference = [&](const QStringList& args) {
            return GraphXTest::referenceConvert(picture, args, dir.path());
        };
        QVERIFY(maxDifference(DrawTools::grayScale(picture), reference({"-grayscale", "Average"})) <= 1);
        QCOMPARE(DrawTools::invert(picture), reference({"-negate"}));
        QCOMPARE(DrawTools::changeRedAndBlue(picture), reference({"-separate", "-swap", "0,2", "-combine"}));
        QCOMPARE(DrawTools::changeRedAndGreen(picture), reference({"-separate", "-swap", "0,1", "-combine"}));
        QCOMPARE(DrawTools::changeGreenAndBlue(picture), reference({"-separate", "-swap", "1,2", "-combine"}));
        QVERIFY(maxDifference(DrawTools::brightnessAndContrast(picture, 20, 30),
                              reference({"-fx", "floor((u*255+20)*(157/127))/255"})) <= 1);
        const QString level = "sqrt(0.299*(r*255)^2+0.587*(g*255)^2+0.114*(b*255)^2)";
        QVERIFY(maxDifference(DrawTools::saturation(picture, 1.8f),
                              reference({"-fx", QString("floor((u*255-%1)*1.8+%1)/255").arg(level)})) <= 1);
    }

    void testColorize()
    {
        QImage picture(4, 1, QImage::Format_RGB32);
        picture.setPixel(0, 0, QColor::fromHsv(100, 200, 200).rgb());
        picture.setPixel(1, 0, QColor::fromHsv(109, 200, 200).rgb());
        picture.setPixel(2, 0, QColor::fromHsv(110, 200, 200).rgb());
        picture.setPixel(3, 0, QColor::fromHsv(91, 250, 240).rgb());
        const QColor from = QColor::fromHsv(100, 200, 200), to = QColor::fromHsv(300, 100, 100);
        const QImage result = DrawTools::colorizeImage(picture, from, to).convertToFormat(QImage::Format_ARGB32);
        auto hsv = [&](int x) {
            int h, s, v;
            QColor(result.pixel(x, 0)).getHsv(&h, &s, &v);
            return QVector<int>{h, s, v};
        };
        QVERIFY(std::abs(hsv(0)[0] - 300) <= 2 && std::abs(hsv(0)[1] - 100) <= 2 && std::abs(hsv(0)[2] - 100) <= 2);
        QVERIFY(std::abs(hsv(1)[0] - 309) <= 2);
        QCOMPARE(result.pixel(2, 0), picture.pixel(2, 0));
        QVERIFY(std::abs(hsv(3)[0] - 291) <= 2 && std::abs(hsv(3)[2] - 120) <= 2 && std::abs(hsv(3)[1] - 125) <= 2);

        // A gray from colour makes the saturation factor non-finite: saturation 0 in the window.
        QImage grayPixels(1, 1, QImage::Format_RGB32);
        grayPixels.fill(qRgb(90, 90, 90));
        const QImage grayResult = DrawTools::colorizeImage(grayPixels, QColor(50, 50, 50), QColor(0, 0, 0));
        QCOMPARE(QColor(grayResult.pixel(0, 0)).hsvSaturation(), 0);
    }
};

TRELVANIC_TEST_MAIN(TestDrawTools)
#include "tst_drawtools.moc"
