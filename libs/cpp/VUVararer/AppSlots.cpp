#include "App.h"

#include "AboutDialog.h"
#include "CssEditor.h"
#include "FollowDialog.h"
#include "IntroductionDialog.h"
#include "Os.h"
#include "RatingDialog.h"
#include "Reminders.h"
#include "ShareDialog.h"

#include <QEventLoop>
#include <QPointer>
#include <QTime>
#include <QTimer>

namespace VUVararer {

// Slots the frame's menus connect to by name: reminders, rating, share, follow, About and introduction.

namespace {

const QString kAutoReminderKey = QStringLiteral("AutoReminder");
const QString kAutoReminderCountKey = QStringLiteral("AutoReminderCount");

// Runs a dialog modally and answers its state; NoAnswer when the dialog went away with its parent.
int execReminder(ReminderStateDialog* pDialog)
{
    QPointer<ReminderStateDialog> pGuard = pDialog;
    pDialog->exec();
    if (!pGuard)
        return ReminderStateDialog::NoAnswer;
    const int nState = pGuard->state();
    delete pGuard;
    return nState;
}

// Opens the dialog window-modal and waits in a local loop until it finishes.
void openAndWait(QDialog& dialog)
{
    QEventLoop loop;
    QObject::connect(&dialog, SIGNAL(finished(int)), &loop, SLOT(quit()));
    dialog.open();
    loop.exec();
}

} // namespace

void App::callRateReminder(int count)
{
    m_nReminderKind = Reminders::RateKind;
    m_nReminderCount = count;
    connect(this, SIGNAL(aboutToQuit()), this, SLOT(slotCallRateReminderInternal()));
}

void App::callTellReminder(int count)
{
    m_nReminderKind = Reminders::TellKind;
    m_nReminderCount = count;
    connect(this, SIGNAL(aboutToQuit()), this, SLOT(slotCallRateReminderInternal()));
}

void App::callJoinReminder(int count)
{
    m_nReminderKind = Reminders::JoinKind;
    m_nReminderCount = count;
    connect(this, SIGNAL(aboutToQuit()), this, SLOT(slotCallRateReminderInternal()));
}

void App::callReminder(int count, int kind)
{
    m_nReminderKind = Reminders::chooseKind(kind, quint32(QTime::currentTime().msec()), isAppStore());
    m_nReminderCount = count;
    connect(this, SIGNAL(aboutToQuit()), this, SLOT(slotCallRateReminderInternal()));
}

void App::slotCallRateReminderInternal()
{
    if (m_pMainWidget && !m_pMainWidget->isVisible())
        m_pMainWidget->show();
    if (!settingsValue(kAutoReminderKey, true).toBool())
        return;
    const int nCount = settingsValue(kAutoReminderCountKey, 1).toInt();
    if (Reminders::isDue(nCount, m_nReminderCount)) {
        if (Os::hasSystemReviewPrompt()) {
            Os::requestReview(true);
        } else {
            ReminderStateDialog* pDialog = nullptr;
            if (m_nReminderKind == Reminders::RateKind) {
                // A rating prompt already seen in this run neither shows again nor counts.
                if (RateAppStoreDialog::wasAlreadyCalled())
                    return;
                pDialog = new RateAppStoreDialog(m_pMainWidget);
            } else if (m_nReminderKind == Reminders::TellKind) {
                pDialog = new TellReminderDialog(m_pMainWidget);
            } else {
                pDialog = new JoinReminderDialog(m_pMainWidget);
            }
            applyReminderAnswer(execReminder(pDialog));
        }
    }
    setSettingsValue(kAutoReminderCountKey, Reminders::nextCount(nCount));
}

void App::slotCallRateReminder()
{
    m_nReminderKind = Reminders::RateKind;
    QTimer::singleShot(m_nReminderDelay, this, SLOT(slotCallRateReminderInternal()));
}

void App::slotCallTellReminder()
{
    m_nReminderKind = Reminders::TellKind;
    QTimer::singleShot(m_nReminderDelay, this, SLOT(slotCallRateReminderInternal()));
}

void App::slotCallJoinReminder()
{
    m_nReminderKind = Reminders::JoinKind;
    QTimer::singleShot(m_nReminderDelay, this, SLOT(slotCallRateReminderInternal()));
}

void App::slotImmediatelyRate() { applyReminderAnswer(execReminder(new RateAppStoreDialog(m_pMainWidget))); }

void App::applyReminderAnswer(int nState)
{
    switch (nState) {
    case ReminderStateDialog::NeverAsk:
        break;
    case ReminderStateDialog::Mail:
        slotContactUs();
        break;
    case ReminderStateDialog::Rate:
        slotRateApp();
        break;
    default:
        return;
    }
    setSettingsValue(kAutoReminderKey, false);
}

void App::slotShowCssEditor()
{
    auto* editor = new CssEditor(nullptr);
    editor->show();
}

void App::slotHelp()
{
    if (!m_pHelpDialog) {
        m_pHelpDialog = new HelpDialog(m_pMainWidget);
        for (const QString& strSlide : qAsConst(m_lstIntroductionSlides))
            m_pHelpDialog->addSlide(strSlide);
        if (!m_strIntroVideosList.isEmpty())
            m_pHelpDialog->setVideoLink(m_strIntroVideosList);
    }
    m_pHelpDialog->raise();
    m_pHelpDialog->activateWindow();
    m_pHelpDialog->show();
}

HelpDialog* App::helpDialog() const { return m_pHelpDialog; }

void App::showHelpOnStart()
{
    if (HelpDialog::isShowOnStartAvailable())
        QTimer::singleShot(500, this, SLOT(slotHelp()));
}

void App::slotShareApp()
{
    TellDialog dialog(QApplication::activeWindow());
    openAndWait(dialog);
}

void App::slotJoin()
{
    JoinDialog dialog(QApplication::activeWindow());
    openAndWait(dialog);
}

void App::slotAbout()
{
    QPointer<AboutDialog> pDialog = new AboutDialog(m_pMainWidget);
    pDialog->exec();
    delete pDialog;
}

} // namespace VUVararer
