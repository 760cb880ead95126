#include "TestMain.h"
#include "UrlRecorder.h"

#include <VUVararer/App.h>
#include <VUVararer/Widgets/AppButton.h>
#include <VUVararer/Widgets/AppMenu.h>
#include <VUVararer/Widgets/CrossPromoCatalogue.h>
#include <VUVararer/Widgets/MoreAppsButton.h>
#include <VUVararer/Widgets/PromoMainPage.h>
#include <VUVararer/Widgets/PromoMenuBar.h>

#include <QEventLoop>
#include <QHBoxLayout>
#include <QMenu>
#include <QPushButton>
#include <QSet>
#include <QSignalSpy>
#include <QTimer>
#include <QUrlQuery>
#include <QtTest>

namespace {

// Empties every store link containing "blocked" and passes the others; the edition flag is open to tests.
class PromoApp : public VUVararer::App
{
public:
    PromoApp(int& argc, char** argv) : VUVararer::App(argc, argv) {}
    QString storeLink(const QString& link) override { return link.contains("blocked") ? QString() : link; }
    void setIndependent(bool bIndependent) { m_bIndependent = bIndependent; }
};

PromoApp* app() { return static_cast<PromoApp*>(VUVararer::App::theApp()); }

const QStringList s_lstButtons = {"IntroButton", "MoreButton", "RateButton", "MoreAppsButton",
                                  "ShareButton", "JoinButton", "AppButton"};

QStringList shownButtons(const VUVararer::PromoMenuBar& bar)
{
    QStringList shown;
    for (const QString& name : s_lstButtons)
        if (!bar.findChild<QPushButton*>(name)->isHidden())
            shown << name;
    return shown;
}

// Row texts ("-" for separators); only the visible ones when visibleOnly.
QStringList rows(const QList<QAction*>& actions, bool visibleOnly = false)
{
    QStringList texts;
    for (QAction* action : actions)
        if (!visibleOnly || (action->isVisible() && !action->isSeparator()))
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

// The "appname" of every link row of the shop menu, in order, found by triggering the rows.
QStringList linkKeys(const VUVararer::PromoMenuBar& bar)
{
    TestKit::UrlRecorder recorder;
    for (QAction* action : bar.moreActions())
        if (!action->isSeparator() && action->text() != QLatin1String("More Apps"))
            action->trigger();
    QStringList keys;
    for (const QUrl& url : recorder.urls())
        keys << QUrlQuery(url).queryItemValue("appname");
    return keys;
}

void setApplicationName(const QString& name)
{
    QCoreApplication::setApplicationName(name.isEmpty() ? QString("Trelvanic") : name);
}

} // namespace

class TestPromoMenuBar : public QObject
{
    Q_OBJECT

private slots:
    void cleanup()
    {
        setApplicationName(QString());
        app()->setIndependent(false);
        app()->setPrivacyPolicyLink(QString());
    }

    void testAppMenuRows_data()
    {
        QTest::addColumn<bool>("independent");
        QTest::addColumn<QString>("privacyLink");
        QTest::addColumn<QStringList>("optional");
        QTest::newRow("store, no policy") << false << QString() << QStringList();
        QTest::newRow("both") << true << "https://x.invalid/p" << QStringList{"Check Updates", "Privacy Policy"};
    }

    void testAppMenuRows()
    {
        QFETCH(bool, independent);
        QFETCH(QString, privacyLink);
        QFETCH(QStringList, optional);
        app()->setIndependent(independent);
        app()->setPrivacyPolicyLink(privacyLink);
        VUVararer::AppButton button;
        VUVararer::AppMenu* menu = button.appMenu();
        const QStringList expected =
            QStringList{"Rate this App", "Intro", "Share", "Join Us", "More Apps", "Contact Us", "Support Page"} +
            optional + QStringList{"About", "-", "Quit"};
        QCOMPARE(rows(menu->actions()), expected);
        // Hiding works on the members whatever rows exist.
        button.hideRateAction();
        menu->hideIntroAction();
        QVERIFY(!actionNamed(menu, "Rate this App")->isVisible() && !actionNamed(menu, "Intro")->isVisible());
        QVERIFY(actionNamed(menu, "Share")->isVisible());

        QSignalSpy buttonQuit(&button, SIGNAL(quitPressed()));
        actionNamed(menu, "Quit")->trigger();
        QCOMPARE(buttonQuit.count(), 1);
    }

