#include "Common.h"

#include "App.h"

#include <QDesktopServices>
#include <QGuiApplication>
#include <QMenu>
#include <QPushButton>
#include <QScreen>
#include <QWidget>

namespace VUVararer {

void Common::extend(QWidget* widget, const QString& name, const QString& toolTip)
{
    widget->setObjectName(name);
    if (!toolTip.isEmpty())
        widget->setToolTip(toolTip);
}

double Common::opacityFor(int transparency) { return double(1.3f + float(transparency) / -100.0f); }

void Common::setMenuOpacity(QMenu* menu)
{
    const double opacity = opacityFor(App::theApp()->settingsValue("TransparencyParameters/ContextMenus", 35).toInt());
    menu->setWindowOpacity(opacity);
    for (QMenu* submenu : menu->findChildren<QMenu*>())
        submenu->setWindowOpacity(opacity);
}

void Common::setChartDialogOpacity(QWidget* widget)
{
    widget->setWindowOpacity(
        opacityFor(App::theApp()->settingsValue("TransparencyParameters/ChartDialogs", 35).toInt()));
}

void Common::applyPushButtonDetails(QPushButton* button)
{
    button->setObjectName("PushButton");
    button->setFlat(true);
    button->setMinimumHeight(32);
}

void Common::applyToolButtonDetails(QPushButton* button)
{
    button->setFlat(true);
    button->setFixedSize(32, 32);
}

QPixmap Common::grabScreen()
{
    QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen)
        return QPixmap();
    // Takes logical coordinates and already answers in device pixels.
    const QRect geometry = screen->geometry();
    return screen->grabWindow(0, geometry.x(), geometry.y(), geometry.width(), geometry.height());
}

bool Common::openUrl(const QUrl& url) { return QDesktopServices::openUrl(url); }

} // namespace VUVararer
