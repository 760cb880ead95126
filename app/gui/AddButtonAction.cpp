#include "AddButtonAction.h"

#include <QIcon>
#include <QMouseEvent>
#include <QPainter>

AddButtonAction::AddButtonAction(QObject* parent) : QAction(parent), m_pxmButton(QStringLiteral(":/PopupButton.png"))
{
    QIcon icon;
    icon.addPixmap(m_pxmButton, QIcon::Normal, QIcon::On);
    icon.addPixmap(m_pxmButton, QIcon::Normal, QIcon::Off);
    setIcon(icon);
}

void AddButtonAction::draw(QPainter* painter)
{
    const int nSide = m_pxmButton.height() / 4;
    painter->drawPixmap(QRect(m_rect.left(), m_rect.top() + m_rect.height() / 8, nSide, nSide), m_pxmButton);
}

void AddButtonAction::event(QEvent* event, const QModelIndex& index)
{
    const QEvent::Type type = event->type();
    if (type != QEvent::MouseButtonPress && type != QEvent::MouseButtonRelease)
        return;
    const auto* pMouse = static_cast<QMouseEvent*>(event);
    if (!m_rect.contains(pMouse->localPos().toPoint()))
        return;
    if (type == QEvent::MouseButtonRelease) {
        m_pxmButton = icon().pixmap(m_pxmButton.size(), QIcon::Normal, QIcon::On);
    } else {
        m_pxmButton = icon().pixmap(m_pxmButton.size(), QIcon::Normal, QIcon::Off);
        emit triggered(index, m_rect.topLeft());
    }
}
