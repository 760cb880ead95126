#include "FileSizeLimit.h"
#include "ModalCloser.h"
#include "TestMain.h"

#include <VUVararer/App.h>
#include <VUVararer/CssDoc.h>
#include <VUVararer/CssEditor.h>
#include <VUVararer/CssSyntaxHighlighter.h>

#include <QAction>
#include <QFileDialog>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>
#include <QToolBar>
#include <QtTest>

#include <memory>

using TestKit::ModalCloser;
using VUVararer::CssDoc;
using VUVararer::CssEditor;
using VUVararer::CssSyntaxHighlighter;

namespace {

// The colour given to each character of a block, as a letter: W white, G dark gray, N green, C cyan, . none.
QString colours(const QTextBlock& block)
{
    QString marks(block.length() - 1, QLatin1Char('.'));
    const QVector<QTextLayout::FormatRange> ranges = block.layout()->formats();
    for (const QTextLayout::FormatRange& range : ranges) {
        const QColor colour = range.format.foreground().color();
        QChar mark = QLatin1Char('?');
        if (colour == QColor(Qt::white))
            mark = QLatin1Char('W');
        else if (colour == QColor(Qt::darkGray))
            mark = QLatin1Char('G');
        else if (colour == QColor(Qt::green))
            mark = QLatin1Char('N');
        else if (colour == QColor(Qt::cyan))
            mark = QLatin1Char('C');
        for (int i = range.start; i < range.start + range.length && i < marks.size(); ++i)
            marks[i] = mark;
    }
    return marks;
}

// Answers the next file dialog with path (cancels when empty) and records its title.
class FileAnswer
{
public:
    explicit FileAnswer(const QString& path)
        : m_closer(
              [this, path](QWidget* modal) {
                  auto* dialog = qobject_cast<QFileDialog*>(modal);
                  m_strTitle = dialog->windowTitle();
                  m_nMode = dialog->acceptMode();
                  if (path.isEmpty()) {
                      dialog->reject();
                  } else {
                      ModalCloser::answerFileDialog(dialog, path);
                  }
              },
              "QFileDialog")
    {
    }
    bool fired() const { return m_closer.hasFired(); }
    QString m_strTitle;
    int m_nMode = -1;

private:
    ModalCloser m_closer;
};

QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

} // namespace

class TestCssEditor : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;

