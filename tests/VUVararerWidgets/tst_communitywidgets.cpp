#include "DialogProbe.h"
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

#include <limits>

Q_DECLARE_METATYPE(QList<int>)

namespace {

// A step that presses the stop button.
const int kStop = std::numeric_limits<int>::min();

} // namespace

class CommunityWidgetsTest : public QObject
{
    Q_OBJECT

private slots:
    void testComboProgress_data()
    {
        // Steps: a value to slotSetProgress, or kStop for the stop button. Then label shown, stopped, bar value.
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
        QFETCH(bool, stopped);
        QFETCH(int, bar);
        VUVararer::ComboProgress progress;
        auto* stop = progress.findChild<QPushButton*>("ComboProgressStop");
        QVERIFY(stop && stop->toolTip() == "Stop" && stop->size() == QSize(20, 20));
        for (int step : steps) {
            if (step == kStop)
                stop->click();
            else
                progress.slotSetProgress(step);
        }
        QCOMPARE(!progress.label()->isHidden(), labelShown);
        QCOMPARE(progress.findChild<QProgressBar*>()->isHidden(), labelShown);
        QCOMPARE(stop->isHidden(), labelShown);
        QCOMPARE(progress.isStopped(), stopped);
        QCOMPARE(progress.progress(), bar);
    }

    void testMenuButtonWritesInLowerHalf()
    {
        VUVararer::MenuButton button;
        button.setFlat(true);
        button.resize(80, 40);
        const QImage image = button.grab().toImage();
        int nUpper = 0, nLower = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                if (image.pixelColor(x, y) == QColor(Qt::white))
                    (y >= 20 ? nLower : nUpper) += 1;
        QCOMPARE(nUpper, 0);
        QVERIFY(nLower > 10);
    }

    void testCommunityLinks()
    {
        TestKit::UrlRecorder urls;
        VUVararer::CommunityButton button;
        QStringList texts;
        for (QAction* action : button.menu()->actions())
            texts << action->text();
        QCOMPARE(texts, QStringList({"Share", "", "FaceBook", "YouTube", "Xing", "MoiMir"}));
        button.menu()->actions().at(2)->trigger();
        button.slotTwitter();
        QVERIFY(urls.urls().isEmpty());
        button.setFaceBook("https://facebook.example.invalid/page");
        button.setTwitter("twitter.example.invalid/page");
        button.setXing("https://xing.example.invalid/");
        button.menu()->actions().at(2)->trigger();
        button.slotTwitter();
        button.menu()->actions().at(4)->trigger();
        QCOMPARE(urls.urls().size(), 2);
        QCOMPARE(urls.urls().at(0), QUrl("https://facebook.example.invalid/page"));
        QCOMPARE(urls.urls().at(1), QUrl("https://xing.example.invalid/"));
    }

    void testBubble()
    {
        auto* parent = new QWidget;
        QPointer<VUVararer::BubbleWindow> bubble = new VUVararer::BubbleWindow(parent, Qt::red);
        bubble->resize(200, 100);
        QPropertyAnimation fade(bubble, "windowOpacity");
        fade.setStartValue(0.0);
        fade.setEndValue(1.0);
        fade.setDuration(10000);
        bubble->setShowAnimation(&fade);
        bubble->show();
        QCOMPARE(fade.state(), QAbstractAnimation::Running);
        QTest::mouseClick(bubble, Qt::LeftButton, Qt::NoModifier, QPoint(100, 60));
        QVERIFY(bubble->isHidden());
        bubble->show();
        QVERIFY(bubble->isVisible());

        // Pointer up: the top corners are clear, the tip and the body are filled.
        bubble->setFromButtomToTop(false);
        QPolygonF outline = bubble->outline(QSize(200, 100));
        QVERIFY(outline.containsPoint(QPointF(100, 5), Qt::OddEvenFill));
        QVERIFY(!outline.containsPoint(QPointF(5, 5), Qt::OddEvenFill));
        QVERIFY(outline.containsPoint(QPointF(100, 60), Qt::OddEvenFill));
        bubble->setFromButtomToTop(true);
        outline = bubble->outline(QSize(200, 100));
        QVERIFY(outline.containsPoint(QPointF(100, 95), Qt::OddEvenFill));
        QVERIFY(!outline.containsPoint(QPointF(5, 95), Qt::OddEvenFill));

        // Closing deletes it; a second bubble goes with its parent.
        bubble->close();
        QTRY_VERIFY(bubble.isNull());
        QPointer<VUVararer::BubbleWindow> second = new VUVararer::BubbleWindow(parent);
        delete parent;
        QVERIFY(second.isNull());
    }

    void testGallery()
    {
        if (!TestKit::onScreen()) {
            const QString failure = TestKit::runGallery("testGallery", {"communitywidgets.png", "bubble.png"});
            QVERIFY2(failure.isEmpty(), qPrintable(failure));
            return;
        }
        TestKit::useDarkStyle();
        QWidget window;
        auto* layout = new QVBoxLayout(&window);
        layout->addWidget(new VUVararer::CommunityButton);
        auto* menu = new VUVararer::MenuButton;
        menu->setFixedSize(80, 44);
        layout->addWidget(menu);
        auto* running = new VUVararer::ComboProgress;
        running->slotSetProgress(0);
        running->slotSetProgress(60);
        layout->addWidget(running);
        auto* finished = new VUVararer::ComboProgress;
        finished->label()->setText("Finished");
        layout->addWidget(finished);
        window.setGeometry(40, 40, 300, 200);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));

        auto* bubble = new VUVararer::BubbleWindow(&window, QColor(40, 60, 90));
        auto* tip = new QLabel("Drop your files here", bubble);
        tip->setGeometry(20, 40, 160, 40);
        bubble->setGeometry(360, 40, 200, 100);
        bubble->show();
        QVERIFY(QTest::qWaitForWindowExposed(bubble));
        QTest::qWait(150);
        QVERIFY(TestKit::saveShot(&window, "communitywidgets.png"));
        // Without a compositor the translucent parts come out black.
        QVERIFY(TestKit::saveShot(bubble, "bubble.png"));
    }
};

TRELVANIC_TEST_MAIN_APP(VUVararer::App, CommunityWidgetsTest)
#include "tst_communitywidgets.moc"
