#include "ImageNoteEditor.h"

#include "ImageNotePictures.h"
#include "ImageNoteWorkArea.h"
#include "NoteEditDragPreview.h"

#include <VUVararer/MMessageBox.h>
#include <VUVararer/Os.h>
#include <VUVararer/Widgets/AppButton.h>
#include <VUVararer/Widgets/ColorWidget.h>
#include <VUVararer/Widgets/MoreAppsButton.h>

#include <QActionGroup>
#include <QApplication>
#include <QButtonGroup>
#include <QCloseEvent>
#include <QDebug>
#include <QFontDialog>
#include <QHBoxLayout>
#include <QImageReader>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QVBoxLayout>

namespace VUVararer {

namespace {

struct ToolButton
{
    const char* objectName;
    const char* toolTip;
    const char* slot;
};

// The tool column from top to bottom; the index is the mode each button sets.
const ToolButton ToolButtons[] = {
    {"ImageNoteEditorPen", QT_TRANSLATE_NOOP("VUVararer::ImageNoteEditor", "Pen"), SLOT(slotSetPenTool())},
    {"ImageNoteEditorEraser", QT_TRANSLATE_NOOP("VUVararer::ImageNoteEditor", "Eraser"), SLOT(slotSetEraserTool())},
    {"ImageNoteEditorHighlighter", QT_TRANSLATE_NOOP("VUVararer::ImageNoteEditor", "Highlighter"),
     SLOT(slotSetHighlighterTool())},
    {"ImageNoteEditorRectangle", QT_TRANSLATE_NOOP("VUVararer::ImageNoteEditor", "Rectangle"),
     SLOT(slotSetRectangleTool())},
    {"ImageNoteEditorFilledRectangle", QT_TRANSLATE_NOOP("VUVararer::ImageNoteEditor", "Filled Rectangle"),
     SLOT(slotSetFilledRectangleTool())},
    {"ImageNoteEditorBlur", QT_TRANSLATE_NOOP("VUVararer::ImageNoteEditor", "Blur"), SLOT(slotSetBlurTool())},
    {"ImageNoteEditorOval", QT_TRANSLATE_NOOP("VUVararer::ImageNoteEditor", "Oval"), SLOT(slotSetOvalTool())},
    {"ImageNoteEditorFilledOval", QT_TRANSLATE_NOOP("VUVararer::ImageNoteEditor", "Filled Oval"),
     SLOT(slotSetFilledOvalTool())},
    {"ImageNoteEditorLine", QT_TRANSLATE_NOOP("VUVararer::ImageNoteEditor", "Line"), SLOT(slotSetLineTool())},
    {"ImageNoteEditorArrow", QT_TRANSLATE_NOOP("VUVararer::ImageNoteEditor", "Arrow"), SLOT(slotSetArrowTool())},
    {"ImageNoteEditorText", QT_TRANSLATE_NOOP("VUVararer::ImageNoteEditor", "Text"), SLOT(slotSetTextTool())},
};

struct MenuTool
{
    const char* text;
    int mode;
};

// The tool menu's order differs from the column's.
const MenuTool MenuTools[] = {
    {QT_TRANSLATE_NOOP("VUVararer::ImageNoteEditor", "Pen"), ImageNoteWorkArea::Pen},
    {QT_TRANSLATE_NOOP("VUVararer::ImageNoteEditor", "Eraser"), ImageNoteWorkArea::Eraser},
    {QT_TRANSLATE_NOOP("VUVararer::ImageNoteEditor", "Highlighter"), ImageNoteWorkArea::Highlighter},
    {QT_TRANSLATE_NOOP("VUVararer::ImageNoteEditor", "Line"), ImageNoteWorkArea::Line},
    {QT_TRANSLATE_NOOP("VUVararer::ImageNoteEditor", "Rectangle"), ImageNoteWorkArea::Rectangle},
    {QT_TRANSLATE_NOOP("VUVararer::ImageNoteEditor", "Filled Rectangle"), ImageNoteWorkArea::FilledRectangle},
    {QT_TRANSLATE_NOOP("VUVararer::ImageNoteEditor", "Blur"), ImageNoteWorkArea::BlurRectangle},
    {QT_TRANSLATE_NOOP("VUVararer::ImageNoteEditor", "Oval"), ImageNoteWorkArea::Oval},
    {QT_TRANSLATE_NOOP("VUVararer::ImageNoteEditor", "Filled Oval"), ImageNoteWorkArea::FilledOval},
    {QT_TRANSLATE_NOOP("VUVararer::ImageNoteEditor", "Text"), ImageNoteWorkArea::Text},
    {QT_TRANSLATE_NOOP("VUVararer::ImageNoteEditor", "Arrow"), ImageNoteWorkArea::Arrow},
};

const int Thicknesses[] = {1, 2, 3, 4, 5, 10, 15};
const QSize FrameAround(100, 90);
const double DesktopShare = 1.5;

} // namespace

ImageNoteEditor::ImageNoteEditor(QWidget* parent) : QFrame(parent)
{
    m_pWorkArea = new ImageNoteWorkArea;
    m_pScrollArea = new QScrollArea;
    m_pScrollArea->setWidget(m_pWorkArea);
    m_pDragPreview = new NoteEditDragPreview;
    m_pDragPreview->setToolTip(tr("Drag&Drop this into Skype, Mail, GoogleDrive-Folder etc."));

    QPushButton* pcmdNewShot = new QPushButton(tr("New\nScreen\nShot"));
    pcmdNewShot->setObjectName(QStringLiteral("NewScreenShowButton"));
    pcmdNewShot->setFixedSize(64, 64);
    connect(pcmdNewShot, SIGNAL(clicked()), this, SLOT(slotNewScreenShot()));

    connect(m_pWorkArea, SIGNAL(changed()), this, SLOT(slotChanged()));
    connect(m_pWorkArea, SIGNAL(changed()), this, SIGNAL(changed()));

    QPushButton* pcmdTools = new QPushButton(QStringLiteral("DRA"));
    pcmdTools->hide();

    m_pcmdUndo = createFlatButton(QStringLiteral("ImageNoteEditorUndo"), tr("Undo"));
    m_pcmdRedo = createFlatButton(QStringLiteral("ImageNoteEditorRedo"), tr("Redo"));
    QPushButton* pcmdSave = createFlatButton(QStringLiteral("ImageNoteEditorSave"), tr("Save"));
    QPushButton* pcmdQuit = createFlatButton(QStringLiteral("ImageNoteEditorQuit"), tr("Quit"));
    AppButton* pcmdApp = new AppButton;
    pcmdApp->setObjectName(QStringLiteral("ImageNoteEditorApp"));
    pcmdApp->setToolTip(tr("App"));
    pcmdApp->setIcon(ImageNotePictures::buttonIcon(pcmdApp->objectName()));
    pcmdApp->hideSupportPageAction();
    pcmdApp->hideIntroAction();
    MoreAppsButton* pcmdMoreApps = new MoreAppsButton;
    pcmdMoreApps->setObjectName(QStringLiteral("ImageNoteEditorMoreApps"));
    pcmdMoreApps->setToolTip(tr("MoreApps"));
    pcmdMoreApps->hide();
    QPushButton* pcmdThickness = createFlatButton(QStringLiteral("ImageNoteEditorThikness"), QString());
    m_pcmdUndo->setEnabled(false);
    m_pcmdRedo->setEnabled(false);

    connect(pcmdQuit, SIGNAL(clicked()), this, SLOT(slotQuitClicked()));
    connect(pcmdApp, SIGNAL(quitPressed()), this, SLOT(slotQuitClicked()));
    connect(pcmdSave, SIGNAL(clicked()), m_pWorkArea, SLOT(slotSave()));
    connect(m_pcmdUndo, SIGNAL(clicked()), m_pWorkArea, SLOT(slotUndo()));
    connect(m_pcmdRedo, SIGNAL(clicked()), m_pWorkArea, SLOT(slotRedo()));
    connect(m_pWorkArea, SIGNAL(undoAvailable(bool)), m_pcmdUndo, SLOT(setEnabled(bool)));
    connect(m_pWorkArea, SIGNAL(redoAvailable(bool)), m_pcmdRedo, SLOT(setEnabled(bool)));

    ColorWidget* pColor = new ColorWidget;
    pColor->setFixedSize(22, 22);
    pColor->setColor(Qt::yellow);
    connect(pColor, SIGNAL(colorChanged(const QColor&)), m_pWorkArea, SLOT(slotSetColor(const QColor&)));

    createToolMenu(pcmdTools);
    createThicknessMenu(pcmdThickness);

    m_pToolColumn = new QFrame;
    QVBoxLayout* pToolLayout = new QVBoxLayout(m_pToolColumn);
    pToolLayout->setSpacing(0);
    pToolLayout->addWidget(m_pDragPreview);
    pToolLayout->addStretch();
    QButtonGroup* pToolGroup = new QButtonGroup(this);
    for (const ToolButton& tool : ToolButtons) {
        QPushButton* pButton = createFlatButton(QLatin1String(tool.objectName), tr(tool.toolTip));
        pButton->setCheckable(true);
        pButton->setFixedSize(32, 32);
        pToolGroup->addButton(pButton);
        pToolLayout->addWidget(pButton);
        connect(pButton, SIGNAL(clicked()), this, tool.slot);
    }
    pToolGroup->buttons().first()->setChecked(true);
    pToolGroup->buttons().at(ImageNoteWorkArea::FilledOval)->hide();
    pToolLayout->addStretch();
    pToolLayout->addWidget(pcmdNewShot);

    QWidget* pColorDecor = new QWidget;
    pColorDecor->setObjectName(QStringLiteral("ImageNoteEditorColorDecor"));
    QHBoxLayout* pColorLayout = new QHBoxLayout(pColorDecor);
    pColorLayout->setContentsMargins(5, 5, 5, 5);
    pColorLayout->addWidget(pColor);
    QHBoxLayout* pStyleLayout = new QHBoxLayout;
    pStyleLayout->setContentsMargins(0, 0, 0, 0);
    pStyleLayout->setSpacing(0);
    pStyleLayout->addWidget(pColorDecor);
    pStyleLayout->addWidget(pcmdThickness);
    QHBoxLayout* pHistoryLayout = new QHBoxLayout;
    pHistoryLayout->addWidget(m_pcmdUndo);
    pHistoryLayout->addWidget(m_pcmdRedo);
    QHBoxLayout* pFileLayout = new QHBoxLayout;
    pFileLayout->addWidget(pcmdSave);
    pFileLayout->addWidget(pcmdMoreApps);
    pFileLayout->addWidget(pcmdApp);
    pFileLayout->addWidget(pcmdQuit);
    QHBoxLayout* pTopBar = new QHBoxLayout;
    pTopBar->setContentsMargins(12, 12, 12, 12);
    pTopBar->setSpacing(5);
    pTopBar->addLayout(pStyleLayout);
    pTopBar->addStretch();
    pTopBar->addLayout(pHistoryLayout);
    pTopBar->addStretch();
    pTopBar->addLayout(pFileLayout);

    QVBoxLayout* pRightSide = new QVBoxLayout;
    pRightSide->addLayout(pTopBar);
    pRightSide->addWidget(m_pScrollArea);
    QHBoxLayout* pLayout = new QHBoxLayout(this);
    pLayout->setContentsMargins(0, 0, 0, 0);
    pLayout->setSpacing(0);
    pLayout->addWidget(m_pToolColumn);
    pLayout->addLayout(pRightSide);
    pLayout->addWidget(pcmdTools);
}

QPushButton* ImageNoteEditor::createFlatButton(const QString& objectName, const QString& toolTip)
{
    QPushButton* pButton = new QPushButton;
    pButton->setObjectName(objectName);
    if (!toolTip.isEmpty())
        pButton->setToolTip(toolTip);
    pButton->setFlat(true);
    pButton->setIcon(ImageNotePictures::buttonIcon(objectName));
    return pButton;
}

void ImageNoteEditor::createToolMenu(QPushButton* button)
{
    QMenu* pMenu = new QMenu(button);
    QActionGroup* pGroup = new QActionGroup(pMenu);
    pGroup->setExclusive(true);
    for (const MenuTool& tool : MenuTools) {
        QAction* pAction = pMenu->addAction(tr(tool.text));
        pAction->setCheckable(true);
        pAction->setData(tool.mode);
        pAction->setChecked(tool.mode == ImageNoteWorkArea::Pen);
        pGroup->addAction(pAction);
    }
    connect(pGroup, SIGNAL(triggered(QAction*)), this, SLOT(slotSetDrawTool(QAction*)));
    button->setMenu(pMenu);
}

void ImageNoteEditor::createThicknessMenu(QPushButton* button)
{
    QMenu* pMenu = new QMenu(button);
    QActionGroup* pGroup = new QActionGroup(pMenu);
    pGroup->setExclusive(true);
    for (int thickness : Thicknesses) {
        const QString text = QStringLiteral("%1px").arg(thickness);
        QAction* pAction =
            pMenu->addAction(QIcon(ImageNotePictures::pixmap(QStringLiteral(":/%1.png").arg(text))), text);
        pAction->setCheckable(true);
        pAction->setData(thickness);
        pGroup->addAction(pAction);
    }
    connect(pGroup, SIGNAL(triggered(QAction*)), this, SLOT(slotSetThikness(QAction*)));
    pMenu->addSeparator();
    QAction* pDash = pMenu->addAction(QIcon(ImageNotePictures::pixmap(QStringLiteral(":/dash.png"))), tr("Dash"));
    pDash->setCheckable(true);
    connect(pDash, SIGNAL(triggered(bool)), this, SLOT(slotSetDashLine(bool)));
    button->setMenu(pMenu);
}

QSize ImageNoteEditor::windowSize(const QSize& pictureSize, const QSize& desktopSize)
{
    const QSize limit(int(desktopSize.width() / DesktopShare), int(desktopSize.height() / DesktopShare));
    const QSize wish = pictureSize + FrameAround;
    return wish.width() <= limit.width() && wish.height() <= limit.height() ? wish : limit;
}

double ImageNoteEditor::scaleFactor() const { return Os::scaleFactor(); }

QSize ImageNoteEditor::desktopSize() const
{
    const QScreen* pScreen = QGuiApplication::primaryScreen();
    return pScreen ? pScreen->availableGeometry().size() : QSize();
}

void ImageNoteEditor::quitApplication() { QCoreApplication::quit(); }

void ImageNoteEditor::slotSetPixmap(const QPixmap& pixmap)
{
    if (pixmap.isNull()) {
        qWarning() << "ImageNoteEditor: no picture to show";
        return;
    }
    const double factor = scaleFactor();
    const QSize shown(qRound(pixmap.width() / factor), qRound(pixmap.height() / factor));
    const QPixmap scaled = pixmap.scaled(shown, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    resize(windowSize(shown, desktopSize()));
    m_pWorkArea->slotSetPixmap(scaled);
    m_pDragPreview->slotSetPixmap(scaled);
    m_pDragPreview->repaint();
}

bool ImageNoteEditor::openFile(const QString& path)
{
    QImageReader reader(path);
    const QImage image = reader.read();
    if (image.isNull()) {
        MMessageBox::warning(
            this, tr("Open Picture"),
            QStringLiteral("<p>%1<br>%2<br>%3</p>")
                .arg(tr("The picture cannot be opened:"), path.toHtmlEscaped(), reader.errorString().toHtmlEscaped()));
        return false;
    }
    slotSetPixmap(QPixmap::fromImage(image));
    return true;
}

void ImageNoteEditor::slotChanged()
{
    m_pDragPreview->slotSetPixmap(m_pWorkArea->pixContent());
    m_pDragPreview->repaint();
}

void ImageNoteEditor::slotSetDrawTool(QAction* action)
{
    m_pWorkArea->slotSetMode(ImageNoteWorkArea::Mode(action->data().toInt()));
}

void ImageNoteEditor::slotSetThikness(QAction* action) { m_pWorkArea->slotSetThikness(action->data().toInt()); }

void ImageNoteEditor::slotSetDashLine(bool dash) { m_pWorkArea->slotSetDashLine(dash); }

void ImageNoteEditor::slotSetFont()
{
    bool bOk = false;
    const QFont font = QFontDialog::getFont(&bOk, QFont(), nullptr);
    if (bOk)
        m_pWorkArea->slotSetFont(font);
}

void ImageNoteEditor::slotAbout() { QMessageBox::about(this, tr("About"), tr("Note Editor")); }

int ImageNoteEditor::ask(const QString& text, int buttons)
{
    MMessageBox box(MMessageBox::Information, QString(), text, buttons, this);
    return box.exec();
}

void ImageNoteEditor::slotQuitClicked()
{
    if (m_pWorkArea->isDirty() && ask(tr("The changes of the curent image are not saved.\nQuit anyway?"),
                                      MMessageBox::Yes | MMessageBox::No) != MMessageBox::Yes)
        return;
    quitApplication();
}

void ImageNoteEditor::slotNewScreenShot()
{
    if (m_pWorkArea->isDirty() &&
        ask(tr("The changes of the curent image are not saved.\nAfter creation of the new screen shot these "
               "changes will be lost.\nContinue?"),
            MMessageBox::Yes | MMessageBox::No) != MMessageBox::Yes)
        return;
    hide();
    emit doNewScreenShot();
}

void ImageNoteEditor::showEvent(QShowEvent* event)
{
    QFrame::showEvent(event);
    emit shown();
}

void ImageNoteEditor::closeEvent(QCloseEvent* event)
{
    if (!m_pWorkArea->isDirty()) {
        QFrame::closeEvent(event);
        return;
    }
    const int answer = ask(tr("Do you want to save the current changes to the file?"),
                           MMessageBox::Yes | MMessageBox::No | MMessageBox::Cancel);
    if (answer == MMessageBox::No) {
        event->accept();
        return;
    }
    if (answer == MMessageBox::Yes)
        m_pWorkArea->slotSave();
    event->ignore();
    show();
}

void ImageNoteEditor::slotSetPenTool() { m_pWorkArea->slotSetMode(ImageNoteWorkArea::Pen); }
void ImageNoteEditor::slotSetEraserTool() { m_pWorkArea->slotSetMode(ImageNoteWorkArea::Eraser); }
void ImageNoteEditor::slotSetHighlighterTool() { m_pWorkArea->slotSetMode(ImageNoteWorkArea::Highlighter); }
void ImageNoteEditor::slotSetRectangleTool() { m_pWorkArea->slotSetMode(ImageNoteWorkArea::Rectangle); }
void ImageNoteEditor::slotSetFilledRectangleTool() { m_pWorkArea->slotSetMode(ImageNoteWorkArea::FilledRectangle); }
void ImageNoteEditor::slotSetBlurTool() { m_pWorkArea->slotSetMode(ImageNoteWorkArea::BlurRectangle); }
void ImageNoteEditor::slotSetOvalTool() { m_pWorkArea->slotSetMode(ImageNoteWorkArea::Oval); }
void ImageNoteEditor::slotSetFilledOvalTool() { m_pWorkArea->slotSetMode(ImageNoteWorkArea::FilledOval); }
void ImageNoteEditor::slotSetLineTool() { m_pWorkArea->slotSetMode(ImageNoteWorkArea::Line); }
void ImageNoteEditor::slotSetArrowTool() { m_pWorkArea->slotSetMode(ImageNoteWorkArea::Arrow); }
void ImageNoteEditor::slotSetTextTool() { m_pWorkArea->slotSetMode(ImageNoteWorkArea::Text); }

} // namespace VUVararer
