#include "ImageNoteWorkArea.h"

#include "DrawTools.h"
#include "ImageNotePictures.h"
#include "NoteEditWidget.h"
#include "PngFile.h"

#include <VUVararer/App.h>
#include <VUVararer/FileDialog.h>
#include <VUVararer/MMessageBox.h>

#include <QApplication>
#include <QDateTime>
#include <QDebug>
#include <QMouseEvent>
#include <QPainter>
#include <QTextEdit>
#include <QTimer>

#include <cmath>

namespace VUVararer {

namespace {

const QPoint NoteBoxSpan(219, 89);
const int NoteBoxDragDistance = 101;
const QPoint NoteTextInset(3, 3);
const int NoteSwitchBackMs = 100;
const int BlurRadius = 10;
const int SolidOvalBelow = 6;
const int FillAlpha = 200;
const float Pi = 3.14159f;

bool isStrokeMode(ImageNoteWorkArea::Mode mode)
{
    return mode == ImageNoteWorkArea::Pen || mode == ImageNoteWorkArea::Eraser ||
           mode == ImageNoteWorkArea::Highlighter;
}

} // namespace

ImageNoteWorkArea::ImageNoteWorkArea(QWidget* parent) : QWidget(parent)
{
    m_pNoteEdit = new NoteEditWidget(this);
    m_pNoteEdit->setAutoFillBackground(true);
    m_pNoteEdit->hideAll();
    connect(m_pNoteEdit, SIGNAL(okClicked()), this, SLOT(slotEditAccepted()));
    connect(m_pNoteEdit, SIGNAL(cancelClicked()), this, SLOT(slotEditCanceled()));
    styleNoteEdit();
}

ImageNoteWorkArea::~ImageNoteWorkArea()
{
    if (m_bCursorSet)
        QApplication::restoreOverrideCursor();
}

QPixmap ImageNoteWorkArea::pixContent()
{
    m_pixComposite = m_pixBackground.copy();
    QPainter painter(&m_pixComposite);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.drawPixmap(0, 0, m_pixLayer);
    return m_pixComposite;
}

void ImageNoteWorkArea::slotSetPixmap(const QPixmap& pixmap)
{
    m_pixBackground = pixmap;
    m_pixComposite = pixmap;
    setFixedSize(pixmap.size());
    m_pixLayer = QPixmap(pixmap.size());
    m_pixLayer.fill(QColor(0, 0, 0, 0));
    m_lstUndo.clear();
    m_lstRedo.clear();
    m_lstStroke.clear();
    m_bDirty = true;
    emit redoAvailable(false);
    emit undoAvailable(false);
    update();
}

void ImageNoteWorkArea::slotSetMode(const Mode& mode) { m_mode = mode; }

void ImageNoteWorkArea::slotSetThikness(const int& thickness) { m_nThickness = thickness; }

void ImageNoteWorkArea::slotSetDashLine(bool dash) { m_bDash = dash; }

void ImageNoteWorkArea::slotSetColor(const QColor& color)
{
    m_color = color;
    styleNoteEdit();
}

void ImageNoteWorkArea::slotSetFont(const QFont& font)
{
    m_font = font;
    m_pNoteEdit->textEdit()->setFont(font);
    styleNoteEdit();
}

void ImageNoteWorkArea::styleNoteEdit()
{
    m_pNoteEdit->textEdit()->setStyleSheet(
        QStringLiteral("QTextEdit{color: %1; background: rgba(10, 10, 10, 5);}").arg(m_color.name()));
}

void ImageNoteWorkArea::slotUndo()
{
    if (!m_lstUndo.isEmpty()) {
        m_lstRedo.append(m_pixLayer);
        m_pixLayer = m_lstUndo.takeLast();
        repaint();
        emit changed();
    }
    emit undoAvailable(!m_lstUndo.isEmpty());
    emit redoAvailable(!m_lstRedo.isEmpty());
}

void ImageNoteWorkArea::slotRedo()
{
    if (!m_lstRedo.isEmpty()) {
        m_lstUndo.append(m_pixLayer);
        m_pixLayer = m_lstRedo.takeLast();
        repaint();
        emit changed();
    }
    emit redoAvailable(!m_lstRedo.isEmpty());
    emit undoAvailable(!m_lstUndo.isEmpty());
}

void ImageNoteWorkArea::pushUndo()
{
    m_lstUndo.append(m_pixLayer);
    while (m_lstUndo.size() > sm_nUndoDepth)
        m_lstUndo.removeFirst();
    if (!m_lstRedo.isEmpty()) {
        m_lstRedo.clear();
        emit redoAvailable(false);
    }
    emit undoAvailable(true);
}

QString ImageNoteWorkArea::askSaveFileName(const QString& proposal)
{
    return FileDialog::getSaveFileName(this, tr("Save Picture"), proposal, QStringLiteral("*.png"));
}

void ImageNoteWorkArea::slotSave()
{
    App* pApp = App::theApp();
    const QString proposal = (pApp ? pApp->saveDirPath() : QString()) + QStringLiteral("/EditedScreenShot_") +
                             QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd_hh-mm-ss")) +
                             QStringLiteral(".png");
    const QString name = askSaveFileName(proposal);
    if (name.isEmpty())
        return;
    QPixmap picture(size());
    render(&picture);
    QString strError;
    const bool bSaved = PngFile::write(picture, name, &strError);
    if (pApp)
        pApp->setSaveDirPath(name);
    if (bSaved) {
        m_bDirty = false;
        return;
    }
    MMessageBox::warning(
        this, tr("Save Picture"),
        QStringLiteral("<p>%1<br>%2<br>%3</p>")
            .arg(tr("The picture could not be saved to"), name.toHtmlEscaped(), strError.toHtmlEscaped()));
}

void ImageNoteWorkArea::slotEditAccepted()
{
    if (!qobject_cast<QWidget*>(sender()))
        return;
    m_pNoteEdit->hideAll();
    m_mode = NoteAccepted;
    repaint();
    QTimer::singleShot(NoteSwitchBackMs, this, SLOT(slotSwitchToEdit()));
}

void ImageNoteWorkArea::slotEditCanceled()
{
    if (!qobject_cast<QWidget*>(sender()))
        return;
    m_pNoteEdit->hideAll();
    m_pNoteEdit->textEdit()->clear();
    m_mode = NoteCanceled;
    repaint();
    QTimer::singleShot(NoteSwitchBackMs, this, SLOT(slotSwitchToEdit()));
}

void ImageNoteWorkArea::slotSwitchToEdit()
{
    // A tool chosen in the meantime stays.
    if (m_mode == NoteAccepted || m_mode == NoteCanceled)
        m_mode = Text;
}

void ImageNoteWorkArea::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    m_bPressed = true;
    m_ptStart = m_ptPrevious = m_ptCurrent = event->localPos().toPoint();
    m_lstStroke.clear();
    if (isStrokeMode(m_mode))
        m_lstStroke.append(QLine(m_ptCurrent, m_ptCurrent));
    m_bPending = true;
    update();
}

