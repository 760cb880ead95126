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
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
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

    void testFileText()
    {
        App* pApp = App::theApp();
        QCOMPARE(pApp->settings()->fileName(), QDir::homePath() + QStringLiteral("/.config/Trelvanic/settings.plist"));
        pApp->setSettingsValue(QStringLiteral("X"), 1);
        pApp->setSettingsValue(QStringLiteral("TransparencyParameters/ContextMenus"), 35);
        pApp->setSettingsValue(QStringLiteral("bookmark"), QByteArray("\x01\x02zz", 4));
        pApp->setSettingsValue(QStringLiteral("Name"), QStringLiteral("a b=c;d"));
        // A leading "/" names the same entry.
        pApp->setSettingsValue(QStringLiteral("/SoundMute"), true);
        QCOMPARE(pApp->settingsValue(QStringLiteral("SoundMute"), false).toBool(), true);
        // Reading an absent key writes nothing.
        const QByteArray text = fileText();
        QCOMPARE(pApp->settingsValue(QStringLiteral("TransparencyParameters/ChartDialogs"), 35).toInt(), 35);
        QCOMPARE(fileText(), text);

        QVERIFY2(text.startsWith("[A]\n"), text.constData());
        QVERIFY2(text.contains("\nTransparencyParameters\\ContextMenus=35\n"), text.constData());
        QVERIFY2(text.contains("\nbookmark=@ByteArray(\\x1\\x2zz)\n"), text.constData());
        QVERIFY2(text.contains("\nX=1\n"), text.constData());
        QCOMPARE(text.count("SoundMute"), 1);
        QSettings reread(pApp->settings()->fileName(), QSettings::IniFormat);
        QCOMPARE(reread.value(QStringLiteral("A/bookmark")).toByteArray(), QByteArray("\x01\x02zz", 4));
        QCOMPARE(reread.value(QStringLiteral("A/Name")).toString(), QStringLiteral("a b=c;d"));
        QCOMPARE(reread.value(QStringLiteral("A/SoundMute")).toString(), QStringLiteral("true"));
    }

    void testGroups()
    {
        App* pApp = App::theApp();
        pApp->setSettingsValue(QStringLiteral("X"), 1);
        pApp->setSettingsValue(QStringLiteral("K2"), 2);
        pApp->setSettingsValue(QStringLiteral("Sub/K3"), 3);
        QCoreApplication::setApplicationName(QStringLiteral("B"));
        QCOMPARE(pApp->settingsValue(QStringLiteral("X"), 0).toInt(), 0);
        pApp->setSettingsValue(QStringLiteral("X"), 2);
        QCoreApplication::setApplicationName(QStringLiteral("A"));
        QCOMPARE(pApp->settingsValue(QStringLiteral("X"), 0).toInt(), 1);

        // Groups take no prefix; outside them the prefix is back.
        pApp->settingsBeginGroup(QStringLiteral("A"));
        QStringList keys = pApp->settingsChildKeys();
        pApp->settingsEndGroup();
        keys.sort();
        QCOMPARE(keys, (QStringList{QStringLiteral("K2"), QStringLiteral("X")}));
        QCOMPARE(pApp->settingsValue(QStringLiteral("K2")).toInt(), 2);

        pApp->setOldSettingsMode(true);
        pApp->setSettingsValue(QStringLiteral("Old"), 7);
        QCOMPARE(pApp->settingsValue(QStringLiteral("Old"), 0).toInt(), 7);
        pApp->setOldSettingsMode(false);
        QCOMPARE(pApp->settingsValue(QStringLiteral("Old"), 0).toInt(), 0);
        const QByteArray text = fileText();
        QVERIFY2(text.contains("[General]\nOld=7\n"), text.constData());
        QVERIFY2(text.contains("[B]\nX=2\n"), text.constData());
    }

    void testReaderThreadWhileWriting()
    {
        App* pApp = App::theApp();
        pApp->setSettingsValue(QStringLiteral("DestinationPath"), QStringLiteral("/tmp/0"));
        std::atomic<bool> bStop{false};
        std::atomic<int> nBad{0};
        QThread* pReader = QThread::create([&] {
            while (!bStop)
                if (!pApp->settingsValue(QStringLiteral("DestinationPath"))
                         .toString()
                         .startsWith(QStringLiteral("/tmp/")))
                    ++nBad;
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
