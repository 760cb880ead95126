#include "Gallery.h"
#include "ImageNoteInput.h"
#include "ModalCloser.h"
#include "TestMain.h"
#include "Tools.h"

#include <MGraphX/ImageNoteEditor.h>
#include <MGraphX/ImageNoteWorkArea.h>
#include <MGraphX/NoteEditDragPreview.h>
#include <MGraphX/NoteEditWidget.h>
#include <VUVararer/App.h>

#include <QFileDialog>
#include <QMenu>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTextEdit>
#include <QtTest>

using VUVararer::ImageNoteEditor;
using VUVararer::ImageNoteWorkArea;

namespace {

// An editor on a stated screen whose end of the application is only counted.
class Editor : public ImageNoteEditor
{
public:
    double m_dScale = 1;
    int m_nQuits = 0;

protected:
    double scaleFactor() const override { return m_dScale; }
    QSize desktopSize() const override { return QSize(1920, 1080); }
    void quitApplication() override { ++m_nQuits; }
};

TestKit::ModalCloser::Action click(const QString& text)
{
    return [text](QWidget* window) { TestKit::ModalCloser::clickButton(window, text); };
}

QString dragFolder() { return VUVararer::App::theApp()->workDirectory(true); }

void pressAndMove(QWidget* widget, const QPoint& from, const QPoint& to)
{
    QMouseEvent press(QEvent::MouseButtonPress, from, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(widget, &press);
    QMouseEvent move(QEvent::MouseMove, to, Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(widget, &move);
}

} // namespace

class ImageNoteEditorTest : public QObject
{
    Q_OBJECT

private slots:
    void testWindowSize_data()
    {
        QTest::addColumn<QSize>("picture");
        QTest::addColumn<QSize>("window");
        QTest::newRow("large shot: two thirds of the desktop") << QSize(3000, 2000) << QSize(1280, 720);
        QTest::newRow("small shot: picture and frame") << QSize(400, 300) << QSize(500, 390);
        QTest::newRow("exactly the limit") << QSize(1180, 630) << QSize(1280, 720);
        QTest::newRow("too tall only") << QSize(400, 631) << QSize(1280, 720);
    }
    void testWindowSize()
    {
        QFETCH(QSize, picture);
        QFETCH(QSize, window);
        QCOMPARE(ImageNoteEditor::windowSize(picture, QSize(1920, 1080)), window);
    }

    void testScaleAndButtons()
    {
        Editor editor;
        editor.m_dScale = 2;
        editor.slotSetPixmap(ImageNoteInput::stripes(1000, 600));
        ImageNoteWorkArea* pArea = editor.workArea();
        QCOMPARE(pArea->size(), QSize(500, 300));
        QCOMPARE(editor.size(), QSize(600, 390));
        QCOMPARE(editor.dragPreview()->pixmap().size(), QSize(500, 300));

        QPushButton* pUndo = editor.findChild<QPushButton*>("ImageNoteEditorUndo");
        QPushButton* pRedo = editor.findChild<QPushButton*>("ImageNoteEditorRedo");
        editor.show();
        QVERIFY(QTest::qWaitForWindowExposed(&editor));
        QVERIFY(!pUndo->isEnabled() && !pRedo->isEnabled());
        QSignalSpy changed(&editor, SIGNAL(changed()));
        ImageNoteInput::drag(pArea, {{10, 10}, {60, 60}});
        QVERIFY(pUndo->isEnabled() && !pRedo->isEnabled());
        QVERIFY(!changed.isEmpty());
        QCOMPARE(editor.dragPreview()->pixmap().toImage(), pArea->pixContent().toImage());
        pUndo->click();
        QVERIFY(!pUndo->isEnabled() && pRedo->isEnabled());
        editor.slotSetPixmap(ImageNoteInput::stripes(200, 100));
        QVERIFY(!pUndo->isEnabled() && !pRedo->isEnabled());

        // Ten tool buttons show; the line button sets mode 8; the hidden menu lists the tools in its own order.
        int nShown = 0;
        for (QPushButton* pButton : editor.findChildren<QPushButton*>())
            nShown += pButton->size() == QSize(32, 32) && pButton->isCheckable() && pButton->isVisible() ? 1 : 0;
        QCOMPARE(nShown, 10);
        QVERIFY(editor.findChild<QPushButton*>("ImageNoteEditorFilledOval")->isHidden());
        editor.findChild<QPushButton*>("ImageNoteEditorLine")->click();
        QCOMPARE(pArea->mode(), ImageNoteWorkArea::Line);
        QList<int> menuModes;
        for (QPushButton* pButton : editor.findChildren<QPushButton*>())
            if (pButton->text() == "DRA")
                for (QAction* pAction : pButton->menu()->actions())
                    menuModes << pAction->data().toInt();
        QCOMPARE(menuModes, (QList<int>{0, 1, 2, 8, 3, 4, 5, 6, 7, 10, 9}));
    }

    void testQuestions_data()
    {
        QTest::addColumn<QString>("answer");
        QTest::addColumn<bool>("closed");
        QTest::newRow("no: close") << "No" << true;
        QTest::newRow("cancel: stay") << "Cancel" << false;
        QTest::newRow("yes: save, stay") << "Yes" << false;
    }
    void testQuestions()
    {
        QFETCH(QString, answer);
        QFETCH(bool, closed);
        Editor editor;
        editor.slotSetPixmap(ImageNoteInput::stripes(200, 100));
        editor.show();
        QVERIFY(QTest::qWaitForWindowExposed(&editor));
        QVERIFY(editor.workArea()->isDirty());

        // Yes leads to the save dialog, which the user cancels.
        TestKit::ModalCloser fileDialog([](QWidget* dialog) { static_cast<QDialog*>(dialog)->reject(); },
                                        "QFileDialog");
        TestKit::ModalCloser question(click(answer), "VUVararer::MMessageBox");
        QCOMPARE(editor.close(), closed);
        QVERIFY(question.hasFired());
        QCOMPARE(fileDialog.hasFired(), answer == "Yes");
        QCOMPARE(editor.isVisible(), !closed);
        QVERIFY(editor.workArea()->isDirty());

        // Quit and a new screenshot ask first; No keeps everything.
        if (closed)
            return;
        TestKit::ModalCloser quitNo(click("No"), "VUVararer::MMessageBox");
        editor.slotQuitClicked();
        QVERIFY(quitNo.hasFired());
        QCOMPARE(editor.m_nQuits, 0);
        QSignalSpy newShot(&editor, SIGNAL(doNewScreenShot()));
        TestKit::ModalCloser shotNo(click("No"), "VUVararer::MMessageBox");
        editor.slotNewScreenShot();
        QVERIFY(shotNo.hasFired());
        QCOMPARE(newShot.count(), 0);
        TestKit::ModalCloser shotYes(click("Yes"), "VUVararer::MMessageBox");
        editor.slotNewScreenShot();
        QVERIFY(shotYes.hasFired());
        QCOMPARE(newShot.count(), 1);
        QVERIFY(!editor.isVisible());
    }

    void testCleanEditorAsksNothing()
    {
        Editor editor;
        editor.slotSetPixmap(ImageNoteInput::stripes(200, 100));
        QTemporaryDir folder;
        VUVararer::App::theApp()->setSaveDirPath(folder.path() + "/");
        TestKit::ModalCloser save(
            [&folder](QWidget* dialog) {
                TestKit::ModalCloser::answerFileDialog(dialog, folder.filePath("clean.png"));
            },
            "QFileDialog");
        editor.workArea()->slotSave();
        QVERIFY(save.hasFired());
        QVERIFY(QFileInfo::exists(folder.filePath("clean.png")));
        QVERIFY(!editor.workArea()->isDirty());
        editor.slotQuitClicked();
        QCOMPARE(editor.m_nQuits, 1);
        editor.show();
        QVERIFY(editor.close());
    }

    void testUndecodableFile()
    {
        Editor editor;
        editor.slotSetPixmap(ImageNoteInput::stripes(200, 100));
        editor.show();
        QVERIFY(QTest::qWaitForWindowExposed(&editor));
        ImageNoteInput::drag(editor.workArea(), {{10, 10}, {60, 60}});
        const QImage before = editor.workArea()->pixContent().toImage();
        QTemporaryDir folder;
        QFile broken(folder.filePath("broken.png"));
        QVERIFY(broken.open(QIODevice::WriteOnly));
        broken.write("\x89PNG\r\n\x1a\nthis is no picture");
        broken.close();
        TestKit::ModalCloser told(click("Ok"), "VUVararer::MMessageBox");
        QVERIFY(!editor.openFile(broken.fileName()));
        QVERIFY(told.hasFired());
        QCOMPARE(editor.workArea()->pixContent().toImage(), before);
        QCOMPARE(editor.workArea()->undoCount(), 1);
        QVERIFY(editor.workArea()->isDirty());
    }

    void testDragPreview()
    {
        VUVararer::NoteEditDragPreview preview;
        preview.slotSetPixmap(ImageNoteInput::stripes(120, 90));
        QDir(dragFolder()).removeRecursively();
        const QString plain = dragFolder() + "DravelinDrag.png";
        const int distance = QApplication::startDragDistance();
        pressAndMove(&preview, QPoint(10, 10), QPoint(10 + distance, 10));
        QVERIFY(!QFileInfo::exists(plain));
        pressAndMove(&preview, QPoint(10, 10), QPoint(10 + distance + 1, 10));
        QVERIFY(QFileInfo::exists(plain));
        QCOMPARE(TestKit::runTool("pngcheck", {"-q", plain}).exitCode, 0);
        QCOMPARE(QImage(plain).size(), QSize(120, 90));

        // A plain name that cannot be written falls back to the numbered one.
        QVERIFY(QFile::remove(plain));
        QVERIFY(QDir().mkpath(plain));
        QCOMPARE(preview.writeDragFile(), dragFolder() + "DravelinDrag1.png");
        QCOMPARE(TestKit::runTool("pngcheck", {"-q", dragFolder() + "DravelinDrag1.png"}).exitCode, 0);
    }

    void testNoteEditWidget()
    {
        VUVararer::NoteEditWidget note;
        QCOMPARE(VUVararer::App::theApp()->saveDirPath() + "/", VUVararer::App::theApp()->workDirectory(false));
        note.showAll();
        note.hideAll();
        QVERIFY(note.textEdit()->isHidden());
        QVERIFY(!note.findChild<QPushButton*>("NoteEditWidgetInc")->isHidden());
        note.textEdit()->setPlainText("note");
        note.textEdit()->selectAll();
        note.textEdit()->setFontPointSize(5);
        note.slotDecrease();
        QCOMPARE(note.textEdit()->currentFont().pointSizeF(), 1.0);
        note.slotIncrease();
        QCOMPARE(note.textEdit()->currentFont().pointSizeF(), 6.0);
    }

    void testGallery()
    {
        if (!TestKit::galleryOnScreen("testGallery", {"imagenoteeditor.png"}))
            return;
        Editor editor;
        editor.setWindowTitle("Note Editor");
        editor.slotSetPixmap(ImageNoteInput::stripes(400, 260));
        editor.move(20, 20);
        editor.show();
        QVERIFY(QTest::qWaitForWindowExposed(&editor));
        ImageNoteWorkArea* pArea = editor.workArea();
        pArea->slotSetThikness(3);
        pArea->slotSetMode(ImageNoteWorkArea::BlurRectangle);
        ImageNoteInput::drag(pArea, {{250, 20}, {380, 120}});
        pArea->slotSetMode(ImageNoteWorkArea::Rectangle);
        ImageNoteInput::drag(pArea, {{20, 20}, {200, 110}});
        pArea->slotSetMode(ImageNoteWorkArea::Arrow);
        ImageNoteInput::drag(pArea, {{300, 230}, {210, 120}});
        pArea->slotSetColor(QColor("#ff4040"));
        pArea->slotSetMode(ImageNoteWorkArea::Pen);
        ImageNoteInput::drag(pArea, {{30, 200}, {60, 170}, {90, 210}, {120, 175}});
        pArea->slotSetMode(ImageNoteWorkArea::Text);
        ImageNoteInput::drag(pArea, {{150, 150}, {160, 160}});
        pArea->noteEdit()->textEdit()->setPlainText("Look here");
        QVERIFY(TestKit::showAndSave(&editor, "imagenoteeditor.png"));
    }
};

TRELVANIC_TEST_MAIN_APP(VUVararer::App, ImageNoteEditorTest)
#include "tst_imagenoteeditor.moc"
