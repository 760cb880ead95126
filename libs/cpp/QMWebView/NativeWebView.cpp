#include "NativeWebView.h"

#include "NativeWebViewInternal.h"
#include "WebViewInQt.h"

#include <QCoreApplication>
#include <QVBoxLayout>

namespace QMWebView {

NativeWebView::NativeWebView(QWidget* parent) : QWidget(parent)
{
    m_pInternal = new NativeWebViewInternal(this);
    QVBoxLayout* pLayout = new QVBoxLayout(this);
    pLayout->setContentsMargins(0, 0, 0, 0);
    pLayout->setSpacing(0);
    pLayout->addWidget(m_pInternal);
    connect(m_pInternal, SIGNAL(loadStart(const QString&, const QString&)), this,
            SLOT(slotLoadStart(const QString&, const QString&)));
    connect(m_pInternal, SIGNAL(loadFinish(const QString&, const QString&)), this,
            SLOT(slotLoadFinish(const QString&, const QString&)));
    connect(m_pInternal, SIGNAL(loadError()), this, SLOT(slotLoadError()));
    connect(m_pInternal, SIGNAL(urlChanged(const QString&)), this, SIGNAL(urlChanged(const QString&)));
}

void NativeWebView::load(const QUrl& url)
{
    m_pInternal->load(url.toString());
    emit loadStarted();
}

Engine NativeWebView::engine() const { return m_pInternal->view()->engine(); }

void NativeWebView::prepareApplication() { QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts); }

void NativeWebView::setPreferredEngine(Engine engine) { WebViewInQt::setPreferredEngine(engine); }

Engine NativeWebView::preferredEngine() { return WebViewInQt::preferredEngine(); }

bool NativeWebView::isWebEngineUsable(QString* reason) { return WebViewInQt::isWebEngineUsable(reason); }

void NativeWebView::slotLoadStart(const QString&, const QString&) { emit loadStarted(); }

void NativeWebView::slotLoadFinish(const QString&, const QString&) { emit loadFinished(true); }

void NativeWebView::slotLoadError() { emit loadFinished(false); }

} // namespace QMWebView
