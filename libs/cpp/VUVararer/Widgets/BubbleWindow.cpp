#include "BubbleWindow.h"

#include <QApplication>
#include <QPainter>
#include <QPropertyAnimation>

namespace VUVararer {

namespace {

const qreal kPointer = 20;

} // namespace

BubbleWindow::BubbleWindow(QWidget* parent, const QColor& fillColor)
    : QFrame(parent, Qt::Tool | Qt::FramelessWindowHint), m_colorFill(fillColor)
{
    setAttribute(Qt::WA_TranslucentBackground);
    setAttribute(Qt::WA_DeleteOnClose);
}

void BubbleWindow::setFillColor(const QColor& color)
{
    m_colorFill = color;
    update();
}

void BubbleWindow::setFromButtomToTop(bool on)
{
    m_bFromBottomToTop = on;
    update();
}

void BubbleWindow::activateHideOnFocusChanged()
{
    connect(qApp, SIGNAL(focusChanged(QWidget*, QWidget*)), this, SLOT(slotFocusChanged(QWidget*, QWidget*)),
            Qt::UniqueConnection);
}

void BubbleWindow::slotFocusChanged(QWidget*, QWidget*)
{
    if (!isActiveWindow())
        hide();
}

void BubbleWindow::showEvent(QShowEvent* event)
{
    if (m_pShowAnimation)
        m_pShowAnimation->start();
    QFrame::showEvent(event);
}

void BubbleWindow::hideEvent(QHideEvent* event)
{
    if (m_pHideAnimation)
        m_pHideAnimation->start();
    QFrame::hideEvent(event);
}

void BubbleWindow::mousePressEvent(QMouseEvent*) { hide(); }

QPolygonF BubbleWindow::outline(const QSize& size) const
{
    const qreal w = size.width(), h = size.height(), c = w / 2.0;
    if (m_bFromBottomToTop)
        return QPolygonF({{0, 0},
                          {w, 0},
                          {w, h - kPointer},
                          {c + kPointer, h - kPointer},
                          {c, h},
                          {c - kPointer, h - kPointer},
                          {0, h - kPointer}});
    return QPolygonF({{0, 23},
                      {3, 20},
                      {c - kPointer, 20},
                      {c, 0},
                      {c + kPointer, 20},
                      {w - 2, 20},
                      {w, 23},
                      {w, h - 2},
                      {w - 2, h},
                      {3, h},
                      {0, h - 2}});
}

void BubbleWindow::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(m_colorFill, 1, Qt::SolidLine, Qt::SquareCap, Qt::RoundJoin));
    painter.setBrush(m_colorFill);
    painter.drawPolygon(outline(size()), Qt::OddEvenFill);
}

} // namespace VUVararer
