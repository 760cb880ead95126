#include "TestMain.h"
#include "UrlRecorder.h"

#include <VUVararer/App.h>
#include <VUVararer/Widgets/AppButton.h>
#include <VUVararer/Widgets/AppMenu.h>
#include <VUVararer/Widgets/CrossPromoCatalogue.h>
#include <VUVararer/Widgets/PromoMainPage.h>
#include <VUVararer/Widgets/PromoMenuBar.h>

#include <QEventLoop>
#include <QHBoxLayout>
#include <QMenu>
#include <QPushButton>
#include <QRegularExpression>
#include <QSet>
#include <QSignalSpy>
#include <QTimer>
#include <QUrlQuery>
#include <QtTest>

namespace {

// Passes every link unchanged except those containing "blocked", which it empties.
class PromoApp : public VUVararer::App
{
public:
    PromoApp(int& argc, char** argv) : VUVararer::App(argc, argv) {}
    QString storeLink(const QString& link) override
    {
        return link.contains(QLatin1String("blocked")) ? QString() : link;
    }
};

const char* const kButtons[] = {"IntroButton", "MoreButton",  "RateButton", "MoreAppsButton",
                                "ShareButton", "JoinButton", "AppButton"};

QStringList shownButtons(const VUVararer::PromoMenuBar& bar)
{
    QStringList shown;
    for (const char* name : kButtons)
        if (!bar.findChild<QPushButton*>(name)->isHidden())
            shown << name;
    return shown;
}

QStringList rows(const QList<QAction*>& actions)
{
    QStringList texts;
    for (QAction* action : actions)
        texts << (action->isSeparator() ? QStringLiteral("-") : action->text());
    return texts;
}

int linkRows(const VUVararer::PromoMenuBar& bar)
{
    int count = 0;
    for (QAction* action : bar.moreActions())
        count += !action->isSeparator() && action->text() != QLatin1String("More Apps");
    return count;
}

// The "appname" of every row, in order, found by triggering the rows.
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

class ApplicationName
{
public:
    explicit ApplicationName(const QString& name) : m_strOld(QCoreApplication::applicationName())
    {
        QCoreApplication::setApplicationName(name);
    }
    ~ApplicationName() { QCoreApplication::setApplicationName(m_strOld); }

private:
    QString m_strOld;
};

} // namespace

class TestPromoMenuBar : public QObject
{
    Q_OBJECT

private slots:
    void testButtons()
    {
        VUVararer::PromoMenuBar bar(nullptr, true);
        QCOMPARE(bar.objectName(), QString("MenuBar"));
        const QStringList tips = {"Introduction", "More", "Rate App", "More Apps", "Share", "Join Us", "App Menu"};
        for (int i = 0; i < 7; ++i) {
            auto* button = bar.findChild<QPushButton*>(kButtons[i]);
            QVERIFY2(button, kButtons[i]);
            QCOMPARE(button->toolTip(), tips[i]);
            QVERIFY(button->isFlat());
            QVERIFY(button->text().isEmpty());
            QCOMPARE(button->minimumSize(), QSize(60, 32));
            QCOMPARE(button->maximumSize(), QSize(60, 32));
        }
        QCOMPARE(bar.findChild<QPushButton*>("MoreButton")->menu(), bar.shopMenu());
        QCOMPARE(shownButtons(bar),
                 (QStringList{"IntroButton", "MoreButton", "ShareButton", "JoinButton", "AppButton"}));

        // Layout: More, stretch, centre box, stretch, right box, intro, share, join, more apps, rate, app.
        auto* layout = qobject_cast<QHBoxLayout*>(bar.layout());
        QCOMPARE(layout->count(), 11);
        QCOMPARE(layout->contentsMargins(), QMargins(5, 5, 5, 5));
        QCOMPARE(layout->spacing(), 0);
        const QStringList order = {"MoreButton", "", "", "", "", "IntroButton", "ShareButton", "JoinButton",
                                   "MoreAppsButton", "RateButton", "AppButton"};
        for (int i = 0; i < order.size(); ++i)
            QCOMPARE(layout->itemAt(i)->widget() ? layout->itemAt(i)->widget()->objectName() : QString(), order[i]);
        QVERIFY(layout->itemAt(1)->spacerItem() && layout->itemAt(3)->spacerItem());
        auto* right = new QPushButton("right");
        auto* centre = new QPushButton("centre");
        bar.addWidget(right);
        bar.addCenterWidget(centre);
        QCOMPARE(layout->itemAt(4)->layout()->itemAt(0)->widget(), right);
        QCOMPARE(layout->itemAt(2)->layout()->itemAt(0)->widget(), centre);
    }

