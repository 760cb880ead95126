#pragma once
// Static image filters: per-pixel tone and colour changes and histogram lookup tables.

#include <QColor>
#include <QImage>
#include <QVector>

namespace MGraphX {

// (min + max) / 2 of four values.
int normalize(int a, int b, int c, int d);

class DrawTools
{
public:
    // The per-pixel filters keep the input's 32-bit format; other formats are processed as ARGB32.
    static QImage grayScale(const QImage& image);
    static QImage brightnessAndContrast(const QImage& image, int brightness, int contrast);
    // Moves each channel away from (s > 1) or toward (s < 1) the pixel's weighted gray level.
    static QImage saturation(const QImage& image, float s);
    static QImage brightnessContrastSaturation(const QImage& image, int brightness, int contrast, float s);
    static QImage invert(const QImage& image);
    // Scales the channels by red / 127, green / 127 and blue / 127.
    static QImage colorBalance(const QImage& image, const int& red, const int& green, const int& blue);
    // Scales all three channels by level / 100.
    static QImage denoise(const QImage& image, const int& level);
    static QImage binarize(const QImage& image, int threshold);
    // Snaps each channel to the nearest of the ascending levels (a tie goes up); outside them to 0 or 255.
    static QImage grade(const QImage& image, const QVector<int>& levels);
    static QImage changeRedAndBlue(const QImage& image);
    static QImage changeRedAndGreen(const QImage& image);
    static QImage changeGreenAndBlue(const QImage& image);
    // Turns the pixels within 9 degrees of from's hue toward to; the result is ARGB32 premultiplied.
    static QImage colorizeImage(const QImage& image, const QColor& from, const QColor& to);

    // Clips half of lower and upper per cent of the darkest and brightest pixels (by red) and spreads the rest.
    static QImage histogramOptimizing(const QImage& image, int upper, int lower);
    // Maps low .. 255 - high onto 0 .. 255.
    static QImage histogramSpreading(const QImage& image, int low, int high);
    // Maps 0 .. 255 onto low .. 255 - high.
    static QImage histogramStretching(const QImage& image, int low, int high);
    static QImage quantization(const QImage& image, int n);
};

} // namespace MGraphX
