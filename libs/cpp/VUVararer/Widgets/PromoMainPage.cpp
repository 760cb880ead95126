#include "PromoMainPage.h"

#include "PromoMenuBar.h"

namespace VUVararer {

PromoMainPage::PromoMainPage(QWidget* parent, bool relayQuit) : QFrame(parent)
{
    m_pMenuBar = new PromoMenuBar(nullptr, relayQuit);
    connect(m_pMenuBar, SIGNAL(quitApp()), this, SIGNAL(quitApp()));
}

PromoMainPage::~PromoMainPage()
{
    // The bar belongs to the page even when no layout has adopted it.
    if (!m_pMenuBar->parent())
        delete m_pMenuBar;
}

void PromoMainPage::slotAdClicked() {}

} // namespace VUVararer
