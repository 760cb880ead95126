#pragma once
// Strip of flat icon buttons at the top of a main page: introduction, shop menu, share, join, application menu.

#include <QFrame>
#include <QList>

class QAction;
class QHBoxLayout;
class QMenu;
class QPushButton;
class QSignalMapper;

namespace VUVararer {

class AppButton;

class PromoMenuBar : public QFrame
{
    Q_OBJECT

public:
    // relayQuit: the application menu's "Quit" emits quitApp() instead of quitting the application.
    PromoMenuBar(QWidget* parent, bool relayQuit);

    // Appends to the box left of the introduction button.
    void addWidget(QWidget* widget);
    // Appends to the box between the two stretches.
    void addCenterWidget(QWidget* widget);
    QMenu* shopMenu() const { return m_pShopMenu; }
    // The shop menu's actions in menu order, separators included.
    QList<QAction*> moreActions() const;
    // Adds a row for the link as the application's storeLink() gives it; nothing when that is empty.
    void addMenuLink(const QPixmap& icon, const QString& text, const QString& link);
    void addMenuAppLink(const QPixmap& icon, const QString& text, const QString& name, const QString& id);
    void addMenuAction(QAction* action);
    void addMenuSeparator();
    // Separator, "More Apps" (the application's slotShowMoreApps()), separator.
    void addMoreAppsLink();

    // Cross-promotion: at most one row for the key; the rows of a category, closed by "More Apps".
    void addAppItem(const QString& key);
    void setupAppsMenu(const QString& category);
    void addGuitarMenuItems();
    void addBassMenuItems();
    void addUkuleleMenuItems();
    void addMandolinMenuItems();
    void addBanjoMenuItems();
    void addBalalaikaMenuItems();
    void addPianoMenuItems();
    void addViolinMenuItems();
    void addMusicInstrumentMenuItems();

    // Each only hides; nothing shows the item again.
    void hideIntroButton();
    void hideMoreButton();
    void hideMoreAction();
    void hideRateButton();
    void hideMoreAppsButton();
    void hideShareButton();
    void hideJoinButton();
    void hideIntroAction();
    void hideSupportPageAction();
    void hideRateAction();
    void hideMoreAppsAction();
    void hideShareAction();
    void hideJoinAction();

    AppButton* appButton() const { return m_pcmdApp; }

public slots:
    void slotCallUrl(const QString& link);

signals:
    void quitApp();

private:
    void addAppItems(const QStringList& keys);
    void addInstrumentMenuItems(const QString& instrument);

    QMenu* m_pShopMenu = nullptr;
    QSignalMapper* m_pMapper = nullptr;
    QHBoxLayout* m_pRightBox = nullptr;
    QHBoxLayout* m_pCenterBox = nullptr;
    QPushButton* m_pcmdIntro = nullptr;
    QPushButton* m_pcmdMore = nullptr;
    QPushButton* m_pcmdRate = nullptr;
    QPushButton* m_pcmdMoreApps = nullptr;
    QPushButton* m_pcmdShare = nullptr;
    QPushButton* m_pcmdJoin = nullptr;
    AppButton* m_pcmdApp = nullptr;
};

} // namespace VUVararer