void ImageNoteWorkArea::mouseMoveEvent(QMouseEvent* event)
{
    if (!(event->buttons() & Qt::LeftButton))
        return;
    m_bPressed = true;
    m_ptPrevious = m_ptCurrent;
    m_ptCurrent = event->localPos().toPoint();
    if (isStrokeMode(m_mode))
        m_lstStroke.append(QLine(m_ptPrevious, m_ptCurrent));
    m_bPending = true;
    update();
}

void ImageNoteWorkArea::mouseReleaseEvent(QMouseEvent* event)
{
    m_bPressed = false;
    m_ptPrevious = m_ptCurrent;
    m_ptCurrent = event->localPos().toPoint();
    m_bPending = true;
    repaint();
}

QPen ImageNoteWorkArea::outlinePen() const
{
    return QPen(QBrush(m_color), m_nThickness, m_bDash ? Qt::DashLine : Qt::SolidLine, Qt::SquareCap, Qt::BevelJoin);
}

void ImageNoteWorkArea::paintEvent(QPaintEvent*)
{
    if (m_bPending && !m_bPressed && !m_pNoteEdit->isVisible())
        pushUndo();
    QPainter widgetPainter(this);
    widgetPainter.setRenderHint(QPainter::Antialiasing);
    widgetPainter.drawPixmap(0, 0, m_pixBackground);
    if (m_mode <= Arrow)
        m_pNoteEdit->hideAll();

    switch (m_mode) {
    case Pen:
    case Eraser:
    case Highlighter:
        paintStroke(widgetPainter);
        break;
    case Text:
        paintTextFrame(widgetPainter);
        break;
    case NoteCanceled:
        widgetPainter.drawPixmap(0, 0, m_pixLayer);
        break;
    case NoteAccepted:
        paintNote(widgetPainter);
        break;
    default:
        if (!m_bPressed && m_bPending) {
            QPainter layerPainter(&m_pixLayer);
            layerPainter.setRenderHint(QPainter::Antialiasing);
            drawShape(layerPainter);
        }
        widgetPainter.drawPixmap(0, 0, m_pixLayer);
        if (m_bPressed && m_bPending)
            drawShape(widgetPainter);
        break;
    }

    const bool bChanged = m_bPending || m_mode == NoteAccepted;
    m_bPending = false;
    if (bChanged) {
        m_bDirty = true;
        emit changed();
    }
}

