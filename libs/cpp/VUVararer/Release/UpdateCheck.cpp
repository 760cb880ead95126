#include "ReleaseApp.h"

#include "AppUpdateDialog.h"
#include "UpdateRecord.h"

#include <QMRequest/Downloader.h>
#include <VUVararer/Endpoints.h>

#include <QDate>
#include <QPixmap>
#include <QTimer>

namespace MRelease {

QString ReleaseApp::sm_strUpdateVersion;
int ReleaseApp::sm_nRequestTimeoutMs = 7000;

namespace {

const qint64 s_nMaxRecordSize = 64 * 1024;

} // namespace

QString ReleaseApp::getUpdateRequest(const QString& server)
{
    if (VUVararer::Endpoints::isUnconfigured(server))
        return QString();
    QMRequest::Downloader downloader;
    downloader.setMaximumSize(s_nMaxRecordSize);
    const QString strPath = VUVararer::Endpoints::current().buildsInfoPath(QCoreApplication::applicationName());
    QTimer::singleShot(sm_nRequestTimeoutMs, &downloader, SLOT(slotAbort()));
    QByteArray baBody = downloader.get(server + strPath, QEventLoop::AllEvents);
    const int nNul = baBody.indexOf('\0');
    if (nNul >= 0)
        baBody.truncate(nNul);
    return QString::fromUtf8(baBody);
}

QString ReleaseApp::getUpdateRequest()
{
    const VUVararer::Endpoints endpoints = VUVararer::Endpoints::current();
    const QString strText = getUpdateRequest(endpoints.m_strUpdateServer);
    return strText.isEmpty() ? getUpdateRequest(endpoints.m_strUpdateServerFallback) : strText;
}

QString ReleaseApp::macVersionNumber() { return QString(); }

QString ReleaseApp::winVersionNumber() { return QStringLiteral("00_") + QString::number(0, 16).toUpper(); }

ReleaseApp::UpdateState ReleaseApp::updateState()
{
    const UpdateRecord record =
        parseUpdateRecord(getUpdateRequest(), macVersionNumber(), VUVararer::App::theApp()->buildDate());
    if (record.m_bHasVersion)
        sm_strUpdateVersion = record.m_strVersion;
    if (!record.m_bPresent)
        return UpdateState::Unknown;
    return record.m_bAvailable ? UpdateState::Available : UpdateState::UpToDate;
}

bool ReleaseApp::isUpdateAvailable() { return updateState() == UpdateState::Available; }

void ReleaseApp::showUpdateIsAvailable(bool bAvailable)
{
    showUpdateState(bAvailable ? UpdateState::Available : UpdateState::UpToDate);
}

void ReleaseApp::showUpdateState(UpdateState state)
{
    AppUpdateDialog dialog;
    switch (state) {
    case UpdateState::Available:
        dialog.setMessage(tr("<CENTER><H2>The newer version ") + sm_strUpdateVersion.toHtmlEscaped() + tr(" of ") +
                          QCoreApplication::applicationName().toHtmlEscaped() +
                          tr(" is available.<br>Get the newest version?</H2></CENTER>"));
        dialog.setPic(QPixmap(QStringLiteral(":/update_available.png")));
        break;
    case UpdateState::UpToDate:
        dialog.setMessage(tr(
            "<CENTER><H2>You are using the latest version available.<br>Go to the app web page anyway?</H2></CENTER>"));
        dialog.setPic(QPixmap(QStringLiteral(":/update_not_available.png")));
        break;
    case UpdateState::Unknown:
        dialog.setMessage(
            tr("<CENTER><H2>Could not check for updates.<br>Go to the app web page anyway?</H2></CENTER>"));
        dialog.setPic(QPixmap(QStringLiteral(":/update_not_available.png")));
        break;
    }
    dialog.exec();
}

QString ReleaseApp::stamp5() { return VUVararer::App::theApp()->settingsValue(QStringLiteral("Stamp5")).toString(); }

void ReleaseApp::setStamp5(const QString& strDate)
{
    VUVararer::App::theApp()->setSettingsValue(QStringLiteral("Stamp5"), strDate);
}

void ReleaseApp::nop_cuos()
{
    const QString strStamp = stamp5();
    const QDate stamp = QDate::fromString(strStamp, VUVararer::App::dateFormat());
    const QDate today = QDate::currentDate();
    // A date in the future would block the check until then; treat it like a missing one.
    if (strStamp.isEmpty() || !stamp.isValid() || stamp > today) {
        setStamp5(today.toString(VUVararer::App::dateFormat()));
        return;
    }
    if (stamp.daysTo(today) < 6)
        return;
    if (isUpdateAvailable()) {
        showUpdateIsAvailable(true);
        setStamp5(QDate::currentDate().toString(VUVararer::App::dateFormat()));
    }
}

void ReleaseApp::slotCheckUpdate() { showUpdateState(updateState()); }

} // namespace MRelease
