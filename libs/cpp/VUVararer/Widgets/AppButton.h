#pragma once
// Push button that opens the application menu and relays its quit request.

#include <QPushButton>

namespace VUVararer {

class AppMenu;

class AppButton : public QPushButton
{
    Q_OBJECT

public:
    explicit AppButton(QWidget* parent = nullptr);

    AppMenu* appMenu() const { return m_pAppMenu; }
    void hideSupportPageAction();
    void hideRateAction();
    void hideMoreAppsAction();
    void hideShareAction();
    void hideJoinAction();
    void hideIntroAction();

signals:
    void quitPressed();

private:
    AppMenu* m_pAppMenu = nullptr;
};

} // namespace VUVararer
