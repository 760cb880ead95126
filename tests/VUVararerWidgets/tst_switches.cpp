#include "Gallery.h"
#include "TestMain.h"

#include <VUVararer/Widgets/Switches.h>

#include <QLabel>
#include <QSpinBox>
#include <QVBoxLayout>
#include <QtTest>

class SwitchesTest : public QObject
{
    Q_OBJECT

private slots:
    void testCheckButton()
    {
        VUVararer::CheckButton button;
        QSignalSpy on(&button, SIGNAL(onClicked())), off(&button, SIGNAL(offClicked()));
        for (int n = 0; n < 3; ++n)
            button.click();
        QCOMPARE(on.count(), 2);
        QCOMPARE(off.count(), 1);
    }

    void testAniSwitch_data()
    {
        QTest::addColumn<bool>("withIcon");
        QTest::addColumn<int>("handleWidth");
        QTest::newRow("plain") << false << 50;
        QTest::newRow("with icon") << true << 40;
    }

    void testAniSwitch()
    {
        QFETCH(bool, withIcon);
        QFETCH(int, handleWidth);
        VUVararer::AniSwitch toggle;
        toggle.resize(100, 20);
        toggle.init(withIcon, false);
        const int nChildren = toggle.findChildren<QObject*>().size();
        toggle.init(!withIcon, true);
        QCOMPARE(toggle.findChildren<QObject*>().size(), nChildren);
        auto* handle = toggle.findChild<QPushButton*>("AniSwitchHandler");
        QCOMPARE(handle->size(), QSize(handleWidth, 20));
        QCOMPARE(toggle.findChild<QPushButton*>("AniSwitchIcon")->isHidden(), !withIcon);
        QSignalSpy toggled(&toggle, SIGNAL(toggled(bool)));

        // A request made before the switch runs is kept; a repeated one changes nothing.
        toggle.setOn(true);
        QTRY_COMPARE(handle->pos(), QPoint(handleWidth, 0));
        toggle.setOn(true);
        QTest::qWait(50);
        QCOMPARE(toggled.count(), 1);
        handle->click();
        QTRY_COMPARE(handle->pos(), QPoint(0, 0));
        QVERIFY(!toggle.isChecked());
        // The visible area switches to the other state.
        toggle.findChild<QPushButton*>("AniSwitchOffArea")->click();
        QTRY_COMPARE(handle->pos(), QPoint(handleWidth, 0));
        toggle.findChild<QPushButton*>("AniSwitchOnArea")->click();
        QTRY_COMPARE(handle->pos(), QPoint(0, 0));
        QCOMPARE(toggled.count(), 4);
        QCOMPARE(toggled.last().at(0).toBool(), false);
    }

    void testComboSlider()
    {
        VUVararer::ComboSlider slider("");
        QLabel* title = slider.findChildren<QLabel*>().at(0);
        QLabel* postfix = slider.findChildren<QLabel*>().at(1);
        QVERIFY(title->isHidden() && postfix->isHidden());
        slider.setPostfix("%");
        QVERIFY(!postfix->isHidden());
        slider.setRange(0, 50);
        QSignalSpy moved(&slider, SIGNAL(sliderMoved(int)));
        auto* spin = slider.findChild<QSpinBox*>();
        spin->selectAll();
        QTest::keyClicks(spin, "7");
        QCOMPARE(moved.count(), 1);
        QCOMPARE(slider.value(), 7);
        // Values are kept to the range, also an empty one.
        slider.setValue(90);
        QVERIFY(slider.value() == 50 && spin->value() == 50);
        slider.setRange(10, 10);
        slider.setValue(-3);
        QCOMPARE(slider.value(), 10);
    }

    void testGallery()
    {
        if (!TestKit::galleryOnScreen("testGallery", {"switches.png"}))
            return;
        QWidget window;
        auto* layout = new QVBoxLayout(&window);
        auto* check = new VUVararer::CheckButton;
        check->setText("Check button");
        layout->addWidget(check);
        for (bool withIcon : {false, true}) {
            auto* toggle = new VUVararer::AniSwitch;
            toggle->setFixedSize(120, 26);
            toggle->init(withIcon, withIcon);
            layout->addWidget(toggle);
        }
        auto* slider = new VUVararer::ComboSlider("Volume ");
        slider->setRange(0, 100);
        slider->setValue(40);
        slider->setPostfix(" %");
        layout->addWidget(slider);
        window.setGeometry(40, 40, 320, 200);
        QVERIFY(TestKit::showAndSave(&window, "switches.png"));
    }
};

TRELVANIC_TEST_MAIN(SwitchesTest)
#include "tst_switches.moc"
