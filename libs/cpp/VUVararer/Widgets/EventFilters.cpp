#include "EventFilters.h"

#include <QApplication>
#include <QComboBox>
#include <QDesktopWidget>
#include <QEvent>
#include <QPainter>
#include <QPolygon>

namespace VUVararer {

bool CenterFilter::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Show) {
        m_pWidget = qobject_cast<QWidget*>(watched);
        if (m_pWidget)
            doOnVisibleAction();
    }
    return false;
}

void CenterFilter::doOnVisibleAction()
{
    if (!m_pWidget)
        return;
    const QWidget* pReference = m_pWidget->parentWidget();
    const QSize reference = pReference ? pReference->size() : QApplication::desktop()->size();
    const QPoint target(reference.width() / 2 - m_pWidget->width() / 2,
                        reference.height() / 2 - m_pWidget->height() / 2);
    // A window's position is global: over a parent it is the parent's corner plus the offset.
    const QPoint position =
        pReference && m_pWidget->isWindow() ? pReference->mapToGlobal(QPoint(0, 0)) + target : target;
    if (m_pWidget->pos() != position)
        m_pWidget->move(position);
}

void CenterFilter::slotResized(int)
{
    if (m_pWidget && m_pWidget->isVisible())
        doOnVisibleAction();
}

bool ComboBoxFilter::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::Paint)
        return false;
    m_pComboBox = qobject_cast<QComboBox*>(watched);
    if (!m_pComboBox)
        return false;
    const int w = m_pComboBox->width(), h = m_pComboBox->height();
    const QPalette& pal = m_pComboBox->palette();
    const QColor text = pal.color(QPalette::Text);
    QPainter painter(m_pComboBox);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(pal.text(), 2.0));
    painter.setBrush(pal.base());
    painter.drawRect(0, 0, w, h);
    painter.setPen(text);
    painter.drawText(QRect(0, 0, w, h), Qt::AlignCenter | Qt::TextWordWrap, m_pComboBox->currentText());
    painter.setBrush(text);
    painter.drawPolygon(QPolygon({QPoint(w, h), QPoint(w, int(h / 1.5)), QPoint(w - h / 3, h)}));
    return true;
}

} // namespace VUVararer
