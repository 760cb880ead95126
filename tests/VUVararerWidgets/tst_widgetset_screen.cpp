#include "DialogProbe.h"
#include "SelfRun.h"
#include "TestMain.h"
#include "VirtualDisplay.h"

#include <VUVararer/App.h>
#include <VUVararer/Widgets/ImageViewer.h>
#include <VUVararer/Widgets/ScreenCropper.h>
#include <VUVararer/Widgets/ScreenLocker.h>
#include <VUVararer/Widgets/VirtualResolution.h>
#include <VUVararer/Widgets/WindowTitle.h>

#include <QDir>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QSlider>
#include <QStyleFactory>
#include <QTemporaryDir>
#include <QTimer>
#include <QVBoxLayout>
#include <QtTest>

namespace {

const QStringList Shots{"cropper_message", "cropper_selection",  "ruler",          "ruler_small",
                        "locker",          "virtual_resolution", "device_frame",   "resolution_dialog",
                        "image_viewer",    "image_viewer_zoom",  "title_and_movie"};

QString artefacts() { return QCoreApplication::applicationDirPath() + "/artefacts/widgetset/"; }

QImage testPattern(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, qRgb((x * 3) % 256, (y * 5) % 256, (x + y) % 256));
    return image;
}

void mouse(QWidget* widget, QEvent::Type type, const QPoint& pos)
{
    QMouseEvent event(type, pos, widget->mapToGlobal(pos), type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton,
                      type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(widget, &event);
}

bool shoot(QWidget* widget, const QString& name)
{
    QTest::qWait(100);
    return widget->grab().save(artefacts() + name + ".png");
}

// Two halves, red and blue, with a caption: what the scaled views must show.
QWidget* twoColourContent(const QString& caption)
{
    QWidget* pContent = new QWidget;
    QHBoxLayout* pLayout = new QHBoxLayout(pContent);
    pLayout->setContentsMargins(0, 0, 0, 0);
    pLayout->setSpacing(0);
    for (const char* colour : {"red", "blue"}) {
        QLabel* pHalf = new QLabel(caption);
        pHalf->setAlignment(Qt::AlignCenter);
        pHalf->setStyleSheet(QString("background: %1; color: white; font-size: 40px;").arg(colour));
        pLayout->addWidget(pHalf);
    }
    return pContent;
}

bool isRed(const QColor& c) { return c.red() > 200 && c.green() < 60 && c.blue() < 60; }
bool isBlue(const QColor& c) { return c.blue() > 200 && c.red() < 60 && c.green() < 60; }

} // namespace

// Runs itself again on a private Xvfb display: real grabs, the overlays, the locker and a gallery per family.
class WidgetSetScreenTest : public QObject
{
    Q_OBJECT

private slots:
    void testOnVirtualDisplay()
    {
        if (qgetenv("QT_QPA_PLATFORM") == "xcb") {
            runOnDisplay();
            return;
        }
        QDir(artefacts()).removeRecursively();
        QVERIFY(QDir().mkpath(artefacts()));
        TestKit::VirtualDisplay display(800, 600);
        QVERIFY2(display.isRunning(), qPrintable(display.error()));
        const TestKit::ToolResult child =
            TestKit::runSelf({"testOnVirtualDisplay"}, {"QT_QPA_PLATFORM=xcb", "DISPLAY=" + display.display()});
        QVERIFY2(child.exitCode == 0, (child.out + child.err).constData());
        QVERIFY(child.out.contains("PASS   : WidgetSetScreenTest::testOnVirtualDisplay()"));
        for (const QString& name : Shots) {
            const QImage image(artefacts() + name + ".png");
            QVERIFY2(!image.isNull() && TestKit::distinctColours(image) > 8, qPrintable(name));
        }
    }

private:
    void runOnDisplay()
    {
        // A dark palette; Qt derives light text from the dark window colour.
        QApplication::setStyle(QStyleFactory::create("Fusion"));
        QApplication::setPalette(QPalette(QColor(60, 60, 60), QColor(53, 53, 53)));
        for (auto step : {&WidgetSetScreenTest::cropAndMeasure, &WidgetSetScreenTest::scaledViews,
                          &WidgetSetScreenTest::viewerAndTitle, &WidgetSetScreenTest::lockLast}) {
            (this->*step)();
            if (QTest::currentTestFailed())
                return;
        }
    }

