#include "DialogProbe.h"
#include "Gallery.h"
#include "TestMain.h"

#include <VUVararer/Widgets/DateWidget.h>

#include <QComboBox>
#include <QLocale>
#include <QVBoxLayout>
#include <QtTest>

namespace {

QList<QComboBox*> combos(VUVararer::DateWidget& date) { return date.findChildren<QComboBox*>(); }

} // namespace

class DateChooserTest : public QObject
{
    Q_OBJECT

private slots:
    void testLists_data()
    {
        QTest::addColumn<int>("offset");
        QTest::newRow("this year") << 0;
        QTest::newRow("five years back") << -5;
    }

    void testLists()
    {
        QFETCH(int, offset);
        VUVararer::DateWidget date(offset);
        QCOMPARE(date.year(), -1);
        QCOMPARE(date.minimumWidth(), 300);
        QComboBox* months = combos(date).at(1);
        QComboBox* years = combos(date).at(2);
        QCOMPARE(months->count(), 12);
        for (int m = 1; m <= 12; ++m)
            QCOMPARE(months->itemText(m - 1), QLocale(QLocale::English).monthName(m));
        const int nFirst = QDate::currentDate().year() + offset;
        QCOMPARE(years->count(), 131);
        QCOMPARE(years->itemText(0), QString());
        QCOMPARE(years->itemText(1), QString::number(nFirst));
        QCOMPARE(years->itemText(130), QString::number(nFirst - 129));
    }

    void testDayRanges_data()
    {
        QTest::addColumn<int>("year");
        QTest::addColumn<int>("month");
        QTest::newRow("January") << 2001 << 1;
        QTest::newRow("February") << 2023 << 2;
        QTest::newRow("leap February") << 2024 << 2;
        QTest::newRow("century February") << 1900 << 2;
        QTest::newRow("millennium February") << 2000 << 2;
        QTest::newRow("April") << 2010 << 4;
        QTest::newRow("December") << 1999 << 12;
    }

    void testDayRanges()
    {
        QFETCH(int, year);
        QFETCH(int, month);
        VUVararer::DateWidget date(0);
        date.setDay(31);
        date.setYear(year);
        date.setMonth(month);
        QCOMPARE(date.year(), year);
        QCOMPARE(date.month(), month);
        const int nDays = QDate(year, month, 1).daysInMonth();
        QCOMPARE(combos(date).at(0)->count(), nDays);
        QCOMPARE(date.day(), nDays);
        date.setDay(100);
        QCOMPARE(date.day(), nDays);
        date.setDay(-4);
        QCOMPARE(date.day(), 1);
    }

    void testEmptyYearAndClear()
    {
        VUVararer::DateWidget date(0);
        date.setMonth(2);
        date.setDay(29);
        QCOMPARE(date.day(), 29);
        QSignalSpy changed(&date, SIGNAL(dataChanged()));
        date.setYear(0);
        QCOMPARE(changed.count(), 0);
        date.setYear(1700);
        QCOMPARE(date.year(), -1);
        date.setYear(QDate::currentDate().year());
        QCOMPARE(date.year(), QDate::currentDate().year());
        QVERIFY(changed.count() > 0);

        changed.clear();
        date.clear();
        QCOMPARE(changed.count(), 0);
        QCOMPARE(date.year(), -1);
        QCOMPARE(date.month(), 1);
        QCOMPARE(date.day(), 1);
        QCOMPARE(combos(date).at(0)->count(), 31);
        date.setDayMode(true);
        QVERIFY(combos(date).at(1)->isHidden() && combos(date).at(2)->isHidden());
    }

    void testGallery()
    {
        if (!TestKit::onScreen()) {
            const QString failure = TestKit::runGallery("testGallery", {"datechooser.png"});
            QVERIFY2(failure.isEmpty(), qPrintable(failure));
            return;
        }
        TestKit::useDarkStyle();
        QWidget window;
        auto* layout = new QVBoxLayout(&window);
        auto* date = new VUVararer::DateWidget(0);
        date->setYear(QDate::currentDate().year() - 30);
        date->setMonth(9);
        date->setDay(30);
        layout->addWidget(date);
        layout->addWidget(new VUVararer::DateWidget(0));
        window.setGeometry(40, 40, 340, 90);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QTest::qWait(100);
        QVERIFY(TestKit::saveShot(&window, "datechooser.png"));
    }
};

TRELVANIC_TEST_MAIN(DateChooserTest)
#include "tst_datechooser.moc"
