#include "ListView.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QVBoxLayout>

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

void ListView::setFooter(QWidget* footer)
{
    m_pFooter = footer;
    auto* pLayout = new QVBoxLayout(this);
    pLayout->setContentsMargins(0, 0, 0, 0);
    pLayout->setSpacing(0);
    pLayout->addStretch(1);
    pLayout->addWidget(footer);
    footer->installEventFilter(this);
}

bool ListView::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_pFooter &&
        (event->type() == QEvent::Resize || event->type() == QEvent::Show || event->type() == QEvent::Hide))
        setViewportMargins(0, 0, 0, m_pFooter->isVisible() ? m_pFooter->height() : 0);
    return QListView::eventFilter(watched, event);
}