    void testHiding_data()
    {
        QTest::addColumn<QString>("operation");
        QTest::addColumn<QStringList>("hiddenButtons");
        QTest::addColumn<QStringList>("hiddenActions");
        QTest::newRow("intro button") << "hideIntroButton" << QStringList{"IntroButton"} << QStringList{};
        QTest::newRow("more button") << "hideMoreButton" << QStringList{"MoreButton"} << QStringList{};
        QTest::newRow("more action") << "hideMoreAction" << QStringList{"MoreButton"} << QStringList{};
        QTest::newRow("share button") << "hideShareButton" << QStringList{"ShareButton"} << QStringList{};
        QTest::newRow("join button") << "hideJoinButton" << QStringList{"JoinButton"} << QStringList{};
        QTest::newRow("intro action") << "hideIntroAction" << QStringList{"IntroButton"} << QStringList{"Intro"};
        QTest::newRow("support") << "hideSupportPageAction" << QStringList{} << QStringList{"Support Page"};
        QTest::newRow("rate") << "hideRateAction" << QStringList{} << QStringList{"Rate this App"};
        QTest::newRow("more apps") << "hideMoreAppsAction" << QStringList{} << QStringList{"More Apps"};
        QTest::newRow("share") << "hideShareAction" << QStringList{"ShareButton"} << QStringList{"Share"};
        QTest::newRow("join") << "hideJoinAction" << QStringList{"JoinButton"} << QStringList{"Join Us"};
    }

    void testHiding()
    {
        QFETCH(QString, operation);
        QFETCH(QStringList, hiddenButtons);
        QFETCH(QStringList, hiddenActions);
        VUVararer::PromoMenuBar bar(nullptr, true);
        QStringList expected = {"IntroButton", "MoreButton", "ShareButton", "JoinButton", "AppButton"};
        for (const QString& name : hiddenButtons)
            expected.removeAll(name);
        QVERIFY(invokeHide(bar, operation));
        QCOMPARE(shownButtons(bar), expected);
        QStringList hidden;
        for (QAction* action : bar.appButton()->appMenu()->actions())
            if (!action->isVisible())
                hidden << action->text();
        QCOMPARE(hidden, hiddenActions);
    }

    void testKidsMode()
    {
        VUVararer::App::theApp()->setKidsMode(true);
        VUVararer::PromoMenuBar bar(nullptr, false);
        VUVararer::App::theApp()->setKidsMode(false);
        QCOMPARE(shownButtons(bar), QStringList{"IntroButton"});
        QStringList shownActions;
        for (QAction* action : bar.appButton()->appMenu()->actions())
            if (action->isVisible() && !action->isSeparator())
                shownActions << action->text();
        QCOMPARE(shownActions, (QStringList{"Intro", "Contact Us", "About", "Quit"}));
    }

    void testShopMenu()
    {
        VUVararer::PromoMenuBar bar(nullptr, true);
        QVERIFY(bar.moreActions().isEmpty());
        bar.addMoreAppsLink();
        QCOMPARE(rows(bar.moreActions()), (QStringList{"-", "More Apps", "-"}));

        TestKit::UrlRecorder recorder;
        bar.addMenuLink(QPixmap(), "Blocked", "https://x.invalid/blocked");
        QCOMPARE(bar.moreActions().size(), 3);
        bar.addMenuLink(QPixmap(), "Open", "https://x.invalid/open?a=1");
        bar.addMenuAppLink(QPixmap(), "Store", "MyApp", "987");
        QCOMPARE(rows(bar.moreActions()), (QStringList{"-", "More Apps", "-", "Open", "Store"}));
        bar.moreActions().at(3)->trigger();
        bar.moreActions().at(4)->trigger();
        QCOMPARE(recorder.urls().size(), 2);
        QCOMPARE(recorder.urls().at(0), QUrl("https://x.invalid/open?a=1"));
        QVERIFY2(recorder.urls().at(1).toString().endsWith("/app/myapp/987?ls=1&mt=12"),
                 qPrintable(recorder.urls().at(1).toString()));
    }

