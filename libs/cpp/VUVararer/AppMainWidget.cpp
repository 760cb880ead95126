#include "App.h"

#include "BlenderWidget.h"
#include "Endpoints.h"
#include "FrameMenu.h"

namespace VUVararer {

// The main window the application hands over, its overlay and the frame's simple slots around it.

void App::setMainWidget(QWidget* pWidget)
{
    m_pMainWidget = pWidget;
    m_pBlender = pWidget ? FrameMenu::install(pWidget, this) : nullptr;
}

void App::slotSetBlendMainWidget(bool bBlend) { FrameMenu::setBlend(m_pMainWidget, m_pBlender, bBlend); }

void App::slotShowPrivacyPolicy() { FrameMenu::openLink(m_strPrivacyPolicyLink); }

void App::slotShowMoreApps() { FrameMenu::openLink(Endpoints::current().m_strDeveloperPage); }

void App::mousePress(QWidget* widget, int x, int y, Qt::MouseButton button, Qt::MouseButtons buttons)
{
    FrameMenu::mousePress(widget, x, y, button, buttons);
}

void App::mouseRelease(QWidget* widget, int x, int y, Qt::MouseButton button, Qt::MouseButtons buttons)
{
    FrameMenu::mouseRelease(widget, x, y, button, buttons);
}

void App::mouseClick(QWidget* widget, int x, int y, Qt::MouseButton button, Qt::MouseButtons buttons)
{
    FrameMenu::mouseClick(widget, x, y, button, buttons);
}

QPoint App::calculateMousePosition(QWidget* widget, int x, int y)
{
    return FrameMenu::calculateMousePosition(widget, x, y);
}

bool App::isChildOf(QObject* object, QObject* parent) { return FrameMenu::isChildOf(object, parent); }

QWidget* App::getWidgetByClassName(const QString& className) { return FrameMenu::getWidgetByClassName(className); }

} // namespace VUVararer
