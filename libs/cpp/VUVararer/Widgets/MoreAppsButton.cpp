#include "MoreAppsButton.h"

#include "CrossPromoCatalogue.h"

#include <QAction>
#include <QDesktopServices>
#include <QMenu>
#include <QSignalMapper>
#include <QUrl>

namespace VUVararer {

MoreAppsButton::MoreAppsButton(QWidget* parent) : QPushButton(parent)
{
    m_pMapper = new QSignalMapper(this);
    connect(m_pMapper, SIGNAL(mapped(QString)), this, SLOT(slotCallUrl(QString)));
    m_pMenu = new QMenu(this);
    setMenu(m_pMenu);
}

void MoreAppsButton::addMenuLink(const QPixmap& icon, const QString& text, const QString& link)
{
    auto* pAction = new QAction(QIcon(icon), text, this);
    connect(pAction, SIGNAL(triggered()), m_pMapper, SLOT(map()));
    m_pMapper->setMapping(pAction, link);
    m_pMenu->addAction(pAction);
}

void MoreAppsButton::addMenuAppLink(const QPixmap& icon, const QString& text, const QString& name, const QString& id)
{
    addMenuLink(icon, text, CrossPromoCatalogue::storeAppLink(name, id));
}

void MoreAppsButton::addMenuAction(QAction* action) { m_pMenu->addAction(action); }

void MoreAppsButton::addMenuSeparator() { m_pMenu->addSeparator(); }

void MoreAppsButton::slotCallUrl(const QString& link) { QDesktopServices::openUrl(QUrl(link)); }

} // namespace VUVararer
