#pragma once
// Static helpers that give the frame's widgets their common look, plus shared services (links, screen grab).

#include <QPixmap>
#include <QString>
#include <QUrl>

class QMenu;
class QPushButton;
class QWidget;

namespace VUVararer {

class Common
{
public:
    // Sets the object name and, when toolTip is not empty, the tool tip.
    static void extend(QWidget* widget, const QString& name, const QString& toolTip);
    // Opacity from "TransparencyParameters/ContextMenus" for the menu and all its submenus.
    static void setMenuOpacity(QMenu* menu);
    // Opacity from "TransparencyParameters/ChartDialogs" for the widget alone.
    static void setChartDialogOpacity(QWidget* widget);
    // Object name "PushButton", flat, at least 32 pixels high.
    static void applyPushButtonDetails(QPushButton* button);
    // Flat, 32 x 32; the object name stays.
    static void applyToolButtonDetails(QPushButton* button);
    // The whole primary screen in device pixels.
    static QPixmap grabScreen();
    // Window opacity for a transparency value: 1.3 - v / 100 in single precision.
    static double opacityFor(int transparency);
    // Every link of the frame opens here (a test records them with QDesktopServices::setUrlHandler).
    static bool openUrl(const QUrl& url);
};

} // namespace VUVararer
