#include "TestMain.h"
#include "UrlRecorder.h"

#include <VUVararer/App.h>
#include <VUVararer/Widgets/PromoAdsBar.h>
#include <VUVararer/Widgets/PromoMainPage.h>
#include <VUVararer/Widgets/PromoMenuBar.h>

#include <QAction>
#include <QPainter>
#include <QPushButton>
#include <QSet>
#include <QSignalSpy>
#include <QTimer>
#include <QtTest>

using VUVararer::PromoAdsBar;
using VUVararer::PromoMainPage;
using VUVararer::PromoMenuBar;

namespace {

// Passes every link through unchanged, so that link rows are added.
class BannerApp : public VUVararer::App
{
public:
    BannerApp(int& argc, char** argv) : VUVararer::App(argc, argv) {}
    QString storeLink(const QString& link) override { return link; }
};

QPixmap solid(const QColor& colour)
{
    QPixmap pixmap(64, 64);
    pixmap.fill(colour);
    return pixmap;
}

// Adds link rows "Row 0".."Row count-1" to https://row<i>.invalid/.
void addRows(PromoMenuBar& bar, int count)
{
    for (int i = 0; i < count; ++i)
        bar.addMenuLink(solid(Qt::red), QString("Row %1").arg(i), QString("https://row%1.invalid/").arg(i));
}

// The texts of the rows the banner shows over many picks.
QSet<QString> picked(PromoAdsBar& banner, int draws = 400)
{
    QSet<QString> texts;
    for (int i = 0; i < draws; ++i) {
        banner.slotInsertAd();
        if (banner.currentAction())
            texts.insert(banner.currentAction()->text());
    }
    return texts;
}

QImage renderOwn(QWidget* widget)
{
    QImage image(widget->size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    widget->render(&image, QPoint(), QRegion(), QWidget::DrawWindowBackground);
    return image;
}

class CountingPage : public PromoMainPage
{
public:
    CountingPage() : PromoMainPage(nullptr, true) {}
    void slotAdClicked() override { ++m_nClicks; }
    int m_nClicks = 0;
};

} // namespace

class TestPromoBanner : public QObject
{
    Q_OBJECT

private slots:
    void testConstruction()
    {
        PromoMenuBar bar(nullptr, true);
        PromoAdsBar banner(nullptr, &bar);
        QCOMPARE(banner.objectName(), QString("AdsBar"));
        auto* close = banner.findChild<QPushButton*>("AdsBarCloseButton");
        QVERIFY(close);
        QVERIFY(close->isFlat());
        QCOMPARE(close->toolTip(), QString("Close the banner"));
        QCOMPARE(banner.cursor().shape(), Qt::PointingHandCursor);
        QCOMPARE(banner.changeInterval(), 25000);
        QVERIFY(!banner.currentAction());
        auto* timer = banner.findChild<QTimer*>();
        QVERIFY(timer);
        QVERIFY(!timer->isActive());

        addRows(bar, 3);
        banner.show();
        QVERIFY(timer->isActive());
        QVERIFY(banner.currentAction());
        banner.setChangeInterval(20);
        QCOMPARE(timer->interval(), 20);
        banner.hide();
        QVERIFY(timer->isActive());
    }

    void testPick_data()
    {
        QTest::addColumn<int>("rows");
        QTest::addColumn<int>("limit");
        QTest::addColumn<QStringList>("expected");
        // The last action is never picked.
        QTest::newRow("default limit") << 4 << 10 << QStringList{"Row 0", "Row 1", "Row 2"};
        QTest::newRow("limit 2") << 6 << 2 << QStringList{"Row 0", "Row 1"};
        QTest::newRow("limit equals n") << 4 << 3 << QStringList{"Row 0", "Row 1", "Row 2"};
        QTest::newRow("limit above n") << 3 << 5 << QStringList{"Row 0", "Row 1"};
        QTest::newRow("no limit") << 13 << 0 << QStringList{"Row 0", "Row 1", "Row 2", "Row 3", "Row 4",  "Row 5",
                                                            "Row 6", "Row 7", "Row 8", "Row 9", "Row 10", "Row 11"};
        QTest::newRow("negative limit") << 3 << -4 << QStringList{"Row 0", "Row 1"};
        QTest::newRow("one row only") << 1 << 10 << QStringList{};
        QTest::newRow("empty menu") << 0 << 10 << QStringList{};
    }

