#pragma once
// Drawing canvas of the image-note editor: annotations on a transparent layer over the picture, with undo and redo.

#include <QColor>
#include <QFont>
#include <QLine>
#include <QList>
#include <QPixmap>
#include <QPoint>
#include <QWidget>

class QPainter;
class QPen;

namespace VUVararer {

class NoteEditWidget;

class ImageNoteWorkArea : public QWidget
{
    Q_OBJECT

public:
    enum Mode {
        Pen = 0,
        Eraser,
        Highlighter,
        Rectangle,
        FilledRectangle,
        BlurRectangle,
        Oval,
        FilledOval,
        Line,
        Arrow,
        Text,
        NoteCanceled,
        NoteAccepted
    };
    // Undo entries kept at most; each is a full copy of the layer.
    static const int sm_nUndoDepth = 50;

    explicit ImageNoteWorkArea(QWidget* parent = nullptr);
    ~ImageNoteWorkArea() override;

    // The picture with the annotations over it.
    QPixmap pixContent();
    bool isDirty() const { return m_bDirty; }
    Mode mode() const { return m_mode; }
    QPixmap layer() const { return m_pixLayer; }
    NoteEditWidget* noteEdit() const { return m_pNoteEdit; }
    int undoCount() const { return m_lstUndo.size(); }
    int redoCount() const { return m_lstRedo.size(); }

public slots:
    // A new picture: fresh layer, empty undo and redo stacks, unsaved.
    void slotSetPixmap(const QPixmap& pixmap);
    void slotSetMode(const Mode& mode);
    void slotSetThikness(const int& thickness);
    void slotSetDashLine(bool dash);
    void slotSetColor(const QColor& color);
    void slotSetFont(const QFont& font);
    void slotUndo();
    void slotRedo();
    // Asks for a file name and saves the picture as PNG; a failure keeps the unsaved state and is reported.
    void slotSave();
    void slotEditAccepted();
    void slotEditCanceled();
    void slotSwitchToEdit();

signals:
    void changed();
    void undoAvailable(bool available);
    void redoAvailable(bool available);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEvent* event) override;
    void leaveEvent(QEvent* event) override;
    // The file to save to, proposal offered; empty when the user cancels.
    virtual QString askSaveFileName(const QString& proposal);

private:
    void pushUndo();
    void styleNoteEdit();
    QPen outlinePen() const;
    // Draws the current shape of the non-stroke modes with painter.
    void drawShape(QPainter& painter);
    void drawArrow(QPainter& painter);
    void drawStroke(QPainter& painter) const;
    void paintStroke(QPainter& widgetPainter);
    void paintTextFrame(QPainter& widgetPainter);
    void paintNote(QPainter& widgetPainter);
    QCursor modeCursor() const;

    QPixmap m_pixBackground;
    QPixmap m_pixLayer;
    QPixmap m_pixComposite;
    QPoint m_ptPrevious;
    QPoint m_ptCurrent;
    QPoint m_ptStart;
    Mode m_mode = Pen;
    QColor m_color = Qt::yellow;
    QFont m_font;
    int m_nThickness = 1;
    bool m_bDash = false;
    bool m_bPressed = false;
    NoteEditWidget* m_pNoteEdit = nullptr;
    bool m_bPending = false;
    QList<QPixmap> m_lstUndo;
    QList<QPixmap> m_lstRedo;
    QList<QLine> m_lstStroke;
    bool m_bDirty = true;
    bool m_bCursorSet = false;
};

} // namespace VUVararer
