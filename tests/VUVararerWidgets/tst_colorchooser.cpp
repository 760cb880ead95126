#include "DialogProbe.h"
#include "Gallery.h"
#include "TestMain.h"

#include <VUVararer/Widgets/ColorWidget.h>

#include <QGridLayout>
#include <QHBoxLayout>
#include <QPushButton>
#include <QtTest>

class ColorChooserTest : public QObject
{
    Q_OBJECT

private slots:
    void testGridReportsItsColours()
    {
        VUVararer::ColorWidget well;
        QCOMPARE(well.color(), QColor(Qt::green));
        QSignalSpy changed(&well, SIGNAL(colorChanged(QColor)));
        well.setColor(Qt::blue);
        QCOMPARE(well.color(), QColor(Qt::blue));
        QCOMPARE(changed.count(), 0);

        auto* grid = qobject_cast<QGridLayout*>(well.popup()->layout());
        QVERIFY(grid);
        QCOMPARE(grid->rowCount(), 6);
        QCOMPARE(grid->columnCount(), 8);
        auto buttonAt = [grid](int row, int column) {
            return qobject_cast<QPushButton*>(grid->itemAtPosition(row, column)->widget());
        };
        buttonAt(2, 1)->click();
        QCOMPARE(changed.count(), 1);
        QCOMPARE(changed.at(0).at(0).value<QColor>(), QColor("#ff0000"));
        QCOMPARE(well.color(), QColor("#ff0000"));

        // Every button reports the colour its tool tip names, and the names read back unchanged.
        const QStringList names = VUVararer::ColorWidgetPopup::colorNames();
        QCOMPARE(names.size(), 48);
        for (int n = 0; n < names.size(); ++n) {
            QPushButton* button = buttonAt(n / 8, n % 8);
            QCOMPARE(button->size(), QSize(20, 20));
            QCOMPARE(button->toolTip(), names.at(n));
            button->click();
            const QColor reported = changed.last().at(0).value<QColor>();
            QCOMPARE(reported.name(), names.at(n));
            QCOMPARE(QColor(reported.name()), reported);
        }
    }

    void testPopupOpensAndCloses()
    {
        VUVararer::ColorWidget well;
        well.resize(40, 20);
        QTest::mouseClick(&well, Qt::LeftButton);
        QVERIFY(well.popup()->isVisible());
        QTest::mouseClick(&well, Qt::LeftButton);
        QVERIFY(!well.popup()->isVisible());
        QTest::mouseClick(&well, Qt::LeftButton);
        QEvent enter(QEvent::Enter), leave(QEvent::Leave);
        QApplication::sendEvent(well.popup(), &enter);
        QVERIFY(well.popup()->isInAction());
        QSignalSpy changed(&well, SIGNAL(colorChanged(QColor)));
        QApplication::sendEvent(well.popup(), &leave);
        QVERIFY(!well.popup()->isVisible() && !well.popup()->isInAction());
        QCOMPARE(changed.count(), 0);
    }

    void testWellPainting()
    {
        VUVararer::ColorWidget well;
        well.resize(40, 20);
        well.setColor(QColor("#0000ff"));
        const QImage image = well.grab().toImage();
        // Gloss over the colour: blue stays dominant; the arrow is white.
        const QColor middle = image.pixelColor(10, 10);
        QVERIFY2(middle.blue() > middle.red() + 60, qPrintable(middle.name()));
        QCOMPARE(image.pixelColor(40 - 9 + 4, 20 - 7 + 1), QColor(Qt::white));
    }

    void testGallery()
    {
        if (!TestKit::onScreen()) {
            const QString failure = TestKit::runGallery("testGallery", {"colorchooser.png"});
            QVERIFY2(failure.isEmpty(), qPrintable(failure));
            return;
        }
        TestKit::useDarkStyle();
        QWidget window;
        auto* layout = new QHBoxLayout(&window);
        auto* well = new VUVararer::ColorWidget;
        well->setFixedSize(48, 24);
        layout->addWidget(well, 0, Qt::AlignTop);
        layout->addStretch();
        window.setGeometry(40, 40, 260, 60);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QTest::mouseClick(well, Qt::LeftButton);
        QVERIFY(QTest::qWaitForWindowExposed(well->popup()));
        QTest::qWait(100);
        QCOMPARE(well->popup()->pos(), well->mapToGlobal(QPoint(0, well->height())));
        QVERIFY(TestKit::saveShot(&window, "colorchooser.png"));
        QVERIFY(TestKit::saveShot(well->popup(), "colorchooser_popup.png"));
    }
};

TRELVANIC_TEST_MAIN(ColorChooserTest)
#include "tst_colorchooser.moc"
