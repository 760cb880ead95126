#pragma once
// Window of the screenshot annotation editor: tool column, top bar and the work area in a scroll area.

#include <QFrame>
#include <QSize>

class QAction;
class QPushButton;
class QScrollArea;

namespace VUVararer {

class ImageNoteWorkArea;
class NoteEditDragPreview;

class ImageNoteEditor : public QFrame
{
    Q_OBJECT

public:
    explicit ImageNoteEditor(QWidget* parent = nullptr);

    ImageNoteWorkArea* workArea() const { return m_pWorkArea; }
    NoteEditDragPreview* dragPreview() const { return m_pDragPreview; }
    // The window size for a shown picture of pictureSize on a desktop of desktopSize: the picture plus the
    // frame, or two thirds of the desktop when that is smaller in either direction.
    static QSize windowSize(const QSize& pictureSize, const QSize& desktopSize);
    // Reads the picture file and shows it; a file that cannot be decoded is reported and the current work stays.
    bool openFile(const QString& path);

public slots:
    void slotSetPixmap(const QPixmap& pixmap);
    void slotChanged();
    void slotSetDrawTool(QAction* action);
    void slotSetThikness(QAction* action);
    void slotSetDashLine(bool dash);
    void slotSetFont();
    void slotAbout();
    void slotQuitClicked();
    void slotNewScreenShot();
    void slotSetPenTool();
    void slotSetEraserTool();
    void slotSetHighlighterTool();
    void slotSetRectangleTool();
    void slotSetFilledRectangleTool();
    void slotSetBlurTool();
    void slotSetOvalTool();
    void slotSetFilledOvalTool();
    void slotSetLineTool();
    void slotSetArrowTool();
    void slotSetTextTool();

signals:
    void changed();
    void shown();
    void doNewScreenShot();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    // Platform seams: the screen's scale factor, the desktop's available size and the application's end.
    virtual double scaleFactor() const;
    virtual QSize desktopSize() const;
    virtual void quitApplication();

private:
    QPushButton* createFlatButton(const QString& objectName, const QString& toolTip);
    void createToolMenu(QPushButton* button);
    void createThicknessMenu(QPushButton* button);
    // Asks the unsaved-changes question text with buttons; the pressed button's flag.
    int ask(const QString& text, int buttons);

    ImageNoteWorkArea* m_pWorkArea = nullptr;
    QScrollArea* m_pScrollArea = nullptr;
    QFrame* m_pToolColumn = nullptr;
    NoteEditDragPreview* m_pDragPreview = nullptr;
    QPushButton* m_pcmdUndo = nullptr;
    QPushButton* m_pcmdRedo = nullptr;
};

} // namespace VUVararer
