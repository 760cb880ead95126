#include "TestMain.h"
#include "Tools.h"

#include <VUVararer/Widgets/WindowTitle.h>

#include <QHBoxLayout>
#include <QMenu>
#include <QMouseEvent>
#include <QMovie>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QToolButton>
#include <QtTest>

class WindowTitleTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        // Three 60 x 30 frames of 50 ms, made by ImageMagick.
        QVERIFY(m_dir.isValid());
        const TestKit::ToolResult made =
            TestKit::runTool("convert", {"-delay", "5", "-size", "60x30", "xc:red", "xc:lime", "xc:blue", "-loop", "0",
                                         m_dir.filePath("anim.gif")});
        QVERIFY2(made.exitCode == 0, made.err.constData());
    }

    void testDragReportsTopLeft()
    {
        VUVararer::WindowTitle title;
        QSignalSpy position(&title, SIGNAL(changePosition(QPoint)));
        QMouseEvent press(QEvent::MouseButtonPress, QPointF(20, 10), QPointF(120, 110), Qt::LeftButton, Qt::LeftButton,
                          Qt::NoModifier);
        QCoreApplication::sendEvent(&title, &press);
        QMouseEvent move(QEvent::MouseMove, QPointF(30, 15), QPointF(130, 115), Qt::NoButton, Qt::LeftButton,
                         Qt::NoModifier);
        QCoreApplication::sendEvent(&title, &move);
        QVERIFY(move.isAccepted());
        QCOMPARE(position.count(), 1);
        QCOMPARE(position.first().first().toPoint(), QPoint(110, 105));
    }

    void testBarParts()
    {
        VUVararer::WindowTitle title;
        QSignalSpy close(&title, SIGNAL(closeWindow()));
        title.findChild<QPushButton*>("CloseButton")->click();
        QCOMPARE(close.count(), 1);
        QVERIFY(!title.isMenuActivated());
        QMetaObject::invokeMethod(title.actionsMenu(), "aboutToShow");
        QVERIFY(title.isMenuActivated());
        QMetaObject::invokeMethod(title.actionsMenu(), "aboutToHide");
        QVERIFY(!title.isMenuActivated());

        QHBoxLayout* pTools = new QHBoxLayout;
        QToolButton* pOwn = new QToolButton;
        pTools->addWidget(pOwn);
        title.addTools(pTools);
        QCOMPARE(pOwn->parentWidget(), title.findChild<QWidget*>("WindowTitleTools"));
    }

    void testMovieLabel_data()
    {
        QTest::addColumn<int>("duration");
        QTest::newRow("unlimited") << -1;
        QTest::newRow("zero") << 0;
        QTest::newRow("120 ms") << 120;
    }

    void testMovieLabel()
    {
        QFETCH(int, duration);
        VUVararer::MovieLabel label(m_dir.filePath("anim.gif"));
        QCOMPARE(label.objectName(), QString("MovieLabel"));
        label.setDuration(duration);
        label.resize(110, 55);
        label.show();
        QCOMPARE(label.movie()->scaledSize(), QSize(100, 50));
        QCOMPARE(label.movie()->state(), QMovie::Running);
        QCOMPARE(label.movie()->currentPixmap().size(), QSize(100, 50));
        if (duration > 0) {
            QTRY_COMPARE_WITH_TIMEOUT(label.movie()->state(), QMovie::NotRunning, 5000);
            return;
        }
        // Plays on through several loops of the three frames.
        QSet<int> frames;
        QTRY_VERIFY_WITH_TIMEOUT((frames.insert(label.movie()->currentFrameNumber()), frames.size() == 3), 5000);
        QTest::qWait(400);
        QCOMPARE(label.movie()->state(), QMovie::Running);
        label.hide();
        QCOMPARE(label.movie()->state(), QMovie::NotRunning);
    }

private:
    QTemporaryDir m_dir;
};

TRELVANIC_TEST_MAIN(WindowTitleTest)
#include "tst_windowtitle.moc"
