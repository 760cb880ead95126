#include "ModalCloser.h"
#include "SelfRun.h"
#include "TestMain.h"

#include <VUVararer/App.h>
#include <VUVararer/Common.h>
#include <VUVararer/Label.h>
#include <VUVararer/TopWidget.h>

#include <QAction>
#include <QMouseEvent>
#include <QHBoxLayout>
#include <QMenu>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>
#include <QtTest>

namespace {

// The frame's application object with the edition flag reachable from tests.
class FrameApp : public VUVararer::App
{
public:
    using App::App;
    void setIndependent(bool bIndependent) { m_bIndependent = bIndependent; }
};

// Bounding box of the pixels whose red is high, green and blue low and alpha above minAlpha.
QRect redBox(const QImage& image, int minAlpha = 0)
{
    QRect box;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (c.alpha() > minAlpha && c.red() > 200 && c.green() < 50 && c.blue() < 50)
                box |= QRect(x, y, 1, 1);
        }
    return box;
}

// The label's own painting without any window background, in device pixels.
QImage renderAlone(QWidget* widget)
{
    const qreal ratio = VUVararer::App::theApp()->devicePixelRatio();
    QImage image(widget->size() * ratio, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(ratio);
    image.fill(Qt::transparent);
    widget->render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
    return image.convertToFormat(QImage::Format_ARGB32);
}

VUVararer::TitleLabel* titleOf(VUVararer::TopWidget& window)
{
    return window.findChild<VUVararer::TitleLabel*>("TopWidgetTitle");
}

} // namespace

class TestWidgets : public QObject
{
    Q_OBJECT

private slots:
    void testCommonHelpers()
    {
        QPushButton button;
        button.setToolTip("old");
        VUVararer::Common::extend(&button, "Named", QString());
        QCOMPARE(button.objectName(), QString("Named"));
        QCOMPARE(button.toolTip(), QString("old"));
        VUVararer::Common::extend(&button, "Renamed", "new");
        QCOMPARE(button.toolTip(), QString("new"));

        VUVararer::Common::applyToolButtonDetails(&button);
        QCOMPARE(button.objectName(), QString("Renamed"));
        QVERIFY(button.isFlat());
        QCOMPARE(button.minimumSize(), QSize(32, 32));
        QCOMPARE(button.maximumSize(), QSize(32, 32));

        QPushButton styled;
        VUVararer::Common::applyPushButtonDetails(&styled);
        QCOMPARE(styled.objectName(), QString("PushButton"));
        QVERIFY(styled.isFlat());
        QCOMPARE(styled.minimumHeight(), 32);
    }

    void testOpacity()
    {
        QVERIFY(qAbs(VUVararer::Common::opacityFor(35) - 0.95) < 1e-6);
        QVERIFY(qAbs(VUVararer::Common::opacityFor(30) - 1.0) < 1e-6);
        QVERIFY(qAbs(VUVararer::Common::opacityFor(100) - 0.3) < 1e-6);
        // Computed in single precision, as stored settings files expect.
        QCOMPARE(VUVararer::Common::opacityFor(35), double(1.3f + 35.0f / -100.0f));

        // Qt keeps a window's opacity in 1/255 steps.
        const double step = 1.0 / 255;
        QMenu menu;
        QMenu* sub = menu.addMenu("sub");
        QMenu* subsub = sub->addMenu("subsub");
        VUVararer::Common::setMenuOpacity(&menu);
        QVERIFY(qAbs(menu.windowOpacity() - 0.95) <= step);
        QVERIFY(qAbs(sub->windowOpacity() - 0.95) <= step);
        QVERIFY(qAbs(subsub->windowOpacity() - 0.95) <= step);

        VUVararer::App::theApp()->setSettingsValue("TransparencyParameters/ContextMenus", 100);
        VUVararer::Common::setMenuOpacity(&menu);
        QVERIFY(qAbs(menu.windowOpacity() - 0.3) <= step);
        QVERIFY(qAbs(subsub->windowOpacity() - 0.3) <= step);

        QWidget chart;
        VUVararer::Common::setChartDialogOpacity(&chart);
        QVERIFY(qAbs(chart.windowOpacity() - 0.95) <= step);
        VUVararer::App::theApp()->setSettingsValue("TransparencyParameters/ChartDialogs", 10);
        VUVararer::Common::setChartDialogOpacity(&chart);
        QCOMPARE(chart.windowOpacity(), 1.0);
    }

