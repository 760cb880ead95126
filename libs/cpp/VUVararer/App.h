#pragma once
// The application object of every program built on the frame: settings, folders, diagnostics, languages, events.

#include <QApplication>
#include <QDate>
#include <QList>
#include <QMap>
#include <QMutex>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QVariant>

class QSettings;

namespace VUVararer {

class TopWidget;
class BlenderWidget;
class HelpDialog;

// Message handler that appends each message as one line to "protocol.log" in the support folder.
void terminalOutputToFile(QtMsgType type, const QMessageLogContext& context, const QString& message);
// Message handler that discards everything.
void terminalOutputToDummy(QtMsgType type, const QMessageLogContext& context, const QString& message);

class App : public QApplication
{
    Q_OBJECT

public:
    using RegisteredFunction = void (*)();

    App(int& argc, char** argv, const QString& organizationName = QStringLiteral("Zembrel"),
        const QString& applicationName = QStringLiteral("Trelvanic"));
    ~App() override;

    // The application object; valid from construction to destruction.
    static App* theApp();
    // Functions registered before the application object exists are called by its constructor, in order.
    static void registerFunction(RegisteredFunction function);

    // Settings: keys are stored under the application name unless old-settings mode is on. Thread-safe.
    QSettings* settings();
    QVariant settingsValue(const QString& key, const QVariant& defaultValue = QVariant());
    void setSettingsValue(const QString& key, const QVariant& value);
    void setOldSettingsMode(bool bOld);
    // Group functions forward to the settings object without the application-name prefix.
    void settingsBeginGroup(const QString& prefix);
    void settingsEndGroup();
    QStringList settingsChildKeys();

    // Folders: absolute, ending in "/"; created when create is true. Safe from any thread.
    QString supportDirectory(bool create) const;
    QString workDirectory(bool create) const;
    QString cachesDirectory(bool create) const;
    QString picturesDirectory(bool create) const;
    QString musicDirectory(bool create) const;
    QString moviesDirectory(bool create) const;
    QString downloadsDirectory(bool create) const;
    QString documentsDirectory(bool create) const;
    QString dataDirectory(bool create) const;
    void ensureDirExists(const QString& path) const;
    // Copies source into targetDir (targetName, or the source's name when empty); never overwrites.
    bool copyTo(const QString& source, const QString& targetDir, const QString& targetName);
    bool copyToSupportDirectory(const QString& source, const QString& targetName);
    void printAppDirectories();

    // The resource folder (bell, slides, licence), ending in "/".
    QString bundleResourcePath() const;
    static QString bundleIdentifier();
    bool isSigned() const;
    static bool isAppStore();
    bool isIndependent() const;
    // True when none of the nine folders exists.
    bool isFirstStartInternal();
    // The folder-based first start, fixed at construction.
    bool isFirstStart() const;
    // True for the first call ever made against the settings file.
    bool isAppFirstStart();
    void startCount();

    static void setTerminalOuputToFile();
    static void disableTerminalOuput();
    static void enableTerminalOuput();

    // Build date as "M/d/yyyy" without leading zeros.
    QString build() const;
    QDate buildDate() const;
    // "Sep  5 2019" gives "9/5/2019".
    static QString buildTextFromCompilerDate(const char* compilerDate);
    static QString dateFormat();
    QString osInfo() const;
    // The first call creates the translation manager, which chooses the language.
    QString currentLanguage() const;
    // "" for English, else the code followed by "/".
    QString currentLanguageOptimized() const;
    void setCurrentLanguage(const QString& strLanguage);
    qreal devicePixelRatio() const;
    bool isPocketDevice() const;
    int smallestDimention() const;
    int biggestDimention() const;
    bool isLandscape() const;
    bool isPortrait() const;

