#pragma once
// Base of an application's main page: owns the promotion menu bar that the subclass places in its layout.

#include <QFrame>

namespace VUVararer {

class PromoAdsBar;
class PromoMenuBar;

class PromoMainPage : public QFrame
{
    Q_OBJECT

public:
    // relayQuit: "Quit" in the application menu emits quitApp() instead of quitting the application.
    PromoMainPage(QWidget* parent, bool relayQuit);
    ~PromoMainPage() override;

    PromoMenuBar* promoMenuBar() const { return m_pMenuBar; }
    // The banner, created on the first call as a child of the page; its clicks reach slotAdClicked().
    PromoAdsBar* promoAdsBar();

public slots:
    // Reacts to a click on the promotion banner; nothing here.
    virtual void slotAdClicked();

signals:
    void quitApp();

private:
    PromoMenuBar* m_pMenuBar = nullptr;
    PromoAdsBar* m_pAdsBar = nullptr;
};

} // namespace VUVararer
