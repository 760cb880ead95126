#pragma once
// Platform facade: reveal in the file manager, trash, badge, login item, sleep prevention, sharing, system signals.

#include <QObject>
#include <QPixmap>
#include <QString>
#include <QUrl>
#include <QVariantList>

class QWidget;

class Os : public QObject
{
    Q_OBJECT

public:
    Os();
    ~Os() override;

    // The singleton; the first call creates it and starts listening for sleep, wake and logout.
    static Os* instance();

    static void setAppIconNumber(int n);
    static void unsetAppIconNumber();

    static bool isAutorunAtLogon();
    static void changeAutorunAtLogon(bool on);

    // Adds Qt::Window to the widget's flags; a null widget is left alone.
    static void hideWindowFromTaskBar(QWidget* widget);

    // "lib" + name + ".so"
    static QString nativeLibraryName(const QString& name);

    // No system sharing service on this platform: these do nothing.
    static void postToTwitter(const QString& text, QPixmap image, const QUrl& url);
    static void postToFacebook(const QString& text, QPixmap image, const QUrl& url);
    static void postToLinkedin(const QString& text, QPixmap image, const QUrl& url);
    // A new mail message holding the sharing items (see sharingItems).
    static void postToEmail(const QString& text, QPixmap image, const QUrl& url);

    // What a share hands on, in order: text + image + link gives image, link, text; text + image gives image,
    // text; text + link gives text, link; anything else the text alone (also an empty text).
    static QVariantList sharingItems(const QString& text, const QPixmap& image, const QUrl& url);

    // Shows the file selected in the file manager, or at least opens its folder; false when neither worked.
    static bool openFolderAndSelectFile(const QString& path);
    // Moves the file into the user's trash; false when it did not land there.
    static bool moveToTrash(const QString& path);
    // The primary screen's device pixel ratio, at least 1.0.
    static double scaleFactor();
    // Keeps the display awake while on; a second request while one is held does nothing.
    static void setDisableSleepMode(bool disable);
    static void fbJoin();

    // Whether the system offers its own review prompt (never here: callers use the frame's rating dialog).
    static bool hasSystemReviewPrompt();

signals:
    void atSwitchToStandBy();
    void atWakeUpFromStandBy();
    void atUserLogout();
    void atWorkspaceChanged();

private:
    static Os* s_instance;
};
