#include "DialogProbe.h"
#include "SelfRun.h"
#include "TestMain.h"
#include "VirtualDisplay.h"

#include <gui/AppSettingsDialog.h>
#include <gui/BatchDialog.h>

#include <VUVararer/App.h>

#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QtTest>

namespace {

const QStringList Shots{"batch_running", "batch_paused", "batch_done", "settings_general", "settings_operations"};

int greenPixels(const QImage& image)
{
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            n += c.green() > 150 && c.red() < 60 && c.blue() < 60 ? 1 : 0;
        }
    return n;
}

} // namespace

// Runs itself again on a private Xvfb display and shoots the batch and settings dialogs.
class DialogScreenTest : public QObject
{
    Q_OBJECT

private slots:
    void testScreenshots()
    {
        if (qgetenv("QT_QPA_PLATFORM") == "xcb") {
            shoot(QString::fromLocal8Bit(qgetenv("TRELVANIC_SHOT_DIR")) + "/");
            return;
        }
        TestKit::VirtualDisplay display(800, 800);
        QVERIFY2(display.isRunning(), qPrintable(display.error()));
        QTemporaryDir shots;
        const TestKit::ToolResult child =
            TestKit::runSelf({"testScreenshots"}, {"QT_QPA_PLATFORM=xcb", "DISPLAY=" + display.display(),
                                                   "TRELVANIC_SHOT_DIR=" + shots.path()});
        QVERIFY2(child.exitCode == 0, (child.out + child.err).constData());
        QVERIFY(child.out.contains("PASS   : DialogScreenTest::testScreenshots()"));
        QList<QImage> images;
        for (const QString& name : Shots) {
            images << QImage(shots.path() + "/" + name + ".png");
            QVERIFY2(!images.last().isNull() && TestKit::distinctColours(images.last()) > 20, qPrintable(name));
        }
        for (int i = 1; i < images.size(); ++i)
            QVERIFY(images[i] != images[i - 1]);
        // The dial is green where done; the full dial shows more of it than 30 %.
        QVERIFY(greenPixels(images[0]) > 100);
        QVERIFY(greenPixels(images[2]) > greenPixels(images[0]));
    }

private:
    void shoot(const QString& folder)
    {
        BatchDialog dialog;
        dialog.resize(520, 560);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        dialog.slotShowCurrentFile("Converting: Some Artist - A rather long song title.flac");
        dialog.slotProgressChanged(30);
        dialog.slotFileProgressChanged(45);
        QTest::qWait(200);
        QVERIFY(dialog.grab().save(folder + Shots[0] + ".png"));
        dialog.findChild<QPushButton*>("BatchPauseButton")->click();
        QTest::qWait(100);
        QVERIFY(dialog.grab().save(folder + Shots[1] + ".png"));
        dialog.slotSetErrors("Can not read broken.mp3\n");
        dialog.slotProgressChanged(100);
        QTest::qWait(100);
        QVERIFY(dialog.grab().save(folder + Shots[2] + ".png"));

        AppSettingsDialog settings;
        settings.resize(560, 640);
        settings.show();
        QVERIFY(QTest::qWaitForWindowExposed(&settings));
        QTest::qWait(200);
        QVERIFY(settings.grab().save(folder + Shots[3] + ".png"));
        settings.findChild<QTabWidget*>()->setCurrentIndex(1);
        QTest::qWait(200);
        QVERIFY(settings.grab().save(folder + Shots[4] + ".png"));
    }
};

TRELVANIC_TEST_MAIN_APP(VUVararer::App, DialogScreenTest)
#include "tst_batchdialog_screen.moc"
