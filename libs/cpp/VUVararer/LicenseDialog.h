#pragma once
// Frameless dialog that shows the terms of use and remembers once the user has agreed to them.

#include "TopWidget.h"

class QTextEdit;

namespace VUVararer {

class LicenseDialog : public TopWidget
{
    Q_OBJECT

public:
    explicit LicenseDialog(QWidget* parent = nullptr);

    void setHtml(const QString& html);
    // True once the user pressed Agree in any run.
    static bool isLicenseAccepted();

public slots:
    // Remembers the agreement, then ends exec() with 1.
    void slotAccept();
    void slotDisagree();

private:
    QTextEdit* m_pteText = nullptr;
};

} // namespace VUVararer
