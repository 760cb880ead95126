#pragma once
// Thumbnail of the annotated picture; dragging it writes the picture to a PNG file and drags that file out.

#include <QPixmap>
#include <QPoint>
#include <QWidget>

namespace VUVararer {

class NoteEditDragPreview : public QWidget
{
    Q_OBJECT

public:
    explicit NoteEditDragPreview(QWidget* parent = nullptr);

    QPixmap pixmap() const { return m_pixmap; }
    // Saves the pixmap as the first drag file of the work folder that can be written; empty when none can.
    QString writeDragFile() const;

public slots:
    void slotSetPixmap(const QPixmap& pixmap);
    // Writes the drag file and drags its URL out with the copy action.
    void startDrag();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    QPixmap m_pixmap;
    QPoint m_ptPress;
};

} // namespace VUVararer
