#include "TestMain.h"
#include "UrlRecorder.h"

#include <VUVararer/App.h>
#include <VUVararer/BlenderWidget.h>
#include <VUVararer/FrameMenu.h>
#include <VUVararer/MMessageBox.h>

#include <QAction>
#include <QMainWindow>
#include <QMenuBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QVBoxLayout>
#include <QtTest>

using VUVararer::FrameMenu;

namespace {

// Stands in for the application object's About slot.
class AboutReceiver : public QObject
{
    Q_OBJECT

public:
    int calls = 0;

public slots:
    void slotAbout() { ++calls; }
};

// Counts the mouse button events the application delivers.
class MouseCounter : public QObject
{
public:
    int events = 0;

    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonRelease)
            ++events;
        return false;
    }
};

} // namespace

class TestWidgetsFrame : public QObject
{
    Q_OBJECT

private slots:
    void testOverlayAndMenu()
    {
        QWidget page;
        auto* layout = new QVBoxLayout(&page);
        auto* content = new QPushButton("content");
        layout->addWidget(content);
        page.resize(320, 240);
        AboutReceiver receiver;
        VUVararer::BlenderWidget* blender = FrameMenu::install(&page, &receiver);
        QCOMPARE(page.findChild<VUVararer::BlenderWidget*>("MainWidgetBlender"), blender);
        QVERIFY(blender->isHidden());

        page.show();
        QVERIFY(QTest::qWaitForWindowExposed(&page));
        // The menu bar sits in the layout, above the content rather than over it.
        auto* bar = page.findChild<QMenuBar*>();
        QVERIFY(bar);
        QCOMPARE(layout->menuBar(), bar);
        QVERIFY(content->geometry().top() >= bar->geometry().bottom());
        QCOMPARE(bar->actions().size(), 1);

        QAction* about = nullptr;
        for (QAction* action : page.findChildren<QAction*>())
            if (action->text() == "About")
                about = action;
        QVERIFY(about);
        QCOMPARE(about->menuRole(), QAction::AboutRole);
        about->trigger();
        QCOMPARE(receiver.calls, 1);

        FrameMenu::setBlend(&page, blender, true);
        QVERIFY(blender->isVisible());
        QCOMPARE(page.children().last(), blender);
        FrameMenu::setBlend(&page, blender, false);
        FrameMenu::setBlend(nullptr, blender, true);
        QVERIFY(blender->isHidden());

        QMainWindow window;
        FrameMenu::install(&window, &receiver);
        QCOMPARE(window.menuBar()->actions().size(), 1);
    }

    void testMouseHelpers()
    {
        QWidget widget;
        widget.resize(200, 100);
        QCOMPARE(FrameMenu::calculateMousePosition(&widget, -1, -1), QPoint(100, 50));
        QCOMPARE(FrameMenu::calculateMousePosition(&widget, 10, -1), QPoint(10, 50));

        QPushButton button("press");
        button.resize(80, 30);
        button.show();
        QVERIFY(QTest::qWaitForWindowExposed(&button));
        QSignalSpy pressed(&button, SIGNAL(pressed()));
        QSignalSpy clicked(&button, SIGNAL(clicked()));
        FrameMenu::mouseClick(&button, -1, -1, Qt::LeftButton, Qt::LeftButton);
        // Both events are queued before either arrives.
        QCOMPARE(pressed.count(), 0);
        QCoreApplication::processEvents();
        QCOMPARE(pressed.count(), 1);
        QCOMPARE(clicked.count(), 1);

        MouseCounter counter;
        qApp->installEventFilter(&counter);
        FrameMenu::mouseClick(nullptr, -1, -1, Qt::LeftButton, Qt::LeftButton);
        FrameMenu::mousePress(nullptr, 1, 1, Qt::LeftButton, Qt::LeftButton);
        FrameMenu::mouseRelease(nullptr, 1, 1, Qt::LeftButton, Qt::LeftButton);
        QCoreApplication::processEvents();
        qApp->removeEventFilter(&counter);
        QCOMPARE(counter.events, 0);
    }

    void testWidgetLookup()
    {
        QWidget grandparent;
        auto* parent = new QWidget(&grandparent);
        auto* child = new QWidget(parent);
        QVERIFY(FrameMenu::isChildOf(child, &grandparent));
        QVERIFY(!FrameMenu::isChildOf(&grandparent, &grandparent));
        QVERIFY(!FrameMenu::isChildOf(&grandparent, child));

        VUVararer::MMessageBox box(VUVararer::MMessageBox::Information, "t", "x", 0x400);
        box.show();
        auto* inner = new VUVararer::BlenderWidget(&grandparent);
        QCOMPARE(FrameMenu::getWidgetByClassName("VUVararer::MMessageBox"), &box);
        QCOMPARE(FrameMenu::getWidgetByClassName("VUVararer::BlenderWidget"), inner);
        QCOMPARE(FrameMenu::getWidgetByClassName("MMessageBox"), nullptr);
        QCOMPARE(FrameMenu::getWidgetByClassName("vuvararer::mmessagebox"), nullptr);
    }

    void testLinks()
    {
        TestKit::UrlRecorder recorder;
        QVERIFY(!FrameMenu::openLink(QString()));
        QVERIFY(recorder.urls().isEmpty());
        QVERIFY(FrameMenu::openLink("https://privacy.zembrel.invalid/policy page.html"));
        QCOMPARE(recorder.urls(), QList<QUrl>{QUrl("https://privacy.zembrel.invalid/policy%20page.html")});
    }
};

TRELVANIC_TEST_MAIN_APP(VUVararer::App, TestWidgetsFrame)
#include "tst_widgets_frame.moc"