void ImageNoteWorkArea::drawStroke(QPainter& painter) const
{
    QPen pen;
    if (m_mode == Eraser) {
        pen = QPen(QBrush(Qt::transparent), m_nThickness * 10, Qt::SolidLine, Qt::RoundCap, Qt::BevelJoin);
        painter.setCompositionMode(QPainter::CompositionMode_Source);
    } else if (m_mode == Highlighter) {
        pen = QPen(QBrush(m_color), m_nThickness * 8, Qt::SolidLine);
        painter.setOpacity(0.1);
    } else {
        pen = outlinePen();
        pen.setCapStyle(Qt::RoundCap);
    }
    painter.setPen(pen);
    painter.drawLines(m_lstStroke.toVector());
}

void ImageNoteWorkArea::paintStroke(QPainter& widgetPainter)
{
    if (!m_bPressed) {
        if (m_bPending && !m_lstStroke.isEmpty()) {
            QPainter layerPainter(&m_pixLayer);
            layerPainter.setRenderHint(QPainter::Antialiasing);
            drawStroke(layerPainter);
            m_lstStroke.clear();
        }
        widgetPainter.drawPixmap(0, 0, m_pixLayer);
    } else if (m_mode == Eraser) {
        QPixmap layerCopy = m_pixLayer.copy();
        QPainter copyPainter(&layerCopy);
        copyPainter.setRenderHint(QPainter::Antialiasing);
        drawStroke(copyPainter);
        copyPainter.end();
        widgetPainter.drawPixmap(0, 0, layerCopy);
    } else {
        widgetPainter.drawPixmap(0, 0, m_pixLayer);
        widgetPainter.save();
        drawStroke(widgetPainter);
        widgetPainter.restore();
    }
}

void ImageNoteWorkArea::drawShape(QPainter& painter)
{
    const QRect rect = QRect(m_ptStart, m_ptCurrent).normalized();
    QColor fill = m_color;
    fill.setAlpha(FillAlpha);
    QPen pen = outlinePen();
    painter.setBrush(Qt::NoBrush);
    switch (m_mode) {
    case Rectangle:
    case FilledRectangle:
        painter.setPen(pen);
        if (m_mode == FilledRectangle)
            painter.setBrush(fill);
        painter.drawRect(rect);
        break;
    case BlurRectangle:
        painter.drawImage(rect, MGraphX::DrawTools::blurred(m_pixBackground.toImage(), rect, BlurRadius, false), rect);
        break;
    case Oval:
    case FilledOval:
        if (rect.width() < SolidOvalBelow || rect.height() < SolidOvalBelow)
            pen.setStyle(Qt::SolidLine);
        painter.setPen(pen);
        if (m_mode == FilledOval)
            painter.setBrush(fill);
        painter.drawEllipse(rect);
        break;
    case Line:
        painter.setPen(pen);
        painter.drawLine(m_ptStart, m_ptCurrent);
        break;
    case Arrow:
        drawArrow(painter);
        break;
    default:
        break;
    }
}

