#pragma once
// Application object of the edition distributed outside the store: usage ping, update checks, more-apps page.

#include <VUVararer/App.h>

#include <QMap>
#include <QString>

namespace QMWebView {
class NativeWebView;
}

namespace MRelease {

class ReleaseApp : public VUVararer::App
{
    Q_OBJECT

public:
    // What a check learned: no record from either server, a record offering nothing newer, or an update.
    enum class UpdateState { Unknown, UpToDate, Available };

    ReleaseApp(int& argc, char** argv, const QString& organizationName = QStringLiteral("Zembrel"),
               const QString& applicationName = QStringLiteral("Trelvanic"));
    ~ReleaseApp() override;

    void initExecutableNames();
    // Exact, case-sensitive lookup; empty when the key is unknown.
    QString applicationExecutableName(const QString& key) const;
    // This edition links to no store: the link comes back unchanged.
    QString storeLink(const QString& link) override;

    static bool isUpdateAvailable();
    static UpdateState updateState();
    // The record text from the primary server, else from the fallback; empty when neither gives one.
    static QString getUpdateRequest();
    // The record text from one server (a 2xx reply, at most 64 KiB, cut at the first NUL); empty on failure and,
    // without any request, for an unconfigured server.
    static QString getUpdateRequest(const QString& server);
    // The system version in the record's form; always empty here, so only "macos:all" qualifies.
    static QString macVersionNumber();
    static QString winVersionNumber();
    // Shows the update dialog modally with the message for the case.
    static void showUpdateIsAvailable(bool bAvailable);
    static void showUpdateState(UpdateState state);
    // Date of the last automatic check that stored one ("yyyy-MM-dd"), or empty.
    static QString stamp5();
    static void setStamp5(const QString& strDate);
    // How long one server may take (7000 ms); tests shorten it.
    static void setRequestTimeout(int nMs) { sm_nRequestTimeoutMs = nMs; }
    static int requestTimeout() { return sm_nRequestTimeoutMs; }

    static QString sm_strUpdateVersion;

public slots:
    void slotShowMoreApps() override;
    void slotCheckUpdate() override;
    // The automatic check: at most once in six days, silent unless an update is found.
    void nop_cuos();
    // The usage ping: loads the metrics address in the hidden web view, unless it is unconfigured.
    void slotDoWebMetrics();

private:
    static int& prepareApplication(int& argc);

    QMap<QString, QString> m_mapExecutableNames;
    QMWebView::NativeWebView* m_pWebView = nullptr;

    static int sm_nRequestTimeoutMs;
};

} // namespace MRelease
