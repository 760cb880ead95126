#pragma once
// Drop-down menu of the frame's standard commands (rate, introduction, share, links, about, quit).

#include <QMenu>

class QAction;

namespace VUVararer {

class AppMenu : public QMenu
{
    Q_OBJECT

public:
    explicit AppMenu(QWidget* parent = nullptr);

    // Each hides its action; nothing happens when the action does not exist.
    void hideIntroAction();
    void hideSupportPageAction();
    void hideRateAction();
    void hideMoreAppsAction();
    void hideShareAction();
    void hideJoinAction();

    // The icon of a resource path; a null icon when the resource is missing.
    static QIcon resourceIcon(const QString& path);

signals:
    void quitPressed();

private:
    static void hide(QAction* action);

    QAction* m_pactRate = nullptr;
    QAction* m_pactShare = nullptr;
    QAction* m_pactJoin = nullptr;
    QAction* m_pactMoreApps = nullptr;
    QAction* m_pactSupportPage = nullptr;
    QAction* m_pactIntro = nullptr;
};

} // namespace VUVararer
