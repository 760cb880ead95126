#pragma once
// Developer window that edits, applies, loads and saves the application's style sheet at run time.

#include <QMainWindow>

namespace VUVararer {

class CssDoc;

class CssEditor : public QMainWindow
{
    Q_OBJECT

public:
    explicit CssEditor(QWidget* parent = nullptr);

    CssDoc* doc() const { return m_pDoc; }

public slots:
    // The document's text becomes the application's style sheet.
    void slotApply();
    void slotAbout();
    void slotReset();
    void slotChangeWindowTitle(const QString& title);
    // Puts class and object name in front of the tool tip of every named widget outside the document.
    void slotApplyToolTipsInfo();

private:
    CssDoc* m_pDoc = nullptr;
};

} // namespace VUVararer