    QString userID() const { return m_strUserID; }
    void setUserID(const QString& strID) { m_strUserID = strID; }
    QString userEmail() const { return m_strUserEmail; }
    void setUserEmail(const QString& strEmail) { m_strUserEmail = strEmail; }
    QString userPassword() const { return m_strUserPassword; }
    void setUserPassword(const QString& strPassword) { m_strUserPassword = strPassword; }
    bool isUserLoggedin() const { return !m_strUserEmail.isEmpty(); }
    TopWidget* loginDialog() { return m_pLoginDialog; }
    void setLoginDialog(TopWidget* pDialog) { m_pLoginDialog = pDialog; }
    QString openDirPath() const { return m_strOpenDirPath; }
    // Stores the folder that holds path ("/a/b/c.txt" and "/a/b/" give "/a/b").
    void setOpenDirPath(const QString& path);
    QString saveDirPath() const { return m_strSaveDirPath; }
    void setSaveDirPath(const QString& path);
    bool isSandboxed() const { return m_bSandboxed; }
    void setSandboxed(bool bSandboxed) { m_bSandboxed = bSandboxed; }
    bool isDeactivated() const { return m_bDeactivated; }
    QString resourceOffset() const { return m_strResourceOffset; }
    void setResourceOffset(const QString& strOffset) { m_strResourceOffset = strOffset; }
    bool isDemo() const { return m_bDemo; }
    void setDemo(bool bDemo) { m_bDemo = bDemo; }
    bool isKidsMode() const { return m_bKidsMode; }
    void setKidsMode(bool bKids) { m_bKidsMode = bKids; }
    QString legalNotices() const { return m_strLegalNotices; }
    void setLegalNotices(const QString& strNotices) { m_strLegalNotices = strNotices; }
    void addLegalNotices(const QString& strNotices) { m_strLegalNotices += strNotices; }
    bool isAdditionalLanguageContains(const QString& lang) const { return m_lstAdditionalLanguages.contains(lang); }
    void setAdditionalLanguages(const QStringList& lst) { m_lstAdditionalLanguages = lst; }
    void setRemiderCount(int nCount) { m_nReminderCount = nCount; }
    void setRemiderDelay(int nDelay) { m_nReminderDelay = nDelay; }
    QWidget* mainWidget() { return m_pMainWidget; }
    // Lays the hidden overlay and the frame's menu bar (About) over the widget; dialogs use it as parent.
    void setMainWidget(QWidget* pWidget);
    void setIntroductionSlides(const QStringList& slides) { m_lstIntroductionSlides = slides; }
    QStringList introductionSlides() const { return m_lstIntroductionSlides; }
    void setIntroVideosList(const QString& link) { m_strIntroVideosList = link; }
    QString introVideosList() const { return m_strIntroVideosList; }
    void setPrivacyPolicyLink(const QString& link) { m_strPrivacyPolicyLink = link; }
    QString privacyPolicyLink() const { return m_strPrivacyPolicyLink; }
    // Posted mouse events; a negative coordinate means the middle of the widget on that axis.
    void mousePress(QWidget* widget, int x, int y, Qt::MouseButton button, Qt::MouseButtons buttons);
    void mouseRelease(QWidget* widget, int x, int y, Qt::MouseButton button, Qt::MouseButtons buttons);
    void mouseClick(QWidget* widget, int x, int y, Qt::MouseButton button, Qt::MouseButtons buttons);
    QPoint calculateMousePosition(QWidget* widget, int x, int y);
    bool isChildOf(QObject* object, QObject* parent);
    static QWidget* getWidgetByClassName(const QString& className);
    // True unless a file "noautoupdate" exists in the current working folder.
    bool isChartAutoUpdateOn() const;
    void setChartAutoUpdateOn(bool) {}
    void setProxy() {}
    void submitContactData(const QString&, const QString&, const QString&) {}

    // Links (AppLinks.cpp). Share links on the product site, or sharer links for the regional site by language.
    void setZembrelComLinks(const QString& key);
    void setZembrelOrgLinks(const QString& key);
    QString facebookShareLink() const { return m_strFaceBookShareLink; }
    void setFaceBookShareLink(const QString& link) { m_strFaceBookShareLink = link; }
    QString youtubeShareLink() const { return m_strYouTubeShareLink; }
    void setYouTubeShareLink(const QString& link) { m_strYouTubeShareLink = link; }
    QString twitterShareLink() const { return m_strTwitterShareLink; }
    void setTwitterShareLink(const QString& link) { m_strTwitterShareLink = link; }
    QString vkontakteShareLink() const { return m_strVKontakteShareLink; }
    void setVKontakteShareLink(const QString& link) { m_strVKontakteShareLink = link; }
    QString appSupportPage() const { return m_strAppSupportPage; }
    void setAppSupportPage(const QString& link) { m_strAppSupportPage = link; }
    QString shortShareMessage() const { return m_strShortShareMessage; }
    void setShortShareMessage(const QString& message) { m_strShortShareMessage = message; }
    // The share message, or the application name when none is set.
    QString shareMessage() const;
    void setShareMessage(const QString& message) { m_strShareMessage = message; }
    void setPromotedLink(const QString& link) { m_strPromotedLink = link; }
    void setPromotedAppNameAndID(const QString& name, const QString& id);
    // Server bases, decoded from their Base64 form on every call.
    QString zembrelComServer() const;
    QString zembrelNetServer() const;
    QString zembrelDeServer() const;
    void initAppsIds();
    // Store identifier of this application (name folded to lower case), or "".
    QString appId() const;
    // Store identifier of the exact key, or "".
    QString appNameToId(const QString& name) const;
    // Store link of a key, or of an address whose last path element is the key; "" for unknown keys.
    virtual QString storeLink(const QString& strAppKey);

