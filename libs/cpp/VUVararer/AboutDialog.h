#pragma once
// The About window: logo, name, version, build date and rights on one page, the legal notices on the other.

#include <QDialog>
#include <QUrl>

class QLabel;
class QPushButton;
class QTextBrowser;

namespace VUVararer {

class AboutDialog : public QDialog
{
    Q_OBJECT

public:
    explicit AboutDialog(QWidget* parent = nullptr);

    // Extra notices for the legal page; "<!bundlepath!>" stands for the resource folder.
    static void addLegalNotices(const QString& text);
    // The main information (true) or the legal notices (false); the window keeps its size.
    void setMainInfoVisible(bool visible);

public slots:
    void slotLegalNoticesClicked();
    void slotOkClicked();
    // The licence opens inside the browser as plain text; other links open outside.
    void slotAnchorClicked(const QUrl& url);

private:
    QString infoText() const;

    QLabel* m_plblLogo = nullptr;
    QTextBrowser* m_ptbLegal = nullptr;
    QLabel* m_plblInfo = nullptr;
    QPushButton* m_pbtnLegalNotices = nullptr;

    static QString sm_strLegalNotices;
    // How much of sm_strLegalNotices the application's notices already hold.
    static int sm_nLegalNoticesAdded;
};

} // namespace VUVararer
