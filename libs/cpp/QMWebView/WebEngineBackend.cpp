#include "WebEngineBackend.h"

#include "WebViewInQt.h"

#include <QFileInfo>
#include <QGuiApplication>
#include <QLibraryInfo>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineView>

#include <unistd.h>

namespace QMWebView {

WebEngineBackend::WebEngineBackend(WebViewInQt* host) : WebViewBackend(host)
{
    m_pProfile = new QWebEngineProfile();
    m_pView = new QWebEngineView(host);
    m_pView->setPage(new QWebEnginePage(m_pProfile, m_pView));
    connect(m_pView->page(), SIGNAL(loadStarted()), this, SLOT(slotLoadStarted()));
    connect(m_pView->page(), SIGNAL(loadFinished(bool)), this, SLOT(slotLoadFinished(bool)));
    connect(m_pView->page(), SIGNAL(urlChanged(const QUrl&)), this, SLOT(slotUrlChanged(const QUrl&)));
}

WebEngineBackend::~WebEngineBackend()
{
    // The page must go before its profile.
    delete m_pView;
    delete m_pProfile;
}

bool WebEngineBackend::isUsable(QString* reason)
{
    QString strReason;
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
        strReason = QStringLiteral("no GUI application");
    } else {
        QString strProcess = qEnvironmentVariable("QTWEBENGINEPROCESS_PATH");
        if (strProcess.isEmpty())
            strProcess =
                QLibraryInfo::location(QLibraryInfo::LibraryExecutablesPath) + QStringLiteral("/QtWebEngineProcess");
        const bool bSandboxOff =
            !qEnvironmentVariableIsEmpty("QTWEBENGINE_DISABLE_SANDBOX") ||
            qEnvironmentVariable("QTWEBENGINE_CHROMIUM_FLAGS").contains(QStringLiteral("--no-sandbox")) ||
            QCoreApplication::arguments().contains(QStringLiteral("--no-sandbox"));
        if (!QFileInfo(strProcess).isExecutable())
            strReason = QStringLiteral("helper process missing: ") + strProcess;
        else if (geteuid() == 0 && !bSandboxOff)
            strReason = QStringLiteral("running as root with the sandbox on");
    }
    if (reason)
        *reason = strReason;
    return strReason.isEmpty();
}

void WebEngineBackend::load(const QString& url) { m_pView->load(QUrl(url)); }

QWidget* WebEngineBackend::widget() const { return m_pView; }

void WebEngineBackend::slotLoadStarted()
{
    if (m_pHost)
        m_pHost->onLoadStart(m_pView->url().toString(), QString());
}

void WebEngineBackend::slotLoadFinished(bool ok)
{
    if (!m_pHost)
        return;
    if (ok)
        m_pHost->onLoadFinish(m_pView->url().toString(), QString());
    else
        m_pHost->onLoadError();
}

void WebEngineBackend::slotUrlChanged(const QUrl& url)
{
    if (m_pHost)
        m_pHost->onUrlChanged(url.toString());
}

} // namespace QMWebView
