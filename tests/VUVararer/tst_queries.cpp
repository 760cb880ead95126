#include <VUVararer/App.h>
#include <VUVararer/TranslationsManager.h>

#include "TestMain.h"

#include <QtTest>

using VUVararer::App;

class TestQueries : public QObject
{
    Q_OBJECT

private slots:
    void testBuildText_data()
    {
        QTest::addColumn<QByteArray>("compiler");
        QTest::addColumn<QString>("expected");
        QTest::newRow("padded day") << QByteArray("Sep  5 2019") << "9/5/2019";
        QTest::newRow("two-digit day") << QByteArray("Sep 25 2019") << "9/25/2019";
        QTest::newRow("december") << QByteArray("Dec  8 2026") << "12/8/2026";
        QTest::newRow("january") << QByteArray("Jan 31 2020") << "1/31/2020";
        QTest::newRow("october") << QByteArray("Oct  1 2021") << "10/1/2021";
        QTest::newRow("november") << QByteArray("Nov 11 2022") << "11/11/2022";
        QTest::newRow("june") << QByteArray("Jun 30 2023") << "6/30/2023";
        QTest::newRow("july") << QByteArray("Jul  4 2024") << "7/4/2024";
    }

    void testBuildText()
    {
        QFETCH(QByteArray, compiler);
        QFETCH(QString, expected);
        QCOMPARE(App::buildTextFromCompilerDate(compiler.constData()), expected);
        QCOMPARE(QDate::fromString(expected, QStringLiteral("M/d/yyyy")).isValid(), true);
    }

    void testBuildDate()
    {
        // The library and this test are built from the same tree; both dates come from the compiler.
        const QDate fromThisTest = QDate::fromString(App::buildTextFromCompilerDate(__DATE__), QStringLiteral("M/d/yyyy"));
        const QDate fromLibrary = App::theApp()->buildDate();
        QVERIFY(fromLibrary.isValid());
        QVERIFY(qAbs(fromLibrary.daysTo(fromThisTest)) <= 1);
        QCOMPARE(App::theApp()->build(), QStringLiteral("%1/%2/%3")
                                             .arg(fromLibrary.month())
                                             .arg(fromLibrary.day())
                                             .arg(fromLibrary.year()));
        QCOMPARE(App::dateFormat(), QStringLiteral("yyyy-MM-dd"));
    }

    void testOsInfo()
    {
        const QString strInfo = App::theApp()->osInfo();
        QCOMPARE(strInfo, QSysInfo::prettyProductName());
        QVERIFY(!strInfo.contains(QStringLiteral("10.65")));
    }

    void testScreen()
    {
        // The offscreen platform's desktop is 800 x 600 at pixel ratio 1.
        App* pApp = App::theApp();
        QCOMPARE(pApp->smallestDimention(), 600);
        QCOMPARE(pApp->biggestDimention(), 800);
        QVERIFY(!pApp->isPocketDevice());
        QVERIFY(pApp->isLandscape());
        QVERIFY(!pApp->isPortrait());
        QCOMPARE(pApp->devicePixelRatio(), 1.0);
    }

    void testLanguageForms()
    {
        App* pApp = App::theApp();
        VUVararer::TranslationsManager::instance();
        pApp->setCurrentLanguage(QStringLiteral("de"));
        QCOMPARE(pApp->currentLanguage(), QStringLiteral("de"));
        QCOMPARE(pApp->currentLanguageOptimized(), QStringLiteral("de/"));
        pApp->setCurrentLanguage(QStringLiteral("en"));
        QCOMPARE(pApp->currentLanguageOptimized(), QString());
        pApp->setCurrentLanguage(QStringLiteral("zh_TW"));
        QCOMPARE(pApp->currentLanguageOptimized(), QStringLiteral("zh_TW/"));
    }
};

TRELVANIC_TEST_MAIN_APP(VUVararer::App, TestQueries)
#include "tst_queries.moc"
