#include "ImageNoteInput.h"

#include <QCoreApplication>
#include <QMouseEvent>
#include <QWidget>

namespace ImageNoteInput {

namespace {

void send(QWidget* widget, QEvent::Type type, const QPoint& pos, Qt::MouseButtons buttons)
{
    QMouseEvent event(type, pos, widget->mapToGlobal(pos), type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton,
                      buttons, Qt::NoModifier);
    QCoreApplication::sendEvent(widget, &event);
    QCoreApplication::processEvents();
}

} // namespace

QPixmap stripes(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, (x / 4) % 2 ? qRgb(200, 210, 220) : qRgb(20, 30, 50));
    return QPixmap::fromImage(image);
}

void drag(QWidget* widget, const QVector<QPoint>& points)
{
    send(widget, QEvent::MouseButtonPress, points.first(), Qt::LeftButton);
    for (int i = 1; i < points.size(); ++i)
        send(widget, QEvent::MouseMove, points.at(i), Qt::LeftButton);
    send(widget, QEvent::MouseButtonRelease, points.last(), Qt::NoButton);
}

bool paintedNear(const QImage& image, const QPoint& point, const QColor& colour)
{
    for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx) {
            const QColor found = image.pixelColor(point + QPoint(dx, dy));
            if (found.alpha() >= 250 && qAbs(found.red() - colour.red()) < 16 &&
                qAbs(found.green() - colour.green()) < 16 && qAbs(found.blue() - colour.blue()) < 16)
                return true;
        }
    return false;
}

} // namespace ImageNoteInput
