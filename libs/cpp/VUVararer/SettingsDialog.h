#pragma once
// Settings window that shows every registered page as a tab and saves or loads all pages as one XML file.

#include <QDialog>
#include <QMap>
#include <QVector>

class QDomElement;
class QTabWidget;

namespace VUVararer {

class SettingsDialog : public QDialog
{
    Q_OBJECT

public:
    explicit SettingsDialog(QWidget* parent = nullptr);
    // Hands the registered pages back so that later dialogs can show them.
    ~SettingsDialog() override;

    // Registers a page for every dialog shown from now on; a page that is a SettingsWidget is also applied,
    // saved and loaded (in tab-name order).
    static void addWidget(const QString& name, QWidget* page);

public slots:
    void slotOk();
    void slotApply();
    void slotLoadSettings();
    void slotSaveSettings();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void build();
    void processRoot(const QDomElement& root);

    bool m_bBuilt = false;
    QTabWidget* m_ptabWidget = nullptr;

    static QMap<QString, QWidget*> m_mapWidgets;
    static QVector<QString> m_vecTabOrder;
};

} // namespace VUVararer
