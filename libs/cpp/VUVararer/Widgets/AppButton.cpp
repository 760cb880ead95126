#include "AppButton.h"

#include "AppMenu.h"

namespace VUVararer {

AppButton::AppButton(QWidget* parent) : QPushButton(parent)
{
    m_pAppMenu = new AppMenu(this);
    connect(m_pAppMenu, SIGNAL(quitPressed()), this, SIGNAL(quitPressed()));
    setMenu(m_pAppMenu);
}

void AppButton::hideSupportPageAction() { m_pAppMenu->hideSupportPageAction(); }

void AppButton::hideRateAction() { m_pAppMenu->hideRateAction(); }

void AppButton::hideMoreAppsAction() { m_pAppMenu->hideMoreAppsAction(); }

void AppButton::hideShareAction() { m_pAppMenu->hideShareAction(); }

void AppButton::hideJoinAction() { m_pAppMenu->hideJoinAction(); }

void AppButton::hideIntroAction() { m_pAppMenu->hideIntroAction(); }

} // namespace VUVararer
