#pragma once
// Drives modal dialogs in tests: polls for the active modal window, runs an action on it and watches it close.

#include <QElapsedTimer>
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

    // Runs action on the first visible modal window that inherits className (any class when empty). A window
    // still open a while after its action gets the action again, a bounded number of times, and is then rejected
    // with a warning, so that a missed answer fails the test instead of blocking it.
    explicit ModalCloser(Action action, const QByteArray& className = QByteArray(), int intervalMs = 10);

    // True once the action ran and its window has closed since.
    bool hasFired() const;
    // The window the action ran on (null when it was deleted since).
    QWidget* target() const { return m_pTarget; }

    // The visible modal window that inherits className, or null.
    static QWidget* findModal(const QByteArray& className = QByteArray());
    // Clicks the button whose text (without "&") is text; false when there is none.
    static bool clickButton(QWidget* window, const QString& text);
    // Types path into a file dialog's name field and accepts it. Unlike QFileDialog::selectFile, this does not
    // depend on the dialog's folder model having loaded.
    static void answerFileDialog(QWidget* window, const QString& path);
    // Sends a key press and release to the window's focus widget (or the window).
    static void pressKey(QWidget* window, Qt::Key key);

private slots:
    void slotPoll();

private:
    Action m_action;
    QByteArray m_baClassName;
    QTimer m_timer;
    QElapsedTimer m_elapsedSinceAction;
    int m_nActions = 0;
    bool m_bFired = false;
    QPointer<QWidget> m_pTarget;
};

} // namespace TestKit
