#include "ModalCloser.h"

#include <QAbstractButton>
#include <QApplication>
#include <QtTest>

namespace TestKit {

ModalCloser::ModalCloser(Action action, const QByteArray& className, int intervalMs)
    : m_action(std::move(action)), m_baClassName(className)
{
    m_timer.setInterval(intervalMs);
    connect(&m_timer, SIGNAL(timeout()), this, SLOT(slotPoll()));
    m_timer.start();
}

static bool matches(QWidget* widget, const QByteArray& className)
{
    return widget && widget->isVisible() && (className.isEmpty() || widget->inherits(className.constData()));
}

QWidget* ModalCloser::findModal(const QByteArray& className)
{
    QWidget* active = QApplication::activeModalWidget();
    if (matches(active, className))
        return active;
    for (QWidget* widget : QApplication::topLevelWidgets())
        if ((widget->windowModality() != Qt::NonModal || widget->testAttribute(Qt::WA_ShowModal)) &&
            matches(widget, className))
            return widget;
    return nullptr;
}

bool ModalCloser::clickButton(QWidget* window, const QString& text)
{
    for (QAbstractButton* button : window->findChildren<QAbstractButton*>()) {
        if (button->text().remove('&') == text && button->isVisible()) {
            button->click();
            return true;
        }
    }
    return false;
}

void ModalCloser::pressKey(QWidget* window, Qt::Key key)
{
    QWidget* receiver = window->focusWidget() ? window->focusWidget() : window;
    QTest::keyClick(receiver, key);
}

void ModalCloser::slotPoll()
{
    QWidget* modal = findModal(m_baClassName);
    if (!modal)
        return;
    m_timer.stop();
    m_bFired = true;
    m_pTarget = modal;
    m_action(modal);
}

} // namespace TestKit
