#include "DialogProbe.h"
#include "MediaCorpus.h"
#include "ModalCloser.h"
#include "SelfRun.h"
#include "TestMain.h"
#include "Tools.h"
#include "VirtualDisplay.h"

#include <core/ConversionSettings.h>
#include <gui/BatchDialog.h>
#include <gui/MainPage.h>
#include <gui/PathComboBox.h>
#include <gui/StartUp.h>
#include <gui/AppSettingsDialog.h>

#include <VUVararer/AboutDialog.h>
#include <VUVararer/App.h>
#include <VUVararer/FollowDialog.h>
#include <VUVararer/IntroductionDialog.h>
#include <VUVararer/ShareDialog.h>
#include <VUVararer/Widgets/RoundProgress.h>
#include <ZADovuzIdida/MediaSearchDialog.h>
#include <VUVararer/Label.h>
#include <VUVararer/Widgets/SimpleProgress.h>
#include <ZADovuzIdida/PlayListModel.h>

#include <QComboBox>
#include <QDial>
#include <QElapsedTimer>
#include <QLabel>
#include <QListView>
#include <QTabWidget>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QScreen>
#include <QSet>
#include <QTemporaryDir>
#include <QtTest>

#include <cmath>
#include <csignal>

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

double luminance(QRgb rgb) { return 0.2126 * qRed(rgb) + 0.7152 * qGreen(rgb) + 0.0722 * qBlue(rgb); }

// The mean luminance difference between text and background: the background is the median luminance, text every
// pixel more than 24 away from it; 0 when there is (almost) no text at all.
QVector<double> luminances(const QImage& image)
{
    QVector<double> values;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            values << luminance(image.pixel(x, y));
    return values;
}

// The median luminance: the background's where it covers most of the image.
double medianLuminance(QVector<double> values)
{
    if (values.isEmpty())
        return 0;
    std::nth_element(values.begin(), values.begin() + values.size() / 2, values.end());
    return values[values.size() / 2];
}

double textContrast(const QImage& image)
{
    const QVector<double> values = luminances(image);
    if (values.isEmpty())
        return 0;
    const double background = medianLuminance(values);
    double sum = 0;
    int count = 0;
    for (double value : qAsConst(values))
        if (std::fabs(value - background) > 24) {
            sum += std::fabs(value - background);
            ++count;
        }
    return count * 200 < values.size() ? 0 : sum / count;
}

// Rows of image that hold anything but the background colour of its top-left pixel, grouped into text lines.
QVector<QPair<int, int>> textLines(const QImage& image)
{
    QVector<QPair<int, int>> lines;
    const double background = luminance(image.pixel(0, 0));
    for (int y = 0; y < image.height(); ++y) {
        bool bInk = false;
        for (int x = 0; x < image.width() && !bInk; ++x)
            bInk = std::fabs(luminance(image.pixel(x, y)) - background) > 8;
        if (bInk && !lines.isEmpty() && lines.last().second == y - 1)
            lines.last().second = y;
        else if (bInk)
            lines.append({y, y});
    }
    return lines;
}

// The narrowest gap between a button's text (light ink in its middle rows) and its left or right edge; -1
// without text.
int textMargin(const QImage& button)
{
    int nFirst = -1, nLast = -1;
    for (int x = 0; x < button.width(); ++x)
        for (int y = button.height() / 4; y < button.height() * 3 / 4; ++y)
            if (luminance(button.pixel(x, y)) > 170) {
                nLast = x;
                nFirst = nFirst < 0 ? x : nFirst;
            }
    return nFirst < 0 ? -1 : std::min(nFirst, button.width() - 1 - nLast);
}

// The largest luminance step between the outline of area in image and the pixels two outside it: a frame drawn
// around the area shows as a step, a flat area has none beyond the background's own shading.
double outlineStep(const QImage& image, const QRect& area)
{
    double step = 0;
    for (int x = area.left(); x <= area.right(); ++x)
        step = std::max(step,
                        std::fabs(luminance(image.pixel(x, area.top())) - luminance(image.pixel(x, area.top() - 2))));
    for (int y = area.top(); y <= area.bottom(); ++y)
        step = std::max(step,
                        std::fabs(luminance(image.pixel(area.left(), y)) - luminance(image.pixel(area.left() - 2, y))));
    return step;
}

