#include "TestMain.h"
#include "UrlRecorder.h"

#include <VUVararer/App.h>
#include <VUVararer/Endpoints.h>

#include <QMenuBar>
#include <QVBoxLayout>

using VUVararer::App;

class TestMainWidget : public QObject
{
    Q_OBJECT

private slots:
    void testOverlayFollowsMainWidget()
    {
        App* app = App::theApp();
        app->slotSetBlendMainWidget(true); // no main widget yet: nothing happens

        QWidget page;
        new QVBoxLayout(&page);
        page.resize(320, 200);
        app->setMainWidget(&page);
        QCOMPARE(app->mainWidget(), &page);

        auto* blender = page.findChild<QWidget*>("MainWidgetBlender");
        QVERIFY(blender);
        QVERIFY(blender->isHidden());
        QVERIFY(page.findChild<QMenuBar*>());

        page.show();
        app->slotSetBlendMainWidget(true);
        QCOMPARE(blender->size(), page.size());
        QVERIFY(blender->isVisible());
        app->slotSetBlendMainWidget(false);
        QVERIFY(blender->isHidden());
        app->setMainWidget(nullptr);
    }

    void testLinks()
    {
        TestKit::UrlRecorder recorder;
        App* app = App::theApp();
        app->slotShowPrivacyPolicy();
        QVERIFY(recorder.urls().isEmpty());

        app->setPrivacyPolicyLink("https://example.invalid/privacy policy");
        app->slotShowPrivacyPolicy();
        QCOMPARE(recorder.urls().size(), 1);
        QCOMPARE(recorder.urls().first().host(), QString("example.invalid"));

        VUVararer::Endpoints endpoints = VUVararer::Endpoints::defaults();
        endpoints.m_strDeveloperPage = "https://store.invalid/developer";
        VUVararer::Endpoints::setOverride(endpoints);
        app->slotShowMoreApps();
        VUVararer::Endpoints::clearOverride();
        QCOMPARE(recorder.urls().last(), QUrl("https://store.invalid/developer"));
    }

    void testIntroductionData()
    {
        App* app = App::theApp();
        app->setIntroductionSlides({"/r/Slide1_en.jpg", "/r/Slide2_en.jpg"});
        app->setIntroVideosList("https://videos.invalid/en");
        QCOMPARE(app->introductionSlides().size(), 2);
        QCOMPARE(app->introVideosList(), QString("https://videos.invalid/en"));
    }
};

TRELVANIC_TEST_MAIN_APP(VUVararer::App, TestMainWidget)
#include "tst_mainwidget.moc"
