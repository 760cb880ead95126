#include "PromoMenuBar.h"

#include "AppButton.h"
#include "AppMenu.h"
#include "CrossPromoCatalogue.h"

#include <VUVararer/App.h>

#include <QAction>
#include <QDesktopServices>
#include <QHBoxLayout>
#include <QMenu>
#include <QPushButton>
#include <QSignalMapper>
#include <QUrl>

namespace VUVararer {

PromoMenuBar::PromoMenuBar(QWidget* parent, bool relayQuit) : QFrame(parent)
{
    App* pApp = App::theApp();
    setObjectName(QStringLiteral("MenuBar"));
    m_pMapper = new QSignalMapper(this);
    connect(m_pMapper, SIGNAL(mapped(QString)), this, SLOT(slotCallUrl(QString)));

    m_pcmdIntro = new QPushButton;
    m_pcmdMore = new QPushButton;
    m_pcmdRate = new QPushButton;
    m_pcmdMoreApps = new QPushButton;
    m_pcmdShare = new QPushButton;
    m_pcmdJoin = new QPushButton;
    const struct
    {
        QPushButton* button;
        const char* name;
        QString toolTip;
    } buttons[] = {
        {m_pcmdIntro, "IntroButton", tr("Introduction")}, {m_pcmdMore, "MoreButton", tr("More")},
        {m_pcmdRate, "RateButton", tr("Rate App")},       {m_pcmdMoreApps, "MoreAppsButton", tr("More Apps")},
        {m_pcmdShare, "ShareButton", tr("Share")},        {m_pcmdJoin, "JoinButton", tr("Join Us")}};
    for (const auto& item : buttons) {
        item.button->setObjectName(QLatin1String(item.name));
        item.button->setFlat(true);
        item.button->setToolTip(item.toolTip);
    }

    m_pShopMenu = new QMenu(m_pcmdMore);
    m_pcmdMore->setMenu(m_pShopMenu);
    m_pcmdMoreApps->hide();
    m_pcmdRate->hide();

    m_pcmdApp = new AppButton;
    m_pcmdApp->setFlat(true);
    m_pcmdApp->setObjectName(QStringLiteral("AppButton"));
    m_pcmdApp->setToolTip(tr("App Menu"));

    for (const auto& item : buttons)
        item.button->setFixedSize(60, 32);
    m_pcmdApp->setFixedSize(60, 32);

    if (relayQuit)
        connect(m_pcmdApp, SIGNAL(quitPressed()), this, SIGNAL(quitApp()));
    else
        connect(m_pcmdApp, SIGNAL(quitPressed()), pApp, SLOT(quit()));

    connect(m_pcmdRate, SIGNAL(clicked()), pApp, SLOT(slotRateApp()));
    connect(m_pcmdIntro, SIGNAL(clicked()), pApp, SLOT(slotHelp()));
    connect(m_pcmdMoreApps, SIGNAL(clicked()), pApp, SLOT(slotShowMoreApps()));
    connect(m_pcmdShare, SIGNAL(clicked()), pApp, SLOT(slotShareApp()));
    connect(m_pcmdJoin, SIGNAL(clicked()), pApp, SLOT(slotJoin()));

    m_pRightBox = new QHBoxLayout;
    m_pCenterBox = new QHBoxLayout;
    m_pCenterBox->setContentsMargins(0, 0, 0, 0);
    m_pCenterBox->setSpacing(0);
    auto* pLayout = new QHBoxLayout;
    pLayout->setContentsMargins(5, 5, 5, 5);
    pLayout->setSpacing(0);
    pLayout->addWidget(m_pcmdMore);
    pLayout->addStretch(1);
    pLayout->addLayout(m_pCenterBox);
    pLayout->addStretch(1);
    pLayout->addLayout(m_pRightBox);
    for (QPushButton* pButton : {m_pcmdIntro, m_pcmdShare, m_pcmdJoin, m_pcmdMoreApps, m_pcmdRate})
        pLayout->addWidget(pButton);
    pLayout->addWidget(m_pcmdApp);
    setLayout(pLayout);

    if (pApp->isKidsMode()) {
        for (QPushButton* pButton :
             {static_cast<QPushButton*>(m_pcmdApp), m_pcmdMore, m_pcmdRate, m_pcmdMoreApps, m_pcmdShare, m_pcmdJoin})
            pButton->hide();
        m_pcmdApp->hideSupportPageAction();
        m_pcmdApp->hideRateAction();
        m_pcmdApp->hideMoreAppsAction();
        m_pcmdApp->hideShareAction();
        m_pcmdApp->hideJoinAction();
    }
}

void PromoMenuBar::addWidget(QWidget* widget) { m_pRightBox->addWidget(widget); }

void PromoMenuBar::addCenterWidget(QWidget* widget) { m_pCenterBox->addWidget(widget); }

QList<QAction*> PromoMenuBar::moreActions() const { return m_pShopMenu->actions(); }

void PromoMenuBar::addMenuLink(const QPixmap& icon, const QString& text, const QString& link)
{
    const QString strLink = App::theApp()->storeLink(link);
    if (strLink.isEmpty())
        return;
    auto* pAction = new QAction(QIcon(icon), text, this);
    connect(pAction, SIGNAL(triggered()), m_pMapper, SLOT(map()));
    m_pMapper->setMapping(pAction, strLink);
    m_pShopMenu->addAction(pAction);
}

void PromoMenuBar::addMenuAppLink(const QPixmap& icon, const QString& text, const QString& name, const QString& id)
{
    addMenuLink(icon, text, CrossPromoCatalogue::storeAppLink(name, id));
}

void PromoMenuBar::addMenuAction(QAction* action) { m_pShopMenu->addAction(action); }

void PromoMenuBar::addMenuSeparator() { m_pShopMenu->addSeparator(); }

void PromoMenuBar::addMoreAppsLink()
{
    addMenuSeparator();
    m_pShopMenu->addAction(AppMenu::resourceIcon(QStringLiteral(":/moreappsicon.png")), tr("More Apps"), App::theApp(),
                           SLOT(slotShowMoreApps()));
    addMenuSeparator();
}

void PromoMenuBar::slotCallUrl(const QString& link) { QDesktopServices::openUrl(QUrl(link)); }

void PromoMenuBar::hideIntroButton() { m_pcmdIntro->hide(); }

void PromoMenuBar::hideMoreButton() { m_pcmdMore->hide(); }

void PromoMenuBar::hideMoreAction() { m_pcmdMore->hide(); }

void PromoMenuBar::hideRateButton() { m_pcmdRate->hide(); }

void PromoMenuBar::hideMoreAppsButton() { m_pcmdMoreApps->hide(); }

void PromoMenuBar::hideShareButton() { m_pcmdShare->hide(); }

void PromoMenuBar::hideJoinButton() { m_pcmdJoin->hide(); }

void PromoMenuBar::hideIntroAction()
{
    m_pcmdApp->hideIntroAction();
    m_pcmdIntro->hide();
}

void PromoMenuBar::hideSupportPageAction() { m_pcmdApp->hideSupportPageAction(); }

void PromoMenuBar::hideRateAction()
{
    m_pcmdApp->hideRateAction();
    m_pcmdRate->hide();
}

void PromoMenuBar::hideMoreAppsAction()
{
    m_pcmdApp->hideMoreAppsAction();
    m_pcmdMoreApps->hide();
}

void PromoMenuBar::hideShareAction()
{
    m_pcmdShare->hide();
    m_pcmdApp->hideShareAction();
}

void PromoMenuBar::hideJoinAction()
{
    m_pcmdJoin->hide();
    m_pcmdApp->hideJoinAction();
}

} // namespace VUVararer
