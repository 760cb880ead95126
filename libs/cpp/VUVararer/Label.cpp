#include "Label.h"

#include "App.h"

#include <QPainter>

namespace VUVararer {

Label::Label(QWidget* parent) : QLabel(parent) {}

void Label::setRetinaPixmap(const QPixmap& pixmap)
{
    m_pxmRetina = pixmap;
    update();
}

void Label::paintEvent(QPaintEvent* event)
{
    QLabel::paintEvent(event);
    if (m_pxmRetina.isNull())
        return;
    QPainter painter(this);
    if (m_dOpacity < 1.0)
        painter.setOpacity(m_dOpacity);
    const double r = App::theApp()->devicePixelRatio();
    const QSize target(int(width() * r), int(height() * r));
    if (m_mode == Fit) {
        const QPixmap scaled = m_pxmRetina.scaled(target, Qt::KeepAspectRatio, Qt::SmoothTransformation);
        const int w = int(scaled.width() / r);
        const int h = int(scaled.height() / r);
        painter.drawPixmap(
            QRect(int((width() - scaled.width() / r) * 0.5), int((height() - scaled.height() / r) * 0.5), w, h),
            scaled);
    } else {
        const QPixmap scaled = m_pxmRetina.scaled(target, Qt::KeepAspectRatioByExpanding, Qt::SmoothTransformation);
        painter.drawPixmap(QRect(0, 0, int(scaled.width() / r), int(scaled.height() / r)), scaled);
    }
}

} // namespace VUVararer
