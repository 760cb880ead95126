#include "ComboProgress.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QPainter>

namespace VUVararer {

namespace {

// A light square, readable on dark and light backgrounds alike thanks to its dark rim.
QIcon stopIcon()
{
    QPixmap pixmap(10, 10);
    pixmap.fill(QColor(90, 90, 90));
    QPainter painter(&pixmap);
    painter.fillRect(1, 1, 8, 8, QColor(225, 225, 225));
    return QIcon(pixmap);
}

} // namespace

ComboProgress::ComboProgress(QWidget* parent)
    : QWidget(parent), m_pprgBar(new QProgressBar(this)), m_pcmdStop(new QPushButton(this)),
      m_plblInfo(new QLabel(this))
{
    m_pprgBar->setRange(0, 100);
    m_pcmdStop->setFlat(true);
    m_pcmdStop->setFixedSize(20, 20);
    m_pcmdStop->setObjectName("ComboProgressStop");
    m_pcmdStop->setToolTip(tr("Stop"));
    m_pcmdStop->setIcon(stopIcon());
    connect(m_pcmdStop, SIGNAL(clicked()), this, SLOT(slotStopPressed()));
    auto* phblMain = new QHBoxLayout(this);
    phblMain->setContentsMargins(0, 0, 0, 0);
    phblMain->setSpacing(0);
    phblMain->addWidget(m_pprgBar);
    phblMain->addWidget(m_pcmdStop);
    phblMain->addWidget(m_plblInfo);
    setLabelMode(true);
}

int ComboProgress::progress() const { return m_pprgBar->value(); }

void ComboProgress::setLabelMode(bool on)
{
    m_plblInfo->setVisible(on);
    m_pprgBar->setVisible(!on);
    m_pcmdStop->setVisible(!on);
}

void ComboProgress::slotSetProgress(int value)
{
    if (value >= 100) {
        setLabelMode(true);
        return;
    }
    if (!m_plblInfo->isHidden()) {
        setLabelMode(false);
        m_bStopped = false;
    }
    m_pprgBar->setValue(qMax(0, value));
}

void ComboProgress::slotStopPressed()
{
    m_bStopped = true;
    if (m_plblInfo->isHidden())
        setLabelMode(true);
}

} // namespace VUVararer