    void testTopWidgetLayout()
    {
        VUVararer::TopWidget window;
        QCOMPARE(int(window.windowFlags() & (Qt::Window | Qt::FramelessWindowHint)), 0x801);
        for (const char* name : {"TopWidgetClose", "TopWidgetMaximize", "TopWidgetMinimize"}) {
            auto* button = window.findChild<QPushButton*>(name);
            QVERIFY2(button, name);
            QCOMPARE(button->size(), QSize(24, 24));
            QVERIFY(button->isFlat());
        }
        QCOMPARE(window.findChild<QPushButton*>("TopWidgetClose")->toolTip(), QString("Close"));
        VUVararer::TitleLabel* title = titleOf(window);
        QVERIFY(title);
        QCOMPARE(title->height(), 28);
        QCOMPARE(title->toolTip(), QString("Title"));
        QCOMPARE(window.topLayout(), window.layout());
        QCOMPARE(window.layout()->contentsMargins(), QMargins(1, 1, 1, 1));
        auto* icon = title->findChild<VUVararer::IconLabel*>();
        QVERIFY(icon && icon->isHidden());
        window.setIcon(QPixmap(48, 32));
        QVERIFY(!icon->isHidden());
        QCOMPARE(icon->pixmap(Qt::ReturnByValue).size(), QSize(24, 24));
        window.setTitleLabel("Terms");
        QCOMPARE(title->text(), QString("Terms"));
        QCOMPARE(window.windowTitle(), QString("Terms"));
        window.setTitleHeight(40);
        QCOMPARE(title->height(), 40);
        window.hideClose();
        QVERIFY(window.findChild<QPushButton*>("TopWidgetClose")->isHidden());
        window.showClose();
        QVERIFY(!window.findChild<QPushButton*>("TopWidgetClose")->isHidden());

        VUVararer::TopWidget over(true);
        auto* body = over.findChild<QWidget*>("TopOverWidget");
        QVERIFY(body);
        QCOMPARE(over.topLayout(), body->layout());
        QCOMPARE(over.layout()->contentsMargins(), QMargins(0, 0, 0, 0));
        QCOMPARE(over.layout()->indexOf(body), 1);
    }

    void testButtonOrder_data()
    {
        QTest::addColumn<bool>("independent");
        QTest::newRow("independent") << true;
        QTest::newRow("store") << false;
    }

    void testButtonOrder()
    {
        QFETCH(bool, independent);
        static_cast<FrameApp*>(VUVararer::App::theApp())->setIndependent(independent);
        const bool bStore = VUVararer::App::isAppStore();
        if (independent)
            QVERIFY(!bStore);
        VUVararer::TopWidget window;
        QLayout* row = titleOf(window)->layout();
        auto at = [row](int i) {
            QWidget* widget = row->itemAt(i)->widget();
            return widget ? widget->objectName().isEmpty() ? QString("icon") : widget->objectName()
                          : QString("stretch");
        };
        QStringList order;
        for (int i = 0; i < row->count(); ++i)
            order << at(i);
        if (bStore)
            QCOMPARE(order, (QStringList{"TopWidgetClose", "TopWidgetMaximize", "TopWidgetMinimize", "stretch",
                                         "icon", "stretch"}));
        else
            QCOMPARE(order, (QStringList{"icon", "stretch", "TopWidgetMinimize", "TopWidgetMaximize",
                                         "TopWidgetClose"}));
        static_cast<FrameApp*>(VUVararer::App::theApp())->setIndependent(false);
    }

    void testExec()
    {
        VUVararer::TopWidget window;
        QTimer::singleShot(0, &window, SLOT(accept()));
        QCOMPARE(window.exec(), 1);
        QVERIFY(window.isHidden());

        for (int run = 0; run < 2; ++run) {
            TestKit::ModalCloser closer([](QWidget* modal) {
                modal->activateWindow();
                QVERIFY(QTest::qWaitForWindowActive(modal));
                QTest::keyClick(modal, Qt::Key_Escape);
            });
            QCOMPARE(window.exec(), 0);
            QVERIFY(closer.hasFired());
            QCOMPARE(closer.target(), &window);
        }
        QCOMPARE(window.findChildren<QAction*>().size(), 1);
        QCOMPARE(window.actions().size(), 1);

        TestKit::ModalCloser closeButton(
            [](QWidget* modal) { modal->findChild<QPushButton*>("TopWidgetClose")->click(); });
        QCOMPARE(window.exec(), 0);

        // Without a running exec(): reject only hides, accept does nothing visible.
        window.show();
        window.accept();
        QVERIFY(window.isVisible());
        window.reject();
        QVERIFY(window.isHidden());
    }

