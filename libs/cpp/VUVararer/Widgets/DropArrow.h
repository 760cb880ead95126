#pragma once
// The small white downward arrow that the choosers paint in their lower-right corner.

#include <QPainter>
#include <QPolygon>
#include <QSize>

namespace VUVararer {

inline void paintDropArrow(QPainter& painter, const QSize& size)
{
    painter.save();
    painter.setBrush(Qt::white);
    painter.translate(size.width() - 9, size.height() - 7);
    painter.drawPolygon(QPolygon({QPoint(0, 0), QPoint(8, 0), QPoint(4, 4)}));
    painter.restore();
}

} // namespace VUVararer
