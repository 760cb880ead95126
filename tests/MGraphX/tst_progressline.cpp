#include "TestMain.h"

#include <MGraphX/ProgressLine.h>

#include <QtTest>

using namespace MGraphX;

class TestProgressLine : public QObject
{
    Q_OBJECT

private slots:
    void testProgress()
    {
        ProgressLine line(1, 2, 3, 4, 5);
        QCOMPARE(line.percent(), 0);
        line.progress(40);
        line.progress(30);
        QCOMPARE(line.percent(), 40);
        line.progress(-5);
        QCOMPARE(line.percent(), 40);
        line.progressRel(-10);
        QCOMPARE(line.percent(), 40);
        line.progressRel(70);
        QCOMPARE(line.percent(), 100);

        ProgressLine high(0, 0, 0, 0, 0);
        high.progress(250);
        QCOMPARE(high.percent(), 100);
        high.progressRel(std::numeric_limits<int>::max());
        QCOMPARE(high.percent(), 100);
        line.draw();
        line.hide();
    }
};

TRELVANIC_TEST_MAIN(TestProgressLine)
#include "tst_progressline.moc"
