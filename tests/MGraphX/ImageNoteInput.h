#pragma once
// Synthetic mouse input and generated pictures for the image-note editor suites.

#include <QImage>
#include <QPixmap>
#include <QPoint>
#include <QVector>

class QWidget;

namespace ImageNoteInput {

// A dark picture with light stripes, so that a blur visibly mixes them.
QPixmap stripes(int width, int height);
// Presses the left button at the first point, drags through the others and releases at the last, letting the
// widget paint after each step as a live drag would.
void drag(QWidget* widget, const QVector<QPoint>& points);
// True when the pixel, or one next to it, is opaque and close to colour.
bool paintedNear(const QImage& image, const QPoint& point, const QColor& colour);

} // namespace ImageNoteInput
