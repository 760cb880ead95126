#pragma once
// Platform facade: reveal in the file manager, trash, badge, login item, sleep prevention, sharing, system signals.

#include <QDate>
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

    // Review requests (ReviewQuota.cpp): at most one per process and three per year, after the first of a
    // year only every period-th call unless forced.
    static void requestReview(bool force);
    // Starts a new quota year (and answers false) once the stored date is 367 days back, or unusable.
    static bool isRequestedReviewsQuotaExceeded();
    static int requestedReviewsCount();
    static int requestedReviewsCalls();
    // The stored date; today when none is stored, invalid when it cannot be read.
    static QDate requestedReviewsLastDate();
    static int numRequestedReviewsAvalable();
    // Periods below 1 are ignored.
    static void setRequestPeriod(const int& period);
    // The frame's rating dialog in place of the system prompt, while automatic reminders are on.
    static void simulateRequestReview();

signals:
    void atSwitchToStandBy();
    void atWakeUpFromStandBy();
    void atUserLogout();
    void atWorkspaceChanged();

private:
    static Os* s_instance;
    static bool s_bReviewWasRequested;
    static int s_nRequestPeriod;
};
