#include "NetworkBackend.h"

#include "WebViewInQt.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QUrl>

namespace QMWebView {

NetworkBackend::NetworkBackend(WebViewInQt* host) : WebViewBackend(host)
{
    m_pManager = new QNetworkAccessManager(this);
}

NetworkBackend::~NetworkBackend()
{
    if (m_pReply) {
        m_pReply->disconnect(this);
        m_pReply->abort();
    }
}

void NetworkBackend::load(const QString& url)
{
    if (m_pReply) {
        m_pReply->disconnect(this);
        m_pReply->abort();
        m_pReply->deleteLater();
    }
    m_bUrlReported = false;
    if (m_pHost)
        m_pHost->onLoadStart(url, QString());
    QNetworkRequest request{QUrl(url)};
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::NoLessSafeRedirectPolicy);
    m_pReply = m_pManager->get(request);
    connect(m_pReply, SIGNAL(metaDataChanged()), this, SLOT(slotMetaDataChanged()));
    connect(m_pReply, SIGNAL(finished()), this, SLOT(slotFinished()));
}

void NetworkBackend::slotMetaDataChanged()
{
    if (m_bUrlReported || !m_pReply)
        return;
    m_bUrlReported = true;
    if (m_pHost)
        m_pHost->onUrlChanged(m_pReply->url().toString());
}

void NetworkBackend::slotFinished()
{
    QNetworkReply* pReply = m_pReply;
    if (!pReply)
        return;
    m_pReply = nullptr;
    pReply->deleteLater();
    if (!m_pHost)
        return;
    if (pReply->error() == QNetworkReply::NoError)
        m_pHost->onLoadFinish(pReply->url().toString(), QString());
    else
        m_pHost->onLoadError();
}

} // namespace QMWebView
