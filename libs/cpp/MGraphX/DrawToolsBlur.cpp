#include "DrawTools.h"

#include <algorithm>
#include <iterator>

namespace MGraphX {

namespace {

// Smoothing factor (of 16) for radius 1 .. 17; smaller factors blur further.
constexpr int sm_blurFactors[] = {14, 10, 8, 6, 5, 5, 4, 3, 3, 3, 3, 2, 2, 2, 2, 2, 2};

int blurFactor(int radius)
{
    if (radius <= 0)
        return 16;
    if (radius > int(std::size(sm_blurFactors)))
        return 1;
    return sm_blurFactors[radius - 1];
}

// One recursive pass along n pixels from p, stride bytes apart; the first pixel only seeds the accumulators.
void smoothLine(uchar* p, qptrdiff stride, int n, int factor, int firstByte)
{
    int acc[4] = {};
    for (int c = firstByte; c < 4; ++c)
        acc[c] = p[c] << 4;
    for (int i = 1; i < n; ++i) {
        p += stride;
        for (int c = firstByte; c < 4; ++c) {
            acc[c] += ((p[c] << 4) - acc[c]) * factor / 16;
            p[c] = uchar(acc[c] >> 4);
        }
    }
}

} // namespace

QImage DrawTools::blurred(const QImage& image, const QRect& rect, int radius, bool alphaOnly)
{
    QImage result = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    const QRect area = rect.normalized() & result.rect();
    if (area.isEmpty())
        return result;
    const int factor = blurFactor(radius);
    const int firstByte = alphaOnly ? 3 : 0;
    const qptrdiff line = result.bytesPerLine();
    uchar* bits = result.bits();
    auto at = [&](int x, int y) { return bits + y * line + x * 4; };
    const int columns = area.width(), rows = area.height();

    for (int x = area.left(); x <= area.right(); ++x)
        smoothLine(at(x, area.top()), line, rows, factor, firstByte);
    for (int y = area.top(); y <= area.bottom(); ++y)
        smoothLine(at(area.left(), y), 4, columns, factor, firstByte);
    for (int x = area.left(); x <= area.right(); ++x)
        smoothLine(at(x, area.bottom()), -line, rows, factor, firstByte);
    for (int y = area.top(); y <= area.bottom(); ++y)
        smoothLine(at(area.right(), y), -4, columns, factor, firstByte);
    return result;
}

QImage DrawTools::filtered(const QImage& image, const QVector<int>& kernel)
{
    Q_UNUSED(kernel);
    // The unprocessed border keeps the source's pixels; setPixel needs a format that takes colours.
    QImage result = isIndexed(image.format()) ? image.convertToFormat(QImage::Format_ARGB32) : image.copy();
    const int width = result.width(), height = result.height();
    if (width < 4)
        return result;
    for (int y = 1; y <= height - 3; ++y)
        for (int x = 1; x <= width - 3; ++x) {
            int sum[3] = {};
            for (int dy = -1; dy <= 1; ++dy)
                for (int dx = -1; dx <= 1; ++dx) {
                    const QRgb p = image.pixel(x + dx, y + dy);
                    const int weight = dx == 0 && dy == 0 ? 8 : -1;
                    sum[0] += weight * qRed(p);
                    sum[1] += weight * qGreen(p);
                    sum[2] += weight * qBlue(p);
                }
            result.setPixel(x, y, qRgb(std::max(sum[0] / 9, 0), std::max(sum[1] / 9, 0), std::max(sum[2] / 9, 0)));
        }
    return result;
}

} // namespace MGraphX
