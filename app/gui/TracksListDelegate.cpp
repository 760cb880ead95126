#include "TracksListDelegate.h"

#include "AddButtonAction.h"

#include <QAction>
#include <QDate>
#include <QDateTime>
#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>

namespace {

const int kLastModifiedRole = Qt::UserRole + 1;

} // namespace

TracksListDelegate::TracksListDelegate(QObject* parent) : QStyledItemDelegate(parent) {}

void TracksListDelegate::addAction(QAction* action)
{
    action->setParent(this);
    m_lstActions.append(action);
}

QRect TracksListDelegate::displayArea(const QStyleOptionViewItem& option) const
{
    const QRect& r = option.rect;
    return QRect(r.left() + 13, r.top() + 13, r.width() - 23, r.height() - 22);
}

QRect TracksListDelegate::buttonArea(const QStyleOptionViewItem& option) const
{
    // Square, at the right end of the display area, so the row's frame never cuts it.
    const QRect display = displayArea(option);
    return QRect(display.right() + 1 - display.height(), display.top(), display.height(), display.height());
}

QRect TracksListDelegate::noteArea(const QStyleOptionViewItem& option) const
{
    const int nSide = displayArea(option).height();
    return QRect(option.rect.left() + 13, option.rect.top() + 13, nSide, nSide);
}

QRect TracksListDelegate::nameArea(const QStyleOptionViewItem& option) const
{
    const QRect& r = option.rect;
    return QRect(QPoint(r.left() + r.height() + 2, r.top() + 13),
                 QPoint(buttonArea(option).left() - 4, r.bottom() - 10));
}

QPixmap TracksListDelegate::createAvatar(const QPixmap& pixmap, const QSize& size)
{
    const QPixmap source =
        pixmap.isNull() ? QPixmap(QStringLiteral(":/_resources/imgs/MoreAppsButton_hover.png")) : pixmap;
    if (source.isNull())
        return source;
    return source.scaled(size, Qt::KeepAspectRatio, Qt::SmoothTransformation);
}

QSize TracksListDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex&) const
{
    return QSize(option.rect.width(), RowHeight);
}

void TracksListDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    const QRect& r = option.rect;
    const bool bHover = option.state & QStyle::State_MouseOver;
    painter->save();

    QLinearGradient gradient(r.topRight(), r.bottomRight());
    gradient.setColorAt(0, QColor(30, 30, 30));
    gradient.setColorAt(0.5, QColor(60, 60, 60));
    gradient.setColorAt(1, QColor(30, 30, 30));
    painter->setPen(Qt::NoPen);
    painter->setBrush(gradient);
    painter->drawRect(r);
    if (bHover)
        painter->fillRect(r, QColor(30, 180, 30, 50));

    painter->setBrush(Qt::black);
    painter->setPen(Qt::white);
    const QString strName = index.data(Qt::DisplayRole).toString();
    const QDateTime date = index.data(kLastModifiedRole).toDateTime();
    const QString strDate = date.toString(QStringLiteral("dd.MMM.yyyy hh:mm:ss"));

    const QRect name = nameArea(option);
    QFont font = option.font;
    font.setWeight(75);
    font.setPixelSize(15);
    painter->setFont(font);
    painter->drawText(name, Qt::AlignLeft, QFontMetrics(font).elidedText(strName, Qt::ElideMiddle, name.width()));

    painter->setPen(Qt::lightGray);
    painter->drawLine(r.left() + 8, r.bottom(), r.width() - 8, r.bottom());

    font.setWeight(50);
    font.setPixelSize(10);
    painter->setFont(font);
    QRect dateArea = name;
    dateArea.moveTop(r.bottom() - 10 + 1 - QFontMetrics(font).height());
    painter->drawText(dateArea, Qt::AlignLeft, strDate);

    for (QAction* pAction : m_lstActions) {
        if (auto* pButton = qobject_cast<AddButtonAction*>(pAction)) {
            pButton->setGeometry(buttonArea(option));
            pButton->draw(painter);
        }
    }

    const QRect note = noteArea(option);
    const QPixmap picture(bHover ? QStringLiteral(":/noteplay.png") : QStringLiteral(":/note.png"));
    painter->drawPixmap(note, createAvatar(picture, note.size() * 2));

    if (date.date() == QDate::currentDate()) {
        const QRect band(note.left(), note.top(), note.width(), note.height() / 3);
        painter->fillRect(band, QColor(0, 127, 0, 120));
        font.setPixelSize(9);
        painter->setFont(font);
        painter->setPen(Qt::white);
        painter->drawText(band, Qt::AlignCenter, tr("today"));
    }
    painter->restore();
}

bool TracksListDelegate::editorEvent(QEvent* event, QAbstractItemModel* model, const QStyleOptionViewItem& option,
                                     const QModelIndex& index)
{
    for (QAction* pAction : qAsConst(m_lstActions)) {
        if (auto* pButton = qobject_cast<AddButtonAction*>(pAction)) {
            pButton->setGeometry(buttonArea(option));
            pButton->event(event, index);
        }
    }
    if (event->type() == QEvent::MouseButtonPress &&
        noteArea(option).contains(static_cast<QMouseEvent*>(event)->localPos().toPoint()))
        emit play(index);
    return QStyledItemDelegate::editorEvent(event, model, option, index);
}
