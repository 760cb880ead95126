#include "SelfRun.h"
#include "TestMain.h"

#include <VUVararer/App.h>
#include <VUVararer/Os.h>
#include <VUVararer/Widgets/ScreenCropper.h>

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QMouseEvent>
#include <QSignalSpy>
#include <QtTest>

namespace {

// Every pixel differs from its neighbours, so a crop at the wrong place cannot match.
QImage testPattern(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, qRgb(x % 256, y % 256, (x * 7 + y * 3) % 256));
    return image;
}

void mouse(QWidget* widget, QEvent::Type type, const QPoint& pos, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    const Qt::MouseButtons buttons = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton;
    QMouseEvent event(type, pos, widget->mapToGlobal(pos), type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton,
                      buttons, modifiers);
    QCoreApplication::sendEvent(widget, &event);
}

void drag(QWidget* widget, const QPoint& from, const QPoint& to, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    mouse(widget, QEvent::MouseButtonPress, from);
    if (from != to)
        mouse(widget, QEvent::MouseMove, to);
    mouse(widget, QEvent::MouseButtonRelease, to, modifiers);
}

template <class Base> class Injected : public Base
{
public:
    QPixmap m_pixPicture = QPixmap::fromImage(testPattern(400, 300));

protected:
    QPixmap takeScreenPicture() const override { return m_pixPicture; }
};

} // namespace

class ScreenCropperTest : public QObject
{
    Q_OBJECT

private slots:
    void testCrop_data()
    {
        QTest::addColumn<QPoint>("from");
        QTest::addColumn<QPoint>("to");
        QTest::addColumn<QRect>("expected");
        QTest::newRow("forward") << QPoint(10, 20) << QPoint(110, 70) << QRect(10, 20, 100, 50);
        QTest::newRow("backward") << QPoint(110, 70) << QPoint(10, 20) << QRect(10, 20, 100, 50);
        QTest::newRow("click") << QPoint(30, 30) << QPoint(30, 30) << QRect();
    }

    void testCrop()
    {
        QFETCH(QPoint, from);
        QFETCH(QPoint, to);
        QFETCH(QRect, expected);
        Injected<VUVararer::ScreenCropper> cropper;
        cropper.setShowMode(VUVararer::ScreenCropper::ShowNormal);
        cropper.resize(400, 300);
        cropper.grabScreen();
        QVERIFY(cropper.isVisible());
        QSignalSpy donePicture(&cropper, SIGNAL(done(QPixmap)));
        QSignalSpy done(&cropper, SIGNAL(done()));
        QSignalSpy closed(&cropper, SIGNAL(closed()));
        drag(&cropper, from, to, Qt::AltModifier);
        QCOMPARE(donePicture.count(), 1);
        QCOMPARE(done.count(), 1);
        QCOMPARE(closed.count(), 1);
        QVERIFY(!cropper.isVisible());
        QVERIFY(cropper.openLocationAfterSave());
        if (expected.isNull())
            QVERIFY(cropper.result().isNull());
        else
            QCOMPARE(cropper.result().toImage(), testPattern(400, 300).copy(expected));
        QCOMPARE(donePicture.first().first().value<QPixmap>().toImage(), cropper.result().toImage());
    }

    void testEscapeCloses()
    {
        Injected<VUVararer::ScreenCropper> cropper;
        cropper.setShowMode(VUVararer::ScreenCropper::ShowNormal);
        cropper.grabScreen();
        QVERIFY(QTest::qWaitForWindowActive(&cropper));
        QSignalSpy escaped(&cropper, SIGNAL(escaped()));
        QTest::keyClick(&cropper, Qt::Key_Escape);
        QCOMPARE(escaped.count(), 1);
        QVERIFY(!cropper.isVisible());
        QVERIFY(!QGuiApplication::overrideCursor());
    }