    void testPick()
    {
        QFETCH(int, rows);
        QFETCH(int, limit);
        QFETCH(QStringList, expected);
        PromoMenuBar bar(nullptr, true);
        addRows(bar, rows);
        QCOMPARE(bar.moreActions().size(), rows);
        PromoAdsBar banner(nullptr, &bar);
        banner.setItemsLimit(limit);
        const QSet<QString> texts = picked(banner);
        QCOMPARE(texts, QSet<QString>(expected.begin(), expected.end()));
    }

    void testSeparatorsAreSkipped()
    {
        PromoMenuBar bar(nullptr, true);
        bar.addMenuSeparator();
        addRows(bar, 1);
        bar.addMenuSeparator();
        bar.addMoreAppsLink();
        PromoAdsBar banner(nullptr, &bar);
        QCOMPARE(picked(banner), (QSet<QString>{"Row 0", "More Apps"}));

        // Only separators below the limit: nothing to show, and no endless drawing.
        PromoMenuBar empty(nullptr, true);
        empty.addMoreAppsLink();
        PromoAdsBar idle(nullptr, &empty);
        idle.setItemsLimit(1);
        QVERIFY(picked(idle, 5).isEmpty());
        idle.show();
        QVERIFY(!idle.currentAction());

        PromoAdsBar orphan(nullptr, nullptr);
        orphan.show();
        QVERIFY(!orphan.currentAction());
    }

    void testClick()
    {
        TestKit::UrlRecorder recorder;
        PromoMenuBar bar(nullptr, true);
        addRows(bar, 2);
        PromoAdsBar banner(nullptr, &bar);
        banner.resize(300, 30);
        banner.show();
        QCOMPARE(banner.currentAction()->text(), QString("Row 0"));
        QSignalSpy clicks(&banner, SIGNAL(adClicked()));
        QTest::mouseClick(&banner, Qt::LeftButton, Qt::NoModifier, QPoint(150, 15));
        QCOMPARE(clicks.count(), 1);
        QCOMPARE(recorder.urls(), (QList<QUrl>{QUrl("https://row0.invalid/")}));
        QVERIFY(banner.isVisible());

        banner.setHideAfterClick(true);
        QTest::mouseClick(&banner, Qt::LeftButton, Qt::NoModifier, QPoint(150, 15));
        QCOMPARE(clicks.count(), 2);
        QCOMPARE(recorder.urls().size(), 2);
        QVERIFY(!banner.isVisible());

        // Without a current row the click is still reported and opens nothing.
        PromoMenuBar none(nullptr, true);
        PromoAdsBar empty(nullptr, &none);
        QSignalSpy emptyClicks(&empty, SIGNAL(adClicked()));
        QTest::mouseClick(&empty, Qt::LeftButton);
        QCOMPARE(emptyClicks.count(), 1);
        QCOMPARE(recorder.urls().size(), 2);

        // A row removed from the menu after it was picked is no longer shown or opened.
        PromoMenuBar shrinking(nullptr, true);
        addRows(shrinking, 2);
        PromoAdsBar stale(nullptr, &shrinking);
        stale.resize(200, 30);
        stale.show();
        QVERIFY(stale.currentAction());
        delete stale.currentAction();
        QVERIFY(!stale.currentAction());
        stale.repaint();
        QTest::mouseClick(&stale, Qt::LeftButton);
        QCOMPARE(recorder.urls().size(), 2);
    }

