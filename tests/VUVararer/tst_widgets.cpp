#include "ModalCloser.h"
#include "SelfRun.h"
#include "TestMain.h"

#include <VUVararer/App.h>
#include <VUVararer/Common.h>
#include <VUVararer/Label.h>
#include <VUVararer/TopWidget.h>

#include <QAction>
#include <QVBoxLayout>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QtTest>

namespace {

// The frame's application object with the edition flag reachable from tests.
class FrameApp : public VUVararer::App
{
public:
    using App::App;
    void setIndependent(bool bIndependent) { m_bIndependent = bIndependent; }
};

// Bounding box of the pure red pixels that are not fully transparent.
QRect redBox(const QImage& image)
{
    QRect box;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (c.alpha() > 0 && c.red() > 200 && c.green() < 50 && c.blue() < 50)
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
        QCOMPARE(button.toolTip(), QString("old"));
        VUVararer::Common::applyPushButtonDetails(&button);
        QCOMPARE(button.objectName(), QString("PushButton"));
        QCOMPARE(button.minimumHeight(), 32);

        // Computed in single precision, as stored settings files expect; Qt keeps opacity in 1/255 steps.
        QCOMPARE(VUVararer::Common::opacityFor(35), double(1.3f + 35.0f / -100.0f));
        QVERIFY(qAbs(VUVararer::Common::opacityFor(100) - 0.3) < 1e-6);
        const double step = 1.0 / 255;
        QMenu menu;
        QMenu* subsub = menu.addMenu("sub")->addMenu("subsub");
        VUVararer::Common::setMenuOpacity(&menu);
        QVERIFY(qAbs(subsub->windowOpacity() - 0.95) <= step);
        VUVararer::App::theApp()->setSettingsValue("TransparencyParameters/ContextMenus", 100);
        VUVararer::Common::setMenuOpacity(&menu);
        QVERIFY(qAbs(menu.windowOpacity() - 0.3) <= step && qAbs(subsub->windowOpacity() - 0.3) <= step);
        QWidget chart;
        VUVararer::App::theApp()->setSettingsValue("TransparencyParameters/ChartDialogs", 10);
        VUVararer::Common::setChartDialogOpacity(&chart);
        QCOMPARE(chart.windowOpacity(), 1.0);
    }

    void testTopWidget_data()
    {
        QTest::addColumn<bool>("independent");
        QTest::addColumn<QStringList>("order");
        QTest::newRow("independent") << true
                                     << QStringList{"icon", "stretch", "TopWidgetMinimize", "TopWidgetMaximize",
                                                    "TopWidgetClose"};
        QTest::newRow("store") << false
                               << QStringList{
                                      "TopWidgetClose", "TopWidgetMaximize", "TopWidgetMinimize", "stretch", "icon",
                                      "stretch"};
    }

    void testTopWidget()
    {
        QFETCH(bool, independent);
        QFETCH(QStringList, order);
        static_cast<FrameApp*>(VUVararer::App::theApp())->setIndependent(independent);
        VUVararer::TopWidget window;
        static_cast<FrameApp*>(VUVararer::App::theApp())->setIndependent(false);
        QCOMPARE(int(window.windowFlags() & (Qt::Window | Qt::FramelessWindowHint)), 0x801);
        QLayout* row = titleOf(window)->layout();
        QStringList seen;
        for (int i = 0; i < row->count(); ++i) {
            QWidget* widget = row->itemAt(i)->widget();
            seen << (!widget                          ? QString("stretch")
                     : widget->objectName().isEmpty() ? QString("icon")
                                                      : widget->objectName());
        }
        QCOMPARE(seen, order);

        auto* icon = titleOf(window)->findChild<VUVararer::IconLabel*>();
        QVERIFY(icon && icon->isHidden());
        window.setIcon(QPixmap(48, 32));
        QVERIFY(!icon->isHidden());
        QCOMPARE(icon->pixmap(Qt::ReturnByValue).size(), QSize(24, 24));
        window.setTitleLabel("Terms");
        QCOMPARE(window.windowTitle(), QString("Terms"));
        window.hideClose();
        QVERIFY(window.findChild<QPushButton*>("TopWidgetClose")->isHidden());

        VUVararer::TopWidget over(true);
        auto* body = over.findChild<QWidget*>("TopOverWidget");
        QVERIFY(body);
        QCOMPARE(over.topLayout(), body->layout());
    }

    void testExec()
    {
        VUVararer::TopWidget window;
        QTimer::singleShot(0, &window, SLOT(accept()));
        QCOMPARE(window.exec(), 1);
        QVERIFY(window.isHidden());
        // Escape ends it each time without adding another shortcut action.
        for (int run = 0; run < 2; ++run) {
            TestKit::ModalCloser closer([](QWidget* modal) {
                modal->activateWindow();
                QVERIFY(QTest::qWaitForWindowActive(modal));
                QTest::keyClick(modal, Qt::Key_Escape);
            });
            QCOMPARE(window.exec(), 0);
            QCOMPARE(closer.target(), &window);
        }
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

        // A nested exec() is refused; the window deleted inside its own exec() ends it cleanly.
        auto* doomed = new VUVararer::TopWidget;
        int nested = 0;
        TestKit::ModalCloser killer([&nested, doomed](QWidget*) {
            nested = doomed->exec();
            delete doomed;
        });
        QPointer<VUVararer::TopWidget> guard(doomed);
        QCOMPARE(doomed->exec(), 0);
        QCOMPARE(nested, -1);
        QVERIFY(guard.isNull());
    }

    void testDragAndDecoration()
    {
        VUVararer::TopWidget window;
        window.setGeometry(100, 100, 300, 200);
        QPixmap pixmap(16, 12);
        pixmap.fill(Qt::green);
        window.setDecoration(pixmap, QPoint(5, 3));
        QPointer<QWidget> first = titleOf(window)->decoration();
        QVERIFY(first);
        QCOMPARE(int(first->windowFlags() & Qt::WindowType_Mask), int(Qt::ToolTip));
        window.setDecoration(pixmap, QPoint(7, 2));
        QVERIFY(first.isNull());
        QPointer<QWidget> second = titleOf(window)->decoration();

        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        VUVararer::TitleLabel* title = titleOf(window);
        QTRY_COMPARE(second->pos(), title->mapToGlobal(QPoint(7, 2)));
        const QPoint start = window.pos();
        QTest::mousePress(title, Qt::LeftButton, Qt::NoModifier, QPoint(10, 10));
        // QTest::mouseMove only moves the cursor for widgets; a held-button move event is sent directly.
        QMouseEvent move(QEvent::MouseMove, QPointF(30, 25), QPointF(title->mapToGlobal(QPoint(30, 25))), Qt::NoButton,
                         Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(title, &move);
        QTRY_COMPARE(window.pos(), start + QPoint(20, 15));
        QTest::mouseRelease(title, Qt::LeftButton, Qt::NoModifier, QPoint(30, 25));
        window.hide();
        QVERIFY(second->isHidden());
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
        const QImage half = renderAlone(&label);
        QVERIFY(qAbs(half.pixelColor(50 * r, 25 * r).alpha() - 128) <= 2);
        QCOMPARE(half.pixelColor(2, 2).alpha(), 0);
        label.setOpacity(2.0);
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
