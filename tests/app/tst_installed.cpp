#include "MediaCorpus.h"
#include "TestMain.h"
#include "Tools.h"
#include "VirtualDisplay.h"

#include <core/ConversionSettings.h>
#include <gui/MainPage.h>
#include <gui/StartUp.h>

#include <VUVararer/App.h>
#include <VUVararer/FrameMenu.h>
#include <ZADovuzIdida/MediaCommon.h>

#include <QElapsedTimer>
#include <QMimeDatabase>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <cmath>

namespace {

const QString kAppId = "com.zembrel.Trelvanic";
const int kIconSizes[] = {16, 22, 24, 32, 48, 64, 128, 256};
const QSize kPageSize(480, 640);
// How long a click on the program's window may go unanswered before it is given again.
constexpr qint64 kReclickMs = 10000;

VUVararer::App* app() { return VUVararer::App::theApp(); }

// What an installation holds under the prefix (true), and what it must not (false).
QMap<QString, bool> expectedFiles()
{
    QMap<QString, bool> files{{"bin/trelvanic", true},
                              {"bin/afconvert", false},
                              {"libexec/trelvanic/afconvert", true},
                              {"share/trelvanic/bell.wav", true},
                              {"share/trelvanic/Slide1_en.jpg", true},
                              {"share/trelvanic/Slide8_ru.jpg", true},
                              {"share/trelvanic/LICENSE.LGPL", true},
                              {"share/applications/" + kAppId + ".desktop", true},
                              {"share/metainfo/" + kAppId + ".metainfo.xml", true},
                              {"share/doc/trelvanic/copyright", true}};
    for (int size : kIconSizes)
        files.insert(QString("share/icons/hicolor/%1x%1/apps/%2.png").arg(size).arg(kAppId), true);
    return files;
}

// The key=value lines of a desktop entry.
QMap<QString, QString> desktopEntryKeys(const QString& path)
{
    QMap<QString, QString> keys;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return keys;
    for (const QString& line : QString::fromUtf8(file.readAll()).split('\n')) {
        const int equals = line.indexOf('=');
        if (equals > 0 && !line.startsWith('#'))
            keys.insert(line.left(equals), line.mid(equals + 1));
    }
    return keys;
}

} // namespace

