#include "TestMain.h"
#include "Tools.h"
#include "UrlRecorder.h"

#include <VUVararer/App.h>
#include <VUVararer/Widgets/ImageViewer.h>

#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QSignalSpy>
#include <QSlider>
#include <QTemporaryDir>
#include <QtTest>

namespace {

QPixmap filled(int width, int height)
{
    QPixmap pixmap(width, height);
    pixmap.fill(Qt::darkCyan);
    return pixmap;
}

} // namespace

class ImageViewerTest : public QObject
{
    Q_OBJECT

private slots:
    void testZoomBar()
    {
        VUVararer::ImageViewer viewer;
        QSlider* pSlider = viewer.findChild<QSlider*>("ImageViewSlider");
        QPushButton* pActual = viewer.findChild<QPushButton*>("ActualPixelsButton");
        QPushButton* pFit = viewer.findChild<QPushButton*>("FitToScreenButton");
        QSignalSpy moved(pSlider, SIGNAL(valueChanged(int)));
        viewer.slotIncZoom();
        QCOMPARE(pSlider->value(), 100);
        pSlider->setValue(1);
        viewer.slotDecZoom();
        QCOMPARE(pSlider->value(), 1);
        QCOMPARE(moved.count(), 1);
        QVERIFY(!pActual->isChecked() && !pFit->isChecked());
        QCOMPARE(viewer.area()->info(), QString("<H1>1%</H1>"));

        // The names are crossed: "ZoomOutButton" raises the zoom, "ZoomInButton" lowers it.
        viewer.findChild<QPushButton*>("ZoomOutButton")->click();
        viewer.findChild<QPushButton*>("ZoomOutButton")->click();
        viewer.findChild<QPushButton*>("ZoomInButton")->click();
        QCOMPARE(pSlider->value(), 2);
        QCOMPARE(viewer.area()->zoomPercent(), 2);

        pActual->click();
        QCOMPARE(pSlider->value(), 100);
        QVERIFY(pActual->isChecked());
        pSlider->setValue(99);
        QVERIFY(!pActual->isChecked());
        pFit->click();
        QVERIFY(pFit->isChecked() && !pActual->isChecked() && viewer.area()->isFitToWindow());
    }

    void testLoadKeepsMode()
    {
        VUVararer::ImageArea area;
        area.resize(400, 300);
        area.load(filled(200, 100));
        QVERIFY(area.isFitToWindow());
        QCOMPARE(area.previewLabel()->pixmap(Qt::ReturnByValue).size(), QSize(400, 200));
        area.load(filled(100, 300));
        QCOMPARE(area.previewLabel()->pixmap(Qt::ReturnByValue).size(), QSize(100, 300));
        area.slotZoom(50);
        area.load(filled(200, 100));
        QVERIFY(!area.isFitToWindow());
        QCOMPARE(area.previewLabel()->pixmap(Qt::ReturnByValue).size(), QSize(100, 50));
        QCOMPARE(area.pixmap().size(), QSize(200, 100));
    }

    void testLabelSizes_data()
    {
        QTest::addColumn<QSize>("picture");
        QTest::addColumn<QSize>("label");
        QTest::addColumn<bool>("horizontalOff");
        QTest::addColumn<bool>("verticalOff");
        QTest::newRow("smaller") << QSize(100, 100) << QSize(400, 300) << true << true;
        QTest::newRow("tall") << QSize(100, 600) << QSize(400, 600) << true << false;
        QTest::newRow("wide") << QSize(800, 100) << QSize(800, 300) << false << true;
        QTest::newRow("larger") << QSize(800, 600) << QSize(800, 600) << false << false;
    }

    void testLabelSizes()
    {
        QFETCH(QSize, picture);
        QFETCH(QSize, label);
        QFETCH(bool, horizontalOff);
        QFETCH(bool, verticalOff);
        VUVararer::ImageArea area;
        area.resize(400, 300);
        area.slotZoom(100);
        area.load(filled(picture.width(), picture.height()));
        QCOMPARE(area.previewLabel()->size(), label);
        QCOMPARE(area.scrollArea()->horizontalScrollBarPolicy() == Qt::ScrollBarAlwaysOff, horizontalOff);
        QCOMPARE(area.scrollArea()->verticalScrollBarPolicy() == Qt::ScrollBarAlwaysOff, verticalOff);
    }