    void testMoreAppsButton()
    {
        TestKit::UrlRecorder recorder;
        VUVararer::MoreAppsButton button;
        // Used unchanged: the application's storeLink() would empty this one.
        button.addMenuLink(QPixmap(), "First", "https://one.invalid/blocked?x=1");
        button.addMenuSeparator();
        button.addMenuAppLink(QPixmap(), "Store", "SomeApp", "12345");
        QCOMPARE(rows(button.linksMenu()->actions()), (QStringList{"First", "-", "Store"}));
        actionNamed(button.linksMenu(), "First")->trigger();
        actionNamed(button.linksMenu(), "Store")->trigger();
        QCOMPARE(recorder.urls().size(), 2);
        QCOMPARE(recorder.urls().first(), QUrl("https://one.invalid/blocked?x=1"));
        QVERIFY2(recorder.urls().last().toString().endsWith("/app/someapp/12345?ls=1&mt=12"),
                 qPrintable(recorder.urls().last().toString()));
    }

    void testBar()
    {
        VUVararer::PromoMenuBar bar(nullptr, true);
        QCOMPARE(bar.objectName(), QString("MenuBar"));
        const QStringList tips = {"Introduction", "More", "Rate App", "More Apps", "Share", "Join Us", "App Menu"};
        for (int i = 0; i < s_lstButtons.size(); ++i) {
            auto* button = bar.findChild<QPushButton*>(s_lstButtons[i]);
            QVERIFY2(button, qPrintable(s_lstButtons[i]));
            QCOMPARE(button->toolTip(), tips[i]);
            QVERIFY(button->isFlat() && button->text().isEmpty());
            QCOMPARE(button->maximumSize(), QSize(60, 32));
        }
        QCOMPARE(shownButtons(bar),
                 (QStringList{"IntroButton", "MoreButton", "ShareButton", "JoinButton", "AppButton"}));
        // Layout: More, stretch, centre box, stretch, right box, intro, share, join, more apps, rate, app.
        auto* layout = qobject_cast<QHBoxLayout*>(bar.layout());
        QStringList order;
        for (int i = 0; i < layout->count(); ++i)
            order << (layout->itemAt(i)->widget() ? layout->itemAt(i)->widget()->objectName() : QString());
        QCOMPARE(order, (QStringList{"MoreButton", "", "", "", "", "IntroButton", "ShareButton", "JoinButton",
                                     "MoreAppsButton", "RateButton", "AppButton"}));
        auto* right = new QPushButton("right");
        auto* centre = new QPushButton("centre");
        bar.addWidget(right);
        bar.addCenterWidget(centre);
        QCOMPARE(layout->itemAt(4)->layout()->itemAt(0)->widget(), right);
        QCOMPARE(layout->itemAt(2)->layout()->itemAt(0)->widget(), centre);

        // Hiding an action also hides its button.
        bar.hideShareAction();
        bar.hideSupportPageAction();
        bar.hideIntroButton();
        QCOMPARE(shownButtons(bar), (QStringList{"MoreButton", "JoinButton", "AppButton"}));
        QStringList hidden;
        for (QAction* action : bar.appButton()->appMenu()->actions())
            if (!action->isVisible())
                hidden << action->text();
        QCOMPARE(hidden, (QStringList{"Share", "Support Page"}));

        app()->setKidsMode(true);
        VUVararer::PromoMenuBar kids(nullptr, false);
        app()->setKidsMode(false);
        QCOMPARE(shownButtons(kids), QStringList{"IntroButton"});
        QCOMPARE(rows(kids.appButton()->appMenu()->actions(), true),
                 (QStringList{"Intro", "Contact Us", "About", "Quit"}));
    }

    void testShopMenu()
    {
        VUVararer::PromoMenuBar bar(nullptr, true);
        QVERIFY(bar.moreActions().isEmpty());
        bar.addMoreAppsLink();
        TestKit::UrlRecorder recorder;
        bar.addMenuLink(QPixmap(), "Blocked", "https://x.invalid/blocked");
        bar.addMenuLink(QPixmap(), "Open", "https://x.invalid/open?a=1");
        bar.addMenuAppLink(QPixmap(), "Store", "MyApp", "987");
        QCOMPARE(rows(bar.moreActions()), (QStringList{"-", "More Apps", "-", "Open", "Store"}));
        bar.moreActions().at(3)->trigger();
        bar.moreActions().at(4)->trigger();
        QCOMPARE(recorder.urls().size(), 2);
        QCOMPARE(recorder.urls().at(0), QUrl("https://x.invalid/open?a=1"));
        QVERIFY(recorder.urls().at(1).toString().endsWith("/app/myapp/987?ls=1&mt=12"));
    }

