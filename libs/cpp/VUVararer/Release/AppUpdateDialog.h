#pragma once
// Modal dialog that tells whether a newer build exists, offers its page, and switches the start-up check.

#include <QDialog>
#include <QPixmap>
#include <QString>

class QCheckBox;
class QLabel;

namespace MRelease {

class AppUpdateDialog : public QDialog
{
    Q_OBJECT

public:
    explicit AppUpdateDialog(QWidget* parent = nullptr);

    // The "checkupdates" setting: whether the automatic check runs at start (true when never stored).
    static bool isChecked();
    static void setChecked(bool bChecked);

    void setMessage(const QString& strMessage);
    void setPic(const QPixmap& pixmap);

public slots:
    void slotCancel();
    // Opens the application's update page, then closes the dialog.
    void slotUpdate();
    void slotSetChecked(bool bChecked);

private:
    QCheckBox* m_pchbCheck = nullptr;
    QLabel* m_plblMessage = nullptr;
    QLabel* m_plblPic = nullptr;
};

} // namespace MRelease
