#include "TestMain.h"

#include <gui/ComboBox.h>
#include <gui/Fade.h>
#include <gui/FadeWidget.h>

#include <QAbstractItemView>
#include <QPushButton>
#include <QSignalSpy>
#include <QtTest>

namespace {

bool isDarkRed(const QColor& c) { return c.red() > 90 && c.green() < 40 && c.blue() < 40; }

void moveTo(QWidget* widget, int x)
{
    QMouseEvent move(QEvent::MouseMove, QPointF(x, 40), Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(widget, &move);
}

} // namespace

class FadeWidgetsTest : public QObject
{
    Q_OBJECT

private slots:
    void testValueAndRange()
    {
        Fade fade;
        QCOMPARE(fade.range(), qMakePair(0, 100));
        fade.setValue(140.0f);
        QCOMPARE(fade.value(), 100.0f);
        fade.setValue(-3.0f);
        QCOMPARE(fade.value(), 0.0f);
        fade.setValue(42.5f);
        fade.setRange(qMakePair(0, 33));
        QCOMPARE(fade.value(), 42.5f);
    }

    void testMouse()
    {
        for (bool fadeIn : {true, false}) {
            FadeWidget widget(fadeIn);
            widget.setRange(qMakePair(0, 33));
            widget.editor()->resize(330, 80);
            QTest::mousePress(widget.editor(), Qt::LeftButton, Qt::NoModifier, QPoint(100, 40));
            QCOMPARE(widget.value(), fadeIn ? 10.0f : 23.0f);
            moveTo(widget.editor(), 500);
            QCOMPARE(widget.value(), fadeIn ? 33.0f : 0.0f);
            moveTo(widget.editor(), -40);
            QCOMPARE(widget.value(), fadeIn ? 0.0f : 33.0f);
        }
    }

    void testEmptyWidthOrSpan()
    {
        FadeIn editor;
        editor.setRange(qMakePair(5, 5));
        editor.resize(100, 50);
        editor.setValue(5.0f);
        QTest::mousePress(&editor, Qt::LeftButton, Qt::NoModifier, QPoint(50, 20));
        QCOMPARE(editor.value(), 5.0f);
        QVERIFY(isDarkRed(editor.grab().toImage().pixelColor(5, 45)));

        FadeOut narrow;
        narrow.setRange(qMakePair(0, 33));
        narrow.setValue(7.0f);
        narrow.resize(0, 50);
        QTest::mousePress(&narrow, Qt::LeftButton, Qt::NoModifier, QPoint(0, 20));
        QCOMPARE(narrow.value(), 7.0f);
    }

    void testSteps()
    {
        FadeWidget widget(true);
        widget.setRange(qMakePair(0, 33));
        QPushButton *inc = nullptr, *dec = nullptr;
        for (QPushButton* b : widget.findChildren<QPushButton*>("FadeButton"))
            (b->text() == "+" ? inc : dec) = b;
        QVERIFY(inc && dec && inc->width() == 32);
        const QList<QPair<float, float>> incs{{33.0f, 33.0f}, {32.5f, 33.0f}, {0.0f, 1.0f}};
        for (const auto& step : incs) {
            widget.setValue(step.first);
            inc->click();
            QCOMPARE(widget.value(), step.second);
        }
        const QList<QPair<float, float>> decs{{0.0f, 0.0f}, {0.5f, 0.0f}, {33.0f, 32.0f}};
        for (const auto& step : decs) {
            widget.setValue(step.first);
            dec->click();
            QCOMPARE(widget.value(), step.second);
        }
    }

    void testPainting()
    {
        FadeIn in;
        FadeOut out;
        for (Fade* fade : std::initializer_list<Fade*>{&in, &out}) {
            fade->setRange(qMakePair(0, 33));
            fade->resize(330, 80);
            fade->setValue(10.0f);
        }
        // 10 of 33 is 30 percent: the marker's triangle stands at x = 99 (in) or 231 (out).
        QImage image = in.grab().toImage();
        QVERIFY(isDarkRed(image.pixelColor(99, 75)) && !isDarkRed(image.pixelColor(120, 75)));
        QCOMPARE(image.pixelColor(200, 70), QColor(210, 210, 210));
        image = out.grab().toImage();
        QVERIFY(isDarkRed(image.pixelColor(231, 75)) && !isDarkRed(image.pixelColor(99, 75)));
        in.setEnabled(false);
        image = in.grab().toImage();
        QVERIFY(image.pixelColor(200, 70) != QColor(210, 210, 210));
        QVERIFY(isDarkRed(image.pixelColor(99, 75)));
    }

    void testComboBoxPress()
    {
        ComboBox box;
        box.addItems({"one", "two"});
        box.show();
        QVERIFY(QTest::qWaitForWindowExposed(&box));
        QSignalSpy clicked(&box, SIGNAL(clicked()));
        QTest::mousePress(&box, Qt::LeftButton);
        QCOMPARE(clicked.count(), 1);
        QTest::qWait(50);
        QVERIFY(!box.view()->isVisible());
    }
};

TRELVANIC_TEST_MAIN(FadeWidgetsTest)
#include "tst_fadewidgets.moc"
