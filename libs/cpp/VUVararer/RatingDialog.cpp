#include "RatingDialog.h"

#include "App.h"

#include <QLabel>
#include <QPushButton>

namespace VUVararer {

bool RateAppStoreDialog::s_bWasCalled = false;

RateAppStoreDialog::RateAppStoreDialog(QWidget* parent) : ReminderDialog(parent)
{
    const QString strName = QCoreApplication::applicationName();
    const bool bPocket = App::theApp()->isPocketDevice();
    setWindowTitle(tr("Rate \"") + strName + QLatin1Char('"'));
    m_pbtnMail->hide();
    m_pbtnRate->setText(tr("&Rate It Now"));
    m_plblText->setText(QStringLiteral("<CENTER>") + (bPocket ? "<H3>" : "<H2>") + tr("Enjoying \"") + strName +
                        tr("\" ?") + (bPocket ? "</H3>" : "</H2>") + (bPocket ? "<H4>" : "<H3>") +
                        tr("Please rate the app.<br>This will help us improve <br>the app's "
                           "features in the future.") +
                        "<br>" + (bPocket ? "</H4>" : "</H3>") + "</CENTER>");
    m_pbtnRate->setFocus(Qt::OtherFocusReason);
    connect(m_pbtnRate, SIGNAL(clicked()), this, SLOT(slotRate()));
    connect(m_pbtnLater, SIGNAL(clicked()), this, SLOT(slotMaybeLater()));
    connect(m_pbtnNever, SIGNAL(clicked()), this, SLOT(slotNeverAskMeAgain()));
    s_bWasCalled = true;
}

RateMailDialog::RateMailDialog(QWidget* parent) : ReminderDialog(parent)
{
    const bool bPocket = App::theApp()->isPocketDevice();
    setWindowTitle(tr("Feedback about \"") + QCoreApplication::applicationName() + QLatin1Char('"'));
    m_pbtnRate->setText(tr("&Rate"));
    m_pbtnMail->setText(tr("&Write email"));
    m_plblText->setText(QStringLiteral("<CENTER>") + (bPocket ? "<H4>" : "<H3>") +
                        tr("Please rate it or send us a quick e-mail<br>and tell us what you "
                           "didn't enjoy. <br>Your feedback will help us improve this app.") +
                        (bPocket ? "</H4>" : "</H3>") + "</CENTER>");
    m_pbtnRate->setFocus(Qt::OtherFocusReason);
    connect(m_pbtnRate, SIGNAL(clicked()), this, SLOT(slotRate()));
    connect(m_pbtnMail, SIGNAL(clicked()), this, SLOT(slotMail()));
    connect(m_pbtnLater, SIGNAL(clicked()), this, SLOT(slotMaybeLater()));
    connect(m_pbtnNever, SIGNAL(clicked()), this, SLOT(slotNeverAskMeAgain()));
}

} // namespace VUVararer
