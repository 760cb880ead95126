#pragma once
// Drives modal dialogs in tests: polls for the active modal window and runs an action on it once.

#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <QWidget>

#include <functional>

namespace TestKit {

class ModalCloser : public QObject
{
    Q_OBJECT

public:
    using Action = std::function<void(QWidget*)>;

    // Runs action on the first visible modal window that inherits className (any class when empty).
    explicit ModalCloser(Action action, const QByteArray& className = QByteArray(), int intervalMs = 10);

    bool hasFired() const { return m_bFired; }
    // The window the action ran on (null when it was deleted since).
    QWidget* target() const { return m_pTarget; }

    // The visible modal window that inherits className, or null.
    static QWidget* findModal(const QByteArray& className = QByteArray());
    // Clicks the button whose text (without "&") is text; false when there is none.
    static bool clickButton(QWidget* window, const QString& text);
    // Sends a key press and release to the window's focus widget (or the window).
    static void pressKey(QWidget* window, Qt::Key key);

private slots:
    void slotPoll();

private:
    Action m_action;
    QByteArray m_baClassName;
    QTimer m_timer;
    bool m_bFired = false;
    QPointer<QWidget> m_pTarget;
};

} // namespace TestKit
