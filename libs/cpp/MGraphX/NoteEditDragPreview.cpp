#include "NoteEditDragPreview.h"

#include "ImageNotePictures.h"
#include "PngFile.h"

#include <VUVararer/App.h>

#include <QApplication>
#include <QDir>
#include <QDrag>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QUrl>

namespace VUVararer {

namespace {

const int DragFileTries = 32;
const int BandHeight = 14;

} // namespace

NoteEditDragPreview::NoteEditDragPreview(QWidget* parent) : QWidget(parent) { setMinimumSize(60, 50); }

void NoteEditDragPreview::slotSetPixmap(const QPixmap& pixmap)
{
    m_pixmap = pixmap;
    update();
}

QString NoteEditDragPreview::writeDragFile() const
{
    App* pApp = App::theApp();
    const QString folder = pApp ? pApp->workDirectory(true) : QDir::tempPath() + QLatin1Char('/');
    for (int n = 0; n < DragFileTries; ++n) {
        const QString name =
            folder + QStringLiteral("DravelinDrag") + (n ? QString::number(n) : QString()) + QStringLiteral(".png");
        if (PngFile::write(m_pixmap, name))
            return name;
    }
    return QString();
}

void NoteEditDragPreview::startDrag()
{
    const QString name = writeDragFile();
    if (name.isEmpty())
        return;
    QMimeData* pMimeData = new QMimeData;
    pMimeData->setUrls({QUrl::fromLocalFile(name)});
    QDrag* pDrag = new QDrag(this);
    pDrag->setMimeData(pMimeData);
    pDrag->setPixmap(m_pixmap.scaled(size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
    pDrag->exec(Qt::CopyAction);
}

void NoteEditDragPreview::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        m_ptPress = event->pos();
}

void NoteEditDragPreview::mouseMoveEvent(QMouseEvent* event)
{
    if ((event->buttons() & Qt::LeftButton) &&
        (event->pos() - m_ptPress).manhattanLength() > QApplication::startDragDistance())
        startDrag();
}

void NoteEditDragPreview::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    if (!m_pixmap.isNull())
        painter.drawPixmap(0, 0, m_pixmap.scaled(size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
    const QRect band(QPoint(0, 0), QPoint(width() - 1, BandHeight));
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0, 0, 0, 127));
    painter.drawRect(band);
    painter.setPen(Qt::white);
    painter.drawText(band, Qt::AlignCenter, tr("Drag"));
    painter.drawPixmap(rect(), ImageNotePictures::pixmap(QStringLiteral(":/steklo.png")));
}

} // namespace VUVararer
