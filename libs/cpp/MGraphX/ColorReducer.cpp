#include "ColorReducer.h"

#include <MGraphX/ImageProcess.h>

#include <algorithm>
#include <cmath>

#include <QSet>

namespace MGraphX {

namespace {

enum Axis { AxisRed, AxisGreen, AxisBlue };

int toAxisMajor(int c, int axis)
{
    const int r = c & 31, g = (c >> 5) & 31, b = (c >> 10) & 31;
    if (axis == AxisRed)
        return r << 10 | b << 5 | g;
    if (axis == AxisGreen)
        return g << 10 | b << 5 | r;
    return c;
}

int fromAxisMajor(int v, int axis)
{
    const int hi = (v >> 10) & 31, mid = (v >> 5) & 31, lo = v & 31;
    if (axis == AxisRed)
        return mid << 10 | lo << 5 | hi;
    if (axis == AxisGreen)
        return mid << 10 | hi << 5 | lo;
    return v;
}

int clampChannel(int v) { return std::clamp(v, 0, 255); }

} // namespace

ColorReducer::ColorReducer(const QImage& image, QObject* parent)
    : QObject(parent), m_vHistogram(32768, 0), m_vColors(32768, 0), m_vCubes(256), m_imgSource(image)
{
    m_imgWork = image.convertToFormat(QImage::Format_RGB32);
    for (int y = 0; y < m_imgWork.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(m_imgWork.constScanLine(y));
        for (int x = 0; x < m_imgWork.width(); ++x)
            ++m_vHistogram[rgb(int(line[x]))];
    }
}

int ColorReducer::rgb(int pixel)
{
    const unsigned int p = static_cast<unsigned int>(pixel);
    return int(((p & 0xFF) >> 3) << 10 | (((p >> 8) & 0xFF) >> 3) << 5 | ((p >> 16) & 0xFF) >> 3);
}

void ColorReducer::shrink(Cube& cube) const
{
    cube.rmin = cube.gmin = cube.bmin = 255;
    cube.rmax = cube.gmax = cube.bmax = 0;
    for (int i = cube.lower; i <= cube.upper; ++i) {
        const int c = m_vColors[i];
        cube.rmin = std::min(cube.rmin, red(c));
        cube.rmax = std::max(cube.rmax, red(c));
        cube.gmin = std::min(cube.gmin, green(c));
        cube.gmax = std::max(cube.gmax, green(c));
        cube.bmin = std::min(cube.bmin, blue(c));
        cube.bmax = std::max(cube.bmax, blue(c));
    }
}

void ColorReducer::sortByAxis(int lower, int upper, int axis)
{
    int* begin = m_vColors.data() + lower;
    int* end = m_vColors.data() + upper + 1;
    for (int* p = begin; p != end; ++p)
        *p = toAxisMajor(*p, axis);
    std::sort(begin, end);
    for (int* p = begin; p != end; ++p)
        *p = fromAxisMajor(*p, axis);
}

QImage ColorReducer::convertToByte(int maxColors)
{
    emit progress(0);
    const bool alpha = m_imgSource.hasAlphaChannel();
    // Never more boxes than the box vector holds, and at least one.
    m_nMaxColors = std::clamp(maxColors, 1, 256);
    if (alpha && m_nMaxColors >= 255)
        m_nMaxColors = 254;
    if (m_bGrayAlg && m_imgSource.allGray() && !m_imgSource.isNull())
        return convertGray();
    m_vPalette.clear();
    m_nCubeCount = 0;
    if (m_imgWork.isNull())
        return QImage();

    int listed = 0;
    qint64 total = 0;
    for (int c = 0; c < 32768; ++c) {
        if (m_vHistogram[c] != 0) {
            m_vColors[listed++] = c;
            total += m_vHistogram[c];
        }
    }

    Cube& first = m_vCubes[0];
    first.lower = 0;
    first.upper = listed - 1;
    first.count = total;
    first.level = 0;
    shrink(first);

    int boxCount = 1;
    while (boxCount < m_nMaxColors) {
        emit progress(int(boxCount * 10.0f / m_nMaxColors));
        int chosen = -1;
        for (int k = 0; k < boxCount; ++k) {
            const Cube& c = m_vCubes[k];
            if (c.lower != c.upper && (chosen < 0 || c.level < m_vCubes[chosen].level))
                chosen = k;
        }
        if (chosen < 0)
            break;
        Cube box = m_vCubes[chosen];

        const int lr = box.rmax - box.rmin, lg = box.gmax - box.gmin, lb = box.bmax - box.bmin;
        int axis = AxisRed;
        if (lr >= lg && lr >= lb)
            axis = AxisRed;
        if (lg >= lr && lg >= lb)
            axis = AxisGreen;
        if (lb >= lr && lb >= lg)
            axis = AxisBlue;
        sortByAxis(box.lower, box.upper, axis);

        qint64 counted = 0;
        int median = box.lower;
        while (median < box.upper && counted < box.count / 2)
            counted += m_vHistogram[m_vColors[median++]];

        Cube low = box;
        low.upper = median - 1;
        low.count = counted;
        low.level = box.level + 1;
        Cube high = box;
        high.lower = median;
        high.count = box.count - counted;
        high.level = box.level + 1;
        shrink(low);
        shrink(high);
        m_vCubes[chosen] = low;
        m_vCubes[boxCount] = high;
        ++boxCount;
    }
    m_nCubeCount = boxCount;

    for (int k = 0; k < boxCount; ++k) {
        const Cube& box = m_vCubes[k];
        float r = 0, g = 0, b = 0;
        for (int i = box.lower; i <= box.upper; ++i) {
            const int c = m_vColors[i];
            const float n = float(m_vHistogram[c]);
            r += red(c) * n;
            g += green(c) * n;
            b += blue(c) * n;
        }
        const float n = float(box.count);
        int pr = int(r / n), pg = int(g / n), pb = int(b / n);
        if (pr == 248 && pg == 248 && pb == 248)
            pr = pg = pb = 255;
        m_vPalette.append(qRgba(pr, pg, pb, 255));
        for (int i = box.lower; i <= box.upper; ++i)
            m_vHistogram[m_vColors[i]] = k;
    }

    QImage mapped;
    if (m_bDithering) {
        mapped = applyFloydSteinbergDithering(m_imgWork, m_vPalette);
    } else {
        mapped = QImage(m_imgWork.size(), QImage::Format_RGB32);
        for (int y = 0; y < m_imgWork.height(); ++y) {
            const auto* from = reinterpret_cast<const QRgb*>(m_imgWork.constScanLine(y));
            auto* to = reinterpret_cast<QRgb*>(mapped.scanLine(y));
            for (int x = 0; x < m_imgWork.width(); ++x)
                to[x] = m_vPalette[m_vHistogram[rgb(int(from[x]))]];
        }
    }

    QImage result = mapped.convertToFormat(QImage::Format_Indexed8);
    if (alpha) {
        QVector<QRgb> table = result.colorTable();
        table.resize(256);
        table[255] = 0;
        result.setColorTable(table);
        for (int x = 0; x < result.width(); ++x)
            for (int y = 0; y < result.height(); ++y)
                if (transparent(m_imgSource.pixel(x, y)))
                    result.setPixel(x, y, 255);
    }
    return result;
}

void ColorReducer::levelTables(int n, unsigned char* a, unsigned char* b)
{
    const int start = 255 - n;
    for (int i = 0; i < 256; ++i) {
        b[i] = static_cast<unsigned char>(clampChannel(int(float(i * n) / 255.0 + start)));
        a[i] = static_cast<unsigned char>(i < start ? 0 : clampChannel(int((i - start) * (255.0 / n))));
    }
}

QImage ColorReducer::convertGray()
{
    const int n = std::max(m_nMaxColors / 2, 2);
    unsigned char a[256], b[256];
    levelTables(n, a, b);
    ImageProcess buffer(m_imgSource);
    buffer.applyLut(b);
    buffer.applyLut(a);
    const QImage posterized = buffer.toImage().convertToFormat(QImage::Format_ARGB32);

    QVector<unsigned int> palette(256, 0xFFFFFFFFu);
    for (int y = 0; y < posterized.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(posterized.constScanLine(y));
        for (int x = 0; x < posterized.width(); ++x) {
            const int g = qRed(line[x]);
            palette[g] = qRgba(g, g, g, 255);
        }
    }
    std::sort(palette.begin(), palette.end());
    // The result is built from the posterized picture; the pass only reports progress here.
    if (m_bDithering)
        applyFloydSteinbergDithering(m_imgWork, palette);
    if (m_imgSource.hasAlphaChannel())
        palette[255] = 0;
    m_vPalette = palette;

    QImage result(posterized.size(), QImage::Format_Indexed8);
    QVector<QRgb> table(palette.begin(), palette.end());
    result.setColorTable(table);
    for (int x = 0; x < posterized.width(); ++x) {
        for (int y = 0; y < posterized.height(); ++y) {
            int index = 255;
            if (!transparent(m_imgSource.pixel(x, y))) {
                const int at = palette.indexOf(posterized.pixel(x, y));
                if (at >= 0)
                    index = at;
            }
            result.setPixel(x, y, uint(index));
        }
    }
    return result;
}

QImage ColorReducer::convertTo24Bits(int levels)
{
    m_nMaxColors = levels;
    // At least one step and at most one per value, so the tables stay within 0..255.
    const int n = std::clamp(levels, 1, 255);
    unsigned char a[256], b[256];
    levelTables(n, a, b);
    ImageProcess buffer(m_imgSource);
    buffer.applyLut(b);
    buffer.applyLut(a);
    const QImage posterized = buffer.toImage().convertToFormat(QImage::Format_ARGB32);
    if (!m_bDithering)
        return posterized;

    // Repeated colours never change the nearest match, so each is listed once, in first-seen order.
    QVector<unsigned int> palette;
    QSet<unsigned int> seen;
    for (int x = 0; x < posterized.width(); ++x) {
        for (int y = 0; y < posterized.height(); ++y) {
            const unsigned int c = posterized.pixel(x, y) | 0xFF000000u;
            if (!seen.contains(c)) {
                seen.insert(c);
                palette.append(c);
            }
        }
    }
    return applyFloydSteinbergDithering(posterized, palette);
}

QImage ColorReducer::applyFloydSteinbergDithering(const QImage& image, const QVector<unsigned int>& palette)
{
    QImage errors = image;
    QImage result = image;
    const int w = image.width(), h = image.height();
    auto spread = [&](int x, int y, int er, int eg, int eb, int weight) {
        if (x < 0 || y < 0 || x >= w || y >= h)
            return;
        const QRgb p = errors.pixel(x, y);
        errors.setPixel(x, y,
                        qRgba(clampChannel(qRed(p) + er * weight / 16), clampChannel(qGreen(p) + eg * weight / 16),
                              clampChannel(qBlue(p) + eb * weight / 16), qAlpha(p)));
    };
    for (int x = 0; x < w; ++x) {
        emit progress(int(x * 90.0 / w + 10.0));
        for (int y = 0; y < h; ++y) {
            const QRgb old = errors.pixel(x, y);
            const unsigned int chosen = findClosestPaletteColor(int(old), palette);
            result.setPixel(x, y, chosen);
            const int er = qRed(old) - qRed(chosen);
            const int eg = qGreen(old) - qGreen(chosen);
            const int eb = qBlue(old) - qBlue(chosen);
            spread(x + 1, y, er, eg, eb, 7);
            spread(x - 1, y + 1, er, eg, eb, 3);
            spread(x, y + 1, er, eg, eb, 5);
            spread(x + 1, y + 1, er, eg, eb, 1);
        }
    }
    return result;
}

unsigned int ColorReducer::findClosestPaletteColor(int colour, const QVector<unsigned int>& palette) const
{
    if (palette.isEmpty())
        return static_cast<unsigned int>(colour);
    unsigned int best = palette.first();
    double bestDistance = dist(colour, int(best));
    for (int i = 1; i < palette.size(); ++i) {
        const double d = dist(colour, int(palette[i]));
        if (d < bestDistance) {
            bestDistance = d;
            best = palette[i];
        }
    }
    return best;
}

double ColorReducer::dist(const int& a, const int& b) const
{
    const double dr = qRed(QRgb(a)) - qRed(QRgb(b));
    const double dg = qGreen(QRgb(a)) - qGreen(QRgb(b));
    const double db = qBlue(QRgb(a)) - qBlue(QRgb(b));
    return std::sqrt(dr * dr + dg * dg + db * db);
}

void ColorReducer::saveToPng(const QImage& image, const QString& path, int colours, bool dithering, bool grayAlg)
{
    ColorReducer reducer(image, nullptr);
    reducer.setDithering(dithering);
    reducer.setGrayAlg(grayAlg);
    reducer.convertToByte(colours).save(path, "PNG", 0);
}

void ColorReducer::save(const QImage& image, const QString& path, int colours, const QString& format)
{
    ColorReducer reducer(image, nullptr);
    const QByteArray name = format.toLocal8Bit();
    reducer.convertToByte(colours).save(path, name.constData(), 0);
}

} // namespace MGraphX
