#include "Fade.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPolygon>

#include <cstdlib>

namespace {

void paintMarkerAndRamp(QWidget* widget, int x, bool bFadeIn)
{
    const int w = widget->width();
    const int h = widget->height();
    QPainter painter(widget);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::darkRed);
    painter.drawLine(x, 0, x, h);
    painter.setBrush(Qt::darkRed);
    painter.drawPolygon(QPolygon({QPoint(x, h - 15), QPoint(x - 10, h), QPoint(x + 10, h)}));
    painter.setPen(Qt::blue);
    if (bFadeIn) {
        painter.drawLine(0, h, x, 10);
        painter.drawLine(x, 10, w, 10);
    } else {
        painter.drawLine(w, h, x, 10);
        painter.drawLine(x, 10, 0, 10);
    }
}

} // namespace

Fade::Fade(QWidget* parent) : QFrame(parent)
{
    setObjectName(QStringLiteral("FadeWidget"));
    setFrameStyle(QFrame::Box | QFrame::Raised);
    setMidLineWidth(1);
}

void Fade::setValue(const float& value)
{
    if (value > m_range.second)
        m_fValue = m_range.second;
    else if (value < m_range.first)
        m_fValue = m_range.first;
    else
        m_fValue = value;
    update();
}

void Fade::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillRect(rect(), isEnabled() ? QColor(210, 210, 210) : QColor(Qt::transparent));
    QFont font(QStringLiteral("System"));
    font.setPointSize(50);
    font.setWeight(QFont::Normal);
    painter.setFont(font);
    painter.drawText(rect(), Qt::AlignCenter, QString::number(int(m_fValue)));
}

void Fade::resizeEvent(QResizeEvent*) {}

int Fade::span() const { return std::abs(m_range.second - m_range.first); }

int Fade::markerOffset() const
{
    if (span() == 0)
        return 0;
    const int percent = int(m_fValue * 100.0f / float(span()));
    return int(float(width()) * float(percent) / 100.0f);
}

bool Fade::secondsAt(double x, int& seconds) const
{
    if (width() <= 0 || span() == 0)
        return false;
    seconds = (qRound(x) * span()) / width();
    return true;
}

void FadeIn::paintEvent(QPaintEvent* event)
{
    Fade::paintEvent(event);
    paintMarkerAndRamp(this, markerOffset(), true);
    QFrame::paintEvent(event);
}

void FadeIn::mousePressEvent(QMouseEvent* event) { takeMouse(event); }

void FadeIn::mouseMoveEvent(QMouseEvent* event) { takeMouse(event); }

void FadeIn::takeMouse(QMouseEvent* event)
{
    int seconds = 0;
    if (secondsAt(event->localPos().x(), seconds))
        setValue(float(seconds));
}

void FadeOut::paintEvent(QPaintEvent* event)
{
    Fade::paintEvent(event);
    paintMarkerAndRamp(this, width() - markerOffset(), false);
    QFrame::paintEvent(event);
}

void FadeOut::mousePressEvent(QMouseEvent* event) { takeMouse(event); }

void FadeOut::mouseMoveEvent(QMouseEvent* event) { takeMouse(event); }

void FadeOut::takeMouse(QMouseEvent* event)
{
    int seconds = 0;
    if (secondsAt(event->localPos().x(), seconds))
        setValue(float(span() - seconds));
}
