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
        QCOMPARE(changed.count(), 0);

        auto* grid = qobject_cast<QGridLayout*>(well.popup()->layout());
        QVERIFY(grid->rowCount() == 6 && grid->columnCount() == 8);
        auto buttonAt = [grid](int n) {
            return qobject_cast<QPushButton*>(grid->itemAtPosition(n / 8, n % 8)->widget());
        };
        buttonAt(2 * 8 + 1)->click();
        QCOMPARE(changed.at(0).at(0).value<QColor>(), QColor("#ff0000"));
        QCOMPARE(well.color(), QColor("#ff0000"));
        // Every button reports the colour its tool tip names, and the names read back unchanged.
        const QStringList names = VUVararer::ColorWidgetPopup::colorNames();
        QCOMPARE(names.size(), 48);
        for (int n = 0; n < names.size(); ++n) {
            QCOMPARE(buttonAt(n)->toolTip(), names.at(n));
            buttonAt(n)->click();
            const QColor reported = changed.last().at(0).value<QColor>();
            QVERIFY(reported.name() == names.at(n) && QColor(reported.name()) == reported);
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
        QSignalSpy changed(&well, SIGNAL(colorChanged(QColor)));
        QEvent leave(QEvent::Leave);
        QApplication::sendEvent(well.popup(), &leave);
        QVERIFY(!well.popup()->isVisible());
        QCOMPARE(changed.count(), 0);
    }

    void testGallery()
    {
        if (!TestKit::galleryOnScreen("testGallery", {"colorchooser.png", "colorchooser_popup.png"}))
            return;
        QWidget window;
        auto* layout = new QHBoxLayout(&window);
        auto* well = new VUVararer::ColorWidget;
        well->setFixedSize(48, 24);
        well->setColor(QColor("#0000ff"));
        layout->addWidget(well, 0, Qt::AlignTop);
        layout->addStretch();
        window.setGeometry(40, 40, 260, 60);
        QVERIFY(TestKit::showAndSave(&window, "colorchooser.png"));
        // Gloss over the colour keeps it blue; the arrow is white.
        const QImage image = well->grab().toImage();
        QVERIFY(image.pixelColor(10, 10).blue() > image.pixelColor(10, 10).red() + 60);
        QCOMPARE(image.pixelColor(48 - 9 + 4, 24 - 7 + 1), QColor(Qt::white));
        QTest::mouseClick(well, Qt::LeftButton);
        QVERIFY(TestKit::showAndSave(well->popup(), "colorchooser_popup.png"));
        QCOMPARE(well->popup()->pos(), well->mapToGlobal(QPoint(0, well->height())));
    }
};

TRELVANIC_TEST_MAIN(ColorChooserTest)
#include "tst_colorchooser.moc"
