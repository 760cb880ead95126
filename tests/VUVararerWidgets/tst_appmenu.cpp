#include "TestMain.h"
#include "UrlRecorder.h"

#include <VUVararer/App.h>
#include <VUVararer/Widgets/AppButton.h>
#include <VUVararer/Widgets/AppMenu.h>
#include <VUVararer/Widgets/MoreAppsButton.h>

#include <QMenu>
#include <QSignalSpy>
#include <QtTest>

namespace {

// The frame's application object with the distribution flag open to the test.
class MenuApp : public VUVararer::App
{
public:
    MenuApp(int& argc, char** argv) : VUVararer::App(argc, argv) {}
    void setIndependent(bool independent) { m_bIndependent = independent; }
};

QStringList rowTexts(const QMenu* menu)
{
    QStringList texts;
    for (QAction* action : menu->actions())
        texts << (action->isSeparator() ? QStringLiteral("-") : action->text());
    return texts;
}

QAction* actionNamed(const QMenu* menu, const QString& text)
{
    for (QAction* action : menu->actions())
        if (action->text() == text)
            return action;
    return nullptr;
}

} // namespace

class TestAppMenu : public QObject
{
    Q_OBJECT

private slots:
    void testRows_data()
    {
        QTest::addColumn<bool>("independent");
        QTest::addColumn<QString>("privacyLink");
        QTest::addColumn<QStringList>("rows");
        const QStringList head = {"Rate this App", "Intro", "Share", "Join Us", "More Apps", "Contact Us",
                                  "Support Page"};
        const QStringList tail = {"About", "-", "Quit"};
        QTest::newRow("store, no policy") << false << QString() << head + tail;
        QTest::newRow("independent") << true << QString() << head + QStringList{"Check Updates"} + tail;
        QTest::newRow("policy") << false << "https://x.invalid/p" << head + QStringList{"Privacy Policy"} + tail;
        QTest::newRow("both") << true << "https://x.invalid/p"
                              << head + QStringList{"Check Updates", "Privacy Policy"} + tail;
    }

    void testRows()
    {
        QFETCH(bool, independent);
        QFETCH(QString, privacyLink);
        QFETCH(QStringList, rows);
        auto* app = static_cast<MenuApp*>(VUVararer::App::theApp());
        app->setIndependent(independent);
        app->setPrivacyPolicyLink(privacyLink);
        VUVararer::AppMenu menu;
        QCOMPARE(rowTexts(&menu), rows);
        QVERIFY(menu.actions().first()->shortcut().isEmpty());

        // Hiding works on the members whatever rows exist.
        menu.hideRateAction();
        menu.hideIntroAction();
        menu.hideShareAction();
        menu.hideJoinAction();
        menu.hideMoreAppsAction();
        menu.hideSupportPageAction();
        QStringList visible;
        for (QAction* action : menu.actions())
            if (action->isVisible() && !action->isSeparator())
                visible << action->text();
        QStringList expected = rows;
        for (const char* hidden : {"Rate this App", "Intro", "Share", "Join Us", "More Apps", "Support Page"})
            expected.removeAll(hidden);
        expected.removeAll("-");
        QCOMPARE(visible, expected);
        app->setIndependent(false);
        app->setPrivacyPolicyLink(QString());
    }

    void testIcons()
    {
        // Resources that do not exist give actions without icons; the menu still builds.
        VUVararer::AppMenu menu;
        QVERIFY(VUVararer::AppMenu::resourceIcon(":/no-such-picture.png").isNull());
        QVERIFY(actionNamed(&menu, "Quit")->icon().isNull());
    }

    void testQuitRelay()
    {
        VUVararer::AppButton button;
        QCOMPARE(button.menu(), static_cast<QMenu*>(button.appMenu()));
        QSignalSpy buttonQuit(&button, SIGNAL(quitPressed()));
        QSignalSpy menuQuit(button.appMenu(), SIGNAL(quitPressed()));
        actionNamed(button.appMenu(), "Quit")->trigger();
        QCOMPARE(menuQuit.count(), 1);
        QCOMPARE(buttonQuit.count(), 1);

        button.hideRateAction();
        QVERIFY(!actionNamed(button.appMenu(), "Rate this App")->isVisible());
        QVERIFY(actionNamed(button.appMenu(), "Intro")->isVisible());
    }

    void testMoreAppsLinks()
    {
        TestKit::UrlRecorder recorder;
        VUVararer::MoreAppsButton button;
        QCOMPARE(button.menu(), button.linksMenu());
        // Used unchanged: the frame's storeLink() would empty these unknown links.
        button.addMenuLink(QPixmap(), "First", "https://one.invalid/a?x=1");
        button.addMenuSeparator();
        button.addMenuLink(QPixmap(), "Second", "https://two.invalid/b");
        button.addMenuAppLink(QPixmap(), "Store", "SomeApp", "12345");
        QCOMPARE(rowTexts(button.linksMenu()), (QStringList{"First", "-", "Second", "Store"}));

        actionNamed(button.linksMenu(), "Second")->trigger();
        QCOMPARE(recorder.urls(), QList<QUrl>{QUrl("https://two.invalid/b")});
        recorder.clear();
        actionNamed(button.linksMenu(), "First")->trigger();
        QCOMPARE(recorder.urls(), QList<QUrl>{QUrl("https://one.invalid/a?x=1")});
        recorder.clear();
        actionNamed(button.linksMenu(), "Store")->trigger();
        QCOMPARE(recorder.urls().size(), 1);
        QVERIFY2(recorder.urls().first().toString().endsWith("/app/someapp/12345?ls=1&mt=12"),
                 qPrintable(recorder.urls().first().toString()));
    }
};

TRELVANIC_TEST_MAIN_APP(MenuApp, TestAppMenu)
#include "tst_appmenu.moc"
