#include "DecoratedDial.h"

#include <QPainter>

DecoratedDial::DecoratedDial(QWidget* parent) : QDial(parent) { setObjectName(QStringLiteral("DecoratedDial")); }

void DecoratedDial::paintEvent(QPaintEvent* event)
{
    QDial::paintEvent(event);
    QPainter painter(this);
    painter.drawText(rect(), Qt::AlignHCenter | Qt::AlignBottom, tr("min         max"));
}
