#pragma once
// Hosts the page loader (the web engine, or a plain GET where it cannot run) and turns its events into signals.

#include "NativeWebView.h"

#include <QString>
#include <QWidget>

namespace QMWebView {

class WebViewBackend;

class WebViewInQt : public QWidget
{
    Q_OBJECT

public:
    explicit WebViewInQt(QWidget* parent = nullptr);
    // Starts loading url at once.
    WebViewInQt(const QString& url, QWidget* parent);
    ~WebViewInQt() override;

    // The loader is chosen and created on the first request.
    void loadRequest(const QString& url);
    Engine engine() const { return m_engine; }

    // Called by the loader; each emits the matching signal.
    void onLoadStart(const QString& url, const QString& html);
    void onLoadFinish(const QString& url, const QString& html);
    void onLoadError();
    void onUrlChanged(const QString& url);

    static void setPreferredEngine(Engine engine) { sm_preferredEngine = engine; }
    static Engine preferredEngine() { return sm_preferredEngine; }
    static bool isWebEngineUsable(QString* reason);

signals:
    void loadStart(const QString& strUrl, const QString& strHtml);
    void loadFinish(const QString& strUrl, const QString& strHtml);
    void loadError();
    void urlChanged(const QString& strUrl);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void createBackend();

    WebViewBackend* m_pBackend = nullptr;
    Engine m_engine = Engine::Automatic;

    static Engine sm_preferredEngine;
};

} // namespace QMWebView