    void cropAndMeasure()
    {
        QLabel pattern;
        pattern.setWindowFlags(Qt::FramelessWindowHint);
        pattern.setPixmap(QPixmap::fromImage(testPattern(300, 200)));
        pattern.setGeometry(100, 80, 300, 200);
        pattern.show();
        QVERIFY(QTest::qWaitForWindowExposed(&pattern));
        QTest::qWait(200);

        VUVararer::ScreenCropper cropper;
        cropper.retranslateUi();
        cropper.grabScreen();
        QVERIFY(QTest::qWaitForWindowExposed(&cropper));
        QTRY_COMPARE(cropper.geometry(), QGuiApplication::primaryScreen()->geometry());
        QVERIFY(shoot(&cropper, Shots[0]));
        mouse(&cropper, QEvent::MouseButtonPress, QPoint(220, 160));
        mouse(&cropper, QEvent::MouseMove, QPoint(120, 100));
        QVERIFY(shoot(&cropper, Shots[1]));
        mouse(&cropper, QEvent::MouseButtonRelease, QPoint(120, 100));
        QCOMPARE(cropper.result().toImage().convertToFormat(QImage::Format_RGB32),
                 testPattern(300, 200).copy(20, 20, 100, 60));

        QTest::qWait(300); // the cropper's window leaves the screen
        VUVararer::ScreenMeasurer ruler;
        ruler.grabScreen();
        ruler.setGeometry(QGuiApplication::primaryScreen()->geometry());
        ruler.showFullScreen();
        QVERIFY(QTest::qWaitForWindowExposed(&ruler));
        mouse(&ruler, QEvent::MouseButtonPress, QPoint(150, 120));
        mouse(&ruler, QEvent::MouseMove, QPoint(349, 219));
        mouse(&ruler, QEvent::MouseButtonRelease, QPoint(349, 219));
        QCOMPARE(ruler.measureText(), QString("200x100"));
        QVERIFY(shoot(&ruler, Shots[2]));
        mouse(&ruler, QEvent::MouseButtonPress, QPoint(200, 150));
        mouse(&ruler, QEvent::MouseMove, QPoint(211, 155));
        QCOMPARE(ruler.measureText(), QString("12x6"));
        QVERIFY(shoot(&ruler, Shots[3]));
        ruler.slotClose();
    }

    void scaledViews()
    {
        VUVararer::HybridWidget host;
        host.setWidget(twoColourContent("1280 x 800"));
        host.resize(400, 300);
        host.slotSetVirtualResolutionMode(true);
        VUVararer::VirtualResolutionWidget* pScaling = host.scalingWidget();
        pScaling->resize(640, 400);
        QVERIFY(QTest::qWaitForWindowExposed(pScaling));
        QCOMPARE(pScaling->widget()->size(), QSize(1280, 800));
        QVERIFY(shoot(pScaling, Shots[5]));
        const QImage scaled = pScaling->grab().toImage();
        QVERIFY(isRed(scaled.pixelColor(40, 40)) && isBlue(scaled.pixelColor(600, 360)));

        VUVararer::MobileSimulator* pFrame = new VUVararer::MobileSimulator;
        pFrame->setStyleSheet("QFrame#MobileSimulator { background: rgb(20, 20, 20); }");
        pFrame->setMainWidget(twoColourContent("phone"));
        VUVararer::VirtualResolutionWidget device;
        device.setWidget(pFrame);
        device.slotSetSize(QSize(360, 640));
        device.resize(180, 320);
        device.show();
        QVERIFY(QTest::qWaitForWindowExposed(&device));
        QCOMPARE(pFrame->size(), QSize(360, 640));
        QVERIFY(shoot(&device, Shots[6]));
        // The frame's margin is dark, the phone's screen red and blue, each scaled by a half.
        const QImage phone = device.grab().toImage();
        QVERIFY(isRed(phone.pixelColor(20, 40)) && isBlue(phone.pixelColor(160, 40)));
        QVERIFY(!isRed(phone.pixelColor(1, 40)) && !isBlue(phone.pixelColor(178, 40)));

        host.slotShowSettingsDialog();
        QVERIFY(QTest::qWaitForWindowExposed(host.settingsDialog()));
        QVERIFY(shoot(host.settingsDialog(), Shots[7]));
        host.settingsDialog()->close();
    }

