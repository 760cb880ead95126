#include <VUVararer/App.h>

#include "TestMain.h"

#include <QFile>
#include <QSettings>
#include <QThread>
#include <QtTest>

#include <atomic>

using VUVararer::App;

class TestSettings : public QObject
{
    Q_OBJECT

private:
    QByteArray fileText()
    {
        App::theApp()->settings()->sync();
        QFile file(App::theApp()->settings()->fileName());
        if (!file.open(QIODevice::ReadOnly))
            return QByteArray();
        return file.readAll();
    }

private slots:
    void init()
    {
        QCoreApplication::setApplicationName(QStringLiteral("A"));
        App::theApp()->setOldSettingsMode(false);
        App::theApp()->settings()->clear();
        App::theApp()->settings()->sync();
    }

    void cleanupTestCase() { QCoreApplication::setApplicationName(QStringLiteral("Trelvanic")); }

    void testFileLocationAndFormat()
    {
        App* pApp = App::theApp();
        QCOMPARE(pApp->settings()->fileName(),
                 QDir::homePath() + QStringLiteral("/.config/Trelvanic/settings.plist"));
        QCOMPARE(pApp->settings()->format(), QSettings::IniFormat);
        QCOMPARE(QSettings::defaultFormat(), QSettings::IniFormat);
        QCOMPARE(pApp->settings()->parent(), pApp);

        pApp->setSettingsValue(QStringLiteral("X"), 1);
        QCOMPARE(pApp->settingsValue(QStringLiteral("X"), 0).toInt(), 1);
        const QByteArray text = fileText();
        QVERIFY2(text.contains("[A]\nX=1\n"), text.constData());

        QSettings other(pApp->settings()->fileName(), QSettings::IniFormat);
        QCOMPARE(other.value(QStringLiteral("A/X")).toString(), QStringLiteral("1"));
    }

    void testGroupingAndEscaping()
    {
        App* pApp = App::theApp();
        pApp->setSettingsValue(QStringLiteral("TransparencyParameters/ContextMenus"), 35);
        pApp->setSettingsValue(QStringLiteral("A/License"), true);
        pApp->setSettingsValue(QStringLiteral("bookmark"), QByteArray("\x01\x02zz", 4));
        pApp->setSettingsValue(QStringLiteral("Name"), QStringLiteral("a b=c;d"));
        const QByteArray text = fileText();
        QVERIFY2(text.contains("TransparencyParameters\\ContextMenus=35\n"), text.constData());
        QVERIFY2(text.contains("A\\License=true\n"), text.constData());
        QVERIFY2(text.contains("bookmark=@ByteArray(\\x1\\x2zz)\n"), text.constData());
        QVERIFY2(text.contains("Name=a b=c;d\n") || text.contains("Name=\"a b=c;d\"\n"), text.constData());

        // Values read back from the file come as text; byte arrays keep their bytes.
        QSettings reread(pApp->settings()->fileName(), QSettings::IniFormat);
        QCOMPARE(reread.value(QStringLiteral("A/A/License")).toString(), QStringLiteral("true"));
        QCOMPARE(reread.value(QStringLiteral("A/bookmark")).toByteArray(), QByteArray("\x01\x02zz", 4));
        QCOMPARE(reread.value(QStringLiteral("A/Name")).toString(), QStringLiteral("a b=c;d"));
    }

    void testApplicationNameSelectsGroup()
    {
        App* pApp = App::theApp();
        pApp->setSettingsValue(QStringLiteral("X"), 1);
        QCoreApplication::setApplicationName(QStringLiteral("B"));
        QCOMPARE(pApp->settingsValue(QStringLiteral("X"), 0).toInt(), 0);
        pApp->setSettingsValue(QStringLiteral("X"), 2);
        QCoreApplication::setApplicationName(QStringLiteral("A"));
        QCOMPARE(pApp->settingsValue(QStringLiteral("X"), 0).toInt(), 1);
        const QByteArray text = fileText();
        QVERIFY(text.contains("[A]\nX=1\n"));
        QVERIFY(text.contains("[B]\nX=2\n"));
    }

    void testAbsentKeyWritesNothing()
    {
        App* pApp = App::theApp();
        pApp->setSettingsValue(QStringLiteral("Y"), 5);
        const QByteArray before = fileText();
        QCOMPARE(pApp->settingsValue(QStringLiteral("TransparencyParameters/ChartDialogs"), 35).toInt(), 35);
        QCOMPARE(fileText(), before);
    }

    void testOldSettingsMode()
    {
        App* pApp = App::theApp();
        pApp->setOldSettingsMode(true);
        pApp->setSettingsValue(QStringLiteral("X"), 1);
        QCOMPARE(pApp->settingsValue(QStringLiteral("X"), 0).toInt(), 1);
        pApp->setOldSettingsMode(false);
        QCOMPARE(pApp->settingsValue(QStringLiteral("X"), 0).toInt(), 0);
        const QByteArray text = fileText();
        QVERIFY2(text.contains("[General]\nX=1\n"), text.constData());
        QVERIFY(!text.contains("[A]"));
    }

    void testLeadingSlashIsSameEntry()
    {
        App* pApp = App::theApp();
        pApp->setSettingsValue(QStringLiteral("/SoundMute"), true);
        QCOMPARE(pApp->settingsValue(QStringLiteral("SoundMute"), false).toBool(), true);
        pApp->setSettingsValue(QStringLiteral("SoundMute"), false);
        QCOMPARE(pApp->settingsValue(QStringLiteral("/SoundMute"), true).toBool(), false);
        QCOMPARE(fileText().count("SoundMute"), 1);
    }

    void testChildKeysInGroup()
    {
        App* pApp = App::theApp();
        pApp->setSettingsValue(QStringLiteral("K1"), 1);
        pApp->setSettingsValue(QStringLiteral("K2"), 2);
        pApp->setSettingsValue(QStringLiteral("Sub/K3"), 3);
        pApp->settingsBeginGroup(QStringLiteral("A"));
        QStringList keys = pApp->settingsChildKeys();
        pApp->settingsEndGroup();
        keys.sort();
        QCOMPARE(keys, (QStringList{QStringLiteral("K1"), QStringLiteral("K2")}));
        // Outside any group the prefix is back.
        QCOMPARE(pApp->settingsValue(QStringLiteral("K1")).toInt(), 1);
    }

    void testReaderThreadWhileWriting()
    {
        App* pApp = App::theApp();
        pApp->setSettingsValue(QStringLiteral("DestinationPath"), QStringLiteral("/tmp/0"));
        std::atomic<bool> bStop{false};
        std::atomic<int> nBad{0};
        QThread* pReader = QThread::create([&] {
            while (!bStop) {
                const QString value = pApp->settingsValue(QStringLiteral("DestinationPath")).toString();
                if (!value.startsWith(QStringLiteral("/tmp/")))
                    ++nBad;
            }
        });
        pReader->start();
        for (int i = 0; i < 3000; ++i)
            pApp->setSettingsValue(QStringLiteral("DestinationPath"), QStringLiteral("/tmp/") + QString::number(i));
        bStop = true;
        pReader->wait();
        delete pReader;
        QCOMPARE(nBad.load(), 0);
        QCOMPARE(pApp->settingsValue(QStringLiteral("DestinationPath")).toString(), QStringLiteral("/tmp/2999"));
    }
};

TRELVANIC_TEST_MAIN_APP(VUVararer::App, TestSettings)
#include "tst_settings.moc"