void ImageNoteWorkArea::drawArrow(QPainter& painter)
{
    QPen pen = outlinePen();
    painter.setPen(pen);
    painter.drawLine(m_ptStart, m_ptCurrent);
    const float dx = m_ptStart.x() - m_ptCurrent.x();
    const float dy = m_ptStart.y() - m_ptCurrent.y();
    const float length = std::sqrt(dx * dx + dy * dy);
    if (length == 0)
        return;
    const float c = dx / length;
    pen.setStyle(Qt::SolidLine);
    painter.save();
    painter.setPen(pen);
    painter.translate(m_ptCurrent);
    if (dy < 1) {
        painter.rotate(std::asin(c) * 180 / Pi);
        painter.drawLine(0, 0, -12, -30);
        painter.drawLine(0, 0, 12, -30);
    } else {
        painter.rotate(std::acos(c) * 180 / Pi);
        painter.drawLine(0, 0, 30, 12);
        painter.drawLine(0, 0, 30, -12);
    }
    painter.restore();
}

void ImageNoteWorkArea::paintTextFrame(QPainter& widgetPainter)
{
    widgetPainter.drawPixmap(0, 0, m_pixLayer);
    if (m_bPressed)
        m_pNoteEdit->showAll();
    if (!m_bPending)
        return;
    const QRect box = (m_ptCurrent - m_ptStart).manhattanLength() < NoteBoxDragDistance
                          ? QRect(m_ptStart, m_ptStart + NoteBoxSpan).normalized()
                          : QRect(m_ptStart, m_ptCurrent).normalized();
    m_ptStart = box.topLeft();
    m_ptCurrent = box.bottomRight();
    m_pNoteEdit->setGeometry(box);
    widgetPainter.setPen(QPen(QBrush(Qt::white), 2, Qt::DashLine, Qt::SquareCap, Qt::BevelJoin));
    widgetPainter.setBrush(Qt::NoBrush);
    widgetPainter.drawRect(box);
}

void ImageNoteWorkArea::paintNote(QPainter& widgetPainter)
{
    QTextEdit* pTextEdit = m_pNoteEdit->textEdit();
    {
        QPainter layerPainter(&m_pixLayer);
        layerPainter.setRenderHint(QPainter::Antialiasing);
        layerPainter.setPen(outlinePen());
        layerPainter.setFont(pTextEdit->currentFont());
        layerPainter.drawText(QRect(m_ptStart + NoteTextInset, m_ptCurrent), Qt::TextWordWrap,
                              pTextEdit->toPlainText());
    }
    pTextEdit->clear();
    widgetPainter.drawPixmap(0, 0, m_pixLayer);
}

QCursor ImageNoteWorkArea::modeCursor() const
{
    static const char* const Names[] = {"Pen",  "Eraser", "Highlighter", "Rect",  "FilledRect", "Blur",
                                        "Oval", nullptr,  "Line",        "Arrow", "Text"};
    if (m_mode > Text || !Names[m_mode]) {
        qDebug() << "Default";
        return QCursor(Qt::ArrowCursor);
    }
    QImage image =
        ImageNotePictures::pixmap(QStringLiteral(":/%1_cur.png").arg(QLatin1String(Names[m_mode]))).toImage();
    if (m_mode != Eraser && m_mode != BlurRectangle)
        image = MGraphX::DrawTools::colorizeImage(image, QColor(0, 0, 255, 255), m_color);
    return QCursor(QPixmap::fromImage(image));
}

void ImageNoteWorkArea::enterEvent(QEvent*)
{
    if (m_bCursorSet) {
        QApplication::changeOverrideCursor(modeCursor());
    } else {
        QApplication::setOverrideCursor(modeCursor());
        m_bCursorSet = true;
    }
}

void ImageNoteWorkArea::leaveEvent(QEvent*)
{
    if (m_bCursorSet) {
        QApplication::restoreOverrideCursor();
        m_bCursorSet = false;
    }
}

} // namespace VUVararer
