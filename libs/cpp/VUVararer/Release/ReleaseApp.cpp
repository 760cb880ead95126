#include "ReleaseApp.h"

#include "AppUpdateDialog.h"

#include <QMRequest/Downloader.h>
#include <QMWebView/NativeWebView.h>
#include <VUVararer/Common.h>
#include <VUVararer/Endpoints.h>

#include <QTimer>
#include <QUrl>

namespace MRelease {

ReleaseApp::ReleaseApp(int& argc, char** argv, const QString& organizationName, const QString& applicationName)
    : VUVararer::App(prepareApplication(argc), argv, organizationName, applicationName)
{
    m_bIndependent = true;
    disableTerminalOuput();
    initExecutableNames();
    m_pWebView = new QMWebView::NativeWebView(nullptr);
    QTimer::singleShot(4000, this, SLOT(slotDoWebMetrics()));
    if (AppUpdateDialog::isChecked())
        QTimer::singleShot(2000, this, SLOT(nop_cuos()));
}

ReleaseApp::~ReleaseApp()
{
    // Deleted now, not later: the event loop has ended, and the web engine must go before the application.
    delete m_pWebView;
}

int& ReleaseApp::prepareApplication(int& argc)
{
    QMWebView::NativeWebView::prepareApplication();
    return argc;
}

QString ReleaseApp::applicationExecutableName(const QString& key) const { return m_mapExecutableNames.value(key); }

QString ReleaseApp::storeLink(const QString& link) { return link; }

void ReleaseApp::slotShowMoreApps()
{
    const QString strPage = QMRequest::Downloader::withScheme(VUVararer::Endpoints::current().m_strUpdateServer +
                                                              VUVararer::Endpoints::crossPromoPath());
    VUVararer::Common::openUrl(QUrl(strPage, QUrl::TolerantMode));
}

void ReleaseApp::slotDoWebMetrics()
{
    const QString strAddress =
        VUVararer::Endpoints::current().metricsUrl(isFirstStart(), QCoreApplication::applicationName());
    if (!VUVararer::Endpoints::isUnconfigured(strAddress))
        m_pWebView->load(QUrl(strAddress));
}

} // namespace MRelease
