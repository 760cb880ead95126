#include "TestMain.h"

#include <ZADovuzIdida/Peekmeter.h>

#include <QImage>

using ZADovuzIdida::Peekmeter;

class TestLevelMeter : public QObject
{
    Q_OBJECT

private slots:
    void testValue_data()
    {
        QTest::addColumn<int>("dB");
        QTest::addColumn<int>("stored");
        QTest::addColumn<int>("percent");
        QTest::newRow("below range") << -100 << -70 << 0;
        QTest::newRow("bottom") << -70 << -70 << 0;
        QTest::newRow("middle") << -30 << -30 << 50;
        QTest::newRow("truncated") << -69 << -69 << 1;
        QTest::newRow("just below top") << 9 << 9 << 98;
        QTest::newRow("top") << 10 << 10 << 100;
        QTest::newRow("above range") << 40 << 10 << 100;
    }

    void testValue()
    {
        QFETCH(int, dB);
        Peekmeter meter;
        QCOMPARE(meter.valueDb(), -70);
        meter.slotSetValue(dB);
        QTEST(meter.valueDb(), "stored");
        QTEST(meter.value(), "percent");
    }

    // The red bar covers the lower part of the widget in full width; the rest shows the background.
    void testDraw_data()
    {
        QTest::addColumn<int>("dB");
        QTest::addColumn<int>("top");
        QTest::newRow("-30 dB") << -30 << 50;
        QTest::newRow("full") << 10 << 0;
        QTest::newRow("empty") << -70 << 100;
        QTest::newRow("-50 dB") << -50 << 75;
    }

    void testDraw()
    {
        QFETCH(int, dB);
        QFETCH(int, top);
        Peekmeter meter;
        meter.setAutoFillBackground(true);
        QPalette palette = meter.palette();
        palette.setColor(QPalette::Window, Qt::white);
        meter.setPalette(palette);
        meter.resize(20, 100);
        meter.slotSetValue(dB);
        const QImage image = meter.grab().toImage();
        QCOMPARE(image.size(), QSize(20, 100));
        for (int y = 0; y < 100; ++y) {
            for (int x = 0; x < 20; ++x) {
                const QColor expected = y >= top ? QColor(Qt::red) : QColor(Qt::white);
                QVERIFY2(image.pixelColor(x, y) == expected, qPrintable(QString("pixel %1,%2").arg(x).arg(y)));
            }
        }
    }
};

TRELVANIC_TEST_MAIN(TestLevelMeter)
#include "tst_levelmeter.moc"
