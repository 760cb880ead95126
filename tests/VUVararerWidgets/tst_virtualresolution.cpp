#include "TestMain.h"

#include <VUVararer/App.h>
#include <VUVararer/Widgets/VirtualResolution.h>

#include <QComboBox>
#include <QSignalSpy>
#include <QSlider>
#include <QSpinBox>
#include <QtTest>

class VirtualResolutionTest : public QObject
{
    Q_OBJECT

private slots:
    void testSingleton()
    {
        VUVararer::VirtualResolutionWidget* pFirst = VUVararer::VirtualResolutionSingleton::instance();
        QVERIFY(pFirst);
        QCOMPARE(VUVararer::VirtualResolutionSingleton::instance(), pFirst);
    }

    void testDialogRelaysSlider()
    {
        VUVararer::VirtualResolutionDialog dialog;
        QSlider* pSlider = dialog.virtualResolutionWidget()->slider();
        QCOMPARE(pSlider->maximum(), 13);
        QSignalSpy relayed(&dialog, SIGNAL(virtualResolutionChanged(QSize)));
        pSlider->setValue(13);
        QCOMPARE(relayed.last().first().toSize(), QSize(5300, 3200));
        QCOMPARE(dialog.virtualResolution(), QSize(5300, 3200));
    }

    void testTypedSizeIsApplied()
    {
        VUVararer::VirtualResolutionDialog dialog;
        QCOMPARE(dialog.mode(), int(VUVararer::VirtualResolutionDialog::VirtualResolutionMode));
        dialog.virtualResolutionWidget()->widthBox()->setValue(777);
        dialog.virtualResolutionWidget()->heightBox()->setValue(99999);
        QSignalSpy size(&dialog, SIGNAL(changeVirtualResolution(QSize)));
        QSignalSpy settings(&dialog, SIGNAL(changeSettings()));
        dialog.slotApply();
        QCOMPARE(size.count(), 1);
        QCOMPARE(size.first().first().toSize(), QSize(777, 30000));
        QCOMPARE(settings.count(), 1);

        QMetaObject::invokeMethod(dialog.modeBox(), "activated", Q_ARG(int, 1));
        QVERIFY(!dialog.virtualResolutionWidget()->isEnabled());
    }

    void testHybridModes()
    {
        VUVararer::HybridWidget host;
        QWidget* pContent = new QWidget;
        host.setWidget(pContent);
        host.resize(300, 200);
        host.show();
        // Without the dialog, virtual mode uses 1280 x 800.
        host.slotSetVirtualResolutionMode(true);
        QVERIFY(host.isInVirtualMode());
        QCOMPARE(host.scalingWidget()->widget()->size(), QSize(1280, 800));
        QCOMPARE(host.size(), QSize(1280, 800));
        host.slotSetMode(VUVararer::VirtualResolutionDialog::NormalMode);
        QVERIFY(!host.isInVirtualMode());
        QVERIFY(!host.parentWidget());
        QCOMPARE(host.size(), QSize(300, 200));
        QCOMPARE(host.pos(), QPoint(50, 50));

        // "Normal Model" applied while normal enters virtual mode, at the typed size.
        host.slotShowSettingsDialog();
        VUVararer::VirtualResolutionDialog* pDialog = host.settingsDialog();
        pDialog->modeBox()->setCurrentIndex(1);
        pDialog->virtualResolutionWidget()->widthBox()->setValue(640);
        pDialog->virtualResolutionWidget()->heightBox()->setValue(480);
        pDialog->slotApply();
        QVERIFY(host.isInVirtualMode());
        QCOMPARE(host.scalingWidget()->widget()->size(), QSize(640, 480));
        QCOMPARE(host.geometry(), QRect(0, 0, 640, 480));

        QTest::ignoreMessage(QtDebugMsg, "Size1: QSize(500, 480)");
        host.scalingWidget()->slotSetWidth(500);
        QTest::ignoreMessage(QtDebugMsg, "Size2: QSize(500, 300)");
        host.scalingWidget()->slotSetHeight(300);
        QCOMPARE(host.scalingWidget()->virtualSize(), QSize(500, 300));
        QCOMPARE(host.scalingWidget()->widget()->size(), QSize(500, 300));
        // The host goes while still inside the scaled container.
    }
};

TRELVANIC_TEST_MAIN_APP(VUVararer::App, VirtualResolutionTest)
#include "tst_virtualresolution.moc"
