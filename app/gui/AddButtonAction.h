#pragma once
// The popup button drawn in every track-list row; a press in its square asks for the row's popup menu.

#include <QAction>
#include <QModelIndex>
#include <QPixmap>
#include <QPoint>
#include <QRect>

class QEvent;
class QPainter;

class AddButtonAction : public QAction
{
    Q_OBJECT

public:
    explicit AddButtonAction(QObject* parent = nullptr);

    void setGeometry(const QRect& rect) { m_rect = rect; }
    QRect geometry() const { return m_rect; }
    // Draws the pixmap into a square of a quarter of its height at the rectangle's left, an eighth down.
    void draw(QPainter* painter);
    // A mouse press inside the rectangle emits triggered(index, rectangle's top left); a release restores the look.
    void event(QEvent* event, const QModelIndex& index);

signals:
    void triggered(const QModelIndex& index, const QPoint& point);

protected:
    using QAction::event;

private:
    QRect m_rect;
    QPixmap m_pxmButton;
};
