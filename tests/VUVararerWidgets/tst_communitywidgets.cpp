#include "Gallery.h"
#include "TestMain.h"
#include "UrlRecorder.h"

#include <VUVararer/App.h>
#include <VUVararer/Widgets/BubbleWindow.h>
#include <VUVararer/Widgets/ComboProgress.h>
#include <VUVararer/Widgets/CommunityButton.h>

#include <QLabel>
#include <QMenu>
#include <QPointer>
#include <QProgressBar>
#include <QPropertyAnimation>
#include <QVBoxLayout>
#include <QtTest>

Q_DECLARE_METATYPE(QList<int>)

namespace {

// A step that presses the stop button.
const int kStop = -1000;

} // namespace

class CommunityWidgetsTest : public QObject
{
    Q_OBJECT

private slots:
    void testComboProgress_data()
    {
        // Steps: values for slotSetProgress or kStop; then label shown, stopped and the bar's value.
        QTest::addColumn<QList<int>>("steps");
        QTest::addColumn<bool>("labelShown");
        QTest::addColumn<bool>("stopped");
        QTest::addColumn<int>("bar");
        QTest::newRow("new") << QList<int>{} << true << false << -1;
        QTest::newRow("running") << QList<int>{10, 40} << false << false << 40;
        QTest::newRow("done") << QList<int>{40, 100} << true << false << 40;
        QTest::newRow("stopped") << QList<int>{40, kStop} << true << true << 40;
        QTest::newRow("done after a stop") << QList<int>{40, kStop, 100} << true << true << 40;
        QTest::newRow("restart after a stop") << QList<int>{40, kStop, 5} << false << false << 5;
        QTest::newRow("below zero") << QList<int>{-7} << false << false << 0;
    }

    void testComboProgress()
    {
        QFETCH(QList<int>, steps);
        QFETCH(bool, labelShown);
        VUVararer::ComboProgress progress;
        auto* stop = progress.findChild<QPushButton*>("ComboProgressStop");
        QVERIFY(stop->toolTip() == "Stop" && !stop->icon().isNull());
        for (int step : steps)
            step == kStop ? stop->click() : progress.slotSetProgress(step);
        QCOMPARE(progress.label()->isHidden(), !labelShown);
        QVERIFY(progress.findChild<QProgressBar*>()->isHidden() == labelShown && stop->isHidden() == labelShown);
        QTEST(progress.isStopped(), "stopped");
        QTEST(progress.progress(), "bar");
    }

    void testMenuButtonWritesInLowerHalf()
    {
        VUVararer::MenuButton button;
        button.setFlat(true);
        button.resize(80, 40);
        const QImage image = button.grab().toImage();
        int nWhite[2] = {0, 0};
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                nWhite[y >= 20] += image.pixelColor(x, y) == QColor(Qt::white) ? 1 : 0;
        QVERIFY(nWhite[0] == 0 && nWhite[1] > 10);
    }

    void testCommunityLinks()
    {
        TestKit::UrlRecorder urls;
        VUVararer::CommunityButton button;
        const QList<QAction*> actions = button.menu()->actions();
        QStringList texts;
        for (QAction* action : actions)
            texts << action->text();
        QCOMPARE(texts, QStringList({"Share", "", "FaceBook", "YouTube", "Xing", "MoiMir"}));
        // Empty links open nothing.
        actions[2]->trigger();
        button.slotTwitter();
        QVERIFY(urls.urls().isEmpty());
        button.setFaceBook("https://facebook.example.invalid/page");
        button.setXing("https://xing.example.invalid/");
        actions[2]->trigger();
        actions[4]->trigger();
        QCOMPARE(urls.urls(),
                 QList<QUrl>({QUrl("https://facebook.example.invalid/page"), QUrl("https://xing.example.invalid/")}));
    }

    void testBubble()
    {
        auto* parent = new QWidget;
        QPointer<VUVararer::BubbleWindow> bubble = new VUVararer::BubbleWindow(parent, Qt::red);
        QPropertyAnimation fade(bubble, "windowOpacity");
        fade.setDuration(10000);
        bubble->setShowAnimation(&fade);
        bubble->resize(200, 100);
        bubble->show();
        QCOMPARE(fade.state(), QAbstractAnimation::Running);
        QTest::mouseClick(bubble, Qt::LeftButton, Qt::NoModifier, QPoint(100, 60));
        QVERIFY(bubble->isHidden());
        // Pointer up, then down: the tip is filled, the corners beside it are not.
        const QList<QPointF> inside{{100, 5}, {100, 95}}, outside{{5, 5}, {5, 95}};
        for (bool down : {false, true}) {
            bubble->setFromButtomToTop(down);
            const QPolygonF outline = bubble->outline(QSize(200, 100));
            QVERIFY(outline.containsPoint(inside[down], Qt::OddEvenFill));
            QVERIFY(!outline.containsPoint(outside[down], Qt::OddEvenFill));
        }
        // Closing deletes it; another one goes with its parent.
        bubble->close();
        QTRY_VERIFY(bubble.isNull());
        bubble = new VUVararer::BubbleWindow(parent);
        delete parent;
        QVERIFY(bubble.isNull());
    }

    void testGallery()
    {
        if (!TestKit::galleryOnScreen("testGallery", {"communitywidgets.png", "bubble.png"}))
            return;
        QWidget window;
        auto* layout = new QVBoxLayout(&window);
        layout->addWidget(new VUVararer::CommunityButton);
        auto* menu = new VUVararer::MenuButton;
        menu->setFixedSize(80, 44);
        layout->addWidget(menu);
        auto* running = new VUVararer::ComboProgress;
        running->slotSetProgress(60);
        layout->addWidget(running);
        auto* finished = new VUVararer::ComboProgress;
        finished->label()->setText("Finished");
        layout->addWidget(finished);
        window.setGeometry(40, 40, 300, 200);
        QVERIFY(TestKit::showAndSave(&window, "communitywidgets.png"));
        // Without a compositor the translucent corners come out black.
        auto* bubble = new VUVararer::BubbleWindow(&window, QColor(40, 60, 90));
        (new QLabel("Drop your files here", bubble))->setGeometry(20, 40, 160, 40);
        bubble->setGeometry(360, 40, 200, 100);
        QVERIFY(TestKit::showAndSave(bubble, "bubble.png"));
    }
};

TRELVANIC_TEST_MAIN_APP(VUVararer::App, CommunityWidgetsTest)
#include "tst_communitywidgets.moc"
