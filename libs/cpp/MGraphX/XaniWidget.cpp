#include "XaniWidget.h"

#include <QPainter>

namespace MGraphX {

XaniWidget::XaniWidget(QWidget* parent) : QWidget(parent), m_xani(QString(), nullptr)
{
    connect(&m_xani, SIGNAL(frameChanged()), this, SLOT(repaint()));
}

void XaniWidget::load(const Xani& animation) { m_xani = animation; }

void XaniWidget::play() { m_xani.start(); }

void XaniWidget::stop() { m_xani.stop(); }

void XaniWidget::paintEvent(QPaintEvent* event)
{
    {
        QPainter painter(this);
        painter.drawImage(rect(), m_xani, m_xani.rect());
    }
    QWidget::paintEvent(event);
}

} // namespace MGraphX
