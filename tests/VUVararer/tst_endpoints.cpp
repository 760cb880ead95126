#include <VUVararer/Endpoints.h>

#include "TestMain.h"

#include <QUrl>
#include <QtTest>

using VUVararer::Endpoints;

class TestEndpoints : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { Endpoints::clearOverride(); }

    void testDefaultsNeverLeaveTheReservedDomain()
    {
        const Endpoints e = Endpoints::defaults();
        const QStringList addresses = {e.m_strUpdateServer, e.m_strUpdateServerFallback, e.m_strMetricsBase,
                                       e.m_strProductSite,  e.m_strMainSite,            e.regionalSite("de"),
                                       e.m_strRatingPage,   e.m_strSocialRelay,         e.videoUrl("de", "1"),
                                       e.m_strAboutAddress, e.m_strFacebookPage,        e.m_strTwitterPage,
                                       e.m_strVkontaktePage, e.m_strYoutubePage,        e.serverCom(),
                                       e.serverNet(),       e.serverDe(),               e.m_strDeveloperPage};
        for (const QString& address : addresses) {
            const QUrl url(address);
            QVERIFY2(url.isValid() && !url.scheme().isEmpty(), qPrintable(address));
            QVERIFY2(url.host().endsWith(QStringLiteral(".invalid")), qPrintable(address));
        }
        QVERIFY(e.m_strSupportMail.endsWith(QStringLiteral(".invalid")));
        QCOMPARE(e.m_strPlatformSuffix, QStringLiteral("_linux"));
    }

    void testServerBasesAreBase64()
    {
        const Endpoints e = Endpoints::defaults();
        // The stored text is the standard Base64 of the address (checked with Qt's own encoder).
        QCOMPARE(e.m_strServerComBase64, QString::fromLatin1(e.serverCom().toLatin1().toBase64()));
        QCOMPARE(e.m_strServerNetBase64, QString::fromLatin1(e.serverNet().toLatin1().toBase64()));
        QCOMPARE(e.m_strServerDeBase64, QString::fromLatin1(e.serverDe().toLatin1().toBase64()));
        QVERIFY(!e.m_strServerComBase64.contains(QStringLiteral("invalid")));
        Endpoints other;
        other.m_strServerComBase64 = QStringLiteral("aHR0cDovLzEyNy4wLjAuMTo4MA==");
        QCOMPARE(other.serverCom(), QStringLiteral("http://127.0.0.1:80"));
    }

    void testOverride()
    {
        Endpoints e = Endpoints::defaults();
        e.m_strUpdateServer = QStringLiteral("127.0.0.1:1234");
        Endpoints::setOverride(e);
        QCOMPARE(Endpoints::current().m_strUpdateServer, QStringLiteral("127.0.0.1:1234"));
        Endpoints::clearOverride();
        QCOMPARE(Endpoints::current().m_strUpdateServer, Endpoints::defaults().m_strUpdateServer);
    }

    void testPaths()
    {
        Endpoints e;
        e.m_strMetricsBase = QStringLiteral("https://m.example.invalid");
        e.m_strProductSite = QStringLiteral("http://p.invalid");
        e.m_strRatingPage = QStringLiteral("https://r.invalid");
        e.m_strSocialRelay = QStringLiteral("https://s.invalid");
        e.m_strVideoPage = QStringLiteral("http://v.%1");
        e.m_strRegionalSite = QStringLiteral("http://www.z.%1");
        e.m_strPlatformSuffix = QStringLiteral("_linux");
        QCOMPARE(e.buildsInfoPath(QStringLiteral("Trel Vanic")), QStringLiteral("/apps/buildsinfo/trel vanic_linux"));
        QCOMPARE(Endpoints::updatePagePath(QStringLiteral("Trel Vanic")),
                 QStringLiteral("/apps/updatepage.php?appname=trel vanic"));
        QCOMPARE(Endpoints::crossPromoPath(), QStringLiteral("/apps/crosspromo.php?appname=\"\""));
        QCOMPARE(e.metricsUrl(true, QStringLiteral("Trel Vanic")), QStringLiteral("https://m.example.invalid/?f=trelvanic"));
        QCOMPARE(e.metricsUrl(false, QStringLiteral("Trelvanic")), QStringLiteral("https://m.example.invalid/?a=trelvanic"));
        QCOMPARE(e.socialRedirectUrl(QStringLiteral("trelvanic"), QStringLiteral("twitter")),
                 QStringLiteral("http://p.invalid/apps/trelvanic/twitter.php"));
        QCOMPARE(e.ratingUrl(QStringLiteral("Trelvanic")), QStringLiteral("https://r.invalid/rate.php?appname=trelvanic"));
        QCOMPARE(e.shareUrl(QStringLiteral("x")), QStringLiteral("https://s.invalid/social/share.php?link=x"));
        QCOMPARE(e.joinUrl(QStringLiteral("x")), QStringLiteral("https://s.invalid/social/join.php?link=x"));
        QCOMPARE(e.videoUrl(QStringLiteral("de"), QStringLiteral("42")), QStringLiteral("http://v.de/video.php?view=42"));
        QCOMPARE(e.regionalSite(QStringLiteral("org")), QStringLiteral("http://www.z.org"));
    }
};

TRELVANIC_TEST_MAIN(TestEndpoints)
#include "tst_endpoints.moc"
