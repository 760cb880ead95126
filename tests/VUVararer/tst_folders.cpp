#include <VUVararer/App.h>

#include "Probe.h"
#include "TestMain.h"

#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <sys/resource.h>

using VUVararer::App;

// Opens the seams that the release edition and tests use.
class TestableApp : public App
{
public:
    using App::App;
    using App::setBundleResourcePath;
    void setIndependent(bool bIndependent) { m_bIndependent = bIndependent; }
};

class TestFolders : public QObject
{
    Q_OBJECT

private:
    bool m_bFirstStartAtConstruction = false;

private slots:
    void initTestCase()
    {
        // The application object was built on a fresh home just before this suite started.
        m_bFirstStartAtConstruction = App::theApp()->isFirstStart();
    }

    void testFirstStartOnCleanHome() { QVERIFY(m_bFirstStartAtConstruction); }

    void testGetters_data()
    {
        QTest::addColumn<QString>("getter");
        QTest::addColumn<QString>("relative");
        QTest::newRow("support") << "supportDirectory" << "/.config/Trelvanic/";
        QTest::newRow("work") << "workDirectory" << "/.local/share/Trelvanic/";
        QTest::newRow("caches") << "cachesDirectory" << "/.cache/Trelvanic/";
        QTest::newRow("pictures") << "picturesDirectory" << "/Pictures/Trelvanic/";
        QTest::newRow("music") << "musicDirectory" << "/Music/Trelvanic/";
        QTest::newRow("movies") << "moviesDirectory" << "/Videos/Trelvanic/";
        QTest::newRow("downloads") << "downloadsDirectory" << "/Downloads/Trelvanic/";
        QTest::newRow("documents") << "documentsDirectory" << "/Documents/Zembrel/Trelvanic/";
        QTest::newRow("data") << "dataDirectory" << "/.local/share/Zembrel/Trelvanic/";
    }

    void testGetters()
    {
        using Getter = QString (App::*)(bool) const;
        static const QMap<QString, Getter> getters = {
            {"supportDirectory", &App::supportDirectory},     {"workDirectory", &App::workDirectory},
            {"cachesDirectory", &App::cachesDirectory},       {"picturesDirectory", &App::picturesDirectory},
            {"musicDirectory", &App::musicDirectory},         {"moviesDirectory", &App::moviesDirectory},
            {"downloadsDirectory", &App::downloadsDirectory}, {"documentsDirectory", &App::documentsDirectory},
            {"dataDirectory", &App::dataDirectory}};
        QFETCH(QString, getter);
        QVERIFY(getters.contains(getter));
        QFETCH(QString, relative);
        const QString expected = QDir::homePath() + relative;
        const bool bExistedBefore = QFileInfo::exists(expected);
        QCOMPARE((App::theApp()->*getters.value(getter))(false), expected);
        QCOMPARE(QFileInfo::exists(expected), bExistedBefore);
    }

    void testCreate()
    {
        App* pApp = App::theApp();
        const QString strMusic = pApp->musicDirectory(false);
        QVERIFY(!QFileInfo::exists(strMusic));
        QCOMPARE(pApp->musicDirectory(true), strMusic);
        QVERIFY(QFileInfo(strMusic).isDir());

        const QString strDeep = QDir::homePath() + QStringLiteral("/x/y/z");
        pApp->ensureDirExists(strDeep);
        QVERIFY(QFileInfo(strDeep).isDir());
        // The constructor made the work and support folders.
        QVERIFY(QFileInfo(pApp->workDirectory(false)).isDir());
        QVERIFY(QFileInfo(pApp->supportDirectory(false)).isDir());
    }

    void testFirstStartInternal()
    {
        // The work and support folders exist now, so the folder test no longer sees a first start.
        QVERIFY(!App::theApp()->isFirstStartInternal());
        QCOMPARE(App::theApp()->isFirstStart(), m_bFirstStartAtConstruction);
    }

