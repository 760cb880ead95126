#include "AppMenu.h"

#include <VUVararer/App.h>

#include <QPixmap>

namespace VUVararer {

AppMenu::AppMenu(QWidget* parent) : QMenu(parent)
{
    App* pApp = App::theApp();
    m_pactRate = addAction(resourceIcon(":/star.png"), tr("Rate this App"), pApp, SLOT(slotImmediatelyRate()));
    m_pactIntro = addAction(resourceIcon(":/Help_hover.png"), tr("Intro"), pApp, SLOT(slotHelp()));
    m_pactShare = addAction(resourceIcon(":/share_hover.png"), tr("Share"), pApp, SLOT(slotShareApp()));
    m_pactJoin = addAction(resourceIcon(":/join_hover.png"), tr("Join Us"), pApp, SLOT(slotJoin()));
    m_pactMoreApps = addAction(resourceIcon(":/moreappsicon.png"), tr("More Apps"), pApp, SLOT(slotShowMoreApps()));
    addAction(resourceIcon(":/feedback.png"), tr("Contact Us"), pApp, SLOT(slotContactUs()));
    m_pactSupportPage = addAction(resourceIcon(":/webpage.png"), tr("Support Page"), pApp, SLOT(slotSupportPage()));
    if (pApp->isIndependent())
        addAction(tr("Check Updates"), pApp, SLOT(slotCheckUpdate()));
    if (!pApp->privacyPolicyLink().isEmpty())
        addAction(tr("Privacy Policy"), pApp, SLOT(slotShowPrivacyPolicy()));
    addAction(resourceIcon(":/appicon.png"), tr("About"), pApp, SLOT(slotAbout()));
    addSeparator();
    addAction(tr("Quit"), this, SIGNAL(quitPressed()));
}

QIcon AppMenu::resourceIcon(const QString& path)
{
    const QPixmap pixmap(path);
    return pixmap.isNull() ? QIcon() : QIcon(pixmap);
}

void AppMenu::hide(QAction* action)
{
    if (action)
        action->setVisible(false);
}

void AppMenu::hideIntroAction() { hide(m_pactIntro); }

void AppMenu::hideSupportPageAction() { hide(m_pactSupportPage); }

void AppMenu::hideRateAction() { hide(m_pactRate); }

void AppMenu::hideMoreAppsAction() { hide(m_pactMoreApps); }

void AppMenu::hideShareAction() { hide(m_pactShare); }

void AppMenu::hideJoinAction() { hide(m_pactJoin); }

} // namespace VUVararer
