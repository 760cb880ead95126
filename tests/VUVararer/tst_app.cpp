#include <VUVararer/App.h>
#include <VUVararer/Endpoints.h>
#include <VUVararer/TranslationsManager.h>

#include "TestMain.h"
#include "UrlRecorder.h"

#include <QFileOpenEvent>
#include <QMenuBar>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QVBoxLayout>
#include <QtTest>

using VUVararer::App;
using VUVararer::Endpoints;

class TestApp : public QObject
{
    Q_OBJECT

public:
    bool m_bDeactivatedSeenOnActivate = true;

public slots:
    void slotActivated() { m_bDeactivatedSeenOnActivate = App::theApp()->isDeactivated(); }

private slots:
    void testEvents()
    {
        App* pApp = App::theApp();
        QSignalSpy spyOpen(pApp, SIGNAL(fileOpenRequest(QString)));
        QFileOpenEvent event(QStringLiteral("/tmp/some file.wav"));
        QVERIFY(QCoreApplication::sendEvent(pApp, &event));
        QCOMPARE(spyOpen.count(), 1);
        QCOMPARE(spyOpen.at(0).at(0).toString(), QStringLiteral("/tmp/some file.wav"));

        // The flag changes before the signal goes out.
        QSignalSpy spyDeactivated(pApp, SIGNAL(applicationDeactivated()));
        connect(pApp, SIGNAL(applicationActivated()), this, SLOT(slotActivated()));
        QEvent deactivate(QEvent::ApplicationDeactivate);
        QCoreApplication::sendEvent(pApp, &deactivate);
        QVERIFY(pApp->isDeactivated());
        QCOMPARE(spyDeactivated.count(), 1);
        QEvent activate(QEvent::ApplicationActivate);
        QCoreApplication::sendEvent(pApp, &activate);
        QVERIFY(!pApp->isDeactivated());
        QVERIFY(!m_bDeactivatedSeenOnActivate);
        disconnect(pApp, SIGNAL(applicationActivated()), this, SLOT(slotActivated()));

        QSignalSpy spyExposed(pApp, SIGNAL(applicationExposed()));
        QSignalSpy spyMouse(pApp, SIGNAL(mouseButtonPress()));
        QWidget window;
        window.resize(200, 100);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QVERIFY(spyExposed.count() >= 1);
        QTest::mouseClick(&window, Qt::LeftButton);
        QCOMPARE(spyMouse.count(), 1);
    }

