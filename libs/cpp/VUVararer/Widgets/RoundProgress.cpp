#include "RoundProgress.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QRadialGradient>

#include <algorithm>
#include <cmath>

namespace VUVararer {

RoundProgress::RoundProgress(QWidget* parent) : QWidget(parent)
{
    setSizePolicy(QSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding, QSizePolicy::DefaultType));
}

void RoundProgress::setValue(const int& value)
{
    m_nValue = value;
    update();
}

void RoundProgress::paintEvent(QPaintEvent*)
{
    const int w = width();
    const int h = height();
    const int side = std::min(w, h);
    const QRect square((w - side) / 2, (h - side) / 2, side, side);
    const QPointF centre((square.left() + square.right()) / 2, (square.top() + square.bottom()) / 2);
    const qreal radius = side / 2;

    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);

    QRadialGradient rim(centre, radius, centre);
    rim.setColorAt(0.0, QColor(70, 70, 70));
    rim.setColorAt(0.9, QColor(200, 200, 200));
    rim.setColorAt(1.0, QColor(100, 100, 100));
    painter.setBrush(rim);
    painter.drawEllipse(square);

    QRadialGradient pie(centre, radius, centre);
    pie.setColorAt(0.0, QColor(0, 10, 0));
    pie.setColorAt(0.9, QColor(0, 100, 0));
    pie.setColorAt(1.0, QColor(0, 255, 0));
    painter.setBrush(pie);
    painter.drawPie(square, 1440, -int(float(m_nValue) * 3.6f * 16.0f));

    const int margin = side / 10;
    const int hubSide = side - margin;
    painter.setBrush(QColor(45, 45, 45));
    painter.drawEllipse(QRect((w - hubSide) / 2, (h - hubSide) / 2, hubSide, hubSide));

    // Sizes are in pixels (a point is a pixel on the desktops these sizes were chosen for).
    QFont font(QStringLiteral("System"));
    font.setPixelSize(std::max(side / 3, 1));
    font.setWeight(QFont::Normal);
    font.setItalic(false);
    // Whatever it reads, the text's box stays inside the hub: its diagonal is shrunk to a share of the hub.
    const QString text = QString::number(m_nValue) + QLatin1Char('%');
    const QRectF ink = QFontMetricsF(font).tightBoundingRect(text);
    const qreal diagonal = std::hypot(ink.width(), ink.height());
    const qreal room = hubSide * 0.85;
    if (diagonal > room)
        font.setPixelSize(std::max(int(font.pixelSize() * room / diagonal), 1));
    painter.setFont(font);
    painter.setPen(QColor(0, 210, 0));
    painter.drawText(rect(), Qt::AlignCenter, text);
}

} // namespace VUVararer
