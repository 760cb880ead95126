#pragma once
// The frame's pieces of the main window (overlay, menu bar with About) and its mouse and widget-lookup helpers.

#include <QPoint>
#include <QString>

class QObject;
class QWidget;

namespace VUVararer {

class BlenderWidget;

class FrameMenu
{
public:
    // Gives mainWidget the hidden overlay "MainWidgetBlender" and a menu bar whose About entry calls
    // receiver's slotAbout(); returns the overlay (a child of mainWidget).
    static BlenderWidget* install(QWidget* mainWidget, QObject* receiver);
    // On: the overlay takes the main widget's size, shows and rises above its siblings. Off: hidden.
    static void setBlend(QWidget* mainWidget, BlenderWidget* blender, bool on);

    // Post mouse events to widget (nothing for a null widget); click posts a press, then a release.
    static void mousePress(QWidget* widget, int x, int y, Qt::MouseButton button, Qt::MouseButtons buttons);
    static void mouseRelease(QWidget* widget, int x, int y, Qt::MouseButton button, Qt::MouseButtons buttons);
    static void mouseClick(QWidget* widget, int x, int y, Qt::MouseButton button, Qt::MouseButtons buttons);
    // A negative coordinate stands for the middle of the widget on that axis.
    static QPoint calculateMousePosition(QWidget* widget, int x, int y);

    // True when object is a descendant of parent at any depth (not parent itself).
    static bool isChildOf(QObject* object, QObject* parent);
    // The first top-level widget, or descendant of one, whose fully qualified class name is className.
    static QWidget* getWidgetByClassName(const QString& className);
    // Opens a link given as text (parsed tolerantly); an empty link opens nothing and gives false.
    static bool openLink(const QString& link);
};

} // namespace VUVararer