    void testQuitRelay()
    {
        VUVararer::PromoMainPage page(nullptr, true);
        QSignalSpy barQuit(page.promoMenuBar(), SIGNAL(quitApp()));
        QSignalSpy pageQuit(&page, SIGNAL(quitApp()));
        quitAction(page.promoMenuBar())->trigger();
        QCOMPARE(barQuit.count(), 1);
        QCOMPARE(pageQuit.count(), 1);
    }

    void testQuitApplication()
    {
        // Without relaying, "Quit" ends the running event loop with code 0.
        VUVararer::PromoMainPage page(nullptr, false);
        QSignalSpy pageQuit(&page, SIGNAL(quitApp()));
        QEventLoop loop;
        QTimer::singleShot(0, this, [&page] { quitAction(page.promoMenuBar())->trigger(); });
        QTimer::singleShot(10000, &loop, [&loop] { loop.exit(7); });
        QCOMPARE(loop.exec(), 0);
        QCOMPARE(pageQuit.count(), 0);
    }

    void testCatalogue()
    {
        using VUVararer::CrossPromoCatalogue;
        QCOMPARE(CrossPromoCatalogue::count(), 46);
        QSet<QString> keys;
        const QRegularExpression keyPattern("^[a-z0-9]+$");
        for (int i = 0; i < CrossPromoCatalogue::count(); ++i) {
            const CrossPromoCatalogue::Entry& entry = CrossPromoCatalogue::entry(i);
            QVERIFY2(keyPattern.match(entry.key).hasMatch(), entry.key);
            QVERIFY2(keyPattern.match(entry.linkKey).hasMatch(), entry.linkKey);
            QVERIFY2(QString(entry.icon).startsWith(":/") && QString(entry.icon).endsWith("64x64.png"), entry.icon);
            QVERIFY2(!keys.contains(entry.key), entry.key);
            keys.insert(entry.key);
        }
        QVERIFY(CrossPromoCatalogue::crossPromoLink("abc").endsWith("?appname=abc"));
        QVERIFY(QUrl(CrossPromoCatalogue::crossPromoLink("abc")).isValid());

        ApplicationName name("Guitar Tunevalo Lite");
        QCOMPARE(CrossPromoCatalogue::ownName(), QString("guitartunevalo"));
        // A suffix entry never offers the running application's own family.
        QVERIFY(!CrossPromoCatalogue::find("basstunevalo", "guitartunevalo"));
        QCOMPARE(QString(CrossPromoCatalogue::find("basstunevalo", "trelvanic")->linkKey), QString("tunevalo"));
        QCOMPARE(QString(CrossPromoCatalogue::find("wavoria", "trelvanic")->key), QString("wavoria"));
        QVERIFY(!CrossPromoCatalogue::find("wavoria", "wavoria"));
        QVERIFY(!CrossPromoCatalogue::find("unknown", "trelvanic"));
    }

    void testCategories_data()
    {
        QTest::addColumn<QString>("applicationName");
        QTest::addColumn<QString>("category");
        QTest::addColumn<int>("linkRowCount");
        QTest::newRow("audio") << "Trelvanic" << "audio" << 20;
        QTest::newRow("audio, sibling player") << "PlayVesta Pro" << "audio" << 20;
        QTest::newRow("guitar") << "Trelvanic" << "guitar" << 22;
        QTest::newRow("piano") << "Trelvanic" << "piano" << 21;
        QTest::newRow("graphics") << "Trelvanic" << "graphics" << 11;
        QTest::newRow("photo") << "Trelvanic" << "photo" << 11;
        QTest::newRow("developer") << "Trelvanic" << "developer" << 11;
        QTest::newRow("music") << "Trelvanic" << "music" << 17;
        QTest::newRow("empty, banjo in name") << "Super Banjo Lite" << "" << 22;
        QTest::newRow("empty, no instrument") << "Trelvanic" << "" << 7;
        QTest::newRow("unknown") << "Trelvanic" << "cooking" << 0;
        QTest::newRow("case-sensitive") << "Trelvanic" << "Audio" << 0;
    }

