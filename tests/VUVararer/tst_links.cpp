#include "TestMain.h"
#include "UrlRecorder.h"

#include <VUVararer/App.h>
#include <VUVararer/Endpoints.h>
#include <VUVararer/TranslationsManager.h>

#include <QUrlQuery>
#include <QtTest>

using VUVararer::App;
using VUVararer::Endpoints;

namespace {

class LinksApp : public App
{
public:
    LinksApp(int& argc, char** argv) : App(argc, argv) {}
    void setIndependent(bool bIndependent) { m_bIndependent = bIndependent; }
};

LinksApp* app() { return static_cast<LinksApp*>(App::theApp()); }

QString queryValue(const QUrl& url, const QString& key)
{
    return QUrlQuery(url).queryItemValue(key, QUrl::FullyDecoded);
}

} // namespace

class TestLinks : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        VUVararer::TranslationsManager::instance();
        app()->setCurrentLanguage("en");
        app()->setIndependent(false);
        app()->setAppSupportPage(QString());
    }

    void testOrgLinksByLanguage_data()
    {
        QTest::addColumn<QString>("language");
        QTest::addColumn<QStringList>("additional");
        QTest::addColumn<QString>("domain");
        QTest::newRow("en") << "en" << QStringList() << "org";
        QTest::newRow("de") << "de" << QStringList() << "de";
        QTest::newRow("ru") << "ru" << QStringList() << "ru";
        QTest::newRow("fr listed") << "fr" << QStringList{"it", "fr"} << "fr";
        QTest::newRow("fr unlisted") << "fr" << QStringList{"FR", "fr_FR"} << "org";
    }

    void testOrgLinksByLanguage()
    {
        QFETCH(QString, language);
        QFETCH(QStringList, additional);
        QFETCH(QString, domain);
        app()->setCurrentLanguage(language);
        app()->setAdditionalLanguages(additional);
        app()->setZembrelOrgLinks("");
        const QString page = Endpoints::current().regionalSite(domain) + "/trelvanic";
        QCOMPARE(app()->appSupportPage(), page);
        QCOMPARE(queryValue(QUrl(app()->facebookShareLink()), "u"), page);
        QCOMPARE(queryValue(QUrl(app()->twitterShareLink()), "status"), page);

        app()->setZembrelComLinks("abc");
        QCOMPARE(app()->appSupportPage(), Endpoints::current().m_strProductSite + "/apps/abc");
        QCOMPARE(app()->vkontakteShareLink(), Endpoints::current().m_strProductSite + "/apps/abc/vkontakte.php");
    }

    void testStoreLinks()
    {
        const QString id = app()->appNameToId("trelvanic");
        QVERIFY(QRegularExpression("^id[0-9]{9,10}$").match(id).hasMatch());
        QCOMPARE(app()->appNameToId("Trelvanic"), QString());
        const QString link = app()->storeLink("trelvanic");
        QCOMPARE(link, Endpoints::current().m_strStoreHost + id + "?mt=12");
        QVERIFY(link.startsWith("macappstore://"));
        QCOMPARE(app()->storeLink("a/b/TrelVanic/"), link);
        QCOMPARE(app()->storeLink("no-such-app"), QString());
        QCOMPARE(app()->storeLink("trelvanic//"), QString());
    }

    void testOpenedLinks()
    {
        TestKit::UrlRecorder recorder;
        QCoreApplication::setApplicationVersion("1.0.2");
        app()->setZembrelOrgLinks("");
        app()->slotRateApp();
        app()->slotContactUs();
        app()->setIndependent(true);
        app()->slotRateApp();
        app()->slotContactUs();
        app()->setIndependent(false);
        app()->setAppSupportPage("http://support.invalid/unknown-app");
        app()->slotRateApp();
        app()->setPromotedAppNameAndID("OtherApp", "id123456789");
        app()->slotGoToPromotedApp();
        app()->setPromotedLink("https://promoted.invalid/page?x=1");
        app()->slotGoToPromotedApp();
        const QList<QUrl> urls = recorder.urls();
        QCOMPARE(urls.size(), 7);
        QCOMPARE(urls.at(0).toString(), app()->storeLink("trelvanic") + "&action=write-review");
        const QString subject = "Contact (Trelvanic 1.0.2) " + app()->osInfo() + " en ";
        QCOMPARE(queryValue(urls.at(1), "subject"), subject);
        QCOMPARE(urls.at(2).path(), QString("/rate.php"));
        QCOMPARE(queryValue(urls.at(2), "appname"), QString("trelvanic"));
        QCOMPARE(urls.at(3).path(), Endpoints::current().m_strSupportMail);
        QCOMPARE(queryValue(urls.at(3), "subject"), subject + "I");
        QVERIFY(urls.at(3).toString().endsWith("&body="));
        QCOMPARE(urls.at(4), urls.at(2));
        QCOMPARE(urls.at(5).scheme() + urls.at(5).path(), QString("https/app/otherapp/id123456789"));
        QCOMPARE(urls.at(5).query(), QString("ls=1&mt=12"));
        QCOMPARE(urls.at(6), QUrl("https://promoted.invalid/page?x=1"));
    }

    void testTellFriendKeepsSpecialCharacters()
    {
        TestKit::UrlRecorder recorder;
        app()->setShareMessage("Tracks #1 & #2 = 100% fun?");
        app()->slotTellFriend();
        app()->setAppSupportPage("http://support.invalid/trelvanic");
        app()->slotTellFriend();
        app()->setAppSupportPage(QString());
        app()->setIndependent(true);
        app()->slotTellFriend();
        QCOMPARE(recorder.urls().size(), 3);
        for (const QUrl& url : recorder.urls()) {
            QVERIFY(url.fragment().isEmpty());
            QCOMPARE(QUrlQuery(url).queryItems().size(), 2);
            QCOMPARE(queryValue(url, "subject"), QString("Check out the cool Trelvanic app!"));
        }
        const QString message = "Tracks #1 & #2 = 100% fun? - ";
        QCOMPARE(queryValue(recorder.urls().at(0), "body"),
                 message + app()->storeLink("trelvanic").replace("macappstore", "https"));
        QCOMPARE(queryValue(recorder.urls().at(1), "body"), message + "http://support.invalid/trelvanic");
        QCOMPARE(queryValue(recorder.urls().at(2), "body"),
                 message + Endpoints::current().m_strMainSite + "/trelvanic");
        app()->setShareMessage(QString());
        QCOMPARE(app()->shareMessage(), QString("Trelvanic"));
    }
};

TRELVANIC_TEST_MAIN_APP(LinksApp, TestLinks)
#include "tst_links.moc"
