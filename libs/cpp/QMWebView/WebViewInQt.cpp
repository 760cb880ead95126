#include "WebViewInQt.h"

#include "NetworkBackend.h"
#ifdef QMWEBVIEW_WITH_WEBENGINE
#include "WebEngineBackend.h"
#endif

#include <QDebug>

namespace QMWebView {

Engine WebViewInQt::sm_preferredEngine = Engine::Automatic;

WebViewInQt::WebViewInQt(QWidget* parent) : QWidget(parent)
{
    if (parent)
        resize(parent->width(), parent->height());
}

WebViewInQt::WebViewInQt(const QString& url, QWidget* parent) : WebViewInQt(parent) { loadRequest(url); }

WebViewInQt::~WebViewInQt() { delete m_pBackend; }

bool WebViewInQt::isWebEngineUsable(QString* reason)
{
#ifdef QMWEBVIEW_WITH_WEBENGINE
    return WebEngineBackend::isUsable(reason);
#else
    if (reason)
        *reason = QStringLiteral("built without the web engine");
    return false;
#endif
}

void WebViewInQt::createBackend()
{
    QString strReason;
    const bool bWebEngine = sm_preferredEngine != Engine::Network && isWebEngineUsable(&strReason);
    if (!bWebEngine && sm_preferredEngine != Engine::Network)
        qWarning() << "Web engine not used:" << strReason << "- pages are fetched with a plain GET";
#ifdef QMWEBVIEW_WITH_WEBENGINE
    if (bWebEngine) {
        m_pBackend = new WebEngineBackend(this);
        m_engine = Engine::WebEngine;
    }
#endif
    if (!m_pBackend) {
        m_pBackend = new NetworkBackend(this);
        m_engine = Engine::Network;
    }
    if (QWidget* pWidget = m_pBackend->widget())
        pWidget->resize(size());
}

void WebViewInQt::loadRequest(const QString& url)
{
    if (!m_pBackend)
        createBackend();
    m_pBackend->load(url);
}

void WebViewInQt::resizeEvent(QResizeEvent*)
{
    if (m_pBackend && m_pBackend->widget())
        m_pBackend->widget()->resize(size());
}

void WebViewInQt::onLoadStart(const QString& url, const QString& html) { emit loadStart(url, html); }

void WebViewInQt::onLoadFinish(const QString& url, const QString& html) { emit loadFinish(url, html); }

void WebViewInQt::onLoadError() { emit loadError(); }

void WebViewInQt::onUrlChanged(const QString& url) { emit urlChanged(url); }

} // namespace QMWebView
