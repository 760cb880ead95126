#include "AdvancedLabel.h"

#include <MGraphX/ImageProcess.h>

#include <QPainter>

namespace VUVararer {

namespace {

// Added to each colour channel of the picture while the mouse is over the label.
constexpr int sm_nHoverBrightness = 30;

} // namespace

AdvancedLabel::AdvancedLabel(QWidget* parent) : QWidget(parent) { setMinimumSize(16, 16); }

void AdvancedLabel::setText(const QString& text)
{
    m_strText = text;
    repaint();
}

void AdvancedLabel::setBackgroundPixmap(const QPixmap& pixmap)
{
    m_pxmBackground = pixmap;
    repaint();
}

void AdvancedLabel::setMargin(int margin)
{
    m_nMargin = margin;
    repaint();
}

void AdvancedLabel::mousePressEvent(QMouseEvent* event)
{
    emit clicked();
    QWidget::mousePressEvent(event);
}

void AdvancedLabel::enterEvent(QEvent* event)
{
    m_bHover = true;
    setCursor(Qt::PointingHandCursor);
    QWidget::enterEvent(event);
    repaint();
}

void AdvancedLabel::leaveEvent(QEvent* event)
{
    m_bHover = false;
    setCursor(Qt::ArrowCursor);
    QWidget::leaveEvent(event);
    repaint();
}

void AdvancedLabel::paintEvent(QPaintEvent* event)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing, true);
    if (!m_pxmBackground.isNull()) {
        QImage picture = m_pxmBackground.toImage().scaled(width() - 2 * m_nMargin, height() - 2 * m_nMargin,
                                                          Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        if (m_bHover)
            picture = MGraphX::ImageProcess(picture).brightness(sm_nHoverBrightness).toImage();
        painter.drawImage(m_nMargin, m_nMargin, picture);
    }
    if (!m_strText.isEmpty()) {
        painter.setFont(QFont(QStringLiteral("Courier"), 9, 75, false));
        painter.drawText(QRect(QPoint(0, 0), QPoint(width(), height())), Qt::AlignHCenter | Qt::TextWordWrap,
                         m_strText);
    }
    painter.end();
    QWidget::paintEvent(event);
}

} // namespace VUVararer
