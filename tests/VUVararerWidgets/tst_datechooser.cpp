#include "Gallery.h"
#include "TestMain.h"

#include <VUVararer/Widgets/DateWidget.h>

#include <QComboBox>
#include <QLocale>
#include <QVBoxLayout>
#include <QtTest>

class DateChooserTest : public QObject
{
    Q_OBJECT

private slots:
    void testLists()
    {
        for (int offset : {0, -5}) {
            VUVararer::DateWidget date(offset);
            QCOMPARE(date.year(), -1);
            const QList<QComboBox*> combos = date.findChildren<QComboBox*>();
            for (int m = 1; m <= 12; ++m)
                QCOMPARE(combos[1]->itemText(m - 1), QLocale(QLocale::English).monthName(m));
            const int nFirst = QDate::currentDate().year() + offset;
            QCOMPARE(combos[2]->count(), 131);
            QVERIFY(combos[2]->itemText(0).isEmpty());
            QCOMPARE(combos[2]->itemText(1), QString::number(nFirst));
            QCOMPARE(combos[2]->itemText(130), QString::number(nFirst - 129));
        }
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
    }

    void testDayRanges()
    {
        QFETCH(int, year);
        QFETCH(int, month);
        // An offset from the current year that starts the list at the row's year.
        VUVararer::DateWidget date(year - QDate::currentDate().year());
        date.setDay(31);
        date.setYear(year);
        date.setMonth(month);
        QVERIFY(date.year() == year && date.month() == month);
        const int nDays = QDate(year, month, 1).daysInMonth();
        QCOMPARE(date.findChildren<QComboBox*>().at(0)->count(), nDays);
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
        date.setYear(QDate::currentDate().year() - 130);
        QCOMPARE(date.year(), -1);
        date.setYear(QDate::currentDate().year());
        QVERIFY(changed.count() > 0);
        changed.clear();
        date.clear();
        QCOMPARE(changed.count(), 0);
        QVERIFY(date.year() == -1 && date.month() == 1 && date.day() == 1);
    }

    void testGallery()
    {
        if (!TestKit::galleryOnScreen("testGallery", {"datechooser.png"}))
            return;
        QWidget window;
        auto* layout = new QVBoxLayout(&window);
        auto* date = new VUVararer::DateWidget(0);
        date->setYear(QDate::currentDate().year() - 30);
        date->setMonth(9);
        date->setDay(30);
        layout->addWidget(date);
        layout->addWidget(new VUVararer::DateWidget(0));
        window.setGeometry(40, 40, 340, 90);
        QVERIFY(TestKit::showAndSave(&window, "datechooser.png"));
    }
};

TRELVANIC_TEST_MAIN(DateChooserTest)
#include "tst_datechooser.moc"
