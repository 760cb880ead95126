#include "Gallery.h"
#include "TestMain.h"

#include <VUVararer/App.h>
#include <VUVararer/Widgets/RadioBox.h>

#include <QPushButton>
#include <QVBoxLayout>
#include <QtTest>

namespace {

QList<QPushButton*> addChoices(VUVararer::UltraRadioBox* box, const QStringList& texts)
{
    QList<QPushButton*> buttons;
    for (const QString& text : texts) {
        buttons << new QPushButton(text);
        buttons.last()->setFixedSize(60, 30);
        box->addButton(buttons.last(), "Choice " + text);
    }
    return buttons;
}

} // namespace

class RadioBoxTest : public QObject
{
    Q_OBJECT

private slots:
    void testRadioBoxKeepsOneChecked()
    {
        VUVararer::RadioBox box(QBoxLayout::LeftToRight);
        QList<QPushButton*> buttons{new QPushButton("A"), new QPushButton("B"), new QPushButton("C")};
        for (QPushButton* button : buttons)
            box.addButton(button);
        for (int clicked : {1, 2, 2, 0}) {
            buttons[clicked]->click();
            for (int n = 0; n < buttons.size(); ++n)
                QCOMPARE(buttons[n]->isChecked(), n == clicked);
        }
    }

    void testUltraRadioBox()
    {
        VUVararer::UltraRadioBox box;
        const QList<QPushButton*> buttons = addChoices(&box, {"A", "B", "C"});
        QCOMPARE(box.size(), QSize(60, 30));
        // Without a current button the picture stays on enter and leave.
        const qint64 nFirst = box.picture().cacheKey();
        QEvent enter(QEvent::Enter), leave(QEvent::Leave), deactivate(QEvent::WindowDeactivate);
        QApplication::sendEvent(&box, &enter);
        QApplication::sendEvent(&box, &leave);
        QCOMPARE(box.picture().cacheKey(), nFirst);

        box.setCurrentButton(buttons[1]);
        QCOMPARE(box.toolTip(), QString("Choice B"));
        for (int n = 0; n < buttons.size(); ++n)
            QVERIFY(buttons[n]->isHidden() == (n == 1) && buttons[n]->isChecked() == (n == 1));

        // Two presses open and close the popup; a deactivated popup closes too.
        QSignalSpy pressed(&box, SIGNAL(actionPerformed()));
        QTest::mouseClick(&box, Qt::LeftButton);
        QVERIFY(box.popup()->isVisible());
        QTest::mouseClick(&box, Qt::LeftButton);
        QVERIFY(!box.popup()->isVisible());
        QTest::mouseClick(&box, Qt::LeftButton);
        QApplication::sendEvent(box.popup(), &deactivate);
        QVERIFY(!box.popup()->isVisible());
        QCOMPARE(pressed.count(), 3);

        // A text button in the popup chooses its button.
        QSignalSpy chosen(&box, SIGNAL(buttonClicked()));
        TestKit::buttonWithText(box.popup(), "Choice C")->click();
        QCOMPARE(chosen.count(), 1);
        QCOMPARE(box.currentButton(), buttons[2]);
        QVERIFY(buttons[2]->isHidden() && !buttons[1]->isHidden());
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
        addChoices(&box, {"A"});
        QTest::mouseClick(&box, Qt::LeftButton);
        QVERIFY(qAbs(box.popup()->windowOpacity() - opacity) < 0.01);
    }

    void testGallery()
    {
        if (!TestKit::galleryOnScreen("testGallery", {"radioboxes.png", "radioboxes_popup.png"}))
            return;
        QWidget window;
        auto* layout = new QVBoxLayout(&window);
        auto* radio = new VUVararer::RadioBox(QBoxLayout::LeftToRight);
        for (const char* text : {"Left", "Centre", "Right"})
            radio->addButton(new QPushButton(text));
        auto* ultra = new VUVararer::UltraRadioBox;
        ultra->setCurrentButton(addChoices(ultra, {"Pen", "Line", "Text"}).at(0));
        layout->addWidget(radio);
        layout->addWidget(ultra);
        layout->addStretch();
        window.setGeometry(40, 40, 300, 200);
        QVERIFY(TestKit::showAndSave(&window, "radioboxes.png"));
        QTest::mouseClick(ultra, Qt::LeftButton);
        QVERIFY(TestKit::showAndSave(ultra->popup(), "radioboxes_popup.png"));
        QCOMPARE(ultra->popup()->pos(), ultra->mapToGlobal(QPoint(0, ultra->height())));
    }
};

TRELVANIC_TEST_MAIN_APP(VUVararer::App, RadioBoxTest)
#include "tst_radiobox.moc"
