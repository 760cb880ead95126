#pragma once
// Keeps the screen's content to the application: a full-screen locker and a label that hides its children.

#include <QLabel>
#include <QList>
#include <QObject>

class QPushButton;
class QScreen;
class QTimer;

namespace VUVararer {

// Calls setVisible(visible) on every widget among the object's children, searched recursively.
void setVisibleChildren(QObject* object, bool visible);

// A full-screen, stays-on-top label (with a black cover over every other screen) that holds keyboard and mouse
// until its unlock button is pressed.
class ScreenLocker : public QLabel
{
    Q_OBJECT

public:
    // Starts reasserting the lock every 10 ms at once; the unlock button stays hidden until showUnlockButton().
    explicit ScreenLocker(QWidget* parent = nullptr);

    void showUnlockButton();
    QPushButton* unlockButton() const { return m_pbtnUnlock; }

signals:
    void unlocked();

public slots:
    void slotCheck();
    void slotLock() { slotCheck(); }
    void slotTest() { slotCheck(); }
    // Ends the grabs and emits unlocked(); the timer keeps running, so the owner stops or deletes the locker.
    void slotReleaseInputDevices();
    void slotFocusChanged(QWidget*, QWidget*) {}
    void installFilters() {}

protected:
    bool event(QEvent* e) override { return QLabel::event(e); }

private:
    // One frameless black window over each screen but the primary one, which the locker covers itself.
    void coverOtherScreens(const QList<QScreen*>& screens);

    QPushButton* m_pbtnUnlock;
    QTimer* m_pTimer;
    QList<QWidget*> m_lstCovers;
};

// Hides all children of its parent on a key press and consumes the press.
class NoScreeShotFilter : public QObject
{
    Q_OBJECT

public:
    explicit NoScreeShotFilter(QObject* parent) : QObject(parent) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};

// A label whose children hide when the application loses the active window or a key is pressed in them, and
// show again when the application becomes active again.
class NoScreenShotWidget : public QLabel
{
    Q_OBJECT

public:
    explicit NoScreenShotWidget(QWidget* parent = nullptr);
    // An empty text shows a large centred "No!".
    NoScreenShotWidget(const QString& text, QWidget* parent = nullptr);

    // Guards every present descendant widget with a NoScreeShotFilter; call it after the children exist.
    void installFilters();
    // Asks the desktop to leave this window out of screenshots and recordings. False when the desktop offers
    // no such exclusion (as under X11 and Wayland): then nothing is changed and the hiding above is the guard.
    bool excludeFromScreenCapture();

public slots:
    void slotFocusChanged(QWidget* old, QWidget* now);

protected:
    bool event(QEvent* e) override;

private:
    void init(const QString& text);

    bool m_bApplicationActive = false;
};

} // namespace VUVararer