class TestInstalled : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString m_strBuild;
    QString m_strPrefix;

    QString installed(const QString& relative) const { return m_strPrefix + "/" + relative; }

    // Where a button lies in the program's main page, with the frame's menu, of the size the settings give, under
    // its style sheet.
    QPoint buttonCentre(const QString& objectName)
    {
        qApp->setStyleSheet(StartUp::styleSheet());
        QPoint centre;
        {
            MainPage page;
            VUVararer::FrameMenu::install(&page, app());
            page.show();
            if (QTest::qWaitForWindowExposed(&page) && page.size() == kPageSize)
                if (auto* button = page.findChild<QPushButton*>(objectName))
                    centre = button->mapTo(&page, button->rect().center());
        }
        qApp->setStyleSheet(QString());
        return centre;
    }

    static QProcessEnvironment programEnvironment(const TestKit::VirtualDisplay& display)
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("DISPLAY", display.display());
        env.insert("QT_QPA_PLATFORM", "xcb");
        return env;
    }

    // Starts the installed program and returns its main window once shown; empty when it does not show.
    QRect startProgram(QProcess& program, const TestKit::VirtualDisplay& display, const QProcessEnvironment& env,
                       const QStringList& arguments)
    {
        app()->settings()->sync();
        program.setProcessEnvironment(env);
        program.setProcessChannelMode(QProcess::ForwardedChannels);
        program.start(installed("bin/trelvanic"), arguments);
        QRect window;
        QElapsedTimer waited;
        waited.start();
        while (window.isEmpty() && waited.elapsed() < 90000 && program.state() != QProcess::NotRunning) {
            QTest::qWait(250);
            window = display.windows("trelvanic").value("Trelvanic");
        }
        return window;
    }

    static void stopProgram(QProcess& program)
    {
        program.terminate();
        if (!program.waitForFinished(10000)) {
            program.kill();
            program.waitForFinished();
        }
    }

    static bool click(const QProcessEnvironment& env, const QPoint& point)
    {
        const TestKit::ToolResult xdotool = TestKit::runTool(
            "xdotool", {"mousemove", QString::number(point.x()), QString::number(point.y()), "click", "1"}, 10000, env);
        return xdotool.exitCode == 0;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        m_strBuild = QString::fromLocal8Bit(qgetenv("TRELVANIC_BUILD_DIR"));
        QVERIFY2(QFileInfo::exists(m_strBuild + "/CPackConfig.cmake"), qPrintable(m_strBuild));
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("DESTDIR", m_dir.filePath("root"));
        const TestKit::ToolResult install =
            TestKit::runTool("cmake", {"--install", m_strBuild, "--prefix", "/usr"}, 120000, env);
        QVERIFY2(install.exitCode == 0, install.err.constData());
        m_strPrefix = m_dir.filePath("root/usr");

        app()->setSettingsValue(ConversionSettings::KeyPlaySoundAfter, false);
        app()->setSettingsValue(ConversionSettings::KeyOpenFolderAfter, false);
        app()->setSettingsValue("AutoReminder", false);
        app()->setSettingsValue("checkupdates", false);
        app()->setSettingsValue("Width", kPageSize.width());
        app()->setSettingsValue("Height", kPageSize.height());
    }

    void testLayout()
    {
        const QMap<QString, bool> files = expectedFiles();
        for (auto it = files.cbegin(); it != files.cend(); ++it)
            QVERIFY2(QFileInfo::exists(installed(it.key())) == it.value(), qPrintable(it.key()));
        QVERIFY(QFileInfo(installed("bin/trelvanic")).isExecutable());
        QVERIFY(QFileInfo(installed("libexec/trelvanic/afconvert")).isExecutable());
    }

    void testDesktopFiles()
    {
        const QString entry = installed("share/applications/" + kAppId + ".desktop");
        const TestKit::ToolResult desktop = TestKit::runTool("desktop-file-validate", {entry});
        QVERIFY2(desktop.exitCode == 0 && desktop.out.isEmpty() && desktop.err.isEmpty(),
                 (desktop.out + desktop.err).constData());
        const TestKit::ToolResult metainfo = TestKit::runTool(
            "appstreamcli", {"validate", "--no-net", installed("share/metainfo/" + kAppId + ".metainfo.xml")});
        QVERIFY2(metainfo.exitCode == 0, (metainfo.out + metainfo.err).constData());

        const QMap<QString, QString> keys = desktopEntryKeys(entry);
        QCOMPARE(keys.value("Exec"), QString("trelvanic %F"));
        QCOMPARE(keys.value("Icon"), kAppId);

        // Every corpus file the program takes is of a type the entry lists, as the system's MIME database judges
        // the file's content.
        const QString corpus = m_dir.filePath("corpus/");
        QString error;
        QVERIFY2(QDir().mkpath(corpus) && TestKit::makeMediaCorpus(corpus, &error), qPrintable(error));
        const QStringList types = keys.value("MimeType").split(';', Qt::SkipEmptyParts);
        int media = 0;
        for (const QString& file : TestKit::filesUnder(corpus)) {
            const int kind = ZADovuzIdida::MediaCommon::mediaType(file);
            if (kind != ZADovuzIdida::MediaCommon::Audio && kind != ZADovuzIdida::MediaCommon::Video)
                continue;
            ++media;
            const QString type = QMimeDatabase().mimeTypeForFile(corpus + file, QMimeDatabase::MatchContent).name();
            QVERIFY2(types.contains(type), qPrintable(file + ": " + type));
        }
        QCOMPARE(media, 3);

        for (int size : kIconSizes) {
            const QImage icon(installed(QString("share/icons/hicolor/%1x%1/apps/%2.png").arg(size).arg(kAppId)));
            QCOMPARE(icon.size(), QSize(size, size));
            QCOMPARE(qAlpha(icon.pixel(size / 2, size / 4)), 255);
            QVERIFY(qAlpha(icon.pixel(0, 0)) < 64);
        }
    }

    // The installed program alone, without the encoder on the search path, converts a file given as argument.
    void testInstalledProgramConverts()
    {
        QStringList path;
        for (const QString& folder : QString::fromLocal8Bit(qgetenv("PATH")).split(':', Qt::SkipEmptyParts))
            if (QStandardPaths::findExecutable("afconvert", {folder}).isEmpty())
                path << folder;
        QVERIFY(QStandardPaths::findExecutable("afconvert", path).isEmpty());

        const QString source = m_dir.filePath("in/tone.flac");
        QString error;
        QVERIFY2(QDir().mkpath(m_dir.filePath("in")) &&
                     TestKit::makeTone(source, 1.0, 48000, 2, {"-c:a", "flac"}, &error),
                 qPrintable(error));
        const QString out = m_dir.filePath("out") + "/";
        QVERIFY(QDir().mkpath(out));
        app()->setSettingsValue("DestinationPath", out);
        const QPoint convertCentre = buttonCentre("RunBatchButton");

        TestKit::VirtualDisplay display(1024, 768);
        QVERIFY2(display.isRunning(), qPrintable(display.error()));
        QProcessEnvironment env = programEnvironment(display);
        env.insert("PATH", path.join(':'));
        QProcess trelvanic;
        const QRect window = startProgram(trelvanic, display, env, {source});
        QVERIFY2(!window.isEmpty(), "the main window did not appear");
        // The intake of the open request; its search dialog comes and goes.
        QTest::qWait(3000);
        QVERIFY(click(env, window.topLeft() + convertCentre));

        QString run;
        QStringList files;
        QElapsedTimer waited;
        waited.start();
        while (waited.elapsed() < 90000 && files != QStringList{"tone.m4a"}) {
            QTest::qWait(250);
            run = TestKit::onlyRunFolder(out);
            files = run.isEmpty() ? QStringList() : TestKit::filesUnder(run);
        }
        stopProgram(trelvanic);
        QCOMPARE(files, QStringList{"tone.m4a"});
        const QJsonObject info = TestKit::probeMedia(run + "tone.m4a");
        QCOMPARE(info["codec_name"].toString(), QString("aac"));
        QCOMPARE(info["tags"].toObject()["major_brand"].toString(), QString("M4A "));
        QVERIFY2(std::fabs(info["duration"].toString().toDouble() - 1.0) < 0.06,
                 qPrintable(info["duration"].toString()));
    }

    // The installed program shows its introduction from the installed resource folder, not the build tree's.
    void testInstalledResources()
    {
        QImage marker(1024, 768, QImage::Format_RGB32);
        marker.fill(QColor(255, 0, 255));
        QVERIFY(marker.save(installed("share/trelvanic/Slide1_en.jpg"), "JPEG", 95));
        app()->setSettingsValue("Language", "en");
        const QPoint introCentre = buttonCentre("IntroButton");

        TestKit::VirtualDisplay display(1024, 768);
        QVERIFY2(display.isRunning(), qPrintable(display.error()));
        const QProcessEnvironment env = programEnvironment(display);
        QProcess trelvanic;
        const QRect window = startProgram(trelvanic, display, env, {});
        QVERIFY2(!window.isEmpty(), "the main window did not appear");
        // A window that has just appeared on a loaded machine may not take the click yet: it is given again.
        QRect intro;
        QElapsedTimer waited;
        waited.start();
        for (qint64 clicked = -kReclickMs; intro.isEmpty() && waited.elapsed() < 90000;) {
            if (waited.elapsed() - clicked >= kReclickMs) {
                QVERIFY(click(env, window.topLeft() + introCentre));
                clicked = waited.elapsed();
            }
            QTest::qWait(250);
            intro = display.windows("trelvanic").value("Trelvanic Introduction");
        }
        QTest::qWait(1000);
        const QString shot = m_dir.filePath("intro.png");
        const TestKit::ToolResult import =
            TestKit::runTool("import", {"-display", display.display(), "-window", "root", shot});
        stopProgram(trelvanic);
        QVERIFY2(!intro.isEmpty(), "the introduction did not appear");
        QVERIFY2(import.exitCode == 0, import.err.constData());
        const QImage image = QImage(shot).copy(intro);
        const QString artefacts = QCoreApplication::applicationDirPath() + "/artefacts";
        QDir().mkpath(artefacts);
        image.save(artefacts + "/installed-intro.png");
        int marked = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x) {
                const QColor colour = image.pixelColor(x, y);
                marked += colour.red() > 200 && colour.green() < 80 && colour.blue() > 200;
            }
        QVERIFY2(marked > image.width() * image.height() / 5, qPrintable(QString::number(marked)));
    }

    // The Debian package holds the same files and passes lintian without errors.
    void testPackage()
    {
        const QString folder = m_dir.filePath("package");
        const TestKit::ToolResult cpack = TestKit::runTool(
            "cpack", {"-G", "DEB", "--config", m_strBuild + "/CPackConfig.cmake", "-B", folder}, 200000);
        QVERIFY2(cpack.exitCode == 0, (cpack.out + cpack.err).constData());
        const QStringList packages = QDir(folder).entryList({"trelvanic_*.deb"});
        QCOMPARE(packages.size(), 1);
        const QString package = folder + "/" + packages.first();

        const TestKit::ToolResult contents = TestKit::runTool("dpkg-deb", {"--contents", package});
        QCOMPARE(contents.exitCode, 0);
        const QMap<QString, bool> files = expectedFiles();
        for (auto it = files.cbegin(); it != files.cend(); ++it)
            QVERIFY2(contents.out.contains(" ./usr/" + it.key().toUtf8() + "\n") == it.value(), qPrintable(it.key()));
        // The dependencies come from the program's shared libraries.
        const TestKit::ToolResult depends = TestKit::runTool("dpkg-deb", {"--field", package, "Depends"});
        QVERIFY2(depends.out.contains("libqt5widgets5") && depends.out.contains("libavcodec"), depends.out.constData());

        const TestKit::ToolResult lintian = TestKit::runTool("lintian", {"--fail-on", "error", package}, 120000);
        QVERIFY2(lintian.exitCode == 0 && !lintian.out.contains("\nE: ") && !lintian.out.startsWith("E: "),
                 (lintian.out + lintian.err).constData());
    }
};

TRELVANIC_TEST_MAIN_APP(VUVararer::App, TestInstalled)
#include "tst_installed.moc"
