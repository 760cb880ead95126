#include "ModalCloser.h"
#include "TestMain.h"
#include "UrlRecorder.h"

#include <VUVararer/App.h>
#include <VUVararer/Endpoints.h>
#include <VUVararer/FollowDialog.h>
#include <VUVararer/ShareDialog.h>
#include <VUVararer/TranslationsManager.h>

#include <QPushButton>
#include <QTemporaryDir>
#include <QUrlQuery>
#include <QtTest>

using TestKit::ModalCloser;
using VUVararer::App;
using VUVararer::Endpoints;

namespace {

// Stands for the release edition, whose store link is its argument.
class ShareApp : public App
{
public:
    ShareApp(int& argc, char** argv) : App(argc, argv) {}
    void setIndependent(bool bIndependent) { m_bIndependent = bIndependent; }
    QString storeLink(const QString& key) override { return key; }
};

ShareApp* app() { return static_cast<ShareApp*>(App::theApp()); }

QStringList visibleButtons(QWidget* panel)
{
    QStringList names;
    for (QPushButton* button : panel->findChildren<QPushButton*>())
        if (button->isVisibleTo(panel))
            names << button->objectName();
    return names;
}

void click(QWidget* panel, const char* name) { panel->findChild<QPushButton*>(name)->click(); }

QString queryValue(const QUrl& url, const QString& key)
{
    return QUrlQuery(url).queryItemValue(key, QUrl::FullyDecoded);
}

} // namespace

class TestShare : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        VUVararer::TranslationsManager::instance();
        app()->setCurrentLanguage("en");
        app()->setIndependent(false);
    }

    void testVisibleButtons()
    {
        {
            VUVararer::TellWidget panel;
            QCOMPARE(visibleButtons(&panel), QStringList{"EmailShareButton"});
        }
        app()->setZembrelOrgLinks("");
        VUVararer::TellWidget panel;
        QCOMPARE(visibleButtons(&panel),
                 (QStringList{"FaceBookShareButton", "TwitterShareButton", "EmailShareButton"}));
        QCOMPARE(panel.findChild<QPushButton*>("LinkedinShareButton")->size(), QSize(190, 35));

        const QStringList three{"YouTubeJoinButton", "FaceBookJoinButton", "TwitterJoinButton"};
        VUVararer::JoinWidget english;
        QCOMPARE(visibleButtons(&english), three);
        app()->setCurrentLanguage("ru");
        VUVararer::JoinWidget russian;
        QCOMPARE(visibleButtons(&russian), three + QStringList{"VKontakteJoinButton"});
    }

    void testShareThroughRelay()
    {
        TestKit::UrlRecorder recorder;
        const QString facebook = "http://facebook.invalid/sharer.php?u=http://site.invalid/a&b=c#top";
        app()->setFaceBookShareLink(facebook);
        app()->setTwitterShareLink("http://twitter.invalid/home?status=x y");
        VUVararer::TellWidget panel;
        click(&panel, "FaceBookShareButton");
        app()->setIndependent(true);
        click(&panel, "FaceBookShareButton");
        click(&panel, "TwitterShareButton");
        QCOMPARE(recorder.urls().size(), 3);
        QCOMPARE(recorder.urls().at(0), QUrl(facebook));
        const QUrl relay = recorder.urls().at(1);
        QCOMPARE(relay.toString(QUrl::FullyEncoded),
                 Endpoints::current().m_strSocialRelay + "/social/share.php?link=" + QUrl::toPercentEncoding(facebook));
        QCOMPARE(queryValue(relay, "link"), facebook);
        QCOMPARE(queryValue(recorder.urls().at(2), "link"), QString("http://twitter.invalid/home?status=x y"));
    }

    void testFollowLinks()
    {
        TestKit::UrlRecorder recorder;
        app()->setCurrentLanguage("ru");
        VUVararer::JoinWidget panel;
        int openedBeforeBoxClosed = -1;
        ModalCloser closer(
            [&](QWidget* box) {
                openedBeforeBoxClosed = recorder.urls().size();
                QVERIFY(ModalCloser::clickButton(box, "Ok"));
            },
            "VUVararer::MMessageBox");
        click(&panel, "FaceBookJoinButton");
        QCOMPARE(openedBeforeBoxClosed, 0);
        const Endpoints e = Endpoints::current();
        QCOMPARE(recorder.urls(), QList<QUrl>{QUrl(e.m_strFacebookPage)});

        recorder.clear();
        app()->setIndependent(true);
        click(&panel, "YouTubeJoinButton");
        click(&panel, "VKontakteJoinButton");
        QCOMPARE(recorder.urls().at(0).path(), QString("/social/join.php"));
        QCOMPARE(queryValue(recorder.urls().at(0), "link"), e.m_strYoutubePage + "?sub_confirmation=1");
        QCOMPARE(recorder.urls().at(1), QUrl(e.m_strVkontaktePage));
    }

    void testEmailShare()
    {
        QTemporaryDir emptyPath;
        const QByteArray path = qgetenv("PATH");
        qputenv("PATH", emptyPath.path().toLocal8Bit());
        TestKit::UrlRecorder recorder;
        app()->setShareMessage("Click Convert & enjoy #1");
        app()->setAppSupportPage("http://support.invalid/trelvanic");
        VUVararer::TellWidget panel;
        click(&panel, "EmailShareButton");
        qputenv("PATH", path);
        QCOMPARE(recorder.urls().size(), 1);
        QCOMPARE(recorder.urls().at(0).scheme(), QString("mailto"));
        QCOMPARE(queryValue(recorder.urls().at(0), "body"),
                 QString("Click Convert & enjoy #1 - http://support.invalid/trelvanic"));
    }

    void testDialogs()
    {
        QStringList titles;
        ModalCloser tell(
            [&](QWidget* dialog) {
                titles << dialog->windowTitle();
                QVERIFY(ModalCloser::clickButton(dialog, "Close"));
            },
            "VUVararer::TellDialog");
        app()->slotShareApp();
        ModalCloser join(
            [&](QWidget* dialog) {
                titles << dialog->windowTitle();
                QVERIFY(ModalCloser::clickButton(dialog, "Close"));
            },
            "VUVararer::JoinDialog");
        app()->slotJoin();
        QCOMPARE(titles, (QStringList{"Share Trelvanic", "Join us"}));

        // The reminder forms show Close and "Don't ask me again", which is honoured.
        VUVararer::TellReminderDialog tellReminder;
        VUVararer::JoinReminderDialog joinReminder;
        for (VUVararer::ReminderDialog* dialog : {static_cast<VUVararer::ReminderDialog*>(&tellReminder),
                                                  static_cast<VUVararer::ReminderDialog*>(&joinReminder)}) {
            QStringList shown;
            ModalCloser closer(
                [&](QWidget* window) {
                    for (QPushButton* button : window->findChildren<QPushButton*>(QString("PushButton")))
                        if (button->isVisible())
                            shown << button->text();
                    QVERIFY(ModalCloser::clickButton(window, "Don't ask me again"));
                },
                "VUVararer::ReminderDialog");
            dialog->exec();
            shown.sort();
            QCOMPARE(shown, (QStringList{"&Close", "&Don't ask me again"}));
            QCOMPARE(dialog->state(), 3);
        }
    }
};

TRELVANIC_TEST_MAIN_APP(ShareApp, TestShare)
#include "tst_share.moc"
