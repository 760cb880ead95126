#pragma once
// Style-sheet text field with syntax colouring, loaded from and saved to a file.

#include <QTextEdit>

namespace VUVararer {

class CssDoc : public QTextEdit
{
    Q_OBJECT

public:
    explicit CssDoc(QWidget* parent = nullptr);

    // The field's own font and colours, independent of the application's style sheet.
    void applyOwnPalette();
    QString fileName() const { return m_strFileName; }

signals:
    void changeWindowTitle(const QString& title);

public slots:
    void slotLoad();
    // Writes to the current file, or asks for one first when there is none.
    void slotSave();
    void slotSaveAs();

private:
    // Replaces the file with the text; a failure is shown to the user and leaves an earlier file as it was.
    bool writeFile(const QString& path);

    QString m_strFileName;
};

} // namespace VUVararer
