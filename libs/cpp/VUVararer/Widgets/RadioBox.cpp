#include "RadioBox.h"

#include "DropArrow.h"

#include <VUVararer/App.h>
#include <VUVararer/Common.h>

#include <QAbstractButton>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

namespace VUVararer {

namespace {

QPixmap grabButton(QAbstractButton* button) { return button->grab(QRect(QPoint(0, 0), button->size())); }

} // namespace

RadioBox::RadioBox(QBoxLayout::Direction direction, QWidget* parent)
    : QWidget(parent), m_pLayout(new QBoxLayout(direction, this))
{
    m_pLayout->setContentsMargins(0, 0, 0, 0);
    m_pLayout->setSpacing(0);
    QPalette pal = palette();
    pal.setBrush(QPalette::Window, QBrush(Qt::green));
    setPalette(pal);
}

void RadioBox::addButton(QAbstractButton* button)
{
    button->setCheckable(true);
    m_pLayout->addWidget(button);
    connect(button, SIGNAL(clicked()), this, SLOT(slotButtonClicked()));
}

void RadioBox::slotButtonClicked()
{
    auto* pSender = qobject_cast<QAbstractButton*>(sender());
    if (!pSender)
        return;
    for (QAbstractButton* button : findChildren<QAbstractButton*>())
        button->setChecked(false);
    pSender->setChecked(true);
}

UltraRadioBoxPopup::UltraRadioBoxPopup(QWidget* parent, Qt::WindowFlags flags) : QWidget(parent, flags) {}

bool UltraRadioBoxPopup::event(QEvent* event)
{
    switch (event->type()) {
    case QEvent::Enter:
        m_bInAction = true;
        break;
    case QEvent::Leave:
        m_bInAction = false;
        break;
    case QEvent::WindowDeactivate:
        hide();
        break;
    default:
        break;
    }
    return QWidget::event(event);
}

UltraRadioBox::UltraRadioBox(QWidget* parent) : QWidget(parent)
{
    setMouseTracking(true);
    m_pPopup = new UltraRadioBoxPopup(this, Qt::Window | Qt::FramelessWindowHint);
    m_pvblPopup = new QVBoxLayout(m_pPopup);
    m_pvblPopup->setContentsMargins(0, 0, 0, 0);
    m_pvblPopup->setSpacing(0);
    m_pPopup->hide();
    m_pPopup->setWindowOpacity(0.6);
}

void UltraRadioBox::addButton(QAbstractButton* button, const QString& text)
{
    auto* pcmdText = new QPushButton(text);
    m_mapTextButtons.insert(button, pcmdText);
    auto* phblRow = new QHBoxLayout;
    phblRow->setContentsMargins(2, 2, 2, 2);
    phblRow->setSpacing(2);
    phblRow->addWidget(button);
    phblRow->addWidget(pcmdText);
    button->setCheckable(true);
    button->setChecked(false);
    Common::applyPushButtonDetails(pcmdText);
    connect(pcmdText, SIGNAL(clicked()), button, SLOT(click()));
    m_pvblPopup->addLayout(phblRow);
    setFixedSize(button->size());
    connect(button, SIGNAL(clicked()), this, SLOT(slotButtonClicked()));
    m_pixDisplayed = grabButton(button);
    update();
}

void UltraRadioBox::setCurrentButton(QAbstractButton* button)
{
    if (!button)
        return;
    m_pCurrentButton = button;
    for (auto it = m_mapTextButtons.cbegin(); it != m_mapTextButtons.cend(); ++it) {
        it.key()->setChecked(false);
        it.key()->show();
        it.value()->show();
    }
    m_pixHover = grabButton(button);
    button->setChecked(true);
    button->hide();
    if (QPushButton* pcmdText = m_mapTextButtons.value(button))
        pcmdText->hide();
    m_pPopup->hide();
    m_pixDisplayed = grabButton(button);
    m_pixNormal = m_pixDisplayed;
    QPushButton* pcmdText = m_mapTextButtons.value(button);
    setToolTip(pcmdText ? pcmdText->text() : QString());
    update();
}

void UltraRadioBox::setVisibleButton(QAbstractButton* button, bool visible)
{
    button->setVisible(visible);
    if (QPushButton* pcmdText = m_mapTextButtons.value(button))
        pcmdText->setVisible(visible);
}

void UltraRadioBox::setOpacity(double value) { m_pPopup->setWindowOpacity(qBound(0.0, value, 1.0)); }

void UltraRadioBox::hidePopup() { m_pPopup->hide(); }

void UltraRadioBox::slotButtonClicked()
{
    auto* pSender = qobject_cast<QAbstractButton*>(sender());
    if (!pSender)
        return;
    setCurrentButton(pSender);
    emit buttonClicked();
}

void UltraRadioBox::enterEvent(QEvent* event)
{
    if (m_pCurrentButton) {
        m_pixDisplayed = m_pixHover;
        update();
    }
    QWidget::enterEvent(event);
}

void UltraRadioBox::leaveEvent(QEvent* event)
{
    if (m_pCurrentButton) {
        m_pixDisplayed = m_pixNormal;
        update();
    }
    QWidget::leaveEvent(event);
}

void UltraRadioBox::mousePressEvent(QMouseEvent* event)
{
    m_pPopup->move(mapToGlobal(QPoint(0, 0)) + QPoint(0, height()));
    m_pPopup->raise();
    m_pPopup->setVisible(!m_pPopup->isVisible());
    const int nTransparency = App::theApp()->settingsValue("TransparencyParameters/UltraRadioPopups", 35).toInt();
    setOpacity(Common::opacityFor(nTransparency));
    QWidget::mousePressEvent(event);
    emit actionPerformed();
}

void UltraRadioBox::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.drawPixmap(rect(), m_pixDisplayed);
    paintDropArrow(painter, size());
}

} // namespace VUVararer
