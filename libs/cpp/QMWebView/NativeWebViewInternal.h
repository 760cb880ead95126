#pragma once
// Holds the engine host at its top-left corner and keeps it the label's size; passes its signals on.

#include <QLabel>
#include <QString>

namespace QMWebView {

class WebViewInQt;

class NativeWebViewInternal : public QLabel
{
    Q_OBJECT

public:
    explicit NativeWebViewInternal(QWidget* parent = nullptr);

    void load(const QString& url);
    WebViewInQt* view() const { return m_pView; }

signals:
    void loadStart(const QString& strUrl, const QString& strHtml);
    void loadFinish(const QString& strUrl, const QString& strHtml);
    void loadError();
    void urlChanged(const QString& strUrl);

public slots:
    void slotLoadStart(const QString& strUrl, const QString& strHtml);
    void slotLoadFinish(const QString& strUrl, const QString& strHtml);
    void slotLoadError();
    void slotUrlChanged(const QString& strUrl);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    WebViewInQt* m_pView = nullptr;
};

} // namespace QMWebView
