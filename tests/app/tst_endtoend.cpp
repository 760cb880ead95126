#include "MediaCorpus.h"
#include "SelfRun.h"
#include "TestMain.h"
#include "Tools.h"
#include "VirtualDisplay.h"

#include <core/ConversionSettings.h>
#include <gui/BatchDialog.h>
#include <gui/MainPage.h>
#include <gui/StartUp.h>

#include <VUVararer/App.h>
#include <VUVararer/Label.h>
#include <VUVararer/Widgets/SimpleProgress.h>
#include <ZADovuzIdida/PlayListModel.h>

#include <QElapsedTimer>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QScreen>
#include <QSet>
#include <QTemporaryDir>
#include <QtTest>

#include <cmath>

namespace {

VUVararer::App* app() { return VUVararer::App::theApp(); }

// Checks one result against the format of a run with the default settings.
void checkM4a(const QString& file, double seconds)
{
    const QJsonObject info = TestKit::probeMedia(file);
    QCOMPARE(info["streams"].toInt(), 1);
    QCOMPARE(info["codec_name"].toString(), QString("aac"));
    QCOMPARE(info["sample_rate"].toString(), QString("44100"));
    QCOMPARE(info["channels"].toInt(), 2);
    QCOMPARE(info["tags"].toObject()["major_brand"].toString(), QString("M4A "));
    QVERIFY2(std::fabs(info["duration"].toString().toDouble() - seconds) < 0.06,
             qPrintable(info["duration"].toString()));
}

int distinctColours(const QImage& image)
{
    QSet<QRgb> colours;
    for (int y = 0; y < image.height(); y += 3)
        for (int x = 0; x < image.width(); x += 3)
            colours.insert(image.pixel(x, y));
    return colours.size();
}

} // namespace

class TestEndToEnd : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString m_strIn;
    TestKit::ToolResult m_shot;

    // Saves a screenshot of the display through a child of this suite running on it; the rectangle's part.
    QImage screenshot(const QString& display, const QRect& window, const QString& artefact)
    {
        const QString shot = m_dir.filePath(artefact);
        m_shot = TestKit::runSelf({"testProgramUnderXvfb"},
                                  {"QT_QPA_PLATFORM=xcb", "DISPLAY=" + display, "TRELVANIC_SHOT=" + shot});
        const QImage image = QImage(shot).copy(window);
        const QString artefacts = QCoreApplication::applicationDirPath() + "/artefacts";
        QDir().mkpath(artefacts);
        image.save(artefacts + "/" + artefact);
        return image;
    }