    void viewerAndTitle()
    {
        VUVararer::ImageViewer viewer;
        viewer.resize(640, 480);
        viewer.slotLoad(testPattern(900, 500));
        viewer.show();
        QVERIFY(QTest::qWaitForWindowExposed(&viewer));
        QVERIFY(shoot(&viewer, Shots[8]));
        viewer.findChild<QSlider*>("ImageViewSlider")->setValue(40);
        QVERIFY(shoot(&viewer, Shots[9]));

        QTemporaryDir dir;
        QImage frame(60, 30, QImage::Format_RGB32);
        frame.fill(Qt::green);
        QVERIFY(frame.save(dir.filePath("frame.png")));
        QFrame window;
        window.setWindowFlags(Qt::FramelessWindowHint);
        QVBoxLayout* pLayout = new QVBoxLayout(&window);
        VUVararer::WindowTitle* pTitle = new VUVararer::WindowTitle;
        VUVararer::MovieLabel* pMovie = new VUVararer::MovieLabel(dir.filePath("frame.png"));
        pMovie->setFixedSize(110, 55);
        pLayout->addWidget(pTitle);
        pLayout->addWidget(pMovie, 0, Qt::AlignCenter);
        window.resize(420, 160);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QVERIFY(shoot(&window, Shots[10]));
    }

    void lockLast()
    {
        VUVararer::ScreenLocker* pLocker = new VUVararer::ScreenLocker;
        // Whatever happens below, the input devices come free and the locker goes.
        QTimer::singleShot(8000, pLocker, SLOT(slotReleaseInputDevices()));
        QTimer::singleShot(8000, pLocker, SLOT(deleteLater()));
        pLocker->setText("<H1><CENTER>Locked</CENTER></H1>");
        QTRY_VERIFY(pLocker->isVisible());
        QTRY_COMPARE(pLocker->geometry(), QGuiApplication::primaryScreen()->geometry());
        pLocker->showUnlockButton();
        QTest::qWait(200);
        const QPixmap screen = QGuiApplication::primaryScreen()->grabWindow(0);
        QVERIFY(screen.save(artefacts() + Shots[4] + ".png"));
        // A real click of the X server's pointer reaches the button through the locker's grabs.
        QSignalSpy unlocked(pLocker, SIGNAL(unlocked()));
        const QPoint centre = pLocker->unlockButton()->mapToGlobal(pLocker->unlockButton()->rect().center());
        const TestKit::ToolResult click = TestKit::runTool(
            "xdotool", {"mousemove", QString::number(centre.x()), QString::number(centre.y()), "click", "1"}, 10000);
        QVERIFY2(click.exitCode == 0, click.err.constData());
        QTRY_COMPARE(unlocked.count(), 1);
        QVERIFY(!QWidget::keyboardGrabber() && !QWidget::mouseGrabber());
        delete pLocker;
    }
};

TRELVANIC_TEST_MAIN_APP(VUVararer::App, WidgetSetScreenTest)
#include "tst_widgetset_screen.moc"