    void testFirstStartInNewProcesses()
    {
        QTemporaryDir home;
        FrameTest::ProbeResult first = FrameTest::runProbe(QStringLiteral("firststart"), {}, home.path());
        QCOMPARE(first.exitCode, 0);
        QVERIFY2(first.out.contains("FIRST 1\n"), first.out.constData());
        FrameTest::ProbeResult second = FrameTest::runProbe(QStringLiteral("firststart"), {}, home.path());
        QVERIFY2(second.out.contains("FIRST 0\n"), second.out.constData());

        // Any one of the nine folders is enough.
        QTemporaryDir other;
        QVERIFY(QDir().mkpath(other.path() + QStringLiteral("/Downloads/ProbeApp")));
        FrameTest::ProbeResult third = FrameTest::runProbe(QStringLiteral("firststart"), {}, other.path());
        QVERIFY2(third.out.contains("FIRST 0\n"), third.out.constData());
    }

    void testAppFirstStart()
    {
        App* pApp = App::theApp();
        QVERIFY(pApp->isAppFirstStart());
        QVERIFY(!pApp->isAppFirstStart());
        pApp->settings()->sync();
        QFile file(pApp->settings()->fileName());
        QVERIFY(file.open(QIODevice::ReadOnly));
        QVERIFY(file.readAll().contains("[Trelvanic]\nAppFirstStart=false\n"));
    }

    void testStartCount()
    {
        TestableApp* pApp = static_cast<TestableApp*>(App::theApp());
        const QString strResources = pApp->bundleResourcePath();
        QTemporaryDir dir;
        pApp->setBundleResourcePath(dir.path());
        QCOMPARE(pApp->bundleResourcePath(), dir.path() + QLatin1Char('/'));

        // Without the "independent" marker this is a store build: nothing happens.
        QVERIFY(App::isAppStore());
        pApp->startCount();
        QCOMPARE(pApp->settingsValue(QStringLiteral("Initialized"), false).toBool(), false);

        QFile marker(dir.filePath(QStringLiteral("independent")));
        QVERIFY(marker.open(QIODevice::WriteOnly));
        marker.close();
        QVERIFY(!App::isAppStore());
        pApp->startCount();
        QCOMPARE(pApp->settingsValue(QStringLiteral("Initialized"), false).toBool(), true);

        pApp->setIndependent(true);
        QFile::remove(dir.filePath(QStringLiteral("independent")));
        QVERIFY(!App::isAppStore());
        pApp->setIndependent(false);
        pApp->setBundleResourcePath(strResources);
    }

    void testCopyTo()
    {
        App* pApp = App::theApp();
        QTemporaryDir dir;
        const QString strSource = dir.filePath(QStringLiteral("source.bin"));
        QByteArray content(300000, '\0');
        for (int i = 0; i < content.size(); ++i)
            content[i] = char(i * 7);
        QFile source(strSource);
        QVERIFY(source.open(QIODevice::WriteOnly));
        source.write(content);
        source.close();

        // Empty target name: the source's name; the folder is created.
        const QString strTargetDir = dir.filePath(QStringLiteral("out/deeper"));
        QVERIFY(pApp->copyTo(strSource, strTargetDir, QString()));
        QFile copy(strTargetDir + QStringLiteral("/source.bin"));
        QVERIFY(copy.open(QIODevice::ReadOnly));
        QCOMPARE(copy.readAll(), content);
        copy.close();

        // An existing target is never overwritten.
        QFile existing(strTargetDir + QStringLiteral("/kept.txt"));
        QVERIFY(existing.open(QIODevice::WriteOnly));
        existing.write("old");
        existing.close();
        QVERIFY(pApp->copyTo(strSource, strTargetDir, QStringLiteral("kept.txt")));
        QVERIFY(existing.open(QIODevice::ReadOnly));
        QCOMPARE(existing.readAll(), QByteArray("old"));
        existing.close();

        // A missing source fails.
        QVERIFY(!pApp->copyTo(dir.filePath(QStringLiteral("missing")), strTargetDir, QStringLiteral("m")));
        QVERIFY(!QFileInfo::exists(strTargetDir + QStringLiteral("/m")));

        QVERIFY(pApp->copyToSupportDirectory(strSource, QStringLiteral("copied.bin")));
        QCOMPARE(QFileInfo(pApp->supportDirectory(false) + QStringLiteral("copied.bin")).size(),
                 qint64(content.size()));
    }

