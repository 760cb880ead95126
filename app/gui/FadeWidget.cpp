#include "FadeWidget.h"

#include "Fade.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

FadeWidget::FadeWidget(bool fadeIn, QWidget* parent) : QWidget(parent)
{
    m_pbtnInc = new QPushButton(QStringLiteral("+"), this);
    m_pbtnDec = new QPushButton(QStringLiteral("-"), this);
    for (QPushButton* button : {m_pbtnInc, m_pbtnDec}) {
        button->setObjectName(QStringLiteral("FadeButton"));
        button->setFlat(true);
        button->setFixedWidth(32);
    }
    auto* buttons = new QVBoxLayout;
    buttons->setContentsMargins(0, 0, 0, 0);
    buttons->setSpacing(0);
    buttons->addWidget(m_pbtnInc);
    buttons->addWidget(m_pbtnDec);

    m_pFade = fadeIn ? static_cast<Fade*>(new FadeIn(this)) : static_cast<Fade*>(new FadeOut(this));

    connect(m_pbtnInc, SIGNAL(clicked()), this, SLOT(slotInc()));
    connect(m_pbtnDec, SIGNAL(clicked()), this, SLOT(slotDec()));

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_pFade);
    layout->addLayout(buttons);
}

void FadeWidget::setRange(const QPair<int, int>& range) { m_pFade->setRange(range); }

float FadeWidget::value() const { return m_pFade->value(); }

void FadeWidget::setValue(const float& value) { m_pFade->setValue(value); }

void FadeWidget::slotInc()
{
    if (m_pFade->value() < m_pFade->range().second)
        m_pFade->setValue(m_pFade->value() + 1.0f);
}

void FadeWidget::slotDec()
{
    if (m_pFade->value() > m_pFade->range().first)
        m_pFade->setValue(m_pFade->value() - 1.0f);
}
