#include "ScreenLocker.h"

#include <QApplication>
#include <QDebug>
#include <QEvent>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>

namespace VUVararer {

void setVisibleChildren(QObject* object, bool visible)
{
    if (!object)
        return;
    for (QWidget* pWidget : object->findChildren<QWidget*>())
        pWidget->setVisible(visible);
}

ScreenLocker::ScreenLocker(QWidget* parent)
    : QLabel(parent), m_pbtnUnlock(new QPushButton("Unlock", this)), m_pTimer(new QTimer(this))
{
    m_pbtnUnlock->hide();
    QVBoxLayout* pLayout = new QVBoxLayout(this);
    // At the bottom, so that the locker's own text stays readable.
    pLayout->addWidget(m_pbtnUnlock, 0, Qt::AlignHCenter | Qt::AlignBottom);
    m_pTimer->setInterval(10);
    connect(m_pTimer, SIGNAL(timeout()), this, SLOT(slotCheck()));
    connect(m_pbtnUnlock, SIGNAL(clicked()), this, SLOT(slotReleaseInputDevices()));
    m_pTimer->start();
}

void ScreenLocker::showUnlockButton() { m_pbtnUnlock->show(); }

void ScreenLocker::slotCheck()
{
    const Qt::WindowFlags flags = Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint;
    // Setting the same flags again would recreate the native window on every tick.
    if (windowFlags() != flags)
        setWindowFlags(flags);
    // Without a window manager full screen does not resize, so the geometry is set as well.
    const QList<QScreen*> lstScreens = QGuiApplication::screens();
    if (!lstScreens.isEmpty() && geometry() != QGuiApplication::primaryScreen()->geometry())
        setGeometry(QGuiApplication::primaryScreen()->geometry());
    showFullScreen();
    raise();
    coverOtherScreens(lstScreens);
    m_pbtnUnlock->grabKeyboard();
    m_pbtnUnlock->grabMouse();
}

void ScreenLocker::coverOtherScreens(const QList<QScreen*>& screens)
{
    QList<QScreen*> lstOthers = screens;
    lstOthers.removeAll(QGuiApplication::primaryScreen());
    while (m_lstCovers.size() > lstOthers.size())
        delete m_lstCovers.takeLast();
    while (m_lstCovers.size() < lstOthers.size()) {
        QWidget* pCover = new QWidget(this, Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
        pCover->setStyleSheet("background: black;");
        m_lstCovers.append(pCover);
    }
    for (int i = 0; i < lstOthers.size(); ++i) {
        if (m_lstCovers[i]->geometry() != lstOthers[i]->geometry())
            m_lstCovers[i]->setGeometry(lstOthers[i]->geometry());
        m_lstCovers[i]->show();
        m_lstCovers[i]->raise();
    }
}

void ScreenLocker::slotReleaseInputDevices()
{
    m_pbtnUnlock->releaseKeyboard();
    m_pbtnUnlock->releaseMouse();
    emit unlocked();
}

bool NoScreeShotFilter::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::KeyPress)
        return QObject::eventFilter(watched, event);
    setVisibleChildren(parent(), false);
    return true;
}

NoScreenShotWidget::NoScreenShotWidget(QWidget* parent) : QLabel(parent) { init(QString()); }

NoScreenShotWidget::NoScreenShotWidget(const QString& text, QWidget* parent) : QLabel(parent) { init(text); }

void NoScreenShotWidget::init(const QString& text)
{
    m_bApplicationActive = QApplication::activeWindow() != nullptr;
    connect(qApp, SIGNAL(focusChanged(QWidget*, QWidget*)), this, SLOT(slotFocusChanged(QWidget*, QWidget*)));
    setText(text.isEmpty() ? "<H1><CENTER>" + tr("No!") + "</CENTER></H1>" : text);
}

void NoScreenShotWidget::slotFocusChanged(QWidget*, QWidget*)
{
    // Only a change of the application's activity counts: hiding the focused child moves the focus too.
    const bool bActive = QApplication::activeWindow() != nullptr;
    if (bActive == m_bApplicationActive)
        return;
    m_bApplicationActive = bActive;
    setVisibleChildren(this, bActive);
}

void NoScreenShotWidget::installFilters()
{
    for (QWidget* pWidget : findChildren<QWidget*>())
        pWidget->installEventFilter(new NoScreeShotFilter(this));
}

bool NoScreenShotWidget::event(QEvent* e)
{
    // A window may be activated again without any change of the focus widget.
    if (e->type() == QEvent::ActivationChange)
        slotFocusChanged(nullptr, nullptr);
    return QLabel::event(e);
}

bool NoScreenShotWidget::excludeFromScreenCapture()
{
    qDebug() << "NoScreenShotWidget: this desktop cannot leave a window out of screenshots";
    return false;
}

} // namespace VUVararer
