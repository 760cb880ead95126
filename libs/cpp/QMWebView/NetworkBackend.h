#pragma once
// Page loader without a web engine: one GET per page, no scripts, nothing shown.

#include "WebViewBackend.h"

#include <QObject>
#include <QPointer>

class QNetworkAccessManager;
class QNetworkReply;

namespace QMWebView {

class NetworkBackend : public QObject, public WebViewBackend
{
    Q_OBJECT

public:
    explicit NetworkBackend(WebViewInQt* host);
    ~NetworkBackend() override;

    // Abandons a load still running, then reports start, the address on the first reply data, then the end.
    void load(const QString& url) override;

private slots:
    void slotMetaDataChanged();
    void slotFinished();

private:
    QNetworkAccessManager* m_pManager = nullptr;
    QPointer<QNetworkReply> m_pReply;
    bool m_bUrlReported = false;
};

} // namespace QMWebView
