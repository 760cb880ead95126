#include "TestMain.h"

#include <VUVararer/Widgets/ScreenLocker.h>

#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTimer>
#include <QVBoxLayout>
#include <QtTest>

class ScreenLockerTest : public QObject
{
    Q_OBJECT

private slots:
    void testGuardText_data()
    {
        QTest::addColumn<QString>("given");
        QTest::addColumn<QString>("shown");
        QTest::newRow("empty") << QString() << "<H1><CENTER>No!</CENTER></H1>";
        QTest::newRow("own") << "Private"
                             << "Private";
    }

    void testGuardText()
    {
        QFETCH(QString, given);
        QFETCH(QString, shown);
        VUVararer::NoScreenShotWidget guard(given);
        QCOMPARE(guard.text(), shown);
    }

    void testGuardHidesChildren()
    {
        VUVararer::NoScreenShotWidget guard;
        QVBoxLayout* pLayout = new QVBoxLayout(&guard);
        QLineEdit* pEdit = new QLineEdit(&guard);
        QWidget* pBox = new QWidget(&guard);
        QPushButton* pNested = new QPushButton("nested", pBox);
        pLayout->addWidget(pEdit);
        pLayout->addWidget(pBox);
        guard.installFilters();
        guard.show();
        QVERIFY(QTest::qWaitForWindowActive(&guard));
        QVERIFY(pEdit->isVisible() && pNested->isVisible());

        // The guard cannot leave the window out of screenshots here; it says so and changes nothing.
        QVERIFY(!guard.excludeFromScreenCapture());
        QVERIFY(guard.isVisible() && pEdit->isVisible());

        pEdit->setFocus();
        QTest::keyClick(pEdit, Qt::Key_X);
        QVERIFY(pEdit->text().isEmpty());
        // Hiding the focused edit moves the focus; the children stay hidden all the same.
        QVERIFY(pEdit->isHidden() && pBox->isHidden() && pNested->isHidden());

        VUVararer::setVisibleChildren(&guard, true);
        QVERIFY(pEdit->isVisible() && pNested->isVisible());
        guard.hide();
        QTRY_VERIFY(!QApplication::activeWindow());
        QVERIFY(pEdit->isHidden() && pNested->isHidden());
        guard.show();
        // The offscreen platform keeps its focus window across the hide, so activate by hand.
        QApplication::setActiveWindow(&guard);
        QTRY_VERIFY(pEdit->isVisible() && pNested->isVisible());
    }

    void testLockerHoldsUntilUnlocked()
    {
        VUVararer::ScreenLocker* pLocker = new VUVararer::ScreenLocker;
        // Whatever happens below, the input devices come free.
        QTimer::singleShot(5000, pLocker, SLOT(slotReleaseInputDevices()));
        QSignalSpy unlocked(pLocker, SIGNAL(unlocked()));
        QTRY_VERIFY(pLocker->isFullScreen());
        QVERIFY(pLocker->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
        QVERIFY(pLocker->windowFlags().testFlag(Qt::FramelessWindowHint));
        QVERIFY(pLocker->unlockButton()->isHidden());
        QCOMPARE(QWidget::keyboardGrabber(), pLocker->unlockButton());
        // Hiding it does not help: the next tick shows it again.
        pLocker->hide();
        QTRY_VERIFY(pLocker->isVisible());

        pLocker->showUnlockButton();
        QTRY_VERIFY(pLocker->unlockButton()->isVisible());
        QTest::mouseClick(pLocker->unlockButton(), Qt::LeftButton);
        QCOMPARE(unlocked.count(), 1);
        QVERIFY(!QWidget::keyboardGrabber() && !QWidget::mouseGrabber());
        delete pLocker;
    }
};

TRELVANIC_TEST_MAIN(ScreenLockerTest)
#include "tst_screenlocker.moc"
