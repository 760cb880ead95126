#include "ModalCloser.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QLineEdit>
#include <QtTest>

namespace TestKit {

namespace {
// How long a window may stay open after its action before the action runs again, and how often it does.
const int kAnswerWaitMs = 2000;
const int kMaxActions = 3;
} // namespace

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

void ModalCloser::answerFileDialog(QWidget* window, const QString& path)
{
    auto* nameEdit = window->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    QVERIFY2(nameEdit, "not a file dialog with a name field");
    nameEdit->setText(path);
    QMetaObject::invokeMethod(window, "accept", Qt::QueuedConnection);
}

void ModalCloser::pressKey(QWidget* window, Qt::Key key)
{
    QWidget* receiver = window->focusWidget() ? window->focusWidget() : window;
    QTest::keyClick(receiver, key);
}

bool ModalCloser::hasFired() const { return m_bFired && (m_pTarget.isNull() || !m_pTarget->isVisible()); }

void ModalCloser::slotPoll()
{
    if (m_bFired) {
        if (m_pTarget.isNull() || !m_pTarget->isVisible()) {
            m_timer.stop();
            return;
        }
        if (m_elapsedSinceAction.elapsed() < kAnswerWaitMs)
            return;
        if (m_nActions < kMaxActions) {
            ++m_nActions;
            m_elapsedSinceAction.restart();
            m_action(m_pTarget);
            return;
        }
        qWarning("ModalCloser: %s still open after %d answers; rejected", m_pTarget->metaObject()->className(),
                 m_nActions);
        m_timer.stop();
        m_bFired = false;
        if (auto* dialog = qobject_cast<QDialog*>(m_pTarget.data()))
            dialog->reject();
        else
            m_pTarget->close();
        return;
    }
    QWidget* modal = findModal(m_baClassName);
    if (!modal)
        return;
    m_bFired = true;
    m_pTarget = modal;
    m_nActions = 1;
    m_elapsedSinceAction.start();
    m_action(modal);
}

} // namespace TestKit