    void testCloseButton()
    {
        PromoMenuBar bar(nullptr, true);
        PromoAdsBar banner(nullptr, &bar);
        banner.resize(300, 30);
        banner.show();
        auto* close = banner.findChild<QPushButton*>("AdsBarCloseButton");
        QSignalSpy closes(&banner, SIGNAL(closeClicked()));
        QSignalSpy clicks(&banner, SIGNAL(adClicked()));
        close->click();
        QCOMPARE(closes.count(), 1);
        QVERIFY(banner.isVisible());
        banner.setHideAfterCloseClick(true);
        close->click();
        QCOMPARE(closes.count(), 2);
        QVERIFY(!banner.isVisible());
        QCOMPARE(clicks.count(), 0);
        // The close button sits at the right end.
        QCOMPARE(close->geometry().right(), banner.width() - 2);
        banner.hideCloseButton();
        QVERIFY(close->isHidden());
    }

    void testPaint_data()
    {
        QTest::addColumn<bool>("closeVisible");
        QTest::addColumn<int>("left");
        QTest::addColumn<int>("rightMargin");
        QTest::newRow("close button shown") << true << 10 << 26;
        QTest::newRow("close button hidden") << false << 12 << 13;
    }

    void testPaint()
    {
        QFETCH(bool, closeVisible);
        QFETCH(int, left);
        QFETCH(int, rightMargin);
        PromoMenuBar bar(nullptr, true);
        bar.addMenuLink(solid(Qt::blue), "Tom && Jerry", "https://tom.invalid/");
        bar.addMoreAppsLink();
        // Inside a parent, so that rendering draws no window background.
        QWidget host;
        host.resize(260, 50);
        auto& banner = *new PromoAdsBar(&host, &bar);
        banner.setItemsLimit(1);
        QFont font("DejaVu Sans");
        font.setPixelSize(12);
        banner.setFont(font);
        banner.resize(240, 36);
        if (!closeVisible)
            banner.hideCloseButton();
        host.show();
        QCOMPARE(banner.currentAction()->text(), QString("Tom && Jerry"));

        // A banner without a row paints only its background; the reference adds the icon in the left square and
        // "Tom & Jerry!" centred in the text box.
        PromoMenuBar none(nullptr, true);
        auto& empty = *new PromoAdsBar(&host, &none);
        empty.setFont(font);
        empty.resize(banner.size());
        empty.show();
        QVERIFY(!empty.currentAction());
        const QImage background = renderOwn(&empty);
        const int h = banner.height();
        QImage expected = background;
        {
            QPainter painter(&expected);
            painter.drawPixmap(QRect(0, 0, h, h), solid(Qt::blue));
            painter.setFont(font);
            painter.setPen(banner.palette().color(QPalette::WindowText));
            painter.drawText(QRect(QPoint(h + left, 0), QPoint(banner.width() - rightMargin, h - 1)),
                             Qt::TextWordWrap | Qt::AlignCenter, "Tom & Jerry!");
        }
        QVERIFY(expected != background);
        const QImage actual = renderOwn(&banner);
        QCOMPARE(QColor(actual.pixel(h / 2, h / 2)), QColor(Qt::blue));
        QCOMPARE(actual.pixel(h + 1, 1), background.pixel(h + 1, 1));
        QVERIFY(actual == expected);
    }

    void testMainPageBanner()
    {
        TestKit::UrlRecorder recorder;
        CountingPage page;
        addRows(*page.promoMenuBar(), 2);
        PromoAdsBar* banner = page.promoAdsBar();
        QVERIFY(banner);
        QCOMPARE(banner->parent(), &page);
        QCOMPARE(page.promoAdsBar(), banner);
        QCOMPARE(page.findChildren<PromoAdsBar*>().size(), 1);
        banner->resize(200, 30);
        page.show();
        QVERIFY(banner->isVisible());
        QTest::mouseClick(banner, Qt::LeftButton);
        // Connected once although promoAdsBar() was called twice.
        QCOMPARE(page.m_nClicks, 1);
        QCOMPARE(recorder.urls().size(), 1);
    }
};

TRELVANIC_TEST_MAIN_APP(BannerApp, TestPromoBanner)
#include "tst_promobanner.moc"
