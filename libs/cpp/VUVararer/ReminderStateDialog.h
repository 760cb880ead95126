#pragma once
// Dialogs that ask the user for a rating, a share or a follow and keep the answer as a state.

#include <QDialog>

class QHBoxLayout;
class QLabel;
class QPushButton;

namespace VUVararer {

// Holds the answer of a reminder: NoAnswer until a button sets another state.
class ReminderStateDialog : public QDialog
{
    Q_OBJECT

public:
    enum State { Rate = 0, Mail = 1, Later = 2, NeverAsk = 3, NoAnswer = 4 };

    explicit ReminderStateDialog(QWidget* parent = nullptr);
    int state() const { return m_nState; }

protected:
    int m_nState = NoAnswer;
};

// Logo, text and the four answer buttons; subclasses fill the text, the extra row and the connections.
class ReminderDialog : public ReminderStateDialog
{
    Q_OBJECT

public:
    explicit ReminderDialog(QWidget* parent = nullptr);

public slots:
    void slotRate();
    void slotMail();
    void slotMaybeLater();
    void slotNeverAskMeAgain();

protected:
    // Moves the focus on to Mail when it is shown, else to Later.
    void focusInEvent(QFocusEvent* event) override;
    // For the share and follow reminders: panel into the extra row, rate becomes the focused close button,
    // text, later and mail hidden.
    void showPanelOnly(QWidget* panel, const QString& strClose);

    QLabel* m_plblText = nullptr;
    QPushButton* m_pbtnRate = nullptr;
    QPushButton* m_pbtnMail = nullptr;
    QPushButton* m_pbtnLater = nullptr;
    QPushButton* m_pbtnNever = nullptr;
    QHBoxLayout* m_phblExtra = nullptr;
    QLabel* m_plblLogo = nullptr;
};

} // namespace VUVararer