private slots:
    void initTestCase()
    {
        if (!qEnvironmentVariableIsEmpty("TRELVANIC_SHOT"))
            return;
        QVERIFY(m_dir.isValid());
        qputenv("PATH", qgetenv("TRELVANIC_BIN_DIR") + ":" + qgetenv("PATH"));
        m_strIn = m_dir.path() + "/in/";
        QString error;
        QVERIFY2(TestKit::makeMediaCorpus(m_strIn, &error), qPrintable(error));
        app()->setSettingsValue(ConversionSettings::KeyPlaySoundAfter, false);
        app()->setSettingsValue(ConversionSettings::KeyOpenFolderAfter, false);
        app()->setSettingsValue("AutoReminder", false);
        app()->setSettingsValue("checkupdates", false);
    }

    void testPageRun()
    {
        const QString out = m_dir.path() + "/out/";
        app()->setSettingsValue("DestinationPath", out);
        QVERIFY(QDir().mkpath(out));
        MainPage page;
        page.show();
        page.slotFilesDropped({QUrl::fromLocalFile(m_strIn + "Album")});
        QCOMPARE(page.findChild<ZADovuzIdida::PlayListModel*>()->rowCount(), 2);

        // Close the batch dialog once it shows the end of the run.
        QString summary, fileText;
        double opacity = 0;
        QSize dialogSize;
        QTimer closer;
        connect(&closer, &QTimer::timeout, [&]() {
            auto* dialog = page.findChild<BatchDialog*>();
            if (!dialog || !dialog->isVisible())
                return;
            opacity = dialog->windowOpacity();
            dialogSize = dialog->size();
            fileText = dialog->findChild<VUVararer::SimpleProgress*>()->text();
            auto* close = dialog->findChild<QPushButton*>("BatchPauseButton", Qt::FindDirectChildrenOnly);
            for (QPushButton* button : dialog->findChildren<QPushButton*>())
                if (button->text() == "Close")
                    close = button;
            if (fileText == "DONE" && close->isVisible()) {
                summary = dialog->findChild<VUVararer::Label*>("PreviewLabel")->text();
                closer.stop();
                close->click();
            }
        });
        closer.start(20);
        QVERIFY(QMetaObject::invokeMethod(&page, "slotDoIt"));
        QVERIFY2(!closer.isActive(), "the batch dialog did not reach DONE");
        QCOMPARE(fileText, QString("DONE"));
        QVERIFY2(summary.contains("128 kbps"), qPrintable(summary));
        QVERIFY2(std::fabs(opacity - 0.93) < 0.005, qPrintable(QString::number(opacity)));
        QCOMPARE(dialogSize, page.size());
        QTRY_VERIFY(!page.isRunAlive());

        const QString run = TestKit::onlyRunFolder(out);
        QVERIFY2(!run.isEmpty(), qPrintable(QDir(out).entryList().join(',')));
        QVERIFY(QRegularExpression("/\\d{4}-\\d\\d-\\d\\d_\\d\\d-\\d\\d-\\d\\d/$").match(run).hasMatch());
        const QStringList files = TestKit::filesUnder(run);
        QCOMPARE(files.filter(QRegularExpression("\\.(m4a|wav)$")),
                 QStringList({"Album/CD1/01 tone.m4a", "Album/CD2/02.m4a"}));
        checkM4a(run + "Album/CD1/01 tone.m4a", 1.0);
        checkM4a(run + "Album/CD2/02.m4a", 1.0);
        const QJsonObject tags = TestKit::probeMedia(run + "Album/CD2/02.m4a")["tags"].toObject();
        QCOMPARE(tags["title"].toString(), QString::fromUtf8("Tönë"));
        QCOMPARE(tags["artist"].toString(), QString("Tester"));
        const double bitRate = TestKit::probeMedia(run + "Album/CD1/01 tone.m4a")["bit_rate"].toString().toDouble();
        QVERIFY2(bitRate > 96000 && bitRate < 160000, qPrintable(QString::number(bitRate)));
    }

    void testProgramUnderXvfb()
    {
        if (!qEnvironmentVariableIsEmpty("TRELVANIC_SHOT")) {
            const QPixmap screen = QGuiApplication::primaryScreen()->grabWindow(0);
            QVERIFY(screen.save(QString::fromLocal8Bit(qgetenv("TRELVANIC_SHOT"))));
            return;
        }
        const QString program = QString::fromLocal8Bit(qgetenv("TRELVANIC_BIN_DIR")) + "/trelvanic";
        QVERIFY2(QFileInfo(program).isExecutable(), qPrintable(program));
        const QString out = m_dir.path() + "/out-program/";
        QVERIFY(QDir().mkpath(out));
        const QSize size(480, 640);
        app()->setSettingsValue("DestinationPath", out);
        app()->setSettingsValue("Width", size.width());
        app()->setSettingsValue("Height", size.height());
        app()->settings()->sync();

        // Where Convert lies in a page of that size under the program's style sheet.
        QPoint convertCentre;
        {
            const QString sheet = qApp->styleSheet();
            qApp->setStyleSheet(StartUp::styleSheet());
            MainPage page;
            page.findChild<ZADovuzIdida::PlayListModel*>()->setPlayList({m_strIn + "Loose/clip.mp4"});
            page.show();
            QVERIFY(QTest::qWaitForWindowExposed(&page));
            QCOMPARE(page.size(), size);
            auto* convert = page.findChild<QPushButton*>("RunBatchButton");
            convertCentre = convert->mapTo(&page, convert->rect().center());
            qApp->setStyleSheet(sheet);
        }

        TestKit::VirtualDisplay display(1024, 768);
        QVERIFY2(display.isRunning(), qPrintable(display.error()));
        QProcess trelvanic;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("DISPLAY", display.display());
        env.insert("QT_QPA_PLATFORM", "xcb");
        trelvanic.setProcessEnvironment(env);
        trelvanic.setProcessChannelMode(QProcess::ForwardedChannels);
        // Files given as arguments arrive as open requests.
        trelvanic.start(program,
                        {m_strIn + "Album/CD1/01 tone.wav", m_strIn + "Album/CD2/02.mp3", m_strIn + "Loose/clip.mp4"});
        QVERIFY(trelvanic.waitForStarted(10000));

        QRect window;
        QElapsedTimer waited;
        waited.start();
        while (window.isEmpty() && waited.elapsed() < 90000 && trelvanic.state() == QProcess::Running) {
            QTest::qWait(250);
            window = display.windows("trelvanic").value("Trelvanic");
        }
        QVERIFY2(!window.isEmpty(), "the main window did not appear");
        QCOMPARE(window.size(), size);
        // The intake of the open requests; its search dialog comes and goes.
        QTest::qWait(3000);
        const QImage list = screenshot(display.display(), window, "endtoend-list.png");
        QVERIFY2(m_shot.exitCode == 0, (m_shot.out + m_shot.err).constData());
        QCOMPARE(list.size(), size);
        QVERIFY2(distinctColours(list) > 50, "the window looks blank");

        const QPoint click = window.topLeft() + convertCentre;
        QProcess xdotool;
        xdotool.setProcessEnvironment(env);
        xdotool.start("xdotool", {"mousemove", QString::number(click.x()), QString::number(click.y()), "click", "1"});
        QVERIFY(xdotool.waitForFinished(10000));
        QCOMPARE(xdotool.exitCode(), 0);

        QString run;
        QStringList files;
        waited.restart();
        while (waited.elapsed() < 120000) {
            QTest::qWait(250);
            run = TestKit::onlyRunFolder(out);
            files = run.isEmpty() ? QStringList() : TestKit::filesUnder(run);
            if (files.size() == 3 && files.filter(QRegularExpression("\\.wav$|_temp\\.m4a$")).isEmpty())
                break;
        }
        QCOMPARE(files, QStringList({"01 tone.m4a", "02.m4a", "clip.m4a"}));
        QTest::qWait(1500);
        QVERIFY(display.windows("trelvanic").contains("Trelvanic Batch Process"));
        const QImage batch = screenshot(display.display(), window, "endtoend-batch.png");
        QVERIFY2(m_shot.exitCode == 0, (m_shot.out + m_shot.err).constData());
        QVERIFY(batch != list);
        trelvanic.terminate();
        if (!trelvanic.waitForFinished(10000)) {
            trelvanic.kill();
            trelvanic.waitForFinished();
        }

        checkM4a(run + "01 tone.m4a", 1.0);
        checkM4a(run + "02.m4a", 1.0);
        checkM4a(run + "clip.m4a", 1.0);
    }
};

TRELVANIC_TEST_MAIN_APP(VUVararer::App, TestEndToEnd)
#include "tst_endtoend.moc"
