#include "SimpleProgress.h"

#include <QFontMetrics>
#include <QLinearGradient>
#include <QPainter>
#include <QPolygon>
#include <QTimerEvent>

#include <algorithm>

namespace VUVararer {

SimpleProgress::SimpleProgress(QWidget* parent) : QWidget(parent)
{
    setSizePolicy(QSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed, QSizePolicy::DefaultType));
    setMinimumHeight(20);
    startAnimation();
}

void SimpleProgress::setValue(const int& value)
{
    m_nValue = value;
    if (m_nValue == 0)
        startAnimation();
    update();
}

void SimpleProgress::startAnimation()
{
    if (m_nTimerId == 0)
        m_nTimerId = startTimer(100, Qt::CoarseTimer);
}

void SimpleProgress::timerEvent(QTimerEvent* event)
{
    if (event->timerId() != m_nTimerId) {
        QWidget::timerEvent(event);
        return;
    }
    if (m_nValue != 0) {
        killTimer(m_nTimerId);
        m_nTimerId = 0;
    }
    m_nPhase = m_nPhase < width() / 20 ? m_nPhase + 1 : 0;
    update();
}

void SimpleProgress::paintEvent(QPaintEvent*)
{
    const int w = width();
    const int h = height();

    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);

    QLinearGradient background(0, 0, 0, h);
    background.setColorAt(0.0, QColor(100, 100, 100));
    background.setColorAt(0.5, QColor(150, 150, 150));
    background.setColorAt(1.0, QColor(100, 100, 100));
    painter.fillRect(rect(), background);

    QLinearGradient bar(0, 0, 0, h);
    bar.setColorAt(0.0, QColor(0, 140, 0));
    bar.setColorAt(0.5, QColor(0, 230, 0));
    bar.setColorAt(1.0, QColor(0, 140, 0));
    painter.setBrush(bar);

    if (m_nValue != 0) {
        painter.drawRect(QRect(0, 0, w * m_nValue / 100, h));
    } else {
        const int s = w / 20;
        for (int k = 0; k <= 20; k += 2) {
            const int x = k * s + m_nPhase;
            const QPolygon stripe({QPoint(x - s, 0), QPoint(x, 0), QPoint(x - 2 * s, h), QPoint(x - 3 * s, h)});
            painter.drawPolygon(stripe, Qt::OddEvenFill);
        }
    }

    painter.setFont(textFont());
    painter.setPen(QColor(255, 250, 255));
    painter.drawText(rect(), Qt::AlignCenter, shownText());
}

QFont SimpleProgress::textFont() const
{
    // Sizes are in pixels (a point is a pixel on the desktops these sizes were chosen for).
    QFont font(QStringLiteral("System"));
    font.setPixelSize(std::max(int(float(height()) * 0.8f), 1));
    font.setWeight(QFont::Normal);
    font.setItalic(false);
    return font;
}

QString SimpleProgress::shownText() const
{
    return QFontMetrics(textFont(), this).elidedText(m_strText, Qt::ElideMiddle, width());
}

} // namespace VUVararer
