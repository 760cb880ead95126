#include "DialogProbe.h"
#include "TestMain.h"

#include <VUVararer/App.h>
#include <VUVararer/Common.h>
#include <VUVararer/MMessageBox.h>
#include <VUVararer/TopWidget.h>

#include <QLabel>
#include <QTemporaryDir>
#include <QVBoxLayout>
#include <QtTest>

// Runs itself again on a private Xvfb display, where windows and the screen can really be grabbed.
class TestWidgetsScreen : public QObject
{
    Q_OBJECT

private slots:
    void testScreenshots()
    {
        if (!TestKit::onScreen()) {
            QTemporaryDir shots;
            const QString failure = TestKit::runOnScreen("testScreenshots", QSize(640, 480), shots.path());
            QVERIFY2(failure.isEmpty(), qPrintable(failure));
            for (const char* name : {"topwidget.png", "messagebox.png"})
                QVERIFY2(TestKit::distinctColours(QImage(shots.path() + "/" + name)) > 2, name);
            return;
        }
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

        const QImage screen = VUVararer::Common::grabScreen().toImage();
        QCOMPARE(screen.size(), QSize(640, 480));
        const QPoint inside = content->mapToGlobal(content->rect().center());
        QCOMPARE(screen.pixelColor(inside), body);
        QVERIFY(screen.pixelColor(5, 5) != body);
        QVERIFY(window.grab().save(TestKit::shotFolder() + "/topwidget.png"));

        VUVararer::MMessageBox box(VUVararer::MMessageBox::Warning, "Title", "<h3>Some text</h3>", 0x400 | 0x400000);
        box.show();
        QVERIFY(QTest::qWaitForWindowExposed(&box));
        QTest::qWait(100);
        QVERIFY(box.grab().save(TestKit::shotFolder() + "/messagebox.png"));
    }
};

TRELVANIC_TEST_MAIN_APP(VUVararer::App, TestWidgetsScreen)
#include "tst_widgets_screen.moc"
