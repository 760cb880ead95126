#include "ColorWidget.h"

#include "DropArrow.h"

#include <QGridLayout>
#include <QLinearGradient>
#include <QPainter>
#include <QPushButton>

namespace VUVararer {

namespace {

const int kColumns = 8;
const int kButtonSide = 20;

const char* const kColorNames[] = {
    "#ffffff", "#ffc0c0", "#ffe0c0", "#ffffc0", "#c0ffc0", "#c0ffff", "#c0c0ff", "#ffc0ff", //
    "#e0e0e0", "#ff8080", "#ffc080", "#ffff80", "#80ff80", "#80ffff", "#8080ff", "#ff80ff", //
    "#c0c0c0", "#ff0000", "#ff8000", "#ffff00", "#00ff00", "#00ffff", "#0000ff", "#ff00ff", //
    "#808080", "#c00000", "#c04000", "#c0c000", "#00c000", "#00c0c0", "#0000c0", "#c000c0", //
    "#404040", "#800000", "#804000", "#808000", "#008000", "#008080", "#000080", "#800080", //
    "#000000", "#400000", "#804040", "#404000", "#004000", "#004040", "#000040", "#400040"};

} // namespace

ColorWidgetPopup::ColorWidgetPopup(QWidget* parent, Qt::WindowFlags flags) : QWidget(parent, flags)
{
    setObjectName("ColorWidgetPopup");
    auto* pgrdColors = new QGridLayout(this);
    pgrdColors->setContentsMargins(5, 5, 5, 5);
    pgrdColors->setSpacing(2);
    const QStringList names = colorNames();
    for (int n = 0; n < names.size(); ++n)
        pgrdColors->addWidget(createButton(QColor(names.at(n))), n / kColumns, n % kColumns);
}

QStringList ColorWidgetPopup::colorNames()
{
    QStringList names;
    for (const char* name : kColorNames)
        names << QString::fromLatin1(name);
    return names;
}

QPushButton* ColorWidgetPopup::createButton(const QColor& color)
{
    auto* pcmdColor = new QPushButton(this);
    pcmdColor->setFlat(true);
    pcmdColor->setFixedSize(kButtonSide, kButtonSide);
    pcmdColor->setToolTip(color.name());
    QPixmap pixmap(kButtonSide, kButtonSide);
    pixmap.fill(color);
    pcmdColor->setIcon(QIcon(pixmap));
    pcmdColor->setIconSize(pixmap.size());
    connect(pcmdColor, SIGNAL(clicked()), this, SLOT(slotColorChanged()));
    return pcmdColor;
}

void ColorWidgetPopup::slotColorChanged()
{
    auto* pcmdColor = qobject_cast<QPushButton*>(sender());
    if (!pcmdColor)
        return;
    const QImage image = pcmdColor->icon().pixmap(kButtonSide, kButtonSide).toImage();
    emit colorChanged(image.pixelColor(0, 0));
    m_bInAction = false;
    hide();
}

void ColorWidgetPopup::enterEvent(QEvent* event)
{
    m_bInAction = true;
    QWidget::enterEvent(event);
}

void ColorWidgetPopup::leaveEvent(QEvent* event)
{
    m_bInAction = false;
    hide();
    QWidget::leaveEvent(event);
}

ColorWidget::ColorWidget(QWidget* parent) : QWidget(parent), m_pPopup(new ColorWidgetPopup(this))
{
    setMouseTracking(true);
    setMinimumSize(10, 10);
    m_pPopup->hide();
    m_pPopup->setWindowOpacity(1.0);
    connect(m_pPopup, SIGNAL(colorChanged(QColor)), this, SLOT(slotColorChanged(QColor)));
}

void ColorWidget::setColor(const QColor& color)
{
    m_color = color;
    update();
}

void ColorWidget::setOpacity(double value) { m_pPopup->setWindowOpacity(qBound(0.0, value, 1.0)); }

void ColorWidget::slotColorChanged(const QColor& color)
{
    setColor(color);
    emit colorChanged(color);
}

void ColorWidget::mousePressEvent(QMouseEvent* event)
{
    m_pPopup->move(mapToGlobal(QPoint(0, 0)) + QPoint(0, height()));
    m_pPopup->setVisible(!m_pPopup->isVisible());
    QWidget::mousePressEvent(event);
}

void ColorWidget::paintEvent(QPaintEvent*)
{
    const int w = width(), h = height();
    const QRect well(QPoint(0, 0), QPoint(w - 1, h - 1));
    QPainter painter(this);
    painter.setBrush(m_color);
    painter.drawRect(well);
    QLinearGradient gloss(w / 2, 0, w / 2, h);
    gloss.setColorAt(0, Qt::white);
    gloss.setColorAt(1, Qt::gray);
    painter.setOpacity(0.5);
    painter.setBrush(gloss);
    painter.drawRect(well);
    painter.setOpacity(1.0);
    paintDropArrow(painter, size());
}

} // namespace VUVararer
