#include "DrawTools.h"

#include <MGraphX/ColorMatrix.h>
#include <MGraphX/ImageProcess.h>

#include <algorithm>
#include <cmath>

namespace MGraphX {

namespace {

// Truncates toward zero and limits to 0..255; a non-finite value counts as 0.
int clampByte(float v)
{
    if (!std::isfinite(v))
        return 0;
    return std::clamp(static_cast<int>(std::clamp(v, -1.0f, 256.0f)), 0, 255);
}

template <typename F> QImage eachPixel(const QImage& image, F change)
{
    QImage result = image.depth() == 32 ? image : image.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < result.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(result.scanLine(y));
        for (int x = 0; x < result.width(); ++x)
            line[x] = change(line[x]);
    }
    return result;
}

template <typename F> QImage eachChannel(const QImage& image, F change)
{
    return eachPixel(image,
                     [&](QRgb p) { return qRgba(change(qRed(p)), change(qGreen(p)), change(qBlue(p)), qAlpha(p)); });
}

float grayLevel(QRgb p)
{
    const float r = float(qRed(p)), g = float(qGreen(p)), b = float(qBlue(p));
    return std::sqrt(0.299f * r * r + 0.587f * g * g + 0.114f * b * b);
}

QImage throughTable(const QImage& image, const unsigned char* table)
{
    ImageProcess buffer(image);
    buffer.applyLut(table);
    return buffer.toImage().convertToFormat(QImage::Format_ARGB32);
}

} // namespace

int normalize(int a, int b, int c, int d) { return (std::min({a, b, c, d}) + std::max({a, b, c, d})) / 2; }

QImage DrawTools::grayScale(const QImage& image)
{
    return eachPixel(image, [](QRgb p) {
        const int v = clampByte(float((qRed(p) + qGreen(p) + qBlue(p)) / 3.0));
        return qRgba(v, v, v, qAlpha(p));
    });
}

QImage DrawTools::brightnessAndContrast(const QImage& image, int brightness, int contrast)
{
    const float f = float(contrast + 127) / 127.0f;
    return eachChannel(image, [&](int c) { return clampByte(float(c + brightness) * f); });
}

QImage DrawTools::saturation(const QImage& image, float s)
{
    return eachPixel(image, [&](QRgb p) {
        const float l = grayLevel(p);
        auto change = [&](int c) { return clampByte((float(c) - l) * s + l); };
        return qRgba(change(qRed(p)), change(qGreen(p)), change(qBlue(p)), qAlpha(p));
    });
}

QImage DrawTools::brightnessContrastSaturation(const QImage& image, int brightness, int contrast, float s)
{
    const float f = float(contrast + 127) / 127.0f;
    return eachPixel(image, [&](QRgb p) {
        const float l = grayLevel(p);
        auto change = [&](int c) { return clampByte(((float(c) - l) * s + l + float(brightness)) * f); };
        return qRgba(change(qRed(p)), change(qGreen(p)), change(qBlue(p)), qAlpha(p));
    });
}

QImage DrawTools::invert(const QImage& image)
{
    QImage result = image;
    result.invertPixels(QImage::InvertRgb);
    return result;
}

QImage DrawTools::colorBalance(const QImage& image, const int& red, const int& green, const int& blue)
{
    ColorMatrix matrix;
    matrix.setRGBA(float(red / 127.0), float(green / 127.0), float(blue / 127.0), 1.0f);
    return matrix.apply(image);
}

QImage DrawTools::denoise(const QImage& image, const int& level)
{
    ColorMatrix matrix;
    const float f = float(level / 100.0);
    matrix.setRGBA(f, f, f, 1.0f);
    return matrix.apply(image);
}

QImage DrawTools::binarize(const QImage& image, int threshold)
{
    return eachChannel(image, [&](int c) { return c < threshold ? 0 : 255; });
}

QImage DrawTools::grade(const QImage& image, const QVector<int>& levels)
{
    const int n = levels.size();
    auto snap = [&](int x) {
        if (n == 0)
            return x;
        if (x < levels[0])
            return 0;
        if (x > levels[n - 1])
            return 255;
        for (int k = 1; k < n; ++k)
            if (levels[k - 1] <= x && x <= levels[k])
                return x - levels[k - 1] < levels[k] - x ? levels[k - 1] : levels[k];
        return x == levels[0] ? levels[0] : x;
    };
    return eachChannel(image, [&](int c) { return std::clamp(snap(c), 0, 255); });
}

