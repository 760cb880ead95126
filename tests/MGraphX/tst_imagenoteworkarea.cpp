#include "ImageNoteInput.h"
#include "ModalCloser.h"
#include "TestMain.h"
#include "Tools.h"

#include <MGraphX/ImageNoteWorkArea.h>
#include <MGraphX/NoteEditWidget.h>
#include <VUVararer/App.h>

#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTextEdit>
#include <QtTest>

#include <csignal>
#include <sys/resource.h>

using ImageNoteInput::drag;
using ImageNoteInput::paintedNear;
using VUVararer::ImageNoteWorkArea;

namespace {

const QColor Yellow(Qt::yellow);

// A work area that saves to a chosen file instead of asking.
class WorkArea : public ImageNoteWorkArea
{
public:
    QString m_strSaveTo;

protected:
    QString askSaveFileName(const QString&) override { return m_strSaveTo; }
};

QImage layerOf(const ImageNoteWorkArea& area) { return area.layer().toImage().convertToFormat(QImage::Format_ARGB32); }

// Caps the size of files this process writes while it lives.
class FileSizeCap
{
public:
    explicit FileSizeCap(rlim_t bytes)
    {
        getrlimit(RLIMIT_FSIZE, &m_old);
        m_oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit capped = m_old;
        capped.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &capped);
    }
    ~FileSizeCap()
    {
        setrlimit(RLIMIT_FSIZE, &m_old);
        std::signal(SIGXFSZ, m_oldHandler);
    }

private:
    rlimit m_old;
    void (*m_oldHandler)(int);
};

} // namespace

class ImageNoteWorkAreaTest : public QObject
{
    Q_OBJECT

private:
    WorkArea* m_pArea = nullptr;

