#pragma once
// Push button with a menu of links that open in the default browser.

#include <QPushButton>

class QAction;
class QMenu;
class QSignalMapper;

namespace VUVararer {

class MoreAppsButton : public QPushButton
{
    Q_OBJECT

public:
    explicit MoreAppsButton(QWidget* parent = nullptr);

    QMenu* linksMenu() const { return m_pMenu; }
    // Adds a row that opens link exactly as given.
    void addMenuLink(const QPixmap& icon, const QString& text, const QString& link);
    // Adds a row that opens the store page of the application name with the store id.
    void addMenuAppLink(const QPixmap& icon, const QString& text, const QString& name, const QString& id);
    void addMenuAction(QAction* action);
    void addMenuSeparator();

public slots:
    void slotCallUrl(const QString& link);

private:
    QMenu* m_pMenu = nullptr;
    QSignalMapper* m_pMapper = nullptr;
};

} // namespace VUVararer