    void testQuit()
    {
        VUVararer::PromoMainPage page(nullptr, true);
        QSignalSpy pageQuit(&page, SIGNAL(quitApp()));
        page.promoMenuBar()->appButton()->appMenu()->actions().last()->trigger();
        QCOMPARE(pageQuit.count(), 1);

        // Without relaying, "Quit" ends the running event loop with code 0.
        VUVararer::PromoMainPage plain(nullptr, false);
        QSignalSpy plainQuit(&plain, SIGNAL(quitApp()));
        QEventLoop loop;
        QTimer::singleShot(0, this,
                           [&plain] { plain.promoMenuBar()->appButton()->appMenu()->actions().last()->trigger(); });
        QTimer::singleShot(10000, &loop, [&loop] { loop.exit(7); });
        QCOMPARE(loop.exec(), 0);
        QCOMPARE(plainQuit.count(), 0);
    }

    void testCatalogue()
    {
        using VUVararer::CrossPromoCatalogue;
        setApplicationName("Guitar Tunevalo Lite");
        QCOMPARE(CrossPromoCatalogue::ownName(), QString("guitartunevalo"));
        // A suffix entry never offers the running application's own family.
        QVERIFY(!CrossPromoCatalogue::find("basstunevalo", "guitartunevalo"));
        QCOMPARE(QString(CrossPromoCatalogue::find("basstunevalo", "trelvanic")->linkKey), QString("tunevalo"));
        QVERIFY(!CrossPromoCatalogue::find("wavoria", "wavoria"));
        QVERIFY(!CrossPromoCatalogue::find("unknown", "trelvanic"));

        setApplicationName("Wavoria");
        VUVararer::PromoMenuBar bar(nullptr, true);
        bar.setupAppsMenu("audio");
        const QStringList keys = linkKeys(bar);
        QCOMPARE(keys.first(), QString("trelvanic"));
        QVERIFY(!keys.contains("wavoria"));
        QCOMPARE(bar.moreActions().first()->text(), QString("Convert audio && video sound tracks to M4A"));
    }

    void testCategories_data()
    {
        QTest::addColumn<QString>("applicationName");
        QTest::addColumn<QString>("category");
        QTest::addColumn<int>("linkRowCount");
        QTest::newRow("audio") << "Trelvanic"
                               << "audio" << 20;
        QTest::newRow("audio, sibling player") << "PlayVesta Pro"
                                               << "audio" << 20;
        QTest::newRow("guitar") << "Trelvanic"
                                << "guitar" << 22;
        QTest::newRow("empty, banjo in name") << "Super Banjo Lite"
                                              << "" << 22;
        QTest::newRow("empty, no instrument") << "Trelvanic"
                                              << "" << 7;
        QTest::newRow("case-sensitive") << "Trelvanic"
                                        << "Audio" << 0;
    }

    void testCategories()
    {
        QFETCH(QString, applicationName);
        QFETCH(QString, category);
        QFETCH(int, linkRowCount);
        setApplicationName(applicationName);
        VUVararer::PromoMenuBar bar(nullptr, true);
        bar.setupAppsMenu(category);
        const QStringList texts = rows(bar.moreActions());
        QCOMPARE(texts.mid(texts.size() - 3), (QStringList{"-", "More Apps", "-"}));
        const QStringList keys = linkKeys(bar);
        QCOMPARE(keys.size(), linkRowCount);
        QVERIFY(!keys.contains(VUVararer::CrossPromoCatalogue::ownName()));
        QCOMPARE(QSet<QString>(keys.begin(), keys.end()).size(), keys.size());
        if (category == "audio" && applicationName == "Trelvanic")
            QCOMPARE(keys.first(), QString("wavoria"));
        // A second call appends a second set.
        bar.setupAppsMenu(category);
        QCOMPARE(linkKeys(bar).size(), 2 * linkRowCount);
    }
};

TRELVANIC_TEST_MAIN_APP(PromoApp, TestPromoMenuBar)
#include "tst_promomenubar.moc"
