#pragma once
// Asks whether to watch the tutorial video in the browser; can be switched off for good.

#include <QDialog>

class QCheckBox;

namespace VUVararer {

// The owner checks the setting "ShowTutoralDialog" before showing it. Create with new: closing deletes it.
class LinkDialog : public QDialog
{
    Q_OBJECT

public:
    explicit LinkDialog(QWidget* parent = nullptr);

    // The tutorial page for a language: no language part for English, else the language and "/".
    static QString tutorialUrl(const QString& language);

public slots:
    void slotGoToLink();
    void slotReject();
    // Stores at once whether the dialog shows again.
    void slotRememberToggled(bool checked);

private:
    QCheckBox* m_pchbRemember;
};

} // namespace VUVararer
