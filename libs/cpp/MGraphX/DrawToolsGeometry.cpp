#include "DrawTools.h"

#include <QPainter>

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace MGraphX {

namespace {

// Copies one pixel between two pictures of the same format, byte for byte (or by index below 8 bits).
void copyPixel(QImage& to, int x, int y, const QImage& from, QPoint p)
{
    const int bytes = from.depth() / 8;
    if (bytes == 0)
        to.setPixel(x, y, uint(from.pixelIndex(p)));
    else
        std::memcpy(to.scanLine(y) + x * bytes, from.constScanLine(p.y()) + p.x() * bytes, size_t(bytes));
}

// A picture of width x height in the source's format whose pixel (x, y) is the source's pixel at from(x, y).
template <typename F> QImage remapped(const QImage& image, int width, int height, F from)
{
    QImage result(width, height, image.format());
    if (result.isNull())
        return result;
    result.setColorTable(image.colorTable());
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            copyPixel(result, x, y, image, from(x, y));
    return result;
}

// The picture as 32-bit 0xAARRGGBB words: the three native formats as they are, others as ARGB32.
QImage pixelWords(const QImage& image)
{
    switch (image.format()) {
    case QImage::Format_RGB32:
    case QImage::Format_ARGB32:
    case QImage::Format_ARGB32_Premultiplied:
        return image;
    default:
        return image.convertToFormat(QImage::Format_ARGB32);
    }
}

// Copy of a with change(pa, pb) written over the overlap of a and b.
template <typename F> QImage combined(const QImage& a, const QImage& b, F change)
{
    QImage result = pixelWords(a);
    const QImage other = pixelWords(b);
    const int width = std::min(result.width(), other.width());
    const int height = std::min(result.height(), other.height());
    for (int y = 0; y < height; ++y) {
        auto* to = reinterpret_cast<QRgb*>(result.scanLine(y));
        const auto* from = reinterpret_cast<const QRgb*>(other.constScanLine(y));
        for (int x = 0; x < width; ++x)
            to[x] = change(to[x], from[x]);
    }
    return result;
}

// a at twice its size with pixels of b's doubled copy written into each 2 x 2 block at the offsets given.
QImage interleaved(const QImage& a, const QImage& b, std::initializer_list<QPoint> offsets)
{
    if (a.isNull())
        return QImage();
    QImage a2 = a.scaled(a.width() * 2, a.height() * 2, Qt::IgnoreAspectRatio, Qt::FastTransformation)
                    .convertToFormat(QImage::Format_ARGB32);
    const QImage b2 = b.scaled(b.width() * 2, b.height() * 2, Qt::IgnoreAspectRatio, Qt::FastTransformation)
                          .convertToFormat(QImage::Format_ARGB32);
    const int width = std::min(a2.width(), b2.width());
    const int height = std::min(a2.height(), b2.height());
    for (int y = 0; y < height; y += 2)
        for (int x = 0; x < width; x += 2) {
            const QRgb p = b2.pixel(x, y);
            for (const QPoint& d : offsets)
                a2.setPixel(x + d.x(), y + d.y(), p);
        }
    return a2.scaled(a.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

} // namespace

bool DrawTools::isIndexed(QImage::Format format)
{
    return format == QImage::Format_Indexed8 || format == QImage::Format_Mono || format == QImage::Format_MonoLSB;
}

QImage DrawTools::mirror(const QImage& image, bool horizontal, bool vertical)
{
    return image.mirrored(horizontal, vertical);
}

QImage DrawTools::rotateLeft90(const QImage& image)
{
    const int w = image.width();
    return remapped(image, image.height(), w, [&](int x, int y) { return QPoint(w - 1 - y, x); });
}

QImage DrawTools::rotateRight90(const QImage& image)
{
    const int h = image.height();
    return remapped(image, h, image.width(), [&](int x, int y) { return QPoint(y, h - 1 - x); });
}

QImage DrawTools::rotateBy180(const QImage& image)
{
    const int w = image.width(), h = image.height();
    return remapped(image, w, h, [&](int x, int y) { return QPoint(w - 1 - x, h - 1 - y); });
}

QImage DrawTools::framed(const QImage& image, int percent, const QColor& colour)
{
    const int border = int(image.width() * percent / 100.0);
    QImage result(image.width() + 2 * border, image.height() + 2 * border, image.format());
    if (result.isNull() || image.isNull())
        return result;
    result.setColorTable(image.colorTable());
    result.fill(colour);
    // A negative border crops: only pixels inside both pictures are copied.
    const QRect inside = result.rect() & image.rect().translated(border, border);
    for (int y = inside.top(); y <= inside.bottom(); ++y)
        for (int x = inside.left(); x <= inside.right(); ++x)
            copyPixel(result, x, y, image, QPoint(x - border, y - border));
    return result;
}

QImage DrawTools::embed(const QImage& image, const QSize& size, const QColor& colour)
{
    const QImage scaled = image.scaled(size, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    QImage result(size, isIndexed(image.format()) ? QImage::Format_ARGB32 : image.format());
    if (result.isNull())
        return result;
    result.fill(colour);
    QPoint at(0, 0);
    if (scaled.width() >= size.width() && scaled.height() < size.height())
        at.setY((size.height() - scaled.height()) / 2);
    else if (scaled.width() < size.width())
        at.setX((size.width() - scaled.width()) / 2);
    QPainter painter(&result);
    painter.drawImage(at, scaled);
    return result;
}

QImage DrawTools::cropPixels(const QImage& image, int left, int right, int top, int bottom)
{
    const int width = image.width() - left - right;
    const int height = image.height() - top - bottom;
    if (width <= 0 || height <= 0)
        return QImage();
    // Parts of the rectangle outside the source (negative margins) come out as zero pixels.
    return image.copy(left, top, width, height);
}

QImage DrawTools::cropPercentage(const QImage& image, int left, int right, int top, int bottom)
{
    const int w = image.width(), h = image.height();
    return cropPixels(image, w * left / 100, w * right / 100, h * top / 100, h * bottom / 100);
}

QImage DrawTools::sub(const QImage& a, const QImage& b)
{
    return combined(a, b, [](QRgb p, QRgb q) {
        return qRgba(std::abs(qRed(p) - qRed(q)), std::abs(qGreen(p) - qGreen(q)), std::abs(qBlue(p) - qBlue(q)), 255);
    });
}

QImage DrawTools::mix(const QImage& a, const QImage& b)
{
    return combined(a, b, [](QRgb p, QRgb q) {
        return qRgba((qRed(p) + qRed(q)) / 2, (qGreen(p) + qGreen(q)) / 2, (qBlue(p) + qBlue(q)) / 2,
                     (qAlpha(p) + qAlpha(q)) / 2);
    });
}

QImage DrawTools::mix2(const QImage& a, const QImage& b) { return interleaved(a, b, {QPoint(1, 0), QPoint(0, 1)}); }

QImage DrawTools::mix3(const QImage& a, const QImage& b)
{
    return interleaved(a, b, {QPoint(1, 0), QPoint(0, 1), QPoint(1, 1)});
}

QImage DrawTools::setPixels(const QImage& base, const QImage& source, const QImage& mask)
{
    QImage result = pixelWords(base);
    const QImage from = pixelWords(source);
    const QImage marks = pixelWords(mask);
    const int width = std::min({result.width(), from.width(), marks.width()});
    const int height = std::min({result.height(), from.height(), marks.height()});
    for (int y = 0; y < height; ++y) {
        auto* to = reinterpret_cast<QRgb*>(result.scanLine(y));
        const auto* p = reinterpret_cast<const QRgb*>(from.constScanLine(y));
        const auto* m = reinterpret_cast<const QRgb*>(marks.constScanLine(y));
        for (int x = 0; x < width; ++x)
            if ((m[x] & 0x00FFFFFFu) == 0)
                to[x] = p[x];
    }
    return result;
}

QImage DrawTools::setPixels(const QImage& base, const QImage& source, const int& tolerance)
{
    return combined(base, source, [&](QRgb p, QRgb q) {
        const bool near = std::abs(qRed(p) - qRed(q)) < tolerance && std::abs(qGreen(p) - qGreen(q)) < tolerance &&
                          std::abs(qBlue(p) - qBlue(q)) < tolerance;
        return near ? q : p;
    });
}

QPixmap DrawTools::maskedPixmap(const QPixmap& pixmap, const QPixmap& mask)
{
    QImage result = pixmap.toImage().convertToFormat(QImage::Format_ARGB32);
    const QImage alpha = mask.toImage()
                             .scaled(result.size(), Qt::IgnoreAspectRatio, Qt::FastTransformation)
                             .convertToFormat(QImage::Format_ARGB32);
    if (alpha.size() != result.size())
        return QPixmap::fromImage(result);
    for (int y = 0; y < result.height(); ++y) {
        auto* to = reinterpret_cast<QRgb*>(result.scanLine(y));
        const auto* from = reinterpret_cast<const QRgb*>(alpha.constScanLine(y));
        for (int x = 0; x < result.width(); ++x)
            to[x] = (to[x] & 0x00FFFFFFu) | (QRgb(qRed(from[x])) << 24);
    }
    return QPixmap::fromImage(result);
}

} // namespace MGraphX
