#include "TestMain.h"

#include <VUVararer/Widgets/RoundProgress.h>
#include <VUVararer/Widgets/SimpleProgress.h>

#include <QSet>
#include <QTimerEvent>
#include <QtMath>
#include <QtTest>

namespace {

bool isGreen(const QColor& c) { return c.green() >= 90 && c.red() < 40 && c.blue() < 40; }

// The dial's outer ring (outside the hub) at a clock angle, 0 = twelve o'clock.
QColor ringPixel(const QImage& image, const QRect& square, double degrees)
{
    const double r = square.width() / 2.0 * 0.95, a = qDegreesToRadians(degrees);
    const QPointF c = QRectF(square).center();
    return image.pixelColor(QPoint(qRound(c.x() + r * std::sin(a)), qRound(c.y() - r * std::cos(a))));
}

// Counts the distinct timers that tick and the paints.
class CountingProgress : public VUVararer::SimpleProgress
{
public:
    QSet<int> m_setTimers;
    int m_nPaints = 0;

protected:
    void timerEvent(QTimerEvent* event) override
    {
        m_setTimers.insert(event->timerId());
        SimpleProgress::timerEvent(event);
    }
    void paintEvent(QPaintEvent* event) override
    {
        ++m_nPaints;
        SimpleProgress::paintEvent(event);
    }
};

} // namespace

class ProgressTest : public QObject
{
    Q_OBJECT

private slots:
    void testRoundPie_data()
    {
        QTest::addColumn<int>("value");
        QTest::addColumn<QList<bool>>("green"); // at 3, 7 and 10 o'clock
        QTest::newRow("0") << 0 << QList<bool>{false, false, false};
        QTest::newRow("50") << 50 << QList<bool>{true, false, false};
        QTest::newRow("75") << 75 << QList<bool>{true, true, false};
        QTest::newRow("100") << 100 << QList<bool>{true, true, true};
    }

    void testRoundPie()
    {
        QFETCH(int, value);
        QFETCH(QList<bool>, green);
        VUVararer::RoundProgress dial;
        dial.resize(200, 200);
        dial.setValue(value);
        const QImage image = dial.grab().toImage();
        const QList<double> angles{90, 200, 300};
        for (int i = 0; i < 3; ++i)
            QCOMPARE(isGreen(ringPixel(image, QRect(0, 0, 200, 200), angles[i])), green[i]);
        QCOMPARE(image.pixelColor(100, 30), QColor(45, 45, 45));
    }

    void testRoundStaysCircular()
    {
        VUVararer::RoundProgress dial;
        dial.resize(300, 100);
        dial.setValue(100);
        const QImage image = dial.grab().toImage();
        for (int angle = 0; angle < 360; angle += 30)
            QVERIFY2(isGreen(ringPixel(image, QRect(100, 0, 100, 100), angle)), qPrintable(QString::number(angle)));
        QVERIFY(!isGreen(image.pixelColor(60, 50)) && !isGreen(image.pixelColor(240, 50)));
    }

    void testSimpleBar_data()
    {
        QTest::addColumn<int>("value");
        QTest::addColumn<int>("x");
        QTest::addColumn<bool>("green");
        QTest::newRow("100 at the end") << 100 << 198 << true;
        QTest::newRow("50 at a quarter") << 50 << 50 << true;
        QTest::newRow("50 at three quarters") << 50 << 150 << false;
        QTest::newRow("1 is two pixels") << 1 << 1 << true;
        QTest::newRow("1 ends there") << 1 << 2 << false;
    }

    void testSimpleBar()
    {
        QFETCH(int, value);
        QFETCH(int, x);
        QFETCH(bool, green);
        VUVararer::SimpleProgress bar;
        bar.resize(200, 20);
        bar.setValue(value);
        QCOMPARE(isGreen(bar.grab().toImage().pixelColor(x, 10)), green);
    }

    void testSimpleStripesAndText()
    {
        VUVararer::SimpleProgress bar;
        QCOMPARE(bar.minimumHeight(), 20);
        bar.resize(200, 20);
        QImage image = bar.grab().toImage();
        int nGreen = 0;
        for (int x = 0; x < 200; ++x)
            nGreen += isGreen(image.pixelColor(x, 10)) ? 1 : 0;
        QVERIFY2(nGreen > 40 && nGreen < 160, qPrintable(QString::number(nGreen)));
        bar.resize(19, 20);
        image = bar.grab().toImage();
        for (int x = 0; x < 19; ++x)
            QVERIFY(!isGreen(image.pixelColor(x, 10)));

        bar.resize(120, 20);
        bar.setText("START" + QString(200, 'm') + "FINAL");
        const QString shown = bar.shownText();
        QVERIFY(shown.startsWith("ST") && shown.endsWith("AL") && shown.contains(QChar(0x2026)));
    }

    void testSimpleTimer()
    {
        CountingProgress bar;
        bar.resize(200, 20);
        bar.show();
        QVERIFY(QTest::qWaitForWindowExposed(&bar));
        for (int i = 0; i < 20; ++i)
            bar.setValue(0);
        QTest::qWait(450);
        QCOMPARE(bar.m_setTimers.size(), 1);
        QVERIFY(bar.phase() > 0);

        bar.setValue(40);
        QTRY_VERIFY(!bar.isAnimating());
        QTest::qWait(50);
        bar.m_nPaints = 0;
        bar.setText("NEW TEXT");
        QTest::qWait(150);
        QCOMPARE(bar.m_nPaints, 0);
        const int phase = bar.phase();
        bar.setValue(0);
        QTRY_VERIFY(bar.phase() != phase);
        QVERIFY(bar.m_nPaints > 0);
    }
};

TRELVANIC_TEST_MAIN(ProgressTest)
#include "tst_progress.moc"
