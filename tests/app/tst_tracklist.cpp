#include "TestMain.h"
#include "Tools.h"

#include <gui/AddButtonAction.h>
#include <gui/ListView.h>
#include <gui/MainPage.h>
#include <gui/TracksListDelegate.h>

#include <VUVararer/App.h>
#include <VUVararer/Widgets/DropWidget.h>
#include <ZADovuzIdida/AudioPlayer.h>
#include <ZADovuzIdida/PlayListModel.h>

#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QTextDocument>
#include <QSlider>
#include <QStackedWidget>
#include <QTemporaryDir>
#include <QtTest>

namespace {

QStyleOptionViewItem rowOption(int top, int width = 400)
{
    QStyleOptionViewItem option;
    option.rect = QRect(0, top, width, TracksListDelegate::RowHeight);
    return option;
}

QMouseEvent press(QEvent::Type type, const QPoint& point)
{
    return QMouseEvent(type, point, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
}

// Runs action on the popup menu once it is open.
void onPopup(const std::function<void(QMenu*)>& action)
{
    auto* timer = new QTimer;
    QObject::connect(timer, &QTimer::timeout, [timer, action]() {
        if (auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget())) {
            timer->stop();
            timer->deleteLater();
            action(menu);
        }
    });
    timer->start(10);
}

int greenExcess(const QImage& image, const QRect& area)
{
    int excess = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x) {
            const QColor c = image.pixelColor(x, y);
            excess += c.green() - (c.red() + c.blue()) / 2;
        }
    return excess / (area.width() * area.height());
}

} // namespace