    void testDirPaths_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("expected");
        QTest::newRow("file") << "/a/b/c.txt"
                              << "/a/b";
        QTest::newRow("trailing slash") << "/a/b/"
                                        << "/a/b";
        QTest::newRow("last element") << "/a/b"
                                      << "/a";
    }

    void testDirPaths()
    {
        QFETCH(QString, path);
        QFETCH(QString, expected);
        App* pApp = App::theApp();
        if (QTest::currentDataTag() == QLatin1String("file")) {
            QCOMPARE(pApp->openDirPath(), pApp->workDirectory(false));
            QCOMPARE(pApp->saveDirPath(), pApp->workDirectory(false));
        }
        pApp->setOpenDirPath(path);
        pApp->setSaveDirPath(path);
        QCOMPARE(pApp->openDirPath(), expected);
        QCOMPARE(pApp->saveDirPath(), expected);
    }

    void testLegalNoticesAndResources()
    {
        App* pApp = App::theApp();
        const QString strNotices = pApp->legalNotices();
        QVERIFY(strNotices.startsWith(QStringLiteral("<H3>This Application Uses:</H3>Qt 5 Toolkit<BR>")));
        QVERIFY(strNotices.contains(QStringLiteral("<A HREF=\"file://") + pApp->bundleResourcePath() +
                                    QStringLiteral("LICENSE.LGPL\">(more)</A><BR>")));
        QVERIFY(strNotices.contains(QStringLiteral("the Qt source code is available on<br><A HREF=\"")));
        // Tests run from <build>/tests, so the resource folder is the build tree's share/trelvanic.
        QCOMPARE(pApp->bundleResourcePath(),
                 QDir::cleanPath(QCoreApplication::applicationDirPath() + QStringLiteral("/../share/trelvanic")) +
                     QLatin1Char('/'));
        QFile licence(pApp->bundleResourcePath() + QStringLiteral("LICENSE.LGPL"));
        QVERIFY(licence.open(QIODevice::ReadOnly));
        QVERIFY(licence.readAll().contains("GNU LESSER GENERAL PUBLIC LICENSE"));
    }

    void testQueries()
    {
        App* pApp = App::theApp();
        pApp->setAdditionalLanguages({QStringLiteral("DE"), QStringLiteral("de_DE")});
        QVERIFY(!pApp->isAdditionalLanguageContains(QStringLiteral("de")));
        pApp->setAdditionalLanguages({QStringLiteral("fr"), QStringLiteral("de")});
        QVERIFY(pApp->isAdditionalLanguageContains(QStringLiteral("de")));
        pApp->setAdditionalLanguages({});

        QTemporaryDir dir;
        const QString strOld = QDir::currentPath();
        QVERIFY(QDir::setCurrent(dir.path()));
        QVERIFY(pApp->isChartAutoUpdateOn());
        QVERIFY(QFile(QStringLiteral("noautoupdate")).open(QIODevice::WriteOnly));
        QVERIFY(!pApp->isChartAutoUpdateOn());
        QDir::setCurrent(strOld);

        // No macOS version on Linux: the text is the system's name, never "10.65535".
        QCOMPARE(pApp->osInfo(), QSysInfo::prettyProductName());
        // The offscreen platform's desktop is 800 x 600 at pixel ratio 1.
        QCOMPARE(pApp->smallestDimention(), 600);
        QCOMPARE(pApp->biggestDimention(), 800);
        QVERIFY(!pApp->isPocketDevice() && pApp->isLandscape());

        VUVararer::TranslationsManager::instance();
        pApp->setCurrentLanguage(QStringLiteral("de"));
        QCOMPARE(pApp->currentLanguageOptimized(), QStringLiteral("de/"));
        pApp->setCurrentLanguage(QStringLiteral("en"));
        QCOMPARE(pApp->currentLanguageOptimized(), QString());

        QTest::ignoreMessage(QtDebugMsg, "Not implemented");
        QVERIFY(QMetaObject::invokeMethod(pApp, "slotCheckUpdate"));
    }

    void testBuildText_data()
    {
        QTest::addColumn<QByteArray>("compiler");
        QTest::addColumn<QString>("expected");
        QTest::newRow("padded day") << QByteArray("Dec  8 2026") << "12/8/2026";
        QTest::newRow("two-digit day") << QByteArray("Sep 25 2019") << "9/25/2019";
        QTest::newRow("january") << QByteArray("Jan 31 2020") << "1/31/2020";
    }

    void testBuildText()
    {
        QFETCH(QByteArray, compiler);
        QFETCH(QString, expected);
        QCOMPARE(App::buildTextFromCompilerDate(compiler.constData()), expected);
        // The library and this test are built from the same tree; both dates come from the compiler.
        const QDate fromThisTest =
            QDate::fromString(App::buildTextFromCompilerDate(__DATE__), QStringLiteral("M/d/yyyy"));
        const QDate fromLibrary = App::theApp()->buildDate();
        QVERIFY(qAbs(fromLibrary.daysTo(fromThisTest)) <= 1);
        QCOMPARE(App::theApp()->build(), fromLibrary.toString(QStringLiteral("M/d/yyyy")));
    }

    void testMainWidget()
    {
        App* pApp = App::theApp();
        pApp->slotSetBlendMainWidget(true); // no main widget yet: nothing happens
        QWidget page;
        new QVBoxLayout(&page);
        page.resize(320, 200);
        pApp->setMainWidget(&page);
        auto* pBlender = page.findChild<QWidget*>(QStringLiteral("MainWidgetBlender"));
        QVERIFY(pBlender && pBlender->isHidden());
        QVERIFY(page.findChild<QMenuBar*>());
        page.show();
        pApp->slotSetBlendMainWidget(true);
        QCOMPARE(pBlender->size(), page.size());
        QVERIFY(pBlender->isVisible());
        pApp->slotSetBlendMainWidget(false);
        QVERIFY(pBlender->isHidden());
        pApp->setMainWidget(nullptr);

        TestKit::UrlRecorder recorder;
        pApp->slotShowPrivacyPolicy();
        QVERIFY(recorder.urls().isEmpty());
        pApp->setPrivacyPolicyLink(QStringLiteral("https://example.invalid/privacy policy"));
        pApp->slotShowPrivacyPolicy();
        QCOMPARE(recorder.urls().size(), 1);
        Endpoints endpoints = Endpoints::defaults();
        endpoints.m_strDeveloperPage = QStringLiteral("https://store.invalid/developer");
        Endpoints::setOverride(endpoints);
        pApp->slotShowMoreApps();
        Endpoints::clearOverride();
        QCOMPARE(recorder.urls().last(), QUrl(QStringLiteral("https://store.invalid/developer")));
    }

    void testEndpointDefaults()
    {
        // An unconfigured build never contacts anyone.
        const Endpoints e = Endpoints::defaults();
        for (const QString& address : {e.m_strUpdateServer,
                                       e.m_strUpdateServerFallback,
                                       e.m_strMetricsBase,
                                       e.m_strProductSite,
                                       e.m_strMainSite,
                                       e.regionalSite(QStringLiteral("de")),
                                       e.m_strRatingPage,
                                       e.m_strSocialRelay,
                                       e.videoUrl(QStringLiteral("de"), QStringLiteral("1")),
                                       e.m_strAboutAddress,
                                       e.m_strFacebookPage,
                                       e.m_strTwitterPage,
                                       e.m_strVkontaktePage,
                                       e.m_strYoutubePage,
                                       e.serverCom(),
                                       e.serverNet(),
                                       e.serverDe(),
                                       e.m_strFacebookSharer,
                                       e.m_strTwitterStatus,
                                       e.m_strVideoShortPrefix,
                                       e.m_strVideoWatchPrefix}) {
            // Web endpoints default to https: plain http lets a record or page be replaced on the way.
            const QUrl url(address);
            QVERIFY2(url.isValid() && url.scheme() == QStringLiteral("https"), qPrintable(address));
            QVERIFY2(url.host().endsWith(QStringLiteral(".invalid")), qPrintable(address));
            QVERIFY2(Endpoints::isUnconfigured(address), qPrintable(address));
        }
        QVERIFY(QUrl(e.m_strDeveloperPage).host().endsWith(QStringLiteral(".invalid")));
        QVERIFY(!Endpoints::isUnconfigured(QStringLiteral("127.0.0.1:8080")));
        QVERIFY(!Endpoints::isUnconfigured(QStringLiteral("https://invalid.example/x.invalid")));
        QVERIFY(Endpoints::isUnconfigured(QStringLiteral("updates.example.INVALID.")));
        QVERIFY(e.m_strSupportMail.endsWith(QStringLiteral(".invalid")));
        QCOMPARE(e.m_strPlatformSuffix, QStringLiteral("_linux"));
        // The stored server bases are the standard Base64 of the addresses (Qt's own encoder as reference).
        QCOMPARE(e.m_strServerComBase64, QString::fromLatin1(e.serverCom().toLatin1().toBase64()));
        QCOMPARE(e.m_strServerDeBase64, QString::fromLatin1(e.serverDe().toLatin1().toBase64()));
        Endpoints other;
        other.m_strServerNetBase64 = QStringLiteral("aHR0cDovLzEyNy4wLjAuMTo4MA==");
        QCOMPARE(other.serverNet(), QStringLiteral("http://127.0.0.1:80"));
    }
};

TRELVANIC_TEST_MAIN_APP(VUVararer::App, TestApp)
#include "tst_app.moc"
