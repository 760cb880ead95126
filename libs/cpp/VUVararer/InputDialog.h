#pragma once
// Modal dialog that asks for a whole number (spin box) or a text (line edit).

#include <QDialog>
#include <QLineEdit>

class QPushButton;
class QSpinBox;
class QStackedWidget;

namespace VUVararer {

class InputDialog : public QDialog
{
    Q_OBJECT

public:
    enum Type : int { Value = 0, String = 1 };

    // name and modal are kept for callers and have no effect.
    InputDialog(const QString& label, QWidget* parent = nullptr, const char* name = nullptr, bool modal = false,
                Type type = Value);

    // Value shows and focuses the spin box, String the line edit; other values are only stored.
    void setType(Type type);
    Type type() const { return m_type; }
    QSpinBox* valueWidget() const { return m_pspbValue; }
    QLineEdit* stringWidget() const { return m_pledString; }

    // Returns the text in the line edit, also after Cancel: callers check *ok.
    static QString getText(QWidget* parent, const QString& title, const QString& label,
                           QLineEdit::EchoMode mode = QLineEdit::Normal, const QString& text = QString(),
                           bool* ok = nullptr, const char* name = nullptr);
    // The seventh argument has no effect.
    static int getInteger(QWidget* parent, const QString& title, const QString& label, int value = 0,
                          int minValue = -2147483647, int maxValue = 2147483647, int = 1, bool* ok = nullptr,
                          const char* name = nullptr);

public slots:
    void accept() override;
    void reject() override;

private:
    void showPage();

    QSpinBox* m_pspbValue = nullptr;
    QLineEdit* m_pledString = nullptr;
    QPushButton* m_pbtnOk = nullptr;
    QPushButton* m_pbtnCancel = nullptr;
    QStackedWidget* m_pstkPages = nullptr;
    Type m_type = Value;
};

} // namespace VUVararer