private slots:
    void testHighlight_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("declaration") << "int x = 10;" << QStringList{"WWW...W.CCW"};
        QTest::newRow("inside a word") << "print" << QStringList{"..WWW"};
        QTest::newRow("longest listed first") << "foreach(x)" << QStringList{"WWWWWWWW.W"};
        QTest::newRow("for then plain") << "format" << QStringList{"WWW..."};
        QTest::newRow("line comment") << "a // b" << QStringList{"..GGGG"};
        QTest::newRow("hash line") << "# int 1" << QStringList{"NNNNNNN"};
        QTest::newRow("hash midway") << "a{ # b" << QStringList{".W.NNN"};
        QTest::newRow("arrow and shifts") << "p->q >> r << s" << QStringList{".WW..WW...WW.."};
        QTest::newRow("block comment") << "x /* int\n2 lines\n- more\nend */ int"
                                       << QStringList{"..GGGGGG", "GGGGGGG", "GGGGGG", "GGGGGG.WWW"};
        QTest::newRow("mixed quotes") << "\"ab' int" << QStringList{"CCCC.WWW"};
        QTest::newRow("escaped quote") << "'a\\'b' ;" << QStringList{"CCCCCC.W"};
        QTest::newRow("open string") << "x \"ab\ncd\" int" << QStringList{"..CCC", "CCC.WWW"};
        QTest::newRow("quote at block start") << "\"a\n\" ;" << QStringList{"CC", "C.W"};
        QTest::newRow("escape at block start") << "\"a\n\\\" b\"" << QStringList{"CC", "CCCCC"};
        QTest::newRow("comment in string") << "'/* x' 1" << QStringList{"CCCCCC.C"};
        QTest::newRow("string in comment") << "/* ' */ 'x'" << QStringList{"GGGGGGG.CCC"};
        QTest::newRow("non-ASCII digit") << QString::fromUtf8("a\xd9\xa3 b") << QStringList{".C.."};
        QTest::newRow("css") << "QPushButton{color: #fff;}" << QStringList{"...........W.....W.NNNNNN"};
        QTest::newRow("signals") << "emit SIGNAL(slots)" << QStringList{"WWWW.WWWWWWWWWWWWW"};
    }

    void testHighlight()
    {
        QFETCH(QString, text);
        QFETCH(QStringList, expected);
        QTextDocument document;
        auto* highlighter = new CssSyntaxHighlighter(&document);
        document.setPlainText(text);
        highlighter->rehighlight();
        QStringList actual;
        for (QTextBlock block = document.begin(); block.isValid(); block = block.next())
            actual << colours(block);
        QCOMPARE(actual, expected);
    }

    void testBlockStates()
    {
        QTextDocument document;
        auto* highlighter = new CssSyntaxHighlighter(&document);
        document.setPlainText("a\n/* b\nc\nd */\n'e\nf'\ng");
        highlighter->rehighlight();
        QList<int> states;
        for (QTextBlock block = document.begin(); block.isValid(); block = block.next())
            states << block.userState();
        QCOMPARE(states, (QList<int>{-1, 0, 0, -1, 1, -1, -1}));
        // Opening and closing the comment anew changes the colours of the following blocks.
        QTextCursor cursor(document.findBlockByNumber(3));
        cursor.movePosition(QTextCursor::EndOfBlock);
        cursor.insertText(" int");
        highlighter->rehighlight();
        QCOMPARE(colours(document.findBlockByNumber(3)), QString("GGGG.WWW"));
        cursor.setPosition(document.findBlockByNumber(3).position());
        cursor.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
        cursor.insertText("d");
        highlighter->rehighlight();
        QCOMPARE(document.findBlockByNumber(3).userState(), 0);
        QCOMPARE(colours(document.findBlockByNumber(4)), QString("GG"));
    }

    void testGetKeyword()
    {
        QTextDocument document;
        CssSyntaxHighlighter highlighter(&document);
        QCOMPARE(highlighter.getKeyword(0, "foreach"), QString("foreach"));
        QCOMPARE(highlighter.getKeyword(0, "fort"), QString("for"));
        QCOMPARE(highlighter.getKeyword(2, "a ->b"), QString("->"));
        QCOMPARE(highlighter.getKeyword(0, "<<"), QString("<<"));
        QCOMPARE(highlighter.getKeyword(0, "If"), QString());
        QCOMPARE(highlighter.getKeyword(1, "ab"), QString());
        QCOMPARE(highlighter.getKeyword(5, "ab"), QString());
        QCOMPARE(highlighter.getKeyword(0, "slots"), QString("slots"));
    }

    void testDocLook()
    {
        CssDoc doc(nullptr);
        const QFont font = doc.document()->defaultFont();
        QCOMPARE(font.family(), QString("Lucida Console"));
        QCOMPARE(font.pointSize(), 12);
        QCOMPARE(font.weight(), 50);
        QVERIFY(!font.italic());
        QCOMPARE(doc.styleSheet(), QString("QTextEdit{background: #000060; color: yellow;}"));
        QCOMPARE(doc.document()->findChildren<CssSyntaxHighlighter*>().size(), 1);
    }

    void testLoadAndSave()
    {
        QVERIFY(m_dir.isValid());
        const QString source = m_dir.filePath("in.css");
        const QByteArray sheet = "QLabel { color: red; }\n/* note */\n";
        {
            QFile file(source);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(sheet);
        }
        CssEditor editor(nullptr);
        editor.show();
        CssDoc* doc = editor.doc();
        QSignalSpy titles(doc, SIGNAL(changeWindowTitle(const QString&)));

        // Cancelled dialogs change nothing.
        {
            FileAnswer cancel{QString()};
            doc->slotLoad();
            QVERIFY(cancel.fired());
            QCOMPARE(cancel.m_nMode, int(QFileDialog::AcceptOpen));
        }
        {
            FileAnswer cancel{QString()};
            doc->slotSave();
            QVERIFY(cancel.fired());
            QCOMPARE(cancel.m_nMode, int(QFileDialog::AcceptSave));
        }
        QCOMPARE(titles.count(), 0);
        QVERIFY(doc->fileName().isEmpty());
        QCOMPARE(QDir(m_dir.path()).entryList(QDir::Files), QStringList{"in.css"});

        {
            FileAnswer open(source);
            doc->slotLoad();
            QVERIFY(open.fired());
        }
        QCOMPARE(doc->toPlainText().toUtf8(), sheet);
        QCOMPARE(doc->fileName(), source);
        QCOMPARE(editor.windowTitle(), source);
        QCOMPARE(titles.count(), 1);

        // Save writes back to the loaded file without asking.
        doc->setPlainText("QLabel { color: blue; }");
        doc->slotSave();
        QCOMPARE(readAll(source), QByteArray("QLabel { color: blue; }"));
        QCOMPARE(titles.count(), 2);

        // Save As asks with the current name as caption and then writes there.
        const QString copy = m_dir.filePath("copy.css");
        {
            FileAnswer saveAs(copy);
            doc->slotSaveAs();
            QVERIFY(saveAs.fired());
            QCOMPARE(saveAs.m_strTitle, source);
        }
        QCOMPARE(readAll(copy), QByteArray("QLabel { color: blue; }"));
        QCOMPARE(doc->fileName(), copy);
        QCOMPARE(editor.windowTitle(), copy);

        // A target that cannot be written (its folder vanishes after the choice) keeps file name and title, and
        // the user is told.
        const QString folder = m_dir.filePath("gone");
        QVERIFY(QDir().mkpath(folder));
        const int before = titles.count();
        QString strWarning;
        const auto dismiss = [&strWarning](QWidget* box) {
            for (const QLabel* label : box->findChildren<QLabel*>())
                strWarning += label->text();
            qobject_cast<QDialog*>(box)->reject();
        };
        {
            ModalCloser warning(dismiss, "VUVararer::MMessageBox");
            ModalCloser vanish(
                [folder](QWidget* modal) {
                    auto* dialog = qobject_cast<QFileDialog*>(modal);
                    ModalCloser::answerFileDialog(dialog, folder + "/new.css");
                    QVERIFY(QDir(folder).removeRecursively());
                },
                "QFileDialog");
            doc->slotSaveAs();
            QVERIFY(vanish.hasFired());
        }
        QVERIFY(!QFileInfo::exists(folder));
        QVERIFY2(strWarning.contains(folder + "/new.css"), qPrintable(strWarning));
        QCOMPARE(doc->fileName(), copy);
        QCOMPARE(titles.count(), before);
        QCOMPARE(editor.windowTitle(), copy);

        // A save that fails while writing leaves the earlier file as it was.
        strWarning.clear();
        doc->setPlainText(QString(4096, QLatin1Char('x')));
        {
            ModalCloser warning(dismiss, "VUVararer::MMessageBox");
            TestKit::FileSizeLimit limit(1024);
            QVERIFY(limit.isActive());
            doc->slotSave();
            QVERIFY(warning.hasFired());
        }
        QVERIFY(strWarning.contains(copy));
        QCOMPARE(readAll(copy), QByteArray("QLabel { color: blue; }"));
        QCOMPARE(titles.count(), before);
    }

    void testWindow()
    {
        CssEditor editor(nullptr);
        QCOMPARE(editor.centralWidget(), static_cast<QWidget*>(editor.doc()));
        QStringList menus;
        for (QAction* action : editor.menuBar()->actions())
            menus << action->text();
        QCOMPARE(menus, (QStringList{"&File", "&Help"}));
        QStringList entries;
        for (QAction* menu : editor.menuBar()->actions())
            for (QAction* action : menu->menu()->actions())
                entries << (action->isSeparator() ? QString("-")
                                                  : action->text() + "=" + action->shortcut().toString());
        QCOMPARE(entries, (QStringList{"&Open...=Ctrl+O", "&Save=Ctrl+S", "&SetInfo=Ctrl+I", "&Apply=Ctrl+A",
                                       "S&ave As...=", "-", "&About=F1", "&Reset=R"}));
        auto* toolBar = editor.findChild<QToolBar*>();
        QVERIFY(toolBar);
        QCOMPARE(toolBar->windowTitle(), QString("Operations"));
        QCOMPARE(editor.toolBarArea(toolBar), Qt::TopToolBarArea);
        QStringList tools;
        for (QAction* action : toolBar->actions())
            tools << action->text();
        QCOMPARE(tools, (QStringList{"&Open...", "&Save", "&Apply", "&Reset", "&SetInfo"}));
        QCOMPARE(editor.statusBar()->currentMessage(), QString("Ready"));
        QTRY_VERIFY_WITH_TIMEOUT(editor.statusBar()->currentMessage().isEmpty(), 5000);

        ModalCloser about(
            [](QWidget* box) {
                QCOMPARE(box->windowTitle(), QString("About"));
                QCOMPARE(static_cast<QMessageBox*>(box)->text(), QString("CSS Style Editor"));
                static_cast<QMessageBox*>(box)->accept();
            },
            "QMessageBox");
        editor.slotAbout();
        QVERIFY(about.hasFired());
    }

    void testApplyAndReset()
    {
        CssEditor editor(nullptr);
        const QString sheet = "QLabel { color: rgb(1, 2, 3); }";
        editor.doc()->setPlainText(sheet);
        editor.slotApply();
        QCOMPARE(qApp->styleSheet(), sheet);
        QCOMPARE(editor.doc()->styleSheet(), QString("QTextEdit{background: #000060; color: yellow;}"));
        QLabel label("x");
        label.ensurePolished();
        QCOMPARE(label.palette().color(QPalette::WindowText), QColor(1, 2, 3));
        editor.slotReset();
        QVERIFY(qApp->styleSheet().isEmpty());
    }

    void testToolTipsInfo()
    {
        CssEditor editor(nullptr);
        editor.doc()->setObjectName("Doc");
        editor.doc()->viewport()->setObjectName("DocPort");
        editor.doc()->setToolTip("doc");
        QWidget top;
        top.setObjectName("TopWindow");
        top.setToolTip("old");
        auto* named = new QLabel(&top);
        named->setObjectName("Named");
        auto* deep = new QLabel(new QWidget(named));
        deep->setObjectName("Deep");
        auto* unnamed = new QLabel(&top);
        unnamed->setToolTip("keep");
        editor.slotApplyToolTipsInfo();
        QCOMPARE(top.toolTip(), QString("QWidget\nTopWindow\nold"));
        QCOMPARE(named->toolTip(), QString("QLabel\nNamed\n"));
        QCOMPARE(deep->toolTip(), QString("QLabel\nDeep\n"));
        QCOMPARE(unnamed->toolTip(), QString("keep"));
        QCOMPARE(editor.doc()->toolTip(), QString("doc"));
        QVERIFY(editor.doc()->viewport()->toolTip().isEmpty());
        editor.slotApplyToolTipsInfo();
        QCOMPARE(named->toolTip(), QString("QLabel\nNamed\nQLabel\nNamed\n"));
        QCOMPARE(top.toolTip(), QString("QWidget\nTopWindow\nQWidget\nTopWindow\nold"));
    }

    void testShowFromApp()
    {
        auto editors = [] {
            QList<CssEditor*> found;
            for (QWidget* widget : QApplication::topLevelWidgets())
                if (auto* editor = qobject_cast<CssEditor*>(widget))
                    found << editor;
            return found;
        };
        QVERIFY(editors().isEmpty());
        VUVararer::App::theApp()->slotShowCssEditor();
        VUVararer::App::theApp()->slotShowCssEditor();
        const QList<CssEditor*> shown = editors();
        QCOMPARE(shown.size(), 2);
        for (CssEditor* editor : shown) {
            QVERIFY(editor->isVisible());
            QVERIFY(!editor->parent());
        }
        qDeleteAll(shown);
    }
};

TRELVANIC_TEST_MAIN_APP(VUVararer::App, TestCssEditor)
#include "tst_csseditor.moc"
