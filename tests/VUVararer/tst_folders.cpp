#include <VUVararer/App.h>

#include "Probe.h"
#include "TestMain.h"

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
    // The application object was built on a fresh home just before this suite started.
    const bool m_bFirstStartAtConstruction = App::theApp()->isFirstStart();

    static void write(const QString& path, const QByteArray& content)
    {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        QCOMPARE(file.write(content), qint64(content.size()));
    }

private slots:
    void testGetters_data()
    {
        QTest::addColumn<QString>("getter");
        QTest::addColumn<QString>("relative");
        QTest::newRow("support") << "supportDirectory"
                                 << "/.config/Trelvanic/";
        QTest::newRow("work") << "workDirectory"
                              << "/.local/share/Trelvanic/";
        QTest::newRow("caches") << "cachesDirectory"
                                << "/.cache/Trelvanic/";
        QTest::newRow("pictures") << "picturesDirectory"
                                  << "/Pictures/Trelvanic/";
        QTest::newRow("music") << "musicDirectory"
                               << "/Music/Trelvanic/";
        QTest::newRow("movies") << "moviesDirectory"
                                << "/Videos/Trelvanic/";
        QTest::newRow("downloads") << "downloadsDirectory"
                                   << "/Downloads/Trelvanic/";
        QTest::newRow("documents") << "documentsDirectory"
                                   << "/Documents/Zembrel/Trelvanic/";
        QTest::newRow("data") << "dataDirectory"
                              << "/.local/share/Zembrel/Trelvanic/";
    }

    void testGetters()
    {
        using Getter = QString (App::*)(bool) const;
        static const QMap<QString, Getter> getters = {{"supportDirectory", &App::supportDirectory},
                                                      {"workDirectory", &App::workDirectory},
                                                      {"cachesDirectory", &App::cachesDirectory},
                                                      {"picturesDirectory", &App::picturesDirectory},
                                                      {"musicDirectory", &App::musicDirectory},
                                                      {"moviesDirectory", &App::moviesDirectory},
                                                      {"downloadsDirectory", &App::downloadsDirectory},
                                                      {"documentsDirectory", &App::documentsDirectory},
                                                      {"dataDirectory", &App::dataDirectory}};
        QFETCH(QString, getter);
        QFETCH(QString, relative);
        const QString expected = QDir::homePath() + relative;
        const bool bExistedBefore = QFileInfo::exists(expected);
        QCOMPARE((App::theApp()->*getters.value(getter))(false), expected);
        QCOMPARE(QFileInfo::exists(expected), bExistedBefore);
        QCOMPARE((App::theApp()->*getters.value(getter))(true), expected);
        QVERIFY(QFileInfo(expected).isDir());
    }

    void testFirstStart()
    {
        // The constructor made the work and support folders, so the folder test no longer sees a first start.
        QVERIFY(m_bFirstStartAtConstruction);
        QVERIFY(!App::theApp()->isFirstStartInternal());
        QVERIFY(App::theApp()->isFirstStart());

        QTemporaryDir home;
        QVERIFY2(FrameTest::runProbe("firststart", {}, home.path()).out.contains("FIRST 1\n"), "fresh home");
        QVERIFY2(FrameTest::runProbe("firststart", {}, home.path()).out.contains("FIRST 0\n"), "second start");
        // Any one of the nine folders, under the application's given name, is enough.
        QTemporaryDir other;
        QVERIFY(QDir().mkpath(other.path() + QStringLiteral("/Downloads/ProbeApp")));
        QVERIFY2(FrameTest::runProbe("firststart", {}, other.path()).out.contains("FIRST 0\n"), "downloads");

        App* pApp = App::theApp();
        QVERIFY(pApp->isAppFirstStart());
        QVERIFY(!pApp->isAppFirstStart());
        pApp->settings()->sync();
        QFile file(pApp->settings()->fileName());
        QVERIFY(file.open(QIODevice::ReadOnly));
        QVERIFY(file.readAll().contains("[Trelvanic]\nAppFirstStart=false\n"));
    }

    void testProcessStart()
    {
        QTemporaryDir home;
        QTemporaryDir files;
        const QString strFile = files.filePath(QStringLiteral("a song ä.wav"));
        write(strFile, QByteArray());
        write(files.filePath(QStringLiteral("rel.wav")), QByteArray());
        const QString strFolder = files.filePath(QStringLiteral("folder"));
        QVERIFY(QDir().mkpath(strFolder));
        const QStringList arguments{strFile, files.filePath(QStringLiteral("missing.wav")), strFolder,
                                    QStringLiteral("rel.wav")};
        const FrameTest::ProbeResult result = FrameTest::runProbe("open", arguments, home.path(), files.path());
        QCOMPARE(result.exitCode, 0);
        // Requests arrive once the event loop runs, never inside the constructor; relative names become absolute.
        QCOMPARE(QString::fromUtf8(result.out).split(QLatin1Char('\n'), Qt::SkipEmptyParts),
                 (QStringList{QStringLiteral("CONSTRUCTED"), QStringLiteral("OPEN ") + strFile,
                              QStringLiteral("OPEN ") + strFolder,
                              QStringLiteral("OPEN ") + files.filePath(QStringLiteral("rel.wav"))}));

        // Registered functions run in order; one registered while the list runs is not called.
        QCOMPARE(FrameTest::runProbe("register", {}, home.path()).out,
                 QByteArray("CALLED first\nCALLED second\nCONSTRUCTED\n"));
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
        write(dir.filePath(QStringLiteral("independent")), QByteArray());
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
        write(strSource, content);

        // Empty target name: the source's name; the folder is created.
        const QString strTargetDir = dir.filePath(QStringLiteral("out/deeper"));
        QVERIFY(pApp->copyTo(strSource, strTargetDir, QString()));
        QFile copy(strTargetDir + QStringLiteral("/source.bin"));
        QVERIFY(copy.open(QIODevice::ReadOnly));
        QCOMPARE(copy.readAll(), content);

        // An existing target is never overwritten.
        write(strTargetDir + QStringLiteral("/kept.txt"), "old");
        QVERIFY(pApp->copyTo(strSource, strTargetDir, QStringLiteral("kept.txt")));
        QCOMPARE(QFileInfo(strTargetDir + QStringLiteral("/kept.txt")).size(), qint64(3));

        QVERIFY(!pApp->copyTo(dir.filePath(QStringLiteral("missing")), strTargetDir, QStringLiteral("m")));
        QVERIFY(!pApp->copyTo(dir.path(), strTargetDir, QStringLiteral("f")));
        QVERIFY(!pApp->copyTo(strSource, strSource, QStringLiteral("x")));
        QVERIFY(!QFileInfo::exists(strTargetDir + QStringLiteral("/m")));
        QVERIFY(!QFileInfo::exists(strTargetDir + QStringLiteral("/f")));
        QVERIFY(pApp->copyToSupportDirectory(strSource, QStringLiteral("copied.bin")));
        QCOMPARE(QFileInfo(pApp->supportDirectory(false) + QStringLiteral("copied.bin")).size(),
                 qint64(content.size()));

        // A short write: the file-size limit stops the copy part-way; it must fail and leave nothing behind.
        const QString strLimited = dir.filePath(QStringLiteral("limited"));
        QVERIFY(QDir().mkpath(strLimited));
        struct rlimit old;
        QCOMPARE(getrlimit(RLIMIT_FSIZE, &old), 0);
        void (*oldHandler)(int) = signal(SIGXFSZ, SIG_IGN);
        struct rlimit limited = old;
        limited.rlim_cur = 64 * 1024;
        QCOMPARE(setrlimit(RLIMIT_FSIZE, &limited), 0);
        const bool bCopied = pApp->copyTo(strSource, strLimited, QStringLiteral("short.bin"));
        setrlimit(RLIMIT_FSIZE, &old);
        signal(SIGXFSZ, oldHandler);
        QVERIFY(!bCopied);
        QCOMPARE(QDir(strLimited).entryList(QDir::Files | QDir::Hidden), QStringList());
    }

    void testBundleIdentifier()
    {
        QCoreApplication::setApplicationName(QStringLiteral("N"));
        QStringList results;
        for (const char* domain : {"zembrel.com", "a.b.c"}) {
            QCoreApplication::setOrganizationDomain(QString::fromLatin1(domain));
            results << App::bundleIdentifier();
        }
        QCoreApplication::setApplicationName(QStringLiteral("Trelvanic"));
        QCoreApplication::setOrganizationDomain(QString());
        QCOMPARE(results, (QStringList{QStringLiteral("com.zembrel.N"), QStringLiteral("c.a.N")}));
    }
};

TRELVANIC_TEST_MAIN_APP(TestableApp, TestFolders)
#include "tst_folders.moc"