class TestTrackList : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString m_strTone;

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        m_strTone = m_dir.filePath("tone.wav");
        QString error;
        QVERIFY2(TestKit::makeTone(m_strTone, 2, 44100, 2, {"-c:a", "pcm_s16le"}, &error), qPrintable(error));
    }

    void testGeometry_data()
    {
        QTest::addColumn<int>("top");
        QTest::addColumn<int>("width");
        QTest::newRow("first row") << 0 << 400;
        QTest::newRow("third row, wide") << 110 << 640;
    }

    void testGeometry()
    {
        QFETCH(int, top);
        QFETCH(int, width);
        TracksListDelegate delegate;
        const QStyleOptionViewItem option = rowOption(top, width);
        QCOMPARE(delegate.sizeHint(option, QModelIndex()), QSize(width, 55));
        QCOMPARE(delegate.displayArea(option), QRect(13, top + 13, width - 23, 33));
        QCOMPARE(delegate.noteArea(option), QRect(13, top + 13, 33, 33));
        QCOMPARE(delegate.buttonArea(option), QRect(width - 43, top + 13, 33, 33));
        QCOMPARE(delegate.nameArea(option), QRect(QPoint(57, top + 13), QPoint(width - 47, top + 44)));

        // The fallback picture stands in for a null one; scaling keeps the aspect ratio.
        const QPixmap fallback = TracksListDelegate::createAvatar(QPixmap(), QSize(66, 66));
        QCOMPARE(fallback.size(), QSize(66, 66));
        QPixmap wide(100, 50);
        wide.fill(Qt::red);
        QCOMPARE(TracksListDelegate::createAvatar(wide, QSize(66, 66)).size(), QSize(66, 33));
    }

    void testPresses_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<QPoint>("point");
        QTest::addColumn<int>("plays");
        QTest::addColumn<int>("popups");
        const int top = 55;
        QTest::newRow("press on the note") << int(QEvent::MouseButtonPress) << QPoint(20, top + 20) << 1 << 0;
        QTest::newRow("press on the popup button") << int(QEvent::MouseButtonPress) << QPoint(380, top + 30) << 0 << 1;
        QTest::newRow("press on the name") << int(QEvent::MouseButtonPress) << QPoint(150, top + 20) << 0 << 0;
        QTest::newRow("release on the note") << int(QEvent::MouseButtonRelease) << QPoint(20, top + 20) << 0 << 0;
        QTest::newRow("release on the button") << int(QEvent::MouseButtonRelease) << QPoint(380, top + 30) << 0 << 0;
        QTest::newRow("press below the note") << int(QEvent::MouseButtonPress) << QPoint(20, top + 50) << 0 << 0;
    }

    void testPresses()
    {
        QFETCH(int, type);
        QFETCH(QPoint, point);
        QFETCH(int, plays);
        QFETCH(int, popups);
        ZADovuzIdida::PlayListModel model;
        model.setPlayList({"/tmp/a.wav", "/tmp/b.wav"});
        TracksListDelegate delegate;
        auto* button = new AddButtonAction(nullptr);
        delegate.addAction(button);
        QCOMPARE(button->parent(), &delegate);
        QSignalSpy played(&delegate, SIGNAL(play(QModelIndex)));
        QSignalSpy triggered(button, SIGNAL(triggered(QModelIndex, QPoint)));
        const QModelIndex index = model.index(1);
        QMouseEvent event = press(QEvent::Type(type), point);
        delegate.editorEvent(&event, &model, rowOption(55), index);
        QCOMPARE(played.count(), plays);
        QCOMPARE(triggered.count(), popups);
        if (plays)
            QCOMPARE(played.first().first().value<QModelIndex>(), index);
        if (popups) {
            QCOMPARE(triggered.first().at(0).value<QModelIndex>(), index);
            QCOMPARE(triggered.first().at(1).toPoint(), QPoint(357, 68));
        }
    }

    void testTodayBand()
    {
        const QString today = m_dir.filePath("today.wav");
        const QString old = m_dir.filePath("old.wav");
        QVERIFY(QFile::copy(m_strTone, today));
        QVERIFY(QFile::copy(m_strTone, old));
        QFile oldFile(old);
        QVERIFY(oldFile.open(QIODevice::ReadWrite));
        QVERIFY(oldFile.setFileTime(QDateTime(QDate(2019, 3, 4), QTime(5, 6, 7)), QFileDevice::FileModificationTime));
        oldFile.close();

        ZADovuzIdida::PlayListModel model;
        model.setPlayList({today, old});
        ListView list;
        TracksListDelegate delegate;
        list.setModel(&model);
        list.setItemDelegate(&delegate);
        list.resize(400, 200);
        list.show();
        QVERIFY(QTest::qWaitForWindowExposed(&list));
        const QImage shot = list.viewport()->grab().toImage();
        const QRect todayRow = list.visualRect(model.index(0));
        const QRect oldRow = list.visualRect(model.index(1));
        QCOMPARE(todayRow.height(), 55);
        QCOMPARE(oldRow.top(), 55);
        // The band covers the top third of the note square; the square's lower part is the same in both rows.
        const QRect band(14, 14, 31, 9);
        QVERIFY2(greenExcess(shot, band) > 25, qPrintable(QString::number(greenExcess(shot, band))));
        QVERIFY2(greenExcess(shot, band.translated(0, 55)) < 15,
                 qPrintable(QString::number(greenExcess(shot, band.translated(0, 55)))));
        const QRect lower(14, 36, 31, 8);
        QCOMPARE(shot.copy(lower), shot.copy(lower.translated(0, 55)));
        // The row backgrounds follow the dark vertical gradient: lighter in the middle than at the edges.
        QVERIFY(qGray(shot.pixel(200, 27)) > qGray(shot.pixel(200, 1)));
    }

    void testDrops()
    {
        ListView list;
        QSignalSpy dropped(&list, SIGNAL(dropped(QList<QUrl>)));
        QMimeData text;
        text.setText("plain words");
        QDragEnterEvent refused(QPoint(5, 5), Qt::CopyAction, &text, Qt::LeftButton, Qt::NoModifier);
        refused.setAccepted(true);
        QApplication::sendEvent(list.viewport(), &refused);
        QVERIFY(!refused.isAccepted());

        const QString folder = m_dir.filePath("drop");
        QVERIFY(QDir().mkpath(folder));
        QVERIFY(QFile::copy(m_strTone, folder + "/dropped.wav"));
        const QList<QUrl> urls = {QUrl::fromLocalFile(folder)};
        QMimeData files;
        files.setUrls(urls);
        QDragEnterEvent accepted(QPoint(5, 5), Qt::CopyAction, &files, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(list.viewport(), &accepted);
        QVERIFY(accepted.isAccepted());
        QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &files, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(list.viewport(), &drop);
        QCOMPARE(dropped.count(), 1);
        QCOMPARE(dropped.first().first().value<QList<QUrl>>(), urls);

        // On the page the list's drop runs the intake like a drop on the drop area.
        MainPage page;
        page.show();
        auto* pageList = page.findChild<ListView*>();
        QVERIFY(pageList);
        QVERIFY(pageList->testAttribute(Qt::WA_MouseTracking));
        QCOMPARE(pageList->editTriggers(), QAbstractItemView::NoEditTriggers);
        QCOMPARE(pageList->verticalScrollMode(), QAbstractItemView::ScrollPerPixel);
        QCOMPARE(pageList->itemDelegate()->parent(), pageList);
        emit pageList->dropped(urls);
        QCOMPARE(page.droppedUrls(), urls);
        QCOMPARE(page.findChild<ZADovuzIdida::PlayListModel*>()->playList(), QStringList{folder + "/dropped.wav"});
    }

    void testPopupRemove()
    {
        MainPage page;
        page.show();
        QVERIFY(QTest::qWaitForWindowExposed(&page));
        auto* model = page.findChild<ZADovuzIdida::PlayListModel*>();
        auto* list = page.findChild<ListView*>();
        model->setPlayList({m_strTone});
        auto* convert = page.findChild<QPushButton*>("RunBatchButton");
        QVERIFY(convert->isEnabled());

        // A press on the row's popup button opens the menu; "Remove from list" takes the row out.
        QStringList texts;
        QPoint menuPos;
        onPopup([&](QMenu* menu) {
            for (QAction* action : menu->actions())
                texts << action->text();
            menuPos = menu->pos();
            menu->setActiveAction(menu->actions().at(1));
            QTest::keyClick(menu, Qt::Key_Return);
        });
        const QRect row = list->visualRect(model->index(0));
        QTest::mousePress(list->viewport(), Qt::LeftButton, {}, QPoint(row.width() - 20, row.top() + 30));
        QCOMPARE(texts, QStringList({"Play", "Remove from list"}));
        QCOMPARE(menuPos, list->mapToGlobal(QPoint(-20, 28) + QPoint(row.width() - 43, row.top() + 13)));
        QCOMPARE(model->rowCount(), 0);
        QCOMPARE(page.findChild<QLabel*>("InfoLabel")->text(), QString("<H2><CENTER>0 media files</CENTER></H2>"));
        QVERIFY(!convert->isEnabled());

        // With the row gone the remembered one is invalid: Play and Remove do nothing.
        page.slotRemove();
        page.slotPlay();
        QCOMPARE(page.findChild<QStackedWidget*>("m_pstkModes")->currentIndex(), 0);
    }

    void testTimeLine_data()
    {
        QTest::addColumn<int>("value");
        QTest::addColumn<qint64>("duration");
        QTest::addColumn<qint64>("seek");
        QTest::newRow("start") << 0 << qint64(2000) << qint64(20);
        QTest::newRow("end") << 99 << qint64(2000) << qint64(2000);
        QTest::newRow("middle") << 49 << qint64(3000) << qint64(1500);
        QTest::newRow("ten hours") << 99 << qint64(36000000) << qint64(36000000);
    }

    void testTimeLine()
    {
        QFETCH(int, value);
        QFETCH(qint64, duration);
        QFETCH(qint64, seek);
        QCOMPARE(MainPage::seekPosition(value, duration), seek);
        // Positions map back onto the slider's 0 to 99 without overflowing 32 bits.
        QCOMPARE(MainPage::timeLineValue(seek, duration, 99), value);
        QCOMPARE(MainPage::timeLineValue(qint64(3000000000), qint64(6000000000), 99), 49);
        QCOMPARE(MainPage::timeLineValue(0, 0, 99), 0);
    }

    void testPreview()
    {
        MainPage page;
        page.show();
        QVERIFY(QTest::qWaitForWindowExposed(&page));
        auto* model = page.findChild<ZADovuzIdida::PlayListModel*>();
        auto* list = page.findChild<ListView*>();
        auto* modes = page.findChild<QStackedWidget*>("m_pstkModes");
        auto* playPage = page.findChild<QWidget*>("m_pwgtPlayPage");
        auto* playPause = page.findChild<QPushButton*>("m_pcmdPlayAndPause");
        auto* timeLine = page.findChild<QSlider*>("m_psldTimeLine");
        QVERIFY(playPage && playPause && timeLine && page.findChild<QPushButton*>("m_pcmdStop"));
        QVERIFY(playPause->isCheckable());
        QCOMPARE(modes->indexOf(playPage), 1);
        QCOMPARE(timeLine->maximum(), 99);
        model->setPlayList({m_strTone});
        ZADovuzIdida::AudioPlayer* player = ZADovuzIdida::AudioPlayer::instance();
        QCOMPARE(player->volume(), 100.0);

        // A press on the note picture previews the row in the player strip.
        const QRect row = list->visualRect(model->index(0));
        QTest::mousePress(list->viewport(), Qt::LeftButton, {}, row.topLeft() + QPoint(25, 25));
        QCOMPARE(modes->currentWidget(), playPage);
        QCOMPARE(player->fileName(), m_strTone);
        QVERIFY(player->duration() > 1900);
        QTRY_VERIFY_WITH_TIMEOUT(player->position() > 200, 15000);
        page.slotUpdatePlayInfo();
        QVERIFY(page.findChild<QLabel*>("m_plblFileName")->text().contains(">tone.wav</H2>"));
        QVERIFY(page.findChild<QLabel*>("m_plblPlayed")->text().startsWith("00:00:0"));
        QVERIFY(timeLine->value() > 0);

        // Pause holds the position; play resumes.
        playPause->click();
        QVERIFY(playPause->isChecked());
        QTRY_VERIFY_WITH_TIMEOUT(player->isPaused(), 15000);
        const qint64 held = player->position();
        QTest::qWait(300);
        QVERIFY(std::llabs(player->position() - held) < 50);
        playPause->click();
        QVERIFY(!playPause->isChecked());
        QTRY_VERIFY_WITH_TIMEOUT(player->isPlaying(), 15000);

        // Moving the time line back to its start seeks to a hundredth of the duration.
        timeLine->setValue(0);
        QTRY_VERIFY_WITH_TIMEOUT(player->position() < 600, 15000);

        // The player's end brings the drop area back.
        QTRY_COMPARE_WITH_TIMEOUT(modes->currentIndex(), 0, 15000);

        // A file name is shown as it is, never as markup.
        const QString markup = QFileInfo(m_strTone).absolutePath() + "/<u>under & <b>bold.wav";
        QVERIFY(QFile::copy(m_strTone, markup));
        player->play(markup, false);
        QTRY_VERIFY_WITH_TIMEOUT(player->duration() > 1900, 15000);
        page.slotUpdatePlayInfo();
        QTextDocument shown;
        shown.setHtml(page.findChild<QLabel*>("m_plblFileName")->text());
        QCOMPARE(shown.toPlainText(), QString("<u>under & <b>bold.wav"));
        player->stop();
    }
};

TRELVANIC_TEST_MAIN_APP(VUVararer::App, TestTrackList)
#include "tst_tracklist.moc"
