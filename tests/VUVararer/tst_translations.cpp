#include <VUVararer/App.h>
#include <VUVararer/TranslationsManager.h>

#include "TestMain.h"

#include <QSettings>
#include <QtTest>

using VUVararer::App;
using VUVararer::TranslationsManager;

// Drops the singleton so that each case chooses its language afresh.
struct ManagerReset : TranslationsManager
{
    using TranslationsManager::resetInstance;
};

class TestTranslations : public QObject
{
    Q_OBJECT

private:
    static QString appAbout() { return QCoreApplication::translate("VUVararer::App", "About"); }
    static QString libsAbout() { return QCoreApplication::translate("VUVararer::Common", "About"); }

private slots:
    void initTestCase() { QCoreApplication::setApplicationName(QStringLiteral("A")); }

    void init() { ManagerReset::resetInstance(); }

    void testChoice_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("expected");
        QTest::newRow("fr_CA") << "fr_CA"
                               << "fr";
        QTest::newRow("zh_HK") << "zh_HK"
                               << "en";
        QTest::newRow("zh_TW") << "zh_TW"
                               << "zh_TW";
        QTest::newRow("list order") << "de_ES"
                                    << "de";
        QTest::newRow("case matters") << "DE"
                                      << "en";
    }

    void testChoice()
    {
        QFETCH(QString, stored);
        QFETCH(QString, expected);
        App::theApp()->setSettingsValue(QStringLiteral("Language"), stored);
        QCOMPARE(App::theApp()->currentLanguage(), expected);
        QCOMPARE(TranslationsManager::instance()->currentLanguage(), expected);
        App::theApp()->settings()->sync();
        QFile file(App::theApp()->settings()->fileName());
        QVERIFY(file.open(QIODevice::ReadOnly));
        QVERIFY(file.readAll().contains("[A]\nLanguage=" + expected.toUtf8() + "\n"));
    }

    void testSystemLocaleDefault()
    {
        App::theApp()->settings()->remove(QStringLiteral("A/Language"));
        QCOMPARE(TranslationsManager::instance()->currentLanguage(),
                 TranslationsManager::languageForSetting(QLocale::system().name()));
    }

    void testGermanCatalogues()
    {
        App::theApp()->setSettingsValue(QStringLiteral("Language"), QStringLiteral("en"));
        TranslationsManager* pManager = TranslationsManager::instance();
        QCOMPARE(appAbout(), QStringLiteral("About"));

        pManager->setTranslation(QStringLiteral("de"));
        QCOMPARE(appAbout(), QStringLiteral("Über"));
        // The libraries' catalogue is found through ":/" + "" + "/Translations/libs_de".
        QCOMPARE(libsAbout(), QStringLiteral("Über die Bibliothek"));
        // Qt's own catalogue comes from the system's translations folder.
        QCOMPARE(QCoreApplication::translate("QPlatformTheme", "Cancel"), QStringLiteral("Abbrechen"));
        QCOMPARE(QGuiApplication::layoutDirection(), Qt::LeftToRight);
        pManager->setTranslation(QStringLiteral("ar"));
        QCOMPARE(QGuiApplication::layoutDirection(), Qt::RightToLeft);

        pManager->setTranslation(QStringLiteral("en"));
        QCOMPARE(appAbout(), QStringLiteral("About"));
        QCOMPARE(libsAbout(), QStringLiteral("About"));
        QCOMPARE(QCoreApplication::translate("QPlatformTheme", "Cancel"), QStringLiteral("Cancel"));
    }

    void testRetranslateAfterBaseChange()
    {
        App::theApp()->setSettingsValue(QStringLiteral("Language"), QStringLiteral("de"));
        TranslationsManager* pManager = TranslationsManager::instance();
        QCOMPARE(appAbout(), QStringLiteral("Über"));
        pManager->setAppTranslationsBase(QStringLiteral("alt/"));
        QCOMPARE(appAbout(), QStringLiteral("Über"));
        pManager->retranslate();
        QCOMPARE(appAbout(), QStringLiteral("Über diese Anwendung"));
        QCOMPARE(pManager->currentLanguage(), QStringLiteral("de"));
    }
};

TRELVANIC_TEST_MAIN_APP(VUVararer::App, TestTranslations)
#include "tst_translations.moc"
