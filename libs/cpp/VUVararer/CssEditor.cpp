#include "CssEditor.h"

#include "App.h"
#include "CssDoc.h"
#include "FrameMenu.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QStatusBar>
#include <QToolBar>

namespace VUVararer {

namespace {

QAction* addMenuAction(QMenu* menu, const QString& text, const QKeySequence& shortcut, QObject* receiver,
                       const char* slot)
{
    QAction* action = menu->addAction(text);
    action->setShortcut(shortcut);
    QObject::connect(action, SIGNAL(triggered()), receiver, slot);
    return action;
}

void prependInfo(QWidget* widget)
{
    if (widget->objectName().isEmpty())
        return;
    widget->setToolTip(QString::fromLatin1(widget->metaObject()->className()) + "\n" + widget->objectName() + "\n" +
                       widget->toolTip());
}

} // namespace

CssEditor::CssEditor(QWidget* parent) : QMainWindow(parent)
{
    auto* fileMenu = new QMenu("&File", this);
    auto* helpMenu = new QMenu("&Help", this);
    m_pDoc = new CssDoc(nullptr);

    QAction* open = addMenuAction(fileMenu, "&Open...", QKeySequence("CTRL+O"), m_pDoc, SLOT(slotLoad()));
    QAction* save = addMenuAction(fileMenu, "&Save", QKeySequence("CTRL+S"), m_pDoc, SLOT(slotSave()));
    QAction* info = addMenuAction(fileMenu, "&SetInfo", QKeySequence("CTRL+I"), this, SLOT(slotApplyToolTipsInfo()));
    QAction* apply = addMenuAction(fileMenu, "&Apply", QKeySequence("CTRL+A"), this, SLOT(slotApply()));
    addMenuAction(fileMenu, "S&ave As...", QKeySequence(), m_pDoc, SLOT(slotSaveAs()));
    fileMenu->addSeparator();
    addMenuAction(helpMenu, "&About", QKeySequence(Qt::Key_F1), this, SLOT(slotAbout()));
    QAction* reset = addMenuAction(helpMenu, "&Reset", QKeySequence(Qt::Key_R), this, SLOT(slotReset()));

    menuBar()->addMenu(fileMenu);
    menuBar()->addMenu(helpMenu);

    auto* toolBar = new QToolBar("Operations", this);
    toolBar->addAction(open);
    toolBar->addAction(save);
    toolBar->addAction(apply);
    toolBar->addAction(reset);
    toolBar->addAction(info);
    addToolBar(Qt::TopToolBarArea, toolBar);

    setCentralWidget(m_pDoc);
    connect(m_pDoc, SIGNAL(changeWindowTitle(const QString&)), this, SLOT(slotChangeWindowTitle(const QString&)));

    statusBar()->showMessage("Ready", 2000);
}

void CssEditor::slotApply()
{
    qApp->setStyleSheet(m_pDoc->toPlainText());
    m_pDoc->applyOwnPalette();
}

void CssEditor::slotAbout() { QMessageBox::about(this, "About", "CSS Style Editor"); }

void CssEditor::slotReset() { qApp->setStyleSheet(QString()); }

void CssEditor::slotChangeWindowTitle(const QString& title) { setWindowTitle(title); }

void CssEditor::slotApplyToolTipsInfo()
{
    const QWidgetList topLevels = QApplication::topLevelWidgets();
    for (QWidget* topLevel : topLevels) {
        if (!topLevel)
            continue;
        prependInfo(topLevel);
        const QList<QWidget*> children = topLevel->findChildren<QWidget*>();
        for (QWidget* child : children)
            if (child != m_pDoc && !FrameMenu::isChildOf(child, m_pDoc))
                prependInfo(child);
    }
}

} // namespace VUVararer