    void testCategories()
    {
        QFETCH(QString, applicationName);
        QFETCH(QString, category);
        QFETCH(int, linkRowCount);
        ApplicationName name(applicationName);
        VUVararer::PromoMenuBar bar(nullptr, true);
        bar.setupAppsMenu(category);
        QCOMPARE(linkRows(bar), linkRowCount);
        const QStringList texts = rows(bar.moreActions());
        QCOMPARE(texts.mid(texts.size() - 3), (QStringList{"-", "More Apps", "-"}));
        if (linkRowCount == 0)
            QCOMPARE(texts, (QStringList{"-", "-", "More Apps", "-"}));

        const QStringList keys = linkKeys(bar);
        QCOMPARE(keys.size(), linkRowCount);
        QVERIFY(!keys.contains(VUVararer::CrossPromoCatalogue::ownName()));
        QCOMPARE(QSet<QString>(keys.begin(), keys.end()).size(), keys.size());

        // A second call appends a second set.
        bar.setupAppsMenu(category);
        QCOMPARE(linkRows(bar), 2 * linkRowCount);
    }

    void testOwnApplicationLeftOut()
    {
        VUVararer::PromoMenuBar plain(nullptr, true);
        plain.setupAppsMenu("audio");
        QStringList keys = linkKeys(plain);
        QCOMPARE(keys.first(), QString("wavoria"));
        QVERIFY(!keys.contains("trelvanic"));

        ApplicationName name("Wavoria");
        VUVararer::PromoMenuBar bar(nullptr, true);
        bar.setupAppsMenu("audio");
        keys = linkKeys(bar);
        QCOMPARE(keys.first(), QString("trelvanic"));
        QVERIFY(!keys.contains("wavoria"));
        QCOMPARE(bar.moreActions().first()->text(), QString("Convert audio && video sound tracks to M4A"));
    }

private:
    static QAction* quitAction(VUVararer::PromoMenuBar* bar)
    {
        return bar->appButton()->appMenu()->actions().last();
    }

    static bool invokeHide(VUVararer::PromoMenuBar& bar, const QString& operation)
    {
        using Hide = void (VUVararer::PromoMenuBar::*)();
        const QMap<QString, Hide> operations = {
            {"hideIntroButton", &VUVararer::PromoMenuBar::hideIntroButton},
            {"hideMoreButton", &VUVararer::PromoMenuBar::hideMoreButton},
            {"hideMoreAction", &VUVararer::PromoMenuBar::hideMoreAction},
            {"hideRateButton", &VUVararer::PromoMenuBar::hideRateButton},
            {"hideMoreAppsButton", &VUVararer::PromoMenuBar::hideMoreAppsButton},
            {"hideShareButton", &VUVararer::PromoMenuBar::hideShareButton},
            {"hideJoinButton", &VUVararer::PromoMenuBar::hideJoinButton},
            {"hideIntroAction", &VUVararer::PromoMenuBar::hideIntroAction},
            {"hideSupportPageAction", &VUVararer::PromoMenuBar::hideSupportPageAction},
            {"hideRateAction", &VUVararer::PromoMenuBar::hideRateAction},
            {"hideMoreAppsAction", &VUVararer::PromoMenuBar::hideMoreAppsAction},
            {"hideShareAction", &VUVararer::PromoMenuBar::hideShareAction},
            {"hideJoinAction", &VUVararer::PromoMenuBar::hideJoinAction}};
        if (!operations.contains(operation))
            return false;
        (bar.*operations.value(operation))();
        return true;
    }
};

TRELVANIC_TEST_MAIN_APP(PromoApp, TestPromoMenuBar)
#include "tst_promomenubar.moc"
