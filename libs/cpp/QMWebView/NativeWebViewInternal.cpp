#include "NativeWebViewInternal.h"

#include "WebViewInQt.h"

#include <QResizeEvent>

namespace QMWebView {

NativeWebViewInternal::NativeWebViewInternal(QWidget* parent) : QLabel(parent)
{
    m_pView = new WebViewInQt(this);
    m_pView->move(0, 0);
    connect(m_pView, SIGNAL(loadFinish(const QString&, const QString&)), this,
            SLOT(slotLoadFinish(const QString&, const QString&)));
    connect(m_pView, SIGNAL(loadStart(const QString&, const QString&)), this,
            SLOT(slotLoadStart(const QString&, const QString&)));
    connect(m_pView, SIGNAL(urlChanged(const QString&)), this, SLOT(slotUrlChanged(const QString&)));
    connect(m_pView, SIGNAL(loadError()), this, SLOT(slotLoadError()));
}

void NativeWebViewInternal::load(const QString& url) { m_pView->loadRequest(url); }

void NativeWebViewInternal::resizeEvent(QResizeEvent*) { m_pView->resize(width(), height()); }

void NativeWebViewInternal::slotLoadStart(const QString& strUrl, const QString& strHtml)
{
    emit loadStart(strUrl, strHtml);
}

void NativeWebViewInternal::slotLoadFinish(const QString& strUrl, const QString& strHtml)
{
    emit loadFinish(strUrl, strHtml);
}

void NativeWebViewInternal::slotLoadError() { emit loadError(); }

void NativeWebViewInternal::slotUrlChanged(const QString& strUrl) { emit urlChanged(strUrl); }

} // namespace QMWebView