    void draw(ImageNoteWorkArea::Mode mode, const QVector<QPoint>& points)
    {
        m_pArea->slotSetMode(mode);
        drag(m_pArea, points);
    }

private slots:
    void init()
    {
        m_pArea = new WorkArea;
        m_pArea->slotSetPixmap(ImageNoteInput::stripes(200, 150));
        m_pArea->slotSetThikness(3);
        m_pArea->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_pArea));
    }
    void cleanup() { delete m_pArea; }

    void testTools_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<QVector<QPoint>>("points");
        QTest::addColumn<QPoint>("painted");
        QTest::addColumn<QPoint>("clear");
        QTest::newRow("pen") << 0 << QVector<QPoint>{{20, 20}, {50, 20}, {80, 20}} << QPoint(65, 20) << QPoint(50, 40);
        QTest::newRow("rectangle") << 3 << QVector<QPoint>{{80, 60}, {20, 20}} << QPoint(20, 40) << QPoint(50, 40);
        QTest::newRow("oval") << 6 << QVector<QPoint>{{20, 20}, {80, 60}} << QPoint(50, 20) << QPoint(50, 40);
        QTest::newRow("line") << 8 << QVector<QPoint>{{20, 20}, {80, 80}} << QPoint(50, 50) << QPoint(70, 30);
        // The head's wings run back from the tip at (120, 50) to (90, 38) and (90, 62).
        QTest::newRow("arrow head") << 9 << QVector<QPoint>{{20, 50}, {120, 50}} << QPoint(105, 44) << QPoint(125, 50);
        QTest::newRow("arrow shaft") << 9 << QVector<QPoint>{{20, 50}, {120, 50}} << QPoint(70, 50) << QPoint(70, 40);
        QTest::newRow("zero arrow") << 9 << QVector<QPoint>{{40, 40}} << QPoint(40, 40) << QPoint(40, 20);
    }
    void testTools()
    {
        QFETCH(int, mode);
        QFETCH(QVector<QPoint>, points);
        QFETCH(QPoint, painted);
        QFETCH(QPoint, clear);
        QSignalSpy changed(m_pArea, SIGNAL(changed()));
        draw(ImageNoteWorkArea::Mode(mode), points);
        const QImage layer = layerOf(*m_pArea);
        QVERIFY(paintedNear(layer, painted, Yellow));
        QCOMPARE(layer.pixelColor(clear).alpha(), 0);
        QCOMPARE(m_pArea->undoCount(), 1);
        QVERIFY(!changed.isEmpty());
        QVERIFY(paintedNear(m_pArea->pixContent().toImage(), painted, Yellow));
    }

    void testFillsHighlightEraseBlur()
    {
        draw(ImageNoteWorkArea::FilledRectangle, {{20, 20}, {120, 100}});
        QCOMPARE(layerOf(*m_pArea).pixelColor(70, 60).alpha(), 200);

        draw(ImageNoteWorkArea::Eraser, {{10, 60}, {130, 60}});
        const QImage erased = layerOf(*m_pArea);
        QCOMPARE(erased.pixelColor(70, 60).alpha(), 0);
        QCOMPARE(erased.pixelColor(70, 90).alpha(), 200);

        draw(ImageNoteWorkArea::Highlighter, {{140, 20}, {190, 20}});
        const int alpha = layerOf(*m_pArea).pixelColor(165, 20).alpha();
        QVERIFY2(alpha > 15 && alpha < 40, qPrintable(QString::number(alpha)));

        // The blur mixes the light and dark stripes of the picture into the layer; outside it nothing.
        draw(ImageNoteWorkArea::BlurRectangle, {{140, 100}, {190, 140}});
        const QImage blurred = layerOf(*m_pArea);
        const QColor middle = blurred.pixelColor(165, 120);
        QCOMPARE(middle.alpha(), 255);
        QVERIFY2(middle.red() > 60 && middle.red() < 170, qPrintable(middle.name()));
        QCOMPARE(blurred.pixelColor(165, 90).alpha(), 0);
        QCOMPARE(m_pArea->undoCount(), 4);
    }

    void testUndoRedo()
    {
        QSignalSpy redoAvailable(m_pArea, SIGNAL(redoAvailable(bool)));
        QVector<QImage> layers{layerOf(*m_pArea)};
        for (int i = 0; i < 3; ++i) {
            draw(ImageNoteWorkArea::Rectangle, {{10 + i * 40, 10}, {40 + i * 40, 40}});
            layers.append(layerOf(*m_pArea));
        }
        QCOMPARE(m_pArea->undoCount(), 3);
        m_pArea->slotUndo();
        m_pArea->slotUndo();
        QCOMPARE(layerOf(*m_pArea), layers.at(1));
        m_pArea->slotRedo();
        QCOMPARE(layerOf(*m_pArea), layers.at(2));
        QCOMPARE(m_pArea->redoCount(), 1);

        // A new stroke after an undo drops the redo entries: redo then changes nothing.
        redoAvailable.clear();
        draw(ImageNoteWorkArea::Line, {{10, 100}, {190, 100}});
        const QImage withLine = layerOf(*m_pArea);
        QCOMPARE(m_pArea->redoCount(), 0);
        QCOMPARE(redoAvailable.count(), 1);
        QCOMPARE(redoAvailable.first().first().toBool(), false);
        m_pArea->slotRedo();
        QCOMPARE(layerOf(*m_pArea), withLine);
        m_pArea->slotUndo();
        QCOMPARE(layerOf(*m_pArea), layers.at(2));

        // Undo with nothing left reports it and changes nothing.
        while (m_pArea->undoCount())
            m_pArea->slotUndo();
        QSignalSpy undoAvailable(m_pArea, SIGNAL(undoAvailable(bool)));
        QSignalSpy changed(m_pArea, SIGNAL(changed()));
        m_pArea->slotUndo();
        QCOMPARE(undoAvailable.count(), 1);
        QCOMPARE(undoAvailable.first().first().toBool(), false);
        QCOMPARE(changed.count(), 0);
        QCOMPARE(layerOf(*m_pArea), layers.at(0));

        // A new picture forgets both stacks; the depth is capped.
        m_pArea->slotSetPixmap(ImageNoteInput::stripes(120, 80));
        QCOMPARE(m_pArea->undoCount() + m_pArea->redoCount(), 0);
        m_pArea->slotUndo();
        QCOMPARE(m_pArea->layer().size(), QSize(120, 80));
        for (int i = 0; i < ImageNoteWorkArea::sm_nUndoDepth + 5; ++i)
            draw(ImageNoteWorkArea::Rectangle, {{5, 5}});
        QCOMPARE(m_pArea->undoCount(), ImageNoteWorkArea::sm_nUndoDepth);
    }

    void testTextNote_data()
    {
        QTest::addColumn<QPoint>("end");
        QTest::addColumn<QRect>("box");
        QTest::newRow("distance 100: fixed box") << QPoint(60, 60) << QRect(10, 10, 220, 90);
        QTest::newRow("distance 101: dragged box") << QPoint(70, 51) << QRect(10, 10, 61, 42);
    }
    void testTextNote()
    {
        QFETCH(QPoint, end);
        QFETCH(QRect, box);
        m_pArea->slotSetPixmap(ImageNoteInput::stripes(300, 200));
        draw(ImageNoteWorkArea::Text, {{10, 10}, end});
        VUVararer::NoteEditWidget* pNote = m_pArea->noteEdit();
        QVERIFY(pNote->isVisible());
        QCOMPARE(pNote->geometry(), box);
        QCOMPARE(m_pArea->undoCount(), 0);

        pNote->textEdit()->setPlainText("WWWW WWWW WWWW WWWW WWWW WWWW");
        pNote->findChild<QPushButton*>("NoteEditWidgetAccept")->click();
        QVERIFY(!pNote->isVisible());
        QVERIFY(pNote->textEdit()->toPlainText().isEmpty());
        QCOMPARE(m_pArea->undoCount(), 0);
        QVERIFY(m_pArea->isDirty());
        QTRY_COMPARE(m_pArea->mode(), ImageNoteWorkArea::Text);

        // The text lies within the box, starting 3 pixels inside it.
        const QImage layer = layerOf(*m_pArea);
        QRect inked;
        for (int y = 0; y < layer.height(); ++y)
            for (int x = 0; x < layer.width(); ++x)
                if (layer.pixelColor(x, y).alpha() > 0)
                    inked |= QRect(x, y, 1, 1);
        QVERIFY(!inked.isEmpty());
        QVERIFY2(
            box.adjusted(3, 3, 0, 0).contains(inked),
            qPrintable(QString("%1,%2 %3x%4").arg(inked.x()).arg(inked.y()).arg(inked.width()).arg(inked.height())));
    }

    void testSave()
    {
        QTemporaryDir folder;
        draw(ImageNoteWorkArea::FilledRectangle, {{20, 20}, {90, 70}});
        draw(ImageNoteWorkArea::Arrow, {{150, 120}, {100, 30}});
        m_pArea->m_strSaveTo = folder.filePath("note.png");
        m_pArea->slotSave();
        QVERIFY(!m_pArea->isDirty());
        QCOMPARE(VUVararer::App::theApp()->saveDirPath(), folder.path());
        QCOMPARE(TestKit::runTool("pngcheck", {"-q", m_pArea->m_strSaveTo}).exitCode, 0);
        const QImage saved(m_pArea->m_strSaveTo);
        QCOMPARE(saved.convertToFormat(QImage::Format_RGB32),
                 m_pArea->pixContent().toImage().convertToFormat(QImage::Format_RGB32));

        // A save that fails keeps the unsaved state, says so and leaves the earlier file as it was.
        QFile earlier(m_pArea->m_strSaveTo);
        QVERIFY(earlier.open(QIODevice::ReadOnly));
        const QByteArray earlierBytes = earlier.readAll();
        earlier.close();
        draw(ImageNoteWorkArea::Line, {{10, 140}, {190, 10}});
        QVERIFY(m_pArea->isDirty());
        TestKit::ModalCloser closer([](QWidget* box) { TestKit::ModalCloser::clickButton(box, "Ok"); },
                                    "VUVararer::MMessageBox");
        {
            FileSizeCap cap(64);
            m_pArea->slotSave();
        }
        QVERIFY(closer.hasFired());
        QVERIFY(m_pArea->isDirty());
        QVERIFY(earlier.open(QIODevice::ReadOnly));
        QCOMPARE(earlier.readAll(), earlierBytes);
        QCOMPARE(QDir(folder.path()).entryList(QDir::Files), QStringList{"note.png"});
    }
};

TRELVANIC_TEST_MAIN_APP(VUVararer::App, ImageNoteWorkAreaTest)
#include "tst_imagenoteworkarea.moc"
