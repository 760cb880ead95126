#include "Peekmeter.h"

#include <QPainter>

namespace ZADovuzIdida {

Peekmeter::Peekmeter(QWidget* parent) : QWidget(parent) {}

int Peekmeter::valueDb() const { return m_nValueDb; }

int Peekmeter::value() const { return (m_nValueDb * 100 + 7000) / 80; }

void Peekmeter::slotSetValue(int dB)
{
    m_nValueDb = qBound(-70, dB, 10);
    repaint();
}

void Peekmeter::paintEvent(QPaintEvent* event)
{
    {
        QPainter painter(this);
        draw(&painter);
    }
    QWidget::paintEvent(event);
}

void Peekmeter::draw(QPainter* painter)
{
    const int h = height();
    const int bar = value() * h / 100;
    if (bar > 0)
        painter->fillRect(QRect(QPoint(0, h - bar), QPoint(width() - 1, h - 1)), Qt::red);
}

} // namespace ZADovuzIdida
