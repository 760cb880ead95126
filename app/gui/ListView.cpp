#include "ListView.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>

ListView::ListView(QWidget* parent) : QListView(parent)
{
    setAcceptDrops(true);
    setDropIndicatorShown(true);
}

void ListView::dragEnterEvent(QDragEnterEvent* event)
{
    if (event->mimeData()->hasFormat(QStringLiteral("text/uri-list")))
        event->acceptProposedAction();
    else
        event->ignore();
}

void ListView::dropEvent(QDropEvent* event)
{
    event->acceptProposedAction();
    emit dropped(event->mimeData()->urls());
}