    // Reminders (AppSlots.cpp): kinds 1 rate, 2 share, 4 follow; armed reminders come at quit.
    void callRateReminder(int count);
    void callTellReminder(int count);
    void callJoinReminder(int count);
    // kind 8: rate in store builds, share otherwise; several kind bits: a random one of them.
    void callReminder(int count, int kind);
    int reminderKind() const { return m_nReminderKind; }
    int reminderCount() const { return m_nReminderCount; }

    // The introduction dialog, null until the first slotHelp().
    HelpDialog* helpDialog() const;
    // Schedules slotHelp() in 500 ms unless the user chose to skip the introduction.
    void showHelpOnStart();

    bool event(QEvent* e) override;
    bool notify(QObject* receiver, QEvent* e) override;

signals:
    void mouseButtonPress();
    void applicationActivated();
    void applicationDeactivated();
    void applicationExposed();
    void dockClicked();
    void fileOpenRequest(const QString& strFile);

public slots:
    void slotCallRateReminderInternal();
    void slotCallRateReminder();
    void slotCallTellReminder();
    void slotCallJoinReminder();
    void slotImmediatelyRate();
    void slotStartCount();
    void slotShowPrivacyPolicy();
    void slotShowCssEditor();
    void slotContactUs();
    void slotTellFriend();
    void slotRateApp();
    void slotSupportPage();
    void slotHelp();
    void slotGoToPromotedApp();
    void slotShareApp();
    void slotJoin();
    void slotAbout();
    void slotSetBlendMainWidget(bool bBlend);
    virtual void slotCheckUpdate();
    virtual void slotShowMoreApps();

protected:
    // Test seam: replaces the resource folder computed at construction.
    void setBundleResourcePath(const QString& strPath);

    bool m_bIndependent = false;

private:
    // Acts on a rating or reminder dialog's answer: rate, mail or never ask again turn reminders off.
    void applyReminderAnswer(int nState);
    QString storedKey(const QString& key) const;
    QString folder(const QString& base, bool create) const;
    void postOpenRequestsFromArguments();
    static QString computeBundleResourcePath();

    QSettings* m_pSettings = nullptr;
    QString m_strUserID;
    TopWidget* m_pLoginDialog = nullptr;
    QString m_strUserEmail;
    QString m_strUserPassword;
    QString m_strCurrentLanguage = QStringLiteral("en");
    bool m_bDeactivated = false;
    QString m_strOpenDirPath;
    QString m_strSaveDirPath;
    bool m_bSandboxed = false;
    int m_nReminderCount = 10;
    int m_nReminderDelay = 250;
    bool m_bOldSettingsMode = false;
    QString m_strResourceOffset;
    QWidget* m_pMainWidget = nullptr;
    BlenderWidget* m_pBlender = nullptr;
    QStringList m_lstIntroductionSlides;
    QString m_strIntroVideosList;
    QString m_strPrivacyPolicyLink;
    QString m_strBundleResourcePath;
    bool m_bDemo = false;
    bool m_bKidsMode = false;
    QString m_strLegalNotices;
    QStringList m_lstAdditionalLanguages;
    bool m_bFirstStart = true;
    QMutex m_mtxSettings;
    QString m_strFaceBookShareLink;
    QString m_strYouTubeShareLink;
    QString m_strTwitterShareLink;
    QString m_strVKontakteShareLink;
    QString m_strAppSupportPage;
    QString m_strShareMessage;
    QString m_strShortShareMessage;
    QString m_strPromotedAppName;
    QString m_strPromotedAppID;
    QString m_strPromotedLink;
    QMap<QString, QString> m_mapAppsIds;
    int m_nReminderKind = 1;
    QPointer<HelpDialog> m_pHelpDialog;

    static QList<RegisteredFunction> sm_lstRegisteredFunctions;
};

} // namespace VUVararer
