#include "PromoMainPage.h"

#include "PromoAdsBar.h"
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

PromoAdsBar* PromoMainPage::promoAdsBar()
{
    if (!m_pAdsBar) {
        m_pAdsBar = new PromoAdsBar(this, m_pMenuBar);
        connect(m_pAdsBar, SIGNAL(adClicked()), this, SLOT(slotAdClicked()));
    }
    return m_pAdsBar;
}

void PromoMainPage::slotAdClicked() {}

} // namespace VUVararer
