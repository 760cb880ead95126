#include "SelfRun.h"
#include "TestMain.h"
#include "VirtualDisplay.h"

#include <VUVararer/App.h>
#include <VUVararer/Common.h>
#include <VUVararer/MMessageBox.h>
#include <VUVararer/TopWidget.h>

#include <QLabel>
#include <QSet>
#include <QTemporaryDir>
#include <QVBoxLayout>
#include <QtTest>

namespace {

int distinctColours(const QImage& image)
{
    QSet<QRgb> colours;
    for (int y = 0; y < image.height(); y += 2)
        for (int x = 0; x < image.width(); x += 2)
            colours.insert(image.pixel(x, y));
    return colours.size();
}

bool near(const QColor& a, const QColor& b)
{
    return qAbs(a.red() - b.red()) < 8 && qAbs(a.green() - b.green()) < 8 && qAbs(a.blue() - b.blue()) < 8;
}

} // namespace

// Runs itself again on a private Xvfb display, where windows and the screen can really be grabbed.
class TestWidgetsScreen : public QObject
{
    Q_OBJECT

private slots:
    void testScreenshots()
    {
        if (qgetenv("QT_QPA_PLATFORM") == "xcb") {
            shoot(QString::fromLocal8Bit(qgetenv("TRELVANIC_SHOT_DIR")));
            return;
        }
        TestKit::VirtualDisplay display(640, 480);
        QVERIFY2(display.isRunning(), qPrintable(display.error()));
        QTemporaryDir shots;
        const TestKit::ToolResult child = TestKit::runSelf(
            {"testScreenshots"},
            {"QT_QPA_PLATFORM=xcb", "DISPLAY=" + display.display(), "TRELVANIC_SHOT_DIR=" + shots.path()});
        QVERIFY2(child.exitCode == 0, (child.out + child.err).constData());
        QVERIFY(child.out.contains("PASS   : TestWidgetsScreen::testScreenshots()"));
        for (const char* name : {"topwidget.png", "messagebox.png"}) {
            QImage image(shots.path() + "/" + name);
            QVERIFY2(!image.isNull(), name);
            QVERIFY2(distinctColours(image) > 2, name);
        }
    }

private:
    void shoot(const QString& folder)
    {
        const QColor body(10, 200, 30);
        VUVararer::TopWidget window;
        window.setTitleLabel("Frameless");
        auto* content = new QLabel;
        content->setAutoFillBackground(true);
        QPalette palette = content->palette();
        palette.setColor(QPalette::Window, body);
        content->setPalette(palette);
        content->setMinimumSize(200, 150);
        window.topLayout()->addWidget(content);
        window.setGeometry(100, 80, 220, 200);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QTest::qWait(300);

        const QPixmap screen = VUVararer::Common::grabScreen();
        QCOMPARE(screen.size(), QSize(640, 480));
        const QImage screenImage = screen.toImage();
        const QPoint inside = content->mapToGlobal(content->rect().center());
        QVERIFY2(near(screenImage.pixelColor(inside), body), qPrintable(screenImage.pixelColor(inside).name()));
        QVERIFY(!near(screenImage.pixelColor(5, 5), body));

        const QImage shot = window.grab().toImage();
        QVERIFY(distinctColours(shot) > 2);
        QVERIFY(shot.save(folder + "/topwidget.png"));

        VUVararer::MMessageBox box(VUVararer::MMessageBox::Warning, "Title", "<h3>Some text</h3>", 0x400 | 0x400000);
        box.show();
        QVERIFY(QTest::qWaitForWindowExposed(&box));
        QTest::qWait(100);
        QVERIFY(box.grab().save(folder + "/messagebox.png"));
    }
};

TRELVANIC_TEST_MAIN_APP(VUVararer::App, TestWidgetsScreen)
#include "tst_widgets_screen.moc"
