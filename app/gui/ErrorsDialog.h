#pragma once
// The "ERRORS LOG" window: a read-only view of a run's error lines.

#include <QDialog>

class QTextEdit;

class ErrorsDialog : public QDialog
{
    Q_OBJECT

public:
    explicit ErrorsDialog(QWidget* parent = nullptr);

    // Shows the text as plain text.
    void setText(const QString& text);

private:
    QTextEdit* m_pteText = nullptr;
};
