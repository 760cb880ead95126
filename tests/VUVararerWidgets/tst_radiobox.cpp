#include "DialogProbe.h"
#include "Gallery.h"
#include "TestMain.h"

#include <VUVararer/App.h>
#include <VUVararer/Widgets/RadioBox.h>

#include <QPushButton>
#include <QVBoxLayout>
#include <QtTest>

namespace {

QPushButton* makeChoice(const QString& text)
{
    auto* button = new QPushButton(text);
    button->setFixedSize(60, 30);
    return button;
}

} // namespace

class RadioBoxTest : public QObject
{
    Q_OBJECT

private slots:
    void testRadioBoxKeepsOneChecked()
    {
        VUVararer::RadioBox box(QBoxLayout::LeftToRight);
        QList<QPushButton*> buttons;
        for (const char* text : {"A", "B", "C"}) {
            buttons << makeChoice(text);
            box.addButton(buttons.last());
        }
        for (int clicked : {1, 2, 2, 0}) {
            buttons[clicked]->click();
            for (int n = 0; n < buttons.size(); ++n)
                QCOMPARE(buttons[n]->isChecked(), n == clicked);
        }
    }

    void testUltraRadioBox()
    {
        VUVararer::UltraRadioBox box;
        QList<QPushButton*> buttons;
        for (const char* text : {"A", "B", "C"}) {
            buttons << makeChoice(text);
            box.addButton(buttons.last(), QString("Choice ") + text);
        }
        QCOMPARE(box.size(), QSize(60, 30));

        // No current button: the picture stays on enter and leave.
        const qint64 nFirst = box.picture().cacheKey();
        QEvent enter(QEvent::Enter), leave(QEvent::Leave);
        QApplication::sendEvent(&box, &enter);
        QCOMPARE(box.picture().cacheKey(), nFirst);
        QApplication::sendEvent(&box, &leave);
        QCOMPARE(box.picture().cacheKey(), nFirst);

        box.setCurrentButton(buttons[1]);
        QCOMPARE(box.currentButton(), buttons[1]);
        QCOMPARE(box.toolTip(), QString("Choice B"));
        for (int n = 0; n < buttons.size(); ++n) {
            QCOMPARE(buttons[n]->isHidden(), n == 1);
            QCOMPARE(buttons[n]->isChecked(), n == 1);
        }
        QApplication::sendEvent(&box, &enter);
        const qint64 nHover = box.picture().cacheKey();
        QApplication::sendEvent(&box, &leave);
        QVERIFY(box.picture().cacheKey() != nHover);

        // Two presses open and close the popup; each one is reported.
        QSignalSpy pressed(&box, SIGNAL(actionPerformed()));
        QTest::mouseClick(&box, Qt::LeftButton);
        QVERIFY(box.popup()->isVisible());
        QTest::mouseClick(&box, Qt::LeftButton);
        QVERIFY(!box.popup()->isVisible());
        QCOMPARE(pressed.count(), 2);
        QTest::mouseClick(&box, Qt::LeftButton);
        QEvent deactivate(QEvent::WindowDeactivate);
        QApplication::sendEvent(box.popup(), &deactivate);
        QVERIFY(!box.popup()->isVisible());

        // A choice through a text button in the popup.
        QSignalSpy chosen(&box, SIGNAL(buttonClicked()));
        QPushButton* textC = nullptr;
        for (QPushButton* button : box.popup()->findChildren<QPushButton*>())
            if (button->text() == "Choice C")
                textC = button;
        QVERIFY(textC);
        textC->click();
        QCOMPARE(chosen.count(), 1);
        QCOMPARE(box.currentButton(), buttons[2]);
        QVERIFY(buttons[2]->isHidden() && textC->isHidden() && !buttons[1]->isHidden());
    }

    void testPopupOpacity_data()
    {
        QTest::addColumn<QVariant>("setting");
        QTest::addColumn<double>("opacity");
        QTest::newRow("default (first)") << QVariant() << 0.95;
        QTest::newRow("60") << QVariant(60) << 0.7;
        QTest::newRow("far too high") << QVariant(500) << 0.0;
        QTest::newRow("negative") << QVariant(-100) << 1.0;
    }

    void testPopupOpacity()
    {
        QFETCH(QVariant, setting);
        QFETCH(double, opacity);
        if (setting.isValid())
            VUVararer::App::theApp()->setSettingsValue("TransparencyParameters/UltraRadioPopups", setting);
        VUVararer::UltraRadioBox box;
        box.addButton(makeChoice("A"), "A");
        QTest::mouseClick(&box, Qt::LeftButton);
        QVERIFY(qAbs(box.popup()->windowOpacity() - opacity) < 0.01);
        box.hidePopup();
        QVERIFY(!box.popup()->isVisible());
    }

    void testGallery()
    {
        if (!TestKit::onScreen()) {
            const QString failure = TestKit::runGallery("testGallery", {"radioboxes.png"});
            QVERIFY2(failure.isEmpty(), qPrintable(failure));
            return;
        }
        TestKit::useDarkStyle();
        QWidget window;
        auto* layout = new QVBoxLayout(&window);
        auto* radio = new VUVararer::RadioBox(QBoxLayout::LeftToRight);
        for (const char* text : {"Left", "Centre", "Right"})
            radio->addButton(new QPushButton(text));
        layout->addWidget(radio);
        auto* ultra = new VUVararer::UltraRadioBox;
        QList<QPushButton*> buttons;
        for (const char* text : {"Pen", "Line", "Text"}) {
            buttons << makeChoice(text);
            ultra->addButton(buttons.last(), QString("Draw with ") + text);
        }
        ultra->setCurrentButton(buttons[0]);
        layout->addWidget(ultra);
        layout->addStretch();
        window.setGeometry(40, 40, 300, 200);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QTest::mouseClick(ultra, Qt::LeftButton);
        QVERIFY(QTest::qWaitForWindowExposed(ultra->popup()));
        QTest::qWait(100);
        QCOMPARE(ultra->popup()->pos(), ultra->mapToGlobal(QPoint(0, ultra->height())));
        QVERIFY(TestKit::saveShot(&window, "radioboxes.png"));
        QVERIFY(TestKit::saveShot(ultra->popup(), "radioboxes_popup.png"));
    }
};

TRELVANIC_TEST_MAIN_APP(VUVararer::App, RadioBoxTest)
#include "tst_radiobox.moc"
