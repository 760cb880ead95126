#pragma once
// A widget that loads web pages and reports each load's start, end and address by signals.

#include <QString>
#include <QUrl>
#include <QWidget>

namespace QMWebView {

class NativeWebViewInternal;

// Which loader a view uses: Automatic takes the web engine when it can start here, else Network.
enum class Engine { Automatic, WebEngine, Network };

class NativeWebView : public QWidget
{
    Q_OBJECT

public:
    explicit NativeWebView(QWidget* parent = nullptr);

    // Starts loading url; emits loadStarted() at once, the engine's own start follows.
    void load(const QUrl& url);
    // The loader in use; Automatic until the first load.
    Engine engine() const;

    // Call before the application object exists: the web engine shares OpenGL contexts.
    static void prepareApplication();
    // Loader for views that have not loaded yet (Automatic by default).
    static void setPreferredEngine(Engine engine);
    static Engine preferredEngine();
    // True when the web engine is built in and can start in this process; otherwise why in *reason.
    static bool isWebEngineUsable(QString* reason = nullptr);

signals:
    void loadStarted();
    // False when the page could not be loaded.
    void loadFinished(bool ok);
    void urlChanged(const QString& strUrl);

public slots:
    void slotLoadStart(const QString& strUrl, const QString& strHtml);
    void slotLoadFinish(const QString& strUrl, const QString& strHtml);
    void slotLoadError();

private:
    NativeWebViewInternal* m_pInternal = nullptr;
};

} // namespace QMWebView
