#pragma once
// What a page loader offers its host: load a page, optionally show it; events go back to the host.

#include <QPointer>
#include <QString>

class QWidget;

namespace QMWebView {

class WebViewInQt;

class WebViewBackend
{
public:
    explicit WebViewBackend(WebViewInQt* host) : m_pHost(host) {}
    virtual ~WebViewBackend() = default;

    virtual void load(const QString& url) = 0;
    // The widget that shows the page, a child of the host; null when nothing is shown.
    virtual QWidget* widget() const { return nullptr; }

protected:
    // Guarded: events arriving after the host is gone are dropped.
    QPointer<WebViewInQt> m_pHost;
};

} // namespace QMWebView