    void testSavesNeverOverwrite()
    {
        Injected<VUVararer::ScreenCropper> cropper;
        cropper.setShowMode(VUVararer::ScreenCropper::ShowNormal);
        cropper.retranslateUi();
        const QString expected = VUVararer::App::isAppStore() ? VUVararer::App::theApp()->picturesDirectory(false)
                                                              : QDir::homePath() + "/Desktop/";
        QCOMPARE(cropper.saveFolder() + "/", expected);
        cropper.grabScreen();
        drag(&cropper, QPoint(5, 5), QPoint(45, 25));
        // Files of this and the next second are there already.
        QDir().mkpath(cropper.saveFolder());
        const QDateTime now = QDateTime::currentDateTime();
        QStringList lstTaken;
        for (int s = 0; s < 2; ++s) {
            lstTaken << cropper.saveFolder() + "/ScreenShot_" + now.addSecs(s).toString("yyyy-MM-dd_hh-mm-ss") + ".png";
            QFile file(lstTaken.last());
            QVERIFY(file.open(QIODevice::WriteOnly) && file.write("taken") == 5);
        }
        QSignalSpy saved(&cropper, SIGNAL(saved()));
        const QString first = cropper.slotSave(), second = cropper.slotSave();
        QCOMPARE(saved.count(), 2);
        QVERIFY(!first.isEmpty() && !second.isEmpty() && first != second);
        QVERIFY2(first.endsWith(" 2.png"), qPrintable(first));
        for (const QString& path : lstTaken) {
            QFile file(path);
            QVERIFY(file.open(QIODevice::ReadOnly) && file.readAll() == "taken");
        }
        for (const QString& path : {first, second})
            QCOMPARE(QImage(path).convertToFormat(QImage::Format_RGB32), testPattern(400, 300).copy(5, 5, 40, 20));
        QCOMPARE(QDir(cropper.saveFolder()).entryList({"*.png"}).size(), 4);
    }

    void testRuler_data()
    {
        QTest::addColumn<QPoint>("from");
        QTest::addColumn<QPoint>("to");
        QTest::addColumn<QString>("label");
        QTest::newRow("forward") << QPoint(10, 10) << QPoint(109, 59) << "100x50";
        QTest::newRow("backward") << QPoint(109, 59) << QPoint(10, 10) << "100x50";
        QTest::newRow("one pixel") << QPoint(20, 20) << QPoint(20, 20) << "1x1";
    }

    void testRuler()
    {
        QFETCH(QPoint, from);
        QFETCH(QPoint, to);
        QFETCH(QString, label);
        Injected<VUVararer::ScreenMeasurer> ruler;
        QSignalSpy done(&ruler, SIGNAL(done()));
        ruler.grabScreen();
        QCOMPARE(done.count(), 1);
        QVERIFY(!ruler.isVisible());
        ruler.resize(400, 300);
        drag(&ruler, from, to);
        QCOMPARE(ruler.measureText(), label);
        // A move after the release does not change the rectangle.
        mouse(&ruler, QEvent::MouseMove, QPoint(300, 200));
        QCOMPARE(ruler.measureText(), label);
        QSignalSpy quit(&ruler, SIGNAL(doQuit()));
        ruler.slotClose();
        QCOMPARE(quit.count(), 1);
    }

    // At scale factor 2 the crop is taken in device pixels and the ruler shows widget pixels.
    void testScaleFactorTwo()
    {
        if (qgetenv("QT_SCALE_FACTOR") != "2") {
            const TestKit::ToolResult child = TestKit::runSelf({"testScaleFactorTwo"}, {"QT_SCALE_FACTOR=2"});
            QVERIFY2(child.exitCode == 0, (child.out + child.err).constData());
            QVERIFY(child.out.contains("PASS   : ScreenCropperTest::testScaleFactorTwo()"));
            return;
        }
        QCOMPARE(Os::scaleFactor(), 2.0);
        Injected<VUVararer::ScreenCropper> cropper;
        cropper.setShowMode(VUVararer::ScreenCropper::ShowNormal);
        cropper.grabScreen();
        drag(&cropper, QPoint(60, 45), QPoint(10, 20));
        QCOMPARE(cropper.result().toImage(), testPattern(400, 300).copy(20, 40, 100, 50));
        Injected<VUVararer::ScreenMeasurer> ruler;
        ruler.grabScreen();
        drag(&ruler, QPoint(10, 10), QPoint(109, 59));
        QCOMPARE(ruler.measureText(), QString("50x25"));
    }
};

TRELVANIC_TEST_MAIN_APP(VUVararer::App, ScreenCropperTest)
#include "tst_screencropper.moc"
