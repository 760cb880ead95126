#include "ImageOracle.h"
#include "TestMain.h"

#include <MGraphX/ColorMatrix.h>

#include <QTemporaryDir>
#include <QtTest>

using namespace MGraphX;

class TestColorMatrix : public QObject
{
    Q_OBJECT

private slots:
    void testSetters()
    {
        ColorMatrix m;
        for (int k = 0; k < 4; ++k)
            for (int c = 0; c < 4; ++c)
                QCOMPARE(m.at(k, c), k == c ? 1.0f : 0.0f);
        QCOMPARE(m.mask(), 31);
        QCOMPARE(m.multiply(1, 2, 3, 4), 0x04010203u);

        m.setSaturation(0.4f);
        QCOMPARE(m.at(0, 0), 0.4f + 0.2f);
        QCOMPARE(m.at(2, 1), 0.2f);
        QCOMPARE(m.at(3, 3), 1.0f);

        m.setGray();
        QCOMPARE(m.at(1, 2), 0.33333334f);
        m.setLuminance();
        QCOMPARE(m.at(0, 2), 0.3086f);
        QCOMPARE(m.at(1, 0), 0.6094f);
        QCOMPARE(m.multiply(255, 0, 0, 255), 0xFF4E4E4Eu);

        // Red and blue columns swapped: red comes from blue's factor and the other way round.
        ColorMatrix swapped;
        swapped.setRGBA(0.5f, 1, 2, 1);
        swapped.changeRB();
        QCOMPARE(swapped.at(0, 2), 0.5f);
        QCOMPARE(swapped.multiply(100, 50, 10, 255), 0xFF143232u);

        ColorMatrix twice(swapped);
        twice.changeRG();
        twice.changeRG();
        twice.changeGB();
        twice.changeGB();
        for (int k = 0; k < 4; ++k)
            for (int c = 0; c < 4; ++c)
                QCOMPARE(twice.at(k, c), swapped.at(k, c));

        ColorMatrix grayed;
        grayed.grayedRGBA(0, 0, 0, 1);
        QCOMPARE(grayed.multiply(200, 100, 50, 255), 0xFF000000u);
        grayed.grayedRGBA(0.5f, 0.25f, 0, 1);
        QCOMPARE(grayed.at(2, 0), 0.25f);
        QCOMPARE(grayed.at(0, 3), 0.0f);

        ColorMatrix alpha;
        alpha.showAlpha();
        QCOMPARE(alpha.multiply(10, 20, 30, 40), 0x64000000u);
        QCOMPARE(alpha.multiply(0, 0, 0, 40), 0x28000000u);

        ColorMatrix assigned;
        assigned = alpha;
        QCOMPARE(assigned.at(1, 3), 1.0f);
    }

    void testClamping_data()
    {
        QTest::addColumn<float>("factor");
        QTest::addColumn<unsigned int>("expected");
        QTest::newRow("negative") << -1.0f << 0xFF000000u;
        QTest::newRow("above") << 3.0f << 0xFFFFFFFFu;
        QTest::newRow("huge") << 1e30f << 0xFFFFFFFFu;
        QTest::newRow("fraction") << 0.999f << 0xFF636363u;
    }

    void testClamping()
    {
        QFETCH(float, factor);
        QFETCH(unsigned int, expected);
        ColorMatrix m;
        m.setBrightness(factor);
        QCOMPARE(m.multiply(100, 100, 100, 255), expected);
    }

    void testApply()
    {
        QTemporaryDir dir;
        const QImage picture = GraphXTest::samplePicture(40, 30);

        ColorMatrix keep;
        keep.setSaturation(1);
        QCOMPARE(keep.apply(picture), picture);

        ColorMatrix flat;
        flat.setSaturation(0);
        const QImage gray = flat.apply(picture);
        QCOMPARE(gray.format(), QImage::Format_RGB32);
        const QImage reference = GraphXTest::referenceConvert(picture, {"-grayscale", "Average"}, dir.path());
        QCOMPARE(reference.size(), picture.size());
        for (int y = 0; y < picture.height(); ++y)
            for (int x = 0; x < picture.width(); ++x) {
                const QRgb p = picture.pixel(x, y), q = gray.pixel(x, y);
                const int average = (qRed(p) + qGreen(p) + qBlue(p)) / 3;
                QCOMPARE(qRed(q), average);
                QCOMPARE(qGreen(q), average);
                QCOMPARE(qBlue(q), average);
                QVERIFY(std::abs(qRed(reference.pixel(x, y)) - average) <= 1);
            }

        // Other formats are converted to ARGB32 first.
        const QImage packed = picture.convertToFormat(QImage::Format_RGB888);
        const QImage result = flat.apply(packed);
        QCOMPARE(result.format(), QImage::Format_ARGB32);
        QCOMPARE(result.pixel(5, 5), gray.pixel(5, 5));
    }
};

TRELVANIC_TEST_MAIN(TestColorMatrix)
#include "tst_colormatrix.moc"
