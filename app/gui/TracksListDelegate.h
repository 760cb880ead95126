#pragma once
// Paints the track-list rows (note picture, name, date, "today" band, popup button) and turns presses into actions.

#include <QList>
#include <QModelIndex>
#include <QStyledItemDelegate>

class QAction;

class TracksListDelegate : public QStyledItemDelegate
{
    Q_OBJECT

public:
    static constexpr int RowHeight = 55;

    explicit TracksListDelegate(QObject* parent = nullptr);

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    // Hands the event to every row button; a press on the note picture emits play(index).
    bool editorEvent(QEvent* event, QAbstractItemModel* model, const QStyleOptionViewItem& option,
                     const QModelIndex& index) override;

    // The delegate takes the action over as a child.
    void addAction(QAction* action);
    QList<QAction*> actions() const { return m_lstActions; }

    // The row shrunk by 13 px at the left and top and 10 px at the right and bottom.
    QRect displayArea(const QStyleOptionViewItem& option) const;
    // The popup button's square: left at the display area's width - 10, top 13 px into the row.
    QRect buttonArea(const QStyleOptionViewItem& option) const;
    // The note picture's square, 13 px in from the row's top left.
    QRect noteArea(const QStyleOptionViewItem& option) const;
    // Where the name and the date are written.
    QRect nameArea(const QStyleOptionViewItem& option) const;
    // pixmap (or the fallback picture when it is null) scaled smoothly into size, keeping its aspect ratio.
    static QPixmap createAvatar(const QPixmap& pixmap, const QSize& size);

signals:
    void play(const QModelIndex& index);

private:
    QList<QAction*> m_lstActions;
};