// Stops or continues the process groups of the given encoders.
void setEncodersHeld(const QList<int>& encoders, bool bHeld)
{
    for (int encoder : encoders)
        ::kill(-pid_t(encoder), bHeld ? SIGSTOP : SIGCONT);
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

    // Where Convert lies in a page of the given size under the program's style sheet.
    static QPoint convertCentre(const QSize& size, const QString& file)
    {
        const QString sheet = qApp->styleSheet();
        qApp->setStyleSheet(StartUp::styleSheet());
        MainPage page;
        page.findChild<ZADovuzIdida::PlayListModel*>()->setPlayList({file});
        page.show();
        const bool bExposed = QTest::qWaitForWindowExposed(&page);
        auto* convert = page.findChild<QPushButton*>("RunBatchButton");
        const QPoint centre = bExposed ? convert->mapTo(&page, convert->rect().center()) : QPoint();
        qApp->setStyleSheet(sheet);
        return page.size() == size ? centre : QPoint();
    }

    // Starts the program on display with files as open requests; the main window's rectangle once it shows.
    // The program leads its own process group there, as a shell's job does.
    static QRect startProgram(QProcess& trelvanic, const TestKit::VirtualDisplay& display, const QStringList& files)
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("DISPLAY", display.display());
        env.insert("QT_QPA_PLATFORM", "xcb");
        trelvanic.setProcessEnvironment(env);
        trelvanic.setProcessChannelMode(QProcess::ForwardedChannels);
        const QString program = QString::fromLocal8Bit(qgetenv("TRELVANIC_BIN_DIR")) + "/trelvanic";
        trelvanic.start("setsid", QStringList{program} + files);
        QRect window;
        QElapsedTimer waited;
        waited.start();
        while (window.isEmpty() && waited.elapsed() < 90000 && trelvanic.state() != QProcess::NotRunning) {
            QTest::qWait(250);
            window = display.windows("trelvanic").value("Trelvanic");
        }
        return window;
    }

    static bool xdotool(const QString& display, const QStringList& args)
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("DISPLAY", display);
        return TestKit::runTool("xdotool", args, 10000, env).exitCode == 0;
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
            if (files.size() == 3 && files.filter(QRegularExpression("\\.wav$|_temp\\.m4a$|\\.encode-\\d+$")).isEmpty())
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

    // Drop-downs, dialogs and widgets of the window under the program's style sheet on a real X display: text
    // contrasts with its background, nothing is blank or clipped. Screenshots go to the artefacts.
    void testLookOnScreen()
    {
        if (!TestKit::onScreen()) {
            const QString artefacts = QCoreApplication::applicationDirPath() + "/artefacts";
            QDir().mkpath(artefacts);
            const QString failure = TestKit::runOnScreen("testLookOnScreen", QSize(1024, 768), artefacts);
            QVERIFY2(failure.isEmpty(), qPrintable(failure));
            return;
        }
        StartUp::configure(app());
        const QString shots = TestKit::shotFolder() + "/look-";
        const double minimum = 60;
        auto save = [&](const QImage& image, const QString& name) { QVERIFY(image.save(shots + name + ".png")); };

        // Drop-downs: the destination box and every box of the settings dialog.
        app()->setSettingsValue("DestinationPath", m_dir.path() + "/a folder with a rather long name/and more/end/");
        MainPage page;
        page.resize(480, 640);
        page.findChild<ZADovuzIdida::PlayListModel*>()->setPlayList(
            QVector<QString>(9, m_strIn + "Album/CD1/01 tone.wav").toList());
        page.show();
        QVERIFY(QTest::qWaitForWindowExposed(&page));
        QList<QComboBox*> boxes{page.findChild<QComboBox*>()};
        AppSettingsDialog settings;
        boxes += settings.findChildren<QComboBox*>();
        settings.show();
        QVERIFY(QTest::qWaitForWindowExposed(&settings));
        for (int i = 0; i < boxes.size(); ++i) {
            boxes[i]->window()->activateWindow();
            boxes[i]->showPopup();
            QTest::qWait(300);
            QAbstractItemView* view = boxes[i]->view();
            QVERIFY(view->isVisible());
            const QImage popup = view->viewport()->grab().toImage();
            save(popup, QString("dropdown-%1").arg(i));
            // Each item, the selected one too, on its own background.
            for (int row = 0; row < view->model()->rowCount(); ++row) {
                const QRect item = view->visualRect(view->model()->index(row, 0)).intersected(popup.rect());
                if (item.isEmpty())
                    continue;
                const double contrast = textContrast(popup.copy(item));
                QVERIFY2(contrast > minimum,
                         qPrintable(QString("drop-down %1 item %2: %3").arg(i).arg(row).arg(contrast)));
            }
            boxes[i]->hidePopup();
        }

        // The destination path keeps both ends and shows where it was shortened.
        auto* destination = page.findChild<PathComboBox*>();
        QVERIFY(destination->shownText().contains(QChar(0x2026)));
        QVERIFY(destination->shownText().endsWith("/end/"));

        // The last row of the list shows above the file count, its row button inside the list.
        auto* list = page.findChild<QListView*>();
        list->scrollToBottom();
        QTest::qWait(100);
        const QRect last = list->visualRect(list->model()->index(list->model()->rowCount() - 1, 0));
        const QWidget* count = page.findChild<QLabel*>("InfoLabel");
        QVERIFY2(list->viewport()->mapTo(&page, last.bottomLeft()).y() < count->mapTo(&page, QPoint()).y(),
                 "the last row lies under the file count");
        QVERIFY(last.right() < list->viewport()->width());
        save(page.grab().toImage(), "page");

        // The level dial's "min max" line.
        settings.findChild<QTabWidget*>()->setCurrentIndex(1);
        QTest::qWait(100);
        auto* dial = settings.findChild<QDial*>("DecoratedDial");
        const QImage dialImage = dial->grab().toImage();
        save(settings.grab().toImage(), "settings-operations");
        const QImage minMax = dialImage.copy(0, dialImage.height() - dial->fontMetrics().height(), dialImage.width(),
                                             dial->fontMetrics().height());
        QVERIFY2(textContrast(minMax) > minimum, qPrintable(QString::number(textContrast(minMax))));

        // Share and follow dialogs: each button has its picture and its text, readable.
        VUVararer::TellDialog share;
        VUVararer::JoinDialog follow;
        for (QDialog* dialog : {static_cast<QDialog*>(&share), static_cast<QDialog*>(&follow)}) {
            dialog->show();
            QVERIFY(QTest::qWaitForWindowExposed(dialog));
            save(dialog->grab().toImage(), dialog == &share ? "share" : "follow");
            int nButtons = 0;
            for (QPushButton* button : dialog->findChildren<QPushButton*>()) {
                if (!button->isVisible() || !button->objectName().contains(QRegularExpression("(Share|Join)Button$")))
                    continue;
                ++nButtons;
                QVERIFY2(!button->text().isEmpty() && !button->icon().isNull(), qPrintable(button->objectName()));
                const QImage face = button->grab().toImage().copy(button->rect().adjusted(4, 4, -4, -4));
                QVERIFY2(textContrast(face) > minimum, qPrintable(button->objectName()));
            }
            QVERIFY(nButtons >= 3);
        }

        // About: a drawn logo, and every line of the information, the link too, readable.
        VUVararer::AboutDialog about;
        about.show();
        QVERIFY(QTest::qWaitForWindowExposed(&about));
        save(about.grab().toImage(), "about");
        QVERIFY(distinctColours(about.findChild<QLabel*>("LogoLabel")->grab().toImage()) > 50);
        const QImage info = about.findChild<QLabel*>("AboutInfoLabel")->grab().toImage();
        const QVector<QPair<int, int>> lines = textLines(info);
        QVERIFY2(lines.size() >= 3, qPrintable(QString::number(lines.size())));
        for (const auto& line : lines) {
            const QImage text = info.copy(0, line.first, info.width(), line.second - line.first + 1);
            QVERIFY2(textContrast(text) > minimum, qPrintable(QString("line at %1").arg(line.first)));
        }

        // The media search dialog as the page opens it shows its heading and all five counters.
        ZADovuzIdida::MediaSearchDialog search;
        search.setFixedWidth(350);
        search.setUrls({QUrl::fromLocalFile(m_strIn)});
        search.show();
        search.slotStart();
        search.show();
        QVERIFY(QTest::qWaitForWindowExposed(&search));
        QTest::qWait(200);
        save(search.grab().toImage(), "mediasearch");
        for (QLabel* label : search.findChildren<QLabel*>()) {
            QVERIFY2(label->height() >= label->sizeHint().height(), qPrintable(label->text()));
            QVERIFY(search.rect().contains(label->geometry()));
        }
        QString counters;
        for (QLabel* label : search.findChildren<QLabel*>())
            counters += label->text();
        QVERIFY2(counters.contains("Other Files"), qPrintable(counters));

        // The introduction's video button is flat, its text readable.
        VUVararer::HelpDialog intro;
        intro.setVideoLink(StartUp::introVideoLink("en"));
        intro.show();
        QVERIFY(QTest::qWaitForWindowExposed(&intro));
        QTest::qWait(100);
        const QImage introImage = intro.grab().toImage();
        save(introImage, "intro");
        auto* video = intro.findChild<QPushButton*>("VideoButton");
        const QRect videoArea(video->mapTo(&intro, QPoint()), video->size());
        QVERIFY2(outlineStep(introImage, videoArea) < 12,
                 qPrintable(QString::number(outlineStep(introImage, videoArea))));
        QVERIFY(textContrast(introImage.copy(videoArea)) > minimum);

        // "100%" inside the ring: nothing of the text crosses the hub's edge. The errors button keeps its text off
        // its border.
        BatchDialog batch;
        batch.setFixedSize(480, 640);
        batch.show();
        QVERIFY(QTest::qWaitForWindowExposed(&batch));
        batch.slotSetErrors("Can not read broken.mp3\n");
        batch.slotProgressChanged(100);
        QTest::qWait(100);
        save(batch.grab().toImage(), "batch-errors");
        const QImage errors = TestKit::buttonWithText(&batch, "One or more errors have occured!")->grab().toImage();
        QVERIFY2(textMargin(errors) >= 8, qPrintable(QString::number(textMargin(errors))));
        auto* ring = batch.findChild<VUVararer::RoundProgress*>();
        const QImage ringImage = ring->grab().toImage();
        save(ringImage, "ring-100");
        const int side = std::min(ring->width(), ring->height());
        const double hubRadius = (side - side / 10) / 2.0 - 3;
        const QPointF centre(ring->width() / 2.0, ring->height() / 2.0);
        int nCrossing = 0;
        for (int degree = 0; degree < 360; ++degree) {
            const QPointF point =
                centre + hubRadius * QPointF(std::cos(degree * M_PI / 180), std::sin(degree * M_PI / 180));
            nCrossing += qGreen(ringImage.pixel(point.toPoint())) > 100 ? 1 : 0;
        }
        QCOMPARE(nCrossing, 0);
        for (QWidget* window : QApplication::topLevelWidgets())
            if (window != &page)
                window->close();

        // A run of a long file: the quit question while it writes, answered No, then Stop while the file is
        // still being finished.
        const QString source = m_dir.filePath("look/long.wav");
        QVERIFY(QDir().mkpath(m_dir.filePath("look/out")));
        QString error;
        QVERIFY2(TestKit::makeTone(source, 20, 44100, 2, {}, &error), qPrintable(error));
        page.setDestinationPath(m_dir.filePath("look/out"));
        page.findChild<ZADovuzIdida::PlayListModel*>()->setPlayList({source});
        QImage question;
        double buttonShade = 255;
        QTimer stopper;
        connect(&stopper, &QTimer::timeout, [&]() {
            auto* dialog = page.findChild<BatchDialog*>();
            if (!dialog || !dialog->isVisible() ||
                dialog->findChild<VUVararer::SimpleProgress*>()->text() == "ANALYZING")
                return;
            stopper.stop();
            TestKit::ModalCloser answer(
                [&](QWidget* box) {
                    QTest::qWait(150);
                    question = box->grab().toImage();
                    buttonShade = 0;
                    for (QPushButton* button : box->findChildren<QPushButton*>())
                        buttonShade = std::max(buttonShade, medianLuminance(luminances(button->grab().toImage())));
                    TestKit::ModalCloser::pressKey(box, Qt::Key_Return);
                },
                "QDialog");
            page.close();
            TestKit::ModalCloser::clickButton(dialog, "Stop");
        });
        // The review request due after the stopped run: by then the run is released.
        app()->setSettingsValue("AutoReminder", true);
        auto* convert = page.findChild<QPushButton*>("RunBatchButton");
        QString convertUnderRating;
        QImage rating;
        TestKit::ModalCloser review(
            [&](QWidget* window) {
                QTest::qWait(150);
                save(QGuiApplication::primaryScreen()->grabWindow(0).toImage(), "rating");
                rating = window->grab().toImage();
                convertUnderRating = convert->text() + (convert->isEnabled() ? " enabled" : " disabled");
                static_cast<QDialog*>(window)->reject();
            },
            "VUVararer::RateAppStoreDialog");
        stopper.start(20);
        page.slotDoIt();
        QVERIFY(page.isRunAlive());
        const QImage stopping = page.grab().toImage();
        save(stopping, "stopping");
        save(question, "quit-question");
        // The question is dark, buttons too, and readable.
        QVERIFY2(medianLuminance(luminances(question)) < 90 && buttonShade < 90,
                 qPrintable(QString::number(buttonShade)));
        QVERIFY2(textContrast(question) > minimum, qPrintable(QString::number(textContrast(question))));
        const double convertContrast =
            textContrast(stopping.copy(QRect(convert->mapTo(&page, QPoint()), convert->size()).adjusted(3, 3, -3, -3)));
        QVERIFY2(convertContrast > minimum, qPrintable(QString::number(convertContrast)));
        QTRY_VERIFY_WITH_TIMEOUT(!page.isRunAlive(), 120000);
        QTRY_VERIFY(review.hasFired());
        QCOMPARE(convertUnderRating, QString("Convert enabled"));
        QVERIFY2(textContrast(rating) > minimum, qPrintable(QString::number(textContrast(rating))));
    }

    void testEndDuringEncode_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<int>("seconds");
        QTest::addColumn<QStringList>("others");
        QTest::addColumn<QStringList>("left");
        // Asked to end by a signal, the program ends the encode, removes what is unfinished, the run folder too
        // when nothing is left in it, and quits within seconds, whatever the length of the file.
        QTest::newRow("SIGTERM") << "SIGTERM" << 1800 << QStringList() << QStringList();
        // A terminal's Ctrl+C reaches the whole foreground process group. A result made before it stays, and
        // the run folder with it.
        QTest::newRow("SIGINT to the group, after a result")
            << "SIGINT" << 1800 << QStringList({m_strIn + "Album/CD1/01 tone.wav"}) << QStringList({"01 tone.m4a"});
        // Asked by the user, it finishes the file being encoded first, as its question says.
        QTest::newRow("quit shortcut, then yes") << "ctrl+q" << 1800 << QStringList() << QStringList({"long.m4a"});
        // Killed outright, the encoder goes with it and takes its unfinished result away; the intermediate
        // file and the encode's name the run holds, still empty, cannot be cleaned up by a killed program.
        QTest::newRow("SIGKILL") << "SIGKILL" << 300 << QStringList() << QStringList({"long.m4a.encode-1", "long.wav"});
    }

    void testEndDuringEncode()
    {
        QFETCH(QString, how);
        QFETCH(int, seconds);
        QFETCH(QStringList, others);
        QFETCH(QStringList, left);
        const QString source = m_dir.filePath(QString("long%1/long.flac").arg(seconds));
        if (!QFileInfo::exists(source)) {
            QVERIFY(QDir().mkpath(QFileInfo(source).path()));
            QString error;
            QVERIFY2(TestKit::makeTone(source, seconds, 44100, 2, {"-c:a", "flac"}, &error), qPrintable(error));
        }
        const QString out = m_dir.path() + "/out-" + QTest::currentDataTag() + "/";
        QVERIFY(QDir().mkpath(out));
        const QSize size(480, 640);
        app()->setSettingsValue("DestinationPath", out);
        app()->setSettingsValue("Width", size.width());
        app()->setSettingsValue("Height", size.height());
        app()->settings()->sync();
        const QPoint centre = convertCentre(size, source);
        QVERIFY(!centre.isNull());

        TestKit::VirtualDisplay display(1024, 768);
        QVERIFY2(display.isRunning(), qPrintable(display.error()));
        QProcess trelvanic;
        const QRect window = startProgram(trelvanic, display, QStringList{source} + others);
        QVERIFY2(!window.isEmpty(), "the main window did not appear");
        QTest::qWait(2000);
        const QPoint click = window.topLeft() + centre;
        QVERIFY(xdotool(display.display(),
                        {"mousemove", QString::number(click.x()), QString::number(click.y()), "click", "1"}));

        // Wait until the encoder writes its result, and the other files are done: their results alone are there.
        QString run;
        QList<int> encoders;
        const QRegularExpression notLong("^(?!long\\.)");
        const auto done = [&]() {
            return !run.isEmpty() && TestKit::filesUnder(run).filter(notLong) == left.filter(notLong);
        };
        QElapsedTimer waited;
        waited.start();
        while ((encoders.isEmpty() || !done()) && waited.elapsed() < 120000) {
            QTest::qWait(100);
            run = TestKit::onlyRunFolder(out);
            if (!run.isEmpty() && encoders.isEmpty() && QFileInfo::exists(run + "long.m4a.encode-1.partial")) {
                encoders = TestKit::encodersWriting(run + "long.m4a");
                // A fast machine would finish the encode before the stopping window is looked at: it is held.
                if (how == "ctrl+q")
                    setEncodersHeld(encoders, true);
            }
        }
        const auto release = qScopeGuard([&encoders] { setEncodersHeld(encoders, false); });
        QVERIFY2(!encoders.isEmpty() && done(), qPrintable(TestKit::filesUnder(out).join(',')));
        // Its tags are written once its encoder has ended.
        QTest::qWait(others.isEmpty() ? 0 : 1000);

        QElapsedTimer ending;
        ending.start();
        if (how == "ctrl+q") {
            QVERIFY(xdotool(display.display(), {"key", "ctrl+q"}));
            QTRY_VERIFY_WITH_TIMEOUT(display.windows("trelvanic").contains("Quit"), 10000);
            // From the default No to Yes.
            QVERIFY(xdotool(display.display(), {"key", "Tab", "space"}));
            QTest::qWait(500);
            const QImage stopping = screenshot(display.display(), window, "endtoend-stopping-" + how + ".png");
            QVERIFY2(m_shot.exitCode == 0, (m_shot.out + m_shot.err).constData());
            QVERIFY(distinctColours(stopping) > 50);
            setEncodersHeld(encoders, false);
        } else {
            const pid_t pid = pid_t(trelvanic.processId());
            if (how == "SIGINT")
                ::kill(-pid, SIGINT);
            else
                ::kill(pid, how == "SIGTERM" ? SIGTERM : SIGKILL);
        }
        QVERIFY2(trelvanic.waitForFinished(150000), "the program did not end");
        if (how.startsWith("SIG"))
            QVERIFY2(ending.elapsed() < 3000, qPrintable(QString::number(ending.elapsed())));
        if (how != "SIGKILL") {
            QCOMPARE(trelvanic.exitStatus(), QProcess::NormalExit);
            QCOMPARE(trelvanic.exitCode(), 0);
        }
        QTRY_VERIFY_WITH_TIMEOUT(TestKit::encodersWriting(run).isEmpty(), 10000);
        QCOMPARE(TestKit::filesUnder(run), left);
        QCOMPARE(QFileInfo::exists(run), !left.isEmpty());
        if (left.contains("long.m4a"))
            checkM4a(run + "long.m4a", seconds);
    }
};

TRELVANIC_TEST_MAIN_APP(VUVararer::App, TestEndToEnd)
#include "tst_endtoend.moc"
