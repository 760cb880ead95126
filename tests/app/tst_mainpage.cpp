#include "TestMain.h"

#include <gui/MainPage.h>

#include <VUVararer/App.h>
#include <VUVararer/Widgets/DropWidget.h>
#include <VUVararer/Widgets/PromoMenuBar.h>
#include <ZADovuzIdida/PlayListModel.h>

#include <QComboBox>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QLabel>
#include <QListView>
#include <QMimeData>
#include <QPushButton>
#include <QStackedWidget>
#include <QVBoxLayout>
#include <QtTest>

namespace {

VUVararer::App* app() { return VUVararer::App::theApp(); }

QString musicFolder() { return QDir::homePath() + "/Music/Trelvanic/"; }

} // namespace

class TestMainPage : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        for (const char* key : {"DestinationPath", "Width", "Height"})
            app()->settings()->remove(QCoreApplication::applicationName() + "/" + key);
    }

    void testStructure()
    {
        MainPage page;
        QCOMPARE(page.objectName(), QString("MainPage"));
        QCOMPARE(page.minimumWidth(), 420);
        for (const char* name : {"RunBatchButton", "ExportSettingsButton", "BrowseButton"}) {
            auto* button = page.findChild<QPushButton*>(name);
            QVERIFY2(button, name);
            QVERIFY(button->isFlat());
        }
        QCOMPARE(page.findChild<QPushButton*>("RunBatchButton")->text(), QString("Convert"));
        QVERIFY(page.findChild<QPushButton*>("ExportSettingsButton")->text().isEmpty());
        QCOMPARE(page.findChild<QPushButton*>("BrowseButton")->toolTip(),
                 QString("Opens the destination folder in finder"));
        QCOMPARE(page.findChild<QLabel*>("SimpleLabel")->text(), QString("Destination:"));

        auto* area = page.findChild<VUVararer::DropWidget*>("DropArea");
        QVERIFY(area);
        QCOMPARE(area->height(), 140);
        QCOMPARE(area->text(),
                 QString("<H2><center>Drop the audio/video files<br>and folders here<br><bold>+</bold></center></H2>"));
        QCOMPARE(area->findChild<QPushButton*>("PushButton")->text(),
                 QString("Click to open the folder with audio/video files"));

        auto* modes = page.findChild<QStackedWidget*>("m_pstkModes");
        QVERIFY(modes);
        QCOMPARE(modes->minimumHeight(), 140);
        QCOMPARE(modes->maximumHeight(), 140);
        QCOMPARE(modes->currentWidget(), static_cast<QWidget*>(area));

        // Top to bottom: menu bar, mode stack, track list (with the count at its foot), destination, buttons.
        auto* layout = qobject_cast<QVBoxLayout*>(page.layout());
        QCOMPARE(layout->count(), 5);
        QCOMPARE(layout->itemAt(0)->widget(), static_cast<QWidget*>(page.promoMenuBar()));
        QCOMPARE(page.promoMenuBar()->objectName(), QString("MenuBar"));
        QCOMPARE(layout->itemAt(1)->layout()->itemAt(0)->widget(), static_cast<QWidget*>(modes));
        auto* list = qobject_cast<QListView*>(layout->itemAt(2)->widget());
        QVERIFY(list);
        QCOMPARE(page.findChild<QLabel*>("InfoLabel")->parentWidget(), static_cast<QWidget*>(list));
        QVERIFY(layout->itemAt(3)->widget()->isAncestorOf(page.findChild<QComboBox*>()));
        QVERIFY(layout->itemAt(4)->widget()->isAncestorOf(page.findChild<QPushButton*>("RunBatchButton")));
    }

    void testFileCount_data()
    {
        QTest::addColumn<int>("files");
        QTest::addColumn<QString>("text");
        QTest::newRow("none") << 0 << "<H2><CENTER>0 media files</CENTER></H2>";
        QTest::newRow("one") << 1 << "<H2><CENTER>1 media file</CENTER></H2>";
        QTest::newRow("two") << 2 << "<H2><CENTER>2 media files</CENTER></H2>";
    }

    void testFileCount()
    {
        QFETCH(int, files);
        QFETCH(QString, text);
        MainPage page;
        auto* model = page.findChild<ZADovuzIdida::PlayListModel*>();
        auto* label = page.findChild<QLabel*>("InfoLabel");
        auto* convert = page.findChild<QPushButton*>("RunBatchButton");
        model->setPlayList({"/tmp/a.mp3", "/tmp/b.wav", "/tmp/c.m4a"});
        QCOMPARE(label->text(), QString("<H2><CENTER>3 media files</CENTER></H2>"));
        QStringList paths;
        for (int i = 0; i < files; ++i)
            paths << QString("/tmp/file%1.mp3").arg(i);
        model->setPlayList(paths);
        QCOMPARE(label->text(), text);
        QCOMPARE(convert->isEnabled(), files != 0);
        if (files > 0) {
            // Removing a row updates the count too.
            model->removeRows(0, 1);
            QCOMPARE(convert->isEnabled(), files > 1);
            QVERIFY(label->text().startsWith(QString("<H2><CENTER>%1 media file").arg(files - 1)));
        }
    }

    void testDestination()
    {
        QDir(musicFolder()).removeRecursively();
        MainPage page;
        auto* box = page.findChild<QComboBox*>();
        // The default is the application's music folder, made on the way.
        QCOMPARE(page.destinationPath(), musicFolder());
        QVERIFY(QDir(musicFolder()).exists());
        QCOMPARE(box->count(), 3);
        QCOMPARE(box->itemText(0), musicFolder());
        QCOMPARE(box->itemText(1), QString("Change destination folder..."));
        QCOMPARE(box->itemText(2), QString("Reset"));
        for (int i = 0; i < 3; ++i)
            QCOMPARE(box->itemData(i).toInt(), i);

        page.setDestinationPath("/tmp/x");
        QCOMPARE(app()->settingsValue("DestinationPath").toString(), QString("/tmp/x/"));
        QCOMPARE(page.destinationPath(), QString("/tmp/x/"));
        page.setDestinationPath("/tmp/y/");
        QCOMPARE(page.destinationPath(), QString("/tmp/y/"));
        QCOMPARE(box->itemText(0), musicFolder());

        box->setCurrentIndex(0);
        page.slotDestinationActivated(0);
        QCOMPARE(box->itemText(0), QString("/tmp/y/"));

        QDir(musicFolder()).removeRecursively();
        box->setCurrentIndex(2);
        page.slotDestinationActivated(2);
        QCOMPARE(app()->settingsValue("DestinationPath").toString(), musicFolder());
        QVERIFY(QDir(musicFolder()).exists());
        QCOMPARE(box->currentIndex(), 0);
        QCOMPARE(box->itemText(0), musicFolder());
    }

    void testDisplayPath_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("shown");
        QTest::newRow("linux") << "/home/ann/Music/Trelvanic/"
                               << "/home/ann/Music/Trelvanic/";
        QTest::newRow("data folder kept") << "/home/ann/Data/Out/"
                                          << "/home/ann/Data/Out/";
        QTest::newRow("library kept") << "/Users/ann/Library/Audio/"
                                      << "/Users/ann/Library/Audio/";
        QTest::newRow("container") << "/Users/ann/Library/Containers/com.zembrel.x/Data/Music/"
                                   << "/Users/ann/Music/";
        QTest::newRow("other maker") << "/Users/ann/Library/Containers/org.other.x/Data/Music/"
                                     << "/Users/ann/Library/Containers/org.other.x/Data/Music/";
        QTest::newRow("slash added") << "/tmp/out"
                                     << "/tmp/out/";
    }

    void testDisplayPath()
    {
        QFETCH(QString, path);
        QFETCH(QString, shown);
        QCOMPARE(MainPage::sandboxToRealDir(path), shown);
    }

    void testWindowSize()
    {
        {
            MainPage page;
            // 370 by default, held at the minimum width.
            QCOMPARE(page.size(), QSize(420, 600));
            page.resize(510, 650);
        }
        QCOMPARE(app()->settingsValue("Width").toInt(), 510);
        QCOMPARE(app()->settingsValue("Height").toInt(), 650);
        {
            MainPage page;
            QCOMPARE(page.size(), QSize(510, 650));
            page.showFullScreen();
            QVERIFY(page.isFullScreen());
            QTRY_VERIFY(page.size() != QSize(510, 650));
        }
        QCOMPARE(app()->settingsValue("Width").toInt(), 510);
        QCOMPARE(app()->settingsValue("Height").toInt(), 650);
    }

    void testDrop()
    {
        MainPage page;
        auto* area = page.findChild<VUVararer::DropWidget*>("DropArea");
        const QList<QUrl> urls = {QUrl::fromLocalFile("/tmp/in/a.mp3"), QUrl::fromLocalFile("/tmp/in")};
        QMimeData data;
        data.setUrls(urls);
        QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(area, &enter);
        QVERIFY(enter.isAccepted());
        QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(area, &drop);
        QCOMPARE(page.droppedUrls(), urls);
        // The drop area stays for further drops.
        QVERIFY(!area->isHidden());

        page.slotFilesDropped({});
        QCOMPARE(page.droppedUrls(), urls);
    }
};

TRELVANIC_TEST_MAIN_APP(VUVararer::App, TestMainPage)
#include "tst_mainpage.moc"
