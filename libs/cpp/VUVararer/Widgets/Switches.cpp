#include "Switches.h"

#include <VUVararer/Common.h>

#include <QHBoxLayout>
#include <QLabel>
#include <QPropertyAnimation>
#include <QSignalTransition>
#include <QSlider>
#include <QSpinBox>
#include <QState>
#include <QStateMachine>
#include <QStyle>

namespace VUVararer {

namespace {

const int kSlideMs = 400;
const int kComboSliderTicks = 20;

} // namespace

CheckButton::CheckButton(QWidget* parent) : QPushButton(parent)
{
    setCheckable(true);
    setChecked(false);
    connect(this, SIGNAL(toggled(bool)), this, SLOT(slotClicked(bool)));
}

void CheckButton::slotClicked(bool checked)
{
    if (checked)
        emit onClicked();
    else
        emit offClicked();
}

AniSwitch::AniSwitch(QWidget* parent) : QWidget(parent) {}

void AniSwitch::init(bool withIcon, bool checked)
{
    if (m_bInitialized)
        return;
    m_bInitialized = true;
    const int w = width(), h = height();

    m_pcmdIcon = new CheckButton(this);
    m_pcmdIcon->setFlat(true);
    m_pcmdIcon->setFixedSize(h, h);
    m_pcmdIcon->setIcon(style()->standardIcon(QStyle::SP_DialogApplyButton));
    Common::extend(m_pcmdIcon, "AniSwitchIcon", QString());
    m_pcmdIcon->blockSignals(true);
    m_pcmdIcon->setChecked(checked);
    m_pcmdIcon->blockSignals(false);
    connect(m_pcmdIcon, SIGNAL(toggled(bool)), this, SIGNAL(toggled(bool)));

    const int nHandleWidth = withIcon ? w / 2 - h / 2 : w / 2;
    m_pwgtArea = new QWidget(this);
    auto* phblArea = new QHBoxLayout(m_pwgtArea);
    phblArea->setContentsMargins(0, 0, 0, 0);
    phblArea->setSpacing(0);
    // The handle covers one area; the other one shows the state and switches on a click.
    auto* pcmdOnArea = new QPushButton(tr("On"), m_pwgtArea);
    auto* pcmdOffArea = new QPushButton(tr("Off"), m_pwgtArea);
    for (QPushButton* pcmdArea : {pcmdOnArea, pcmdOffArea})
        pcmdArea->setFixedSize(nHandleWidth, h);
    Common::extend(pcmdOnArea, "AniSwitchOnArea", QString());
    Common::extend(pcmdOffArea, "AniSwitchOffArea", QString());
    phblArea->addWidget(pcmdOnArea);
    phblArea->addStretch();
    phblArea->addWidget(pcmdOffArea);
    connect(pcmdOnArea, SIGNAL(clicked()), this, SLOT(slotSetOff()));
    connect(pcmdOffArea, SIGNAL(clicked()), this, SLOT(slotSetOn()));

    m_pcmdHandle = new QPushButton(m_pwgtArea);
    m_pcmdHandle->setFlat(true);
    m_pcmdHandle->setAutoFillBackground(true);
    QPalette handlePalette = m_pcmdHandle->palette();
    handlePalette.setColor(QPalette::Button, handlePalette.color(QPalette::Button).lighter(150));
    m_pcmdHandle->setPalette(handlePalette);
    Common::extend(m_pcmdHandle, "AniSwitchHandler", QString());
    if (!withIcon)
        m_pcmdIcon->hide();
    m_pcmdHandle->setFixedSize(nHandleWidth, h);
    m_pcmdHandle->move(checked ? QPoint(nHandleWidth, 0) : QPoint(0, 0));
    m_pcmdHandle->show();
    m_pcmdHandle->raise();

    m_pMachine = new QStateMachine(this);
    auto* pOff = new QState(m_pMachine);
    auto* pOn = new QState(m_pMachine);
    pOff->assignProperty(m_pcmdHandle, "pos", QPoint(0, 0));
    pOff->assignProperty(m_pcmdIcon, "checked", false);
    pOn->assignProperty(m_pcmdHandle, "pos", QPoint(nHandleWidth, 0));
    pOn->assignProperty(m_pcmdIcon, "checked", true);
    m_pMachine->setInitialState(checked ? pOn : pOff);

    auto* pToOn = new QPropertyAnimation(m_pcmdHandle, "pos", m_pMachine);
    auto* pToOff = new QPropertyAnimation(m_pcmdHandle, "pos", m_pMachine);
    pToOn->setDuration(kSlideMs);
    pToOff->setDuration(kSlideMs);
    pOff->addTransition(m_pcmdHandle, SIGNAL(clicked()), pOn)->addAnimation(pToOn);
    pOff->addTransition(m_pcmdIcon, SIGNAL(onClicked()), pOn)->addAnimation(pToOn);
    pOn->addTransition(m_pcmdHandle, SIGNAL(clicked()), pOff)->addAnimation(pToOff);
    pOn->addTransition(m_pcmdIcon, SIGNAL(offClicked()), pOff)->addAnimation(pToOff);
    connect(m_pMachine, SIGNAL(started()), this, SLOT(slotMachineStarted()));
    m_pMachine->start();

    auto* phblMain = new QHBoxLayout(this);
    phblMain->setContentsMargins(0, 0, 0, 0);
    phblMain->setSpacing(0);
    phblMain->addWidget(m_pcmdIcon);
    phblMain->addWidget(m_pwgtArea);
}

void AniSwitch::setOn(bool on)
{
    if (!m_pMachine)
        return;
    if (m_pMachine->isRunning()) {
        m_pcmdIcon->setChecked(on);
    } else {
        m_bHasPendingOn = true;
        m_bPendingOn = on;
    }
}

void AniSwitch::slotMachineStarted()
{
    if (m_bHasPendingOn) {
        m_bHasPendingOn = false;
        m_pcmdIcon->setChecked(m_bPendingOn);
    }
}

bool AniSwitch::isChecked() const { return m_pcmdIcon && m_pcmdIcon->isChecked(); }

void AniSwitch::slotSetOn() { setOn(true); }

void AniSwitch::slotSetOff() { setOn(false); }

ComboSlider::ComboSlider(const QString& title, QWidget* parent)
    : QFrame(parent), m_plblTitle(new QLabel(title, this)), m_psldValue(new QSlider(Qt::Horizontal, this)),
      m_pspbValue(new QSpinBox(this)), m_plblPostfix(new QLabel(this))
{
    m_plblTitle->setTextFormat(Qt::PlainText);
    m_plblTitle->setVisible(!title.isEmpty());
    m_plblPostfix->hide();
    m_psldValue->setTickPosition(QSlider::TicksBothSides);
    m_psldValue->setTickInterval(kComboSliderTicks);
    connect(m_psldValue, SIGNAL(valueChanged(int)), m_pspbValue, SLOT(setValue(int)));
    connect(m_pspbValue, SIGNAL(valueChanged(int)), this, SLOT(slotSpinValueChanged(int)));
    auto* phblMain = new QHBoxLayout(this);
    phblMain->setContentsMargins(0, 0, 0, 0);
    phblMain->setSpacing(0);
    phblMain->addWidget(m_plblTitle);
    phblMain->addWidget(m_psldValue);
    phblMain->addWidget(m_pspbValue);
    phblMain->addWidget(m_plblPostfix);
}

void ComboSlider::slotSpinValueChanged(int value)
{
    m_psldValue->blockSignals(true);
    m_psldValue->setValue(value);
    emit sliderMoved(value);
    m_psldValue->blockSignals(false);
}

void ComboSlider::setPostfix(const QString& text)
{
    m_plblPostfix->setText(text);
    m_plblPostfix->setVisible(!text.isEmpty());
}

void ComboSlider::setRange(int min, int max)
{
    m_pspbValue->setRange(min, max);
    m_psldValue->setRange(min, max);
}

void ComboSlider::setValue(int value)
{
    m_psldValue->setValue(value);
    m_pspbValue->setValue(m_psldValue->value());
}

int ComboSlider::value() const { return m_psldValue->value(); }

void ComboSlider::setSingleStep(int step) { m_psldValue->setSingleStep(step); }

void ComboSlider::setTickInterval(int interval) { m_psldValue->setTickInterval(interval); }

} // namespace VUVararer
