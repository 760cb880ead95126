#include <VUVararer/App.h>

#include "TestMain.h"

#include <QFileOpenEvent>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QWidget>
#include <QtTest>

using VUVararer::App;

class TestApp : public QObject
{
    Q_OBJECT

public:
    bool m_bDeactivatedSeenOnActivate = true;

public slots:
    void slotActivated() { m_bDeactivatedSeenOnActivate = App::theApp()->isDeactivated(); }

private slots:
    void testTheApp()
    {
        QVERIFY(App::theApp() != nullptr);
        QCOMPARE(static_cast<QObject*>(App::theApp()), QCoreApplication::instance());
        QCOMPARE(QCoreApplication::organizationName(), QStringLiteral("Zembrel"));
        QCOMPARE(QCoreApplication::applicationName(), QStringLiteral("Trelvanic"));
    }

    void testFileOpenEvent()
    {
        QSignalSpy spy(App::theApp(), SIGNAL(fileOpenRequest(QString)));
        QFileOpenEvent event(QStringLiteral("/tmp/some file.wav"));
        QVERIFY(QCoreApplication::sendEvent(App::theApp(), &event));
        QCOMPARE(spy.count(), 1);
        QCOMPARE(spy.at(0).at(0).toString(), QStringLiteral("/tmp/some file.wav"));

        // Other events go on to QApplication.
        QEvent other(QEvent::User);
        QCoreApplication::sendEvent(App::theApp(), &other);
        QCOMPARE(spy.count(), 1);
    }

    void testActivation()
    {
        App* pApp = App::theApp();
        QSignalSpy spyActivated(pApp, SIGNAL(applicationActivated()));
        QSignalSpy spyDeactivated(pApp, SIGNAL(applicationDeactivated()));
        connect(pApp, SIGNAL(applicationActivated()), this, SLOT(slotActivated()));

        QEvent deactivate(QEvent::ApplicationDeactivate);
        QCoreApplication::sendEvent(pApp, &deactivate);
        QVERIFY(pApp->isDeactivated());
        QCOMPARE(spyDeactivated.count(), 1);

        QEvent activate(QEvent::ApplicationActivate);
        QCoreApplication::sendEvent(pApp, &activate);
        QVERIFY(!pApp->isDeactivated());
        QCOMPARE(spyActivated.count(), 1);
        // The flag changes before the signal goes out.
        QVERIFY(!m_bDeactivatedSeenOnActivate);
        disconnect(pApp, SIGNAL(applicationActivated()), this, SLOT(slotActivated()));
    }

    void testMouseAndExpose()
    {
        QSignalSpy spyExposed(App::theApp(), SIGNAL(applicationExposed()));
        QSignalSpy spyMouse(App::theApp(), SIGNAL(mouseButtonPress()));
        QWidget window;
        window.resize(200, 100);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QVERIFY(spyExposed.count() >= 1);
        QTest::mouseClick(&window, Qt::LeftButton);
        QCOMPARE(spyMouse.count(), 1);
    }

    void testInitialDirPaths()
    {
        App* pApp = App::theApp();
        QCOMPARE(pApp->openDirPath(), pApp->workDirectory(false));
        QCOMPARE(pApp->saveDirPath(), pApp->workDirectory(false));
        QVERIFY(pApp->openDirPath().endsWith(QLatin1Char('/')));
        QVERIFY(QFileInfo(pApp->workDirectory(false)).isDir());
    }

    void testDirPaths_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("expected");
        QTest::newRow("file") << "/a/b/c.txt" << "/a/b";
        QTest::newRow("trailing slash") << "/a/b/" << "/a/b";
        QTest::newRow("last element") << "/a/b" << "/a";
    }

    void testDirPaths()
    {
        QFETCH(QString, path);
        QFETCH(QString, expected);
        App* pApp = App::theApp();
        pApp->setOpenDirPath(path);
        pApp->setSaveDirPath(path);
        QCOMPARE(pApp->openDirPath(), expected);
        QCOMPARE(pApp->saveDirPath(), expected);
    }

    void testLegalNotices()
    {
        App* pApp = App::theApp();
        const QString strNotices = pApp->legalNotices();
        QVERIFY(strNotices.startsWith(QStringLiteral("<H3>This Application Uses:</H3>Qt 5 Toolkit<BR>")));
        QVERIFY(strNotices.contains(QStringLiteral("<A HREF=\"file://") + pApp->bundleResourcePath() +
                                    QStringLiteral("LICENSE.LGPL\">(more)</A><BR>")));
        QVERIFY(strNotices.contains(QStringLiteral("the Qt source code is available on<br><A HREF=\"")));
        pApp->addLegalNotices(QStringLiteral("<p>more</p>"));
        QVERIFY(pApp->legalNotices().endsWith(QStringLiteral("<p>more</p>")));
        pApp->setLegalNotices(strNotices);
        QCOMPARE(pApp->legalNotices(), strNotices);
    }

    void testBundleResourcePath()
    {
        // Tests run from <build>/tests, so the resource folder is the build tree's share/trelvanic.
        const QString strPath = App::theApp()->bundleResourcePath();
        QVERIFY(strPath.endsWith(QStringLiteral("/share/trelvanic/")));
        QCOMPARE(strPath, QDir::cleanPath(QCoreApplication::applicationDirPath() +
                                          QStringLiteral("/../share/trelvanic")) + QLatin1Char('/'));
        QFile licence(strPath + QStringLiteral("LICENSE.LGPL"));
        QVERIFY(licence.open(QIODevice::ReadOnly));
        QVERIFY(licence.readAll().contains("GNU LESSER GENERAL PUBLIC LICENSE"));
    }

    void testPlainAccessors()
    {
        App* pApp = App::theApp();
        QVERIFY(!pApp->isUserLoggedin());
        pApp->setUserEmail(QStringLiteral("u@example.org"));
        QVERIFY(pApp->isUserLoggedin());
        pApp->setUserEmail(QString());

        pApp->setAdditionalLanguages({QStringLiteral("DE"), QStringLiteral("de_DE")});
        QVERIFY(!pApp->isAdditionalLanguageContains(QStringLiteral("de")));
        pApp->setAdditionalLanguages({QStringLiteral("fr"), QStringLiteral("de")});
        QVERIFY(pApp->isAdditionalLanguageContains(QStringLiteral("de")));
        pApp->setAdditionalLanguages({});

        QVERIFY(!pApp->isDemo());
        QVERIFY(!pApp->isKidsMode());
        QVERIFY(!pApp->isSandboxed());
        QVERIFY(!pApp->isIndependent());
    }

    void testChartAutoUpdate()
    {
        QTemporaryDir dir;
        const QString strOld = QDir::currentPath();
        QVERIFY(QDir::setCurrent(dir.path()));
        QVERIFY(App::theApp()->isChartAutoUpdateOn());
        QFile marker(QStringLiteral("noautoupdate"));
        QVERIFY(marker.open(QIODevice::WriteOnly));
        marker.close();
        QVERIFY(!App::theApp()->isChartAutoUpdateOn());
        QDir::setCurrent(strOld);
    }

    void testCheckUpdateBase()
    {
        QTest::ignoreMessage(QtDebugMsg, "Not implemented");
        QVERIFY(QMetaObject::invokeMethod(App::theApp(), "slotCheckUpdate"));
    }
};

TRELVANIC_TEST_MAIN_APP(VUVararer::App, TestApp)
#include "tst_app.moc"