    void testCopyToFailures()
    {
        App* pApp = App::theApp();
        QTemporaryDir dir;
        const QString strSource = dir.filePath(QStringLiteral("s.bin"));
        QFile source(strSource);
        QVERIFY(source.open(QIODevice::WriteOnly));
        source.write(QByteArray(256 * 1024, 'x'));
        source.close();

        // A folder is no readable source.
        QVERIFY(!pApp->copyTo(dir.path(), dir.filePath(QStringLiteral("t")), QStringLiteral("f")));
        QVERIFY(!QFileInfo::exists(dir.filePath(QStringLiteral("t/f"))));

        // A target folder that cannot exist (a file is in the way).
        QVERIFY(!pApp->copyTo(strSource, strSource, QStringLiteral("x")));

        // A short write: the file-size limit stops the copy part-way; it must fail and leave nothing behind.
        const QString strTargetDir = dir.filePath(QStringLiteral("limited"));
        QVERIFY(QDir().mkpath(strTargetDir));
        struct rlimit old;
        QCOMPARE(getrlimit(RLIMIT_FSIZE, &old), 0);
        void (*oldHandler)(int) = signal(SIGXFSZ, SIG_IGN);
        struct rlimit limited = old;
        limited.rlim_cur = 64 * 1024;
        QCOMPARE(setrlimit(RLIMIT_FSIZE, &limited), 0);
        const bool bCopied = pApp->copyTo(strSource, strTargetDir, QStringLiteral("short.bin"));
        setrlimit(RLIMIT_FSIZE, &old);
        signal(SIGXFSZ, oldHandler);
        QVERIFY(!bCopied);
        QCOMPARE(QDir(strTargetDir).entryList(QDir::Files | QDir::Hidden), QStringList());
    }

    void testBundleIdentifier_data()
    {
        QTest::addColumn<QString>("domain");
        QTest::addColumn<QString>("expected");
        QTest::newRow("three parts") << "a.b.c" << "c.a.N";
        QTest::newRow("two parts") << "zembrel.com" << "com.zembrel.N";
        QTest::newRow("empty") << "" << "..N";
    }

    void testBundleIdentifier()
    {
        QFETCH(QString, domain);
        QFETCH(QString, expected);
        QCoreApplication::setOrganizationDomain(domain);
        QCoreApplication::setApplicationName(QStringLiteral("N"));
        const QString result = App::bundleIdentifier();
        QCoreApplication::setApplicationName(QStringLiteral("Trelvanic"));
        QCoreApplication::setOrganizationDomain(QString());
        QCOMPARE(result, expected);
    }

    void testPrintAppDirectories()
    {
        const QString strSupport = App::theApp()->supportDirectory(false);
        QTest::ignoreMessage(QtDebugMsg, QString(QStringLiteral("supportDirectory: \"") + strSupport +
                                                 QLatin1Char('"')).toUtf8().constData());
        for (const char* label : {"dataDirectory:", "cachesDirectory:", "documentsDirectory:", "workDirectory:",
                                  "picturesDirectory:", "musicDirectory:", "moviesDirectory:",
                                  "downloadsDirectory:"})
            QTest::ignoreMessage(QtDebugMsg, QRegularExpression(QStringLiteral("^") + label + QStringLiteral(" \"/")));
        App::theApp()->printAppDirectories();
    }
};

TRELVANIC_TEST_MAIN_APP(TestableApp, TestFolders)
#include "tst_folders.moc"
