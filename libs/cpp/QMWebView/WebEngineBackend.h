#pragma once
// Page loader on Qt WebEngine: a view with a private, off-the-record profile inside the host.

#include "WebViewBackend.h"

#include <QObject>
#include <QUrl>

class QWebEngineProfile;
class QWebEngineView;

namespace QMWebView {

class WebEngineBackend : public QObject, public WebViewBackend
{
    Q_OBJECT

public:
    explicit WebEngineBackend(WebViewInQt* host);
    ~WebEngineBackend() override;

    void load(const QString& url) override;
    QWidget* widget() const override;

    // False (with the reason) where the engine would not start: no GUI application, no helper
    // process, or running as root with the engine's sandbox on (the engine then ends the process).
    static bool isUsable(QString* reason);

private slots:
    void slotLoadStarted();
    void slotLoadFinished(bool ok);
    void slotUrlChanged(const QUrl& url);

private:
    QWebEngineProfile* m_pProfile = nullptr;
    QWebEngineView* m_pView = nullptr;
};

} // namespace QMWebView
