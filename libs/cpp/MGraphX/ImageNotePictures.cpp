#include "ImageNotePictures.h"

#include <QPainter>
#include <QPainterPath>
#include <QRegularExpression>

namespace VUVararer {

namespace {

const QColor CursorBlue(0, 0, 255, 255);
const QColor ButtonGrey(225, 225, 225);
const int CursorSize = 32;
const int IconSize = 24;

} // namespace

QPixmap ImageNotePictures::pixmap(const QString& path)
{
    const QPixmap resource(path);
    return resource.isNull() ? drawn(path) : resource;
}

QIcon ImageNotePictures::buttonIcon(const QString& objectName)
{
    const QPixmap picture = pixmap(QStringLiteral(":/") + objectName + QStringLiteral(".png"));
    return picture.isNull() ? QIcon() : QIcon(picture);
}

QPixmap ImageNotePictures::drawn(const QString& path)
{
    static const QRegularExpression cursor(QStringLiteral("^:/(\\w+)_cur\\.png$"));
    static const QRegularExpression thickness(QStringLiteral("^:/(\\d+)px\\.png$"));
    static const QRegularExpression button(QStringLiteral("^:/(?:ImageNoteEditor|NoteEditWidget)(\\w+)\\.png$"));
    QRegularExpressionMatch match = cursor.match(path);
    if (match.hasMatch())
        return glyph(match.captured(1), CursorBlue, CursorSize);
    match = button.match(path);
    if (match.hasMatch())
        return glyph(match.captured(1), ButtonGrey, IconSize);

    QPixmap picture(IconSize, IconSize);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    match = thickness.match(path);
    if (match.hasMatch()) {
        painter.setPen(QPen(ButtonGrey, qMin(match.captured(1).toInt(), IconSize - 4), Qt::SolidLine, Qt::FlatCap));
        painter.drawLine(2, IconSize / 2, IconSize - 2, IconSize / 2);
    } else if (path == QLatin1String(":/dash.png")) {
        painter.setPen(QPen(ButtonGrey, 2, Qt::DashLine, Qt::FlatCap));
        painter.drawLine(2, IconSize / 2, IconSize - 2, IconSize / 2);
    } else if (path == QLatin1String(":/steklo.png")) {
        QLinearGradient gloss(0, 0, 0, IconSize);
        gloss.setColorAt(0, QColor(255, 255, 255, 70));
        gloss.setColorAt(0.5, QColor(255, 255, 255, 15));
        gloss.setColorAt(1, QColor(255, 255, 255, 0));
        painter.fillRect(picture.rect(), gloss);
        painter.setPen(QColor(255, 255, 255, 90));
        painter.drawRect(picture.rect().adjusted(0, 0, -1, -1));
    } else {
        return QPixmap();
    }
    return picture;
}

QPixmap ImageNotePictures::glyph(const QString& name, const QColor& colour, int size)
{
    QPixmap picture(size, size);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(size / 24.0, size / 24.0);
    const QPen pen(colour, 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    painter.setPen(pen);
    QColor translucent = colour;
    translucent.setAlpha(110);

    if (name == QLatin1String("Pen")) {
        painter.drawLine(5, 19, 18, 6);
        painter.drawLine(4, 20, 5, 19);
    } else if (name == QLatin1String("Eraser")) {
        painter.setBrush(translucent);
        painter.drawRect(QRectF(5, 8, 14, 9));
    } else if (name == QLatin1String("Highlighter")) {
        painter.setPen(QPen(colour, 6, Qt::SolidLine, Qt::FlatCap));
        painter.setOpacity(0.6);
        painter.drawLine(4, 16, 20, 8);
    } else if (name == QLatin1String("Rect") || name == QLatin1String("Rectangle")) {
        painter.drawRect(QRectF(4, 6, 16, 12));
    } else if (name == QLatin1String("FilledRect") || name == QLatin1String("FilledRectangle")) {
        painter.setBrush(colour);
        painter.drawRect(QRectF(4, 6, 16, 12));
    } else if (name == QLatin1String("Blur")) {
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < 3; ++x) {
                painter.setOpacity((x + y) % 2 ? 0.4 : 0.9);
                painter.fillRect(QRectF(5 + x * 5, 5 + y * 5, 4, 4), colour);
            }
    } else if (name == QLatin1String("Oval")) {
        painter.drawEllipse(QRectF(3, 6, 18, 12));
    } else if (name == QLatin1String("FilledOval")) {
        painter.setBrush(colour);
        painter.drawEllipse(QRectF(3, 6, 18, 12));
    } else if (name == QLatin1String("Line")) {
        painter.drawLine(4, 20, 20, 4);
    } else if (name == QLatin1String("Arrow")) {
        painter.drawLine(4, 20, 19, 5);
        painter.drawPolyline(QPolygonF({QPointF(11, 5), QPointF(19, 5), QPointF(19, 13)}));
    } else if (name == QLatin1String("Text")) {
        painter.drawLine(5, 5, 19, 5);
        painter.drawLine(12, 5, 12, 20);
    } else if (name == QLatin1String("Undo") || name == QLatin1String("Redo")) {
        if (name == QLatin1String("Redo"))
            painter.setTransform(QTransform(-1, 0, 0, 1, 24, 0), true);
        QPainterPath path(QPointF(8, 9));
        path.cubicTo(QPointF(16, 9), QPointF(21, 13), QPointF(16, 19));
        painter.drawPath(path);
        painter.drawPolyline(QPolygonF({QPointF(11, 5), QPointF(7, 9), QPointF(11, 13)}));
    } else if (name == QLatin1String("Save")) {
        painter.drawLine(12, 4, 12, 15);
        painter.drawPolyline(QPolygonF({QPointF(8, 11), QPointF(12, 15), QPointF(16, 11)}));
        painter.drawPolyline(QPolygonF({QPointF(4, 15), QPointF(4, 20), QPointF(20, 20), QPointF(20, 15)}));
    } else if (name == QLatin1String("Quit") || name == QLatin1String("Reject")) {
        painter.drawLine(6, 6, 18, 18);
        painter.drawLine(18, 6, 6, 18);
    } else if (name == QLatin1String("Accept")) {
        painter.drawPolyline(QPolygonF({QPointF(5, 13), QPointF(10, 18), QPointF(19, 6)}));
    } else if (name == QLatin1String("Inc") || name == QLatin1String("Dec")) {
        painter.drawLine(4, 12, 14, 12);
        if (name == QLatin1String("Inc"))
            painter.drawLine(9, 7, 9, 17);
        painter.setFont(QFont(QString(), 9, QFont::Bold));
        painter.drawText(QRectF(14, 4, 10, 16), Qt::AlignCenter, QStringLiteral("A"));
    } else if (name == QLatin1String("Thikness")) {
        for (int i = 0; i < 3; ++i) {
            painter.setPen(QPen(colour, 1 + i * 2, Qt::SolidLine, Qt::FlatCap));
            painter.drawLine(QPointF(4, 6 + i * 6), QPointF(20, 6 + i * 6));
        }
    } else if (name == QLatin1String("App")) {
        painter.setBrush(colour);
        for (int i = 0; i < 3; ++i)
            painter.drawEllipse(QPointF(6 + i * 6, 12), 1.5, 1.5);
    } else {
        return QPixmap();
    }
    return picture;
}

} // namespace VUVararer