    void testExecGuards()
    {
        auto* window = new VUVararer::TopWidget;
        int nested = 0;
        TestKit::ModalCloser closer([&nested, window](QWidget*) {
            nested = window->exec();
            delete window;
        });
        QPointer<VUVararer::TopWidget> guard(window);
        QCOMPARE(window->exec(), 0);
        QCOMPARE(nested, -1);
        QVERIFY(guard.isNull());
    }

    void testDrag()
    {
        VUVararer::TopWidget window;
        window.resize(300, 200);
        window.move(100, 100);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        VUVararer::TitleLabel* title = titleOf(window);
        const QPoint start = window.pos();
        QTest::mousePress(title, Qt::LeftButton, Qt::NoModifier, QPoint(10, 10));
        // QTest::mouseMove only moves the cursor for widgets; a held-button move event is sent directly.
        QMouseEvent move(QEvent::MouseMove, QPointF(30, 25), QPointF(title->mapToGlobal(QPoint(30, 25))),
                         Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(title, &move);
        QTRY_COMPARE(window.pos(), start + QPoint(20, 15));
        QTest::mouseRelease(title, Qt::LeftButton, Qt::NoModifier, QPoint(30, 25));
    }

    void testDecoration()
    {
        VUVararer::TopWidget window;
        window.resize(300, 200);
        QPixmap pixmap(16, 12);
        pixmap.fill(Qt::green);
        window.setDecoration(pixmap, QPoint(5, 3));
        QPointer<QWidget> first = titleOf(window)->decoration();
        QVERIFY(first);
        QCOMPARE(first->size(), QSize(16, 12));
        QCOMPARE(int(first->windowFlags() & Qt::WindowType_Mask), int(Qt::ToolTip));
        window.setDecoration(pixmap, QPoint(7, 2));
        QVERIFY(first.isNull());
        QPointer<QWidget> second = titleOf(window)->decoration();
        QVERIFY(second);

        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QTRY_VERIFY(second->isVisible());
        QTRY_COMPARE(second->pos(), titleOf(window)->mapToGlobal(QPoint(7, 2)));
        window.hide();
        QVERIFY(second->isHidden());

        auto* own = new QWidget;
        window.setDecoration(own, QPoint());
        QVERIFY(second.isNull());
        QCOMPARE(titleOf(window)->decoration(), own);
    }

    // Also run in a child process with QT_SCALE_FACTOR=2.
    void testLabelPainting()
    {
        const qreal r = VUVararer::App::theApp()->devicePixelRatio();
        QPixmap red(400, 400);
        red.fill(Qt::red);
        VUVararer::Label label;
        label.resize(100, 50);
        QVERIFY(redBox(renderAlone(&label)).isNull());
        label.setRetinaPixmap(red);
        QCOMPARE(redBox(renderAlone(&label)), QRect(25 * r, 0, 50 * r, 50 * r));

        label.setMode(VUVararer::Label::Fill);
        QCOMPARE(redBox(renderAlone(&label)), QRect(0, 0, 100 * r, 50 * r));
        label.setMode(VUVararer::Label::Fit);

        label.setOpacity(0.5);
        QImage half = renderAlone(&label);
        QVERIFY(qAbs(half.pixelColor(50 * r, 25 * r).alpha() - 128) <= 2);
        QVERIFY(half.pixelColor(2, 2).alpha() == 0);
        label.setOpacity(2.0);
        QCOMPARE(renderAlone(&label).pixelColor(50 * r, 25 * r).alpha(), 255);
        label.setOpacity(1.0);
        QCOMPARE(renderAlone(&label).pixelColor(50 * r, 25 * r), QColor(Qt::red));

        if (qgetenv("QT_SCALE_FACTOR") == "2") {
            QCOMPARE(r, 2.0);
            return;
        }
        QCOMPARE(r, 1.0);
        const TestKit::ToolResult child = TestKit::runSelf({"testLabelPainting"}, {"QT_SCALE_FACTOR=2"});
        QVERIFY2(child.exitCode == 0, child.out.constData());
        QVERIFY(child.out.contains("PASS   : TestWidgets::testLabelPainting()"));
    }
};

TRELVANIC_TEST_MAIN_APP(FrameApp, TestWidgets)
#include "tst_widgets.moc"
