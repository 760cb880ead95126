#include "Os.h"

#include "App.h"
#include "RatingDialog.h"

#include <QPointer>

#include <climits>

using VUVararer::App;

bool Os::s_bReviewWasRequested = false;
int Os::s_nRequestPeriod = 2;

namespace {

const int kReviewsPerYear = 3;
const int kQuotaDays = 366;
const int kResetDays = 367;

const QString kCountKey = QStringLiteral("RequestedReviewsCount");
const QString kCallsKey = QStringLiteral("RequestedReviewsCalls");
const QString kDateKey = QStringLiteral("RequestedReviewsLastDate");
const QString kAutoReminderKey = QStringLiteral("AutoReminder");

// value + 1, with damaged (negative) results and the top of the range starting again at 1.
int incremented(int value)
{
    const qint64 nNext = qint64(value) + 1;
    return nNext < 0 || nNext > INT_MAX ? 1 : int(nNext);
}

QString today() { return QDate::currentDate().toString(App::dateFormat()); }

} // namespace

void Os::requestReview(bool force)
{
    if (s_bReviewWasRequested)
        return;
    s_bReviewWasRequested = true;
    if (isRequestedReviewsQuotaExceeded())
        return;
    App* pApp = App::theApp();
    const int nCount = requestedReviewsCount();
    const int nCalls = requestedReviewsCalls();
    if (nCount == 0 || force || nCalls % s_nRequestPeriod == 0) {
        simulateRequestReview();
        pApp->setSettingsValue(kCountKey, incremented(nCount));
        pApp->setSettingsValue(kDateKey, today());
    }
    pApp->setSettingsValue(kCallsKey, incremented(nCalls));
}

bool Os::isRequestedReviewsQuotaExceeded()
{
    App* pApp = App::theApp();
    const QDate last = requestedReviewsLastDate();
    const qint64 nDays = last.isValid() ? last.daysTo(QDate::currentDate()) : -1;
    // An unreadable or future date would hold a full quota for ever: it starts a new year like an old one.
    if (nDays >= 0 && requestedReviewsCount() < kReviewsPerYear && nDays < kQuotaDays)
        return false;
    if (nDays >= 0 && nDays < kResetDays)
        return true;
    pApp->setSettingsValue(kCallsKey, 0);
    pApp->setSettingsValue(kCountKey, 0);
    pApp->setSettingsValue(kDateKey, today());
    return false;
}

int Os::requestedReviewsCount() { return App::theApp()->settingsValue(kCountKey, 0).toInt(); }

int Os::requestedReviewsCalls() { return App::theApp()->settingsValue(kCallsKey, 0).toInt(); }

QDate Os::requestedReviewsLastDate()
{
    const QString strDate = App::theApp()->settingsValue(kDateKey, QString()).toString();
    if (strDate.isEmpty())
        return QDate::currentDate();
    return QDate::fromString(strDate, App::dateFormat());
}

int Os::numRequestedReviewsAvalable()
{
    if (isRequestedReviewsQuotaExceeded())
        return 0;
    return kReviewsPerYear - requestedReviewsCount();
}

void Os::setRequestPeriod(const int& period)
{
    if (period >= 1)
        s_nRequestPeriod = period;
}

void Os::simulateRequestReview()
{
    App* pApp = App::theApp();
    if (!pApp->settingsValue(kAutoReminderKey, true).toBool() || VUVararer::RateAppStoreDialog::wasAlreadyCalled())
        return;
    QPointer<VUVararer::RateAppStoreDialog> pDialog = new VUVararer::RateAppStoreDialog(pApp->mainWidget());
    pDialog->exec();
    if (!pDialog)
        return;
    const int nState = pDialog->state();
    delete pDialog;
    if (nState == VUVararer::ReminderStateDialog::NeverAsk) {
        pApp->setSettingsValue(kAutoReminderKey, false);
    } else if (nState == VUVararer::ReminderStateDialog::Rate) {
        pApp->slotRateApp();
        pApp->setSettingsValue(kAutoReminderKey, false);
    }
}