QImage DrawTools::changeRedAndBlue(const QImage& image)
{
    return eachPixel(image, [](QRgb p) { return qRgba(qBlue(p), qGreen(p), qRed(p), qAlpha(p)); });
}

QImage DrawTools::changeRedAndGreen(const QImage& image)
{
    return eachPixel(image, [](QRgb p) { return qRgba(qGreen(p), qRed(p), qBlue(p), qAlpha(p)); });
}

QImage DrawTools::changeGreenAndBlue(const QImage& image)
{
    return eachPixel(image, [](QRgb p) { return qRgba(qRed(p), qBlue(p), qGreen(p), qAlpha(p)); });
}

QImage DrawTools::colorizeImage(const QImage& image, const QColor& from, const QColor& to)
{
    QImage result = image.format() == QImage::Format_ARGB32 ? image : image.convertToFormat(QImage::Format_ARGB32);
    int hf, sf, vf, ht, st, vt;
    from.getHsv(&hf, &sf, &vf);
    to.getHsv(&ht, &st, &vt);
    const float saturationFactor = float(st) / float(sf);
    const float valueFactor = float(vt) / float(vf);
    for (int y = 0; y < result.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(result.scanLine(y));
        for (int x = 0; x < result.width(); ++x) {
            int h, s, v, a;
            QColor::fromRgba(line[x]).getHsv(&h, &s, &v, &a);
            if (std::abs(h - hf) > 9)
                continue;
            const int hue = (ht + (h - hf) + 359) % 359;
            line[x] = QColor::fromHsv(hue, clampByte(float(s) * saturationFactor), clampByte(float(v) * valueFactor), a)
                          .rgba();
        }
    }
    return result.convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

QImage DrawTools::histogramOptimizing(const QImage& image, int upper, int lower)
{
    ImageProcess buffer(image);
    const long long n = static_cast<long long>(buffer.width()) * buffer.height();
    long long histogram[256] = {};
    for (long long i = 0; i < n; ++i)
        ++histogram[buffer.red()[i]];

    const long long lowLimit = static_cast<long long>(std::min(lower * 0.5f, 100.0f) * double(n) / 100.0);
    int lo = 256;
    long long sum = 0;
    for (int i = 0; i < 256; ++i) {
        sum += histogram[i];
        if (sum > lowLimit) {
            lo = i;
            break;
        }
    }
    const long long highLimit = static_cast<long long>(std::min(upper * 0.5f, 100.0f) * double(n) / 100.0);
    int hi = -1;
    sum = 0;
    for (int j = 255; j >= 0; --j) {
        sum += histogram[j];
        if (sum > highLimit) {
            hi = j;
            break;
        }
    }

    unsigned char table[256] = {};
    for (int i = lo; i < hi; ++i)
        table[i] = static_cast<unsigned char>(int(float(i - lo) * (256.0f / float(hi - lo))));
    for (int i = std::max(lo, hi); i < 256; ++i)
        table[i] = 255;
    return throughTable(image, table);
}

QImage DrawTools::histogramSpreading(const QImage& image, int low, int high)
{
    unsigned char table[256] = {};
    const int s = std::max(low, 0);
    const int top = 255 - high;
    int start = s;
    if (s < top) {
        const float factor = 256.0f / float(255 - high - low);
        for (int i = s; i < std::min(top, 256); ++i)
            table[i] = static_cast<unsigned char>(std::clamp(int(float(i - low) * factor), 0, 255));
        start = top;
    }
    if (start >= 0 && start <= 255)
        for (int i = start; i < 256; ++i)
            table[i] = 255;
    return throughTable(image, table);
}

QImage DrawTools::histogramStretching(const QImage& image, int low, int high)
{
    unsigned char table[256];
    const int lb = low & 255;
    for (int i = 0; i < 256; ++i) {
        const float v = float(lb) + float(i) * float(255 - low - high) * (1.0f / 256.0f);
        table[i] = static_cast<unsigned char>(static_cast<long long>(std::clamp(v, -1e9f, 1e9f)) & 255);
    }
    return throughTable(image, table);
}

QImage DrawTools::quantization(const QImage& image, int n)
{
    return histogramSpreading(histogramStretching(image, n, n), n, n);
}

} // namespace MGraphX