    void testSystemPreview()
    {
        TestKit::UrlRecorder recorder;
        QVERIFY(VUVararer::SystemPreview::open("https://x"));
        VUVararer::ImageViewer viewer;
        viewer.slotLoad(QImage(30, 20, QImage::Format_RGB32));
        QSignalSpy opened(&viewer, SIGNAL(systemPreviewOpened()));
        viewer.findChild<QPushButton*>("SysPreviewButton")->click();
        QCOMPARE(opened.count(), 1);
        const QString preview = VUVararer::App::theApp()->workDirectory(false) + "preview.png";
        QCOMPARE(recorder.urls(), QList<QUrl>({QUrl("https://x"), QUrl::fromLocalFile(preview)}));
        QCOMPARE(QImage(preview).size(), QSize(30, 20));
    }

    // Pictures made by ImageMagick, one broken and one that vanishes while browsing.
    void testBrowseFolder()
    {
        QTemporaryDir dir;
        const QList<QPair<QString, QString>> made{{"01.png", "120x80"}, {"03.jpg", "90x60"}, {"04.gif", "70x50"}};
        for (const auto& picture : made) {
            const TestKit::ToolResult result = TestKit::runTool(
                "convert", {"-size", picture.second, "gradient:red-blue", dir.filePath(picture.first)});
            QVERIFY2(result.exitCode == 0, result.err.constData());
        }
        QFile broken(dir.filePath("02 <b>bad.png"));
        QVERIFY(broken.open(QIODevice::WriteOnly) && broken.write("\x89PNG\r\n\x1a\nnot a picture") > 0);
        broken.close();

        // Without a folder the owner answers the buttons.
        VUVararer::ImageViewer viewer;
        viewer.area()->slotNextClicked();
        QVERIFY(viewer.area()->info().isEmpty());
        viewer.setFolder(dir.path());
        QCOMPARE(viewer.currentPath(), dir.filePath("01.png"));
        QCOMPARE(viewer.area()->pixmap().size(), QSize(120, 80));

        QSignalSpy next(&viewer, SIGNAL(next()));
        viewer.findChild<QPushButton*>("NextImageButton")->click();
        QCOMPARE(next.count(), 1);
        QCOMPARE(viewer.currentPath(), dir.filePath("03.jpg"));
        QCOMPARE(viewer.area()->pixmap().size(), QSize(90, 60));
        QVERIFY2(viewer.area()->info().contains("02 &lt;b&gt;bad.png"), qPrintable(viewer.area()->info()));
        QVERIFY(!viewer.area()->findChild<QLabel*>("ImageLoadingLabel")->isVisibleTo(&viewer));

        QVERIFY(QFile::remove(dir.filePath("04.gif")));
        viewer.area()->slotNextClicked();
        QCOMPARE(viewer.currentPath(), dir.filePath("01.png"));
        QVERIFY(viewer.area()->info().contains("04.gif"));
        viewer.area()->slotPreviousClicked();
        QCOMPARE(viewer.currentPath(), dir.filePath("03.jpg"));
        QCOMPARE(viewer.folderFiles().size(), 2);

        // Nothing readable left: the last picture stays and the viewer says so.
        QVERIFY(QFile::remove(dir.filePath("01.png")) && QFile::remove(dir.filePath("03.jpg")));
        viewer.area()->slotNextClicked();
        QVERIFY(viewer.currentPath().isEmpty());
        QCOMPARE(viewer.area()->pixmap().size(), QSize(90, 60));
        QVERIFY(!viewer.area()->info().isEmpty());
        QVERIFY(!viewer.slotLoad(dir.filePath("01.png")));
    }
};

TRELVANIC_TEST_MAIN_APP(VUVararer::App, ImageViewerTest)
#include "tst_imageviewer.moc"
