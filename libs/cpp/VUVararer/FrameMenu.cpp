#include "FrameMenu.h"

#include "BlenderWidget.h"
#include "Common.h"

#include <QAction>
#include <QApplication>
#include <QCoreApplication>
#include <QIcon>
#include <QLayout>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QUrl>

namespace VUVararer {

BlenderWidget* FrameMenu::install(QWidget* mainWidget, QObject* receiver)
{
    auto* blender = new BlenderWidget;
    blender->setObjectName("MainWidgetBlender");
    blender->setParent(mainWidget);
    blender->setAutoFillBackground(true);
    blender->hide();

    // A bare menu bar would be drawn over the page's content here: use the window's own bar or its layout.
    auto* mainWindow = qobject_cast<QMainWindow*>(mainWidget);
    QMenuBar* bar = mainWindow ? mainWindow->menuBar() : new QMenuBar(mainWidget);
    if (!mainWindow && mainWidget->layout())
        mainWidget->layout()->setMenuBar(bar);
    auto* menu = new QMenu(mainWidget);
    menu->setTitle(QCoreApplication::translate("VUVararer::App", "Help"));
    QAction* about = menu->addAction(QIcon(":/appicon.png"), QCoreApplication::translate("VUVararer::App", "About"));
    about->setMenuRole(QAction::AboutRole);
    QObject::connect(about, SIGNAL(triggered()), receiver, SLOT(slotAbout()));
    bar->addMenu(menu);
    bar->show();
    return blender;
}

void FrameMenu::setBlend(QWidget* mainWidget, BlenderWidget* blender, bool on)
{
    if (!mainWidget || !blender)
        return;
    if (!on) {
        blender->hide();
        return;
    }
    blender->setFixedSize(mainWidget->size());
    blender->show();
    blender->raise();
}

static void postMouse(QEvent::Type type, QWidget* widget, const QPoint& pos, Qt::MouseButton button,
                      Qt::MouseButtons buttons)
{
    QCoreApplication::postEvent(widget, new QMouseEvent(type, pos, button, buttons, Qt::NoModifier));
}

void FrameMenu::mousePress(QWidget* widget, int x, int y, Qt::MouseButton button, Qt::MouseButtons buttons)
{
    if (widget)
        postMouse(QEvent::MouseButtonPress, widget, QPoint(x, y), button, buttons);
}

void FrameMenu::mouseRelease(QWidget* widget, int x, int y, Qt::MouseButton button, Qt::MouseButtons buttons)
{
    if (widget)
        postMouse(QEvent::MouseButtonRelease, widget, QPoint(x, y), button, buttons);
}

void FrameMenu::mouseClick(QWidget* widget, int x, int y, Qt::MouseButton button, Qt::MouseButtons buttons)
{
    if (!widget)
        return;
    const QPoint pos = calculateMousePosition(widget, x, y);
    postMouse(QEvent::MouseButtonPress, widget, pos, button, buttons);
    postMouse(QEvent::MouseButtonRelease, widget, pos, button, buttons);
}

QPoint FrameMenu::calculateMousePosition(QWidget* widget, int x, int y)
{
    return QPoint(x < 0 ? widget->width() / 2 : x, y < 0 ? widget->height() / 2 : y);
}

bool FrameMenu::isChildOf(QObject* object, QObject* parent)
{
    return object && parent && parent->findChildren<QObject*>().contains(object);
}

QWidget* FrameMenu::getWidgetByClassName(const QString& className)
{
    const QByteArray name = className.toUtf8();
    for (QWidget* topLevel : QApplication::topLevelWidgets()) {
        if (name == topLevel->metaObject()->className())
            return topLevel;
        for (QWidget* child : topLevel->findChildren<QWidget*>())
            if (name == child->metaObject()->className())
                return child;
    }
    return nullptr;
}

bool FrameMenu::openLink(const QString& link)
{
    if (link.isEmpty())
        return false;
    return Common::openUrl(QUrl(link, QUrl::TolerantMode));
}

} // namespace VUVararer
