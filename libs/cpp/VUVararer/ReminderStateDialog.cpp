#include "ReminderStateDialog.h"

#include "App.h"
#include "Common.h"

#include <QBoxLayout>
#include <QLabel>
#include <QPushButton>

namespace VUVararer {

ReminderStateDialog::ReminderStateDialog(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QCoreApplication::applicationName());
}

ReminderDialog::ReminderDialog(QWidget* parent) : ReminderStateDialog(parent)
{
    setObjectName(QStringLiteral("Dialog"));
    App* pApp = App::theApp();
    const bool bPocket = pApp->isPocketDevice();

    m_pbtnRate = new QPushButton(tr("&Rate"));
    m_pbtnMail = new QPushButton(tr("&Mail"));
    m_pbtnLater = new QPushButton(tr("&Later"));
    m_pbtnNever = new QPushButton(tr("&Don't ask me again"));
    for (QPushButton* button : {m_pbtnRate, m_pbtnLater, m_pbtnMail, m_pbtnNever})
        Common::applyPushButtonDetails(button);
    m_pbtnNever->setVisible(pApp->settingsValue(QStringLiteral("AutoReminder"), true).toBool());

    m_plblText = new QLabel;
    m_plblText->setMinimumHeight(90);
    m_plblLogo = new QLabel;
    m_plblLogo->setObjectName(QStringLiteral("LogoLabel"));
    m_plblLogo->setFixedSize(90, 90);

    m_phblExtra = new QHBoxLayout;
    m_phblExtra->setContentsMargins(0, 0, 0, 0);
    m_phblExtra->setSpacing(0);

    QBoxLayout* pTop = nullptr;
    if (bPocket) {
        pTop = new QVBoxLayout;
        auto* pLogoRow = new QHBoxLayout;
        pLogoRow->addStretch();
        pLogoRow->addWidget(m_plblLogo);
        pLogoRow->addStretch();
        pTop->addLayout(pLogoRow);
    } else {
        pTop = new QHBoxLayout;
        pTop->addWidget(m_plblLogo);
    }
    pTop->addWidget(m_plblText);
    pTop->setContentsMargins(0, 0, 0, 0);
    pTop->setSpacing(5);

    QBoxLayout* pButtons = nullptr;
    if (bPocket) {
        pButtons = new QVBoxLayout;
        for (QPushButton* button : {m_pbtnMail, m_pbtnRate, m_pbtnLater, m_pbtnNever})
            pButtons->addWidget(button);
    } else {
        pButtons = new QHBoxLayout;
        for (QPushButton* button : {m_pbtnNever, m_pbtnLater, m_pbtnRate, m_pbtnMail})
            pButtons->addWidget(button);
    }
    pButtons->setContentsMargins(0, 0, 0, 0);
    pButtons->setSpacing(5);

    auto* pMain = new QVBoxLayout(this);
    pMain->setContentsMargins(6, 6, 6, 6);
    pMain->setSpacing(1);
    pMain->addLayout(pTop);
    pMain->addLayout(m_phblExtra);
    pMain->addLayout(pButtons);
}

void ReminderDialog::slotRate()
{
    m_nState = Rate;
    accept();
}

void ReminderDialog::slotMail()
{
    m_nState = Mail;
    accept();
}

void ReminderDialog::slotMaybeLater()
{
    m_nState = Later;
    accept();
}

void ReminderDialog::slotNeverAskMeAgain()
{
    m_nState = NeverAsk;
    accept();
}

void ReminderDialog::showPanelOnly(QWidget* panel, const QString& strClose)
{
    m_phblExtra->addStretch(1);
    m_phblExtra->addWidget(panel);
    m_phblExtra->addStretch(1);
    m_pbtnRate->setText(strClose);
    m_pbtnRate->setFocus(Qt::OtherFocusReason);
    m_plblText->hide();
    m_pbtnLater->hide();
    m_pbtnMail->hide();
    connect(m_pbtnRate, SIGNAL(clicked()), this, SLOT(accept()));
    connect(m_pbtnNever, SIGNAL(clicked()), this, SLOT(slotNeverAskMeAgain()));
}

void ReminderDialog::focusInEvent(QFocusEvent* event)
{
    ReminderStateDialog::focusInEvent(event);
    if (!m_pbtnMail->isHidden())
        m_pbtnMail->setFocus(Qt::OtherFocusReason);
    else
        m_pbtnLater->setFocus(Qt::OtherFocusReason);
}

} // namespace VUVararer
