#pragma once
// Static image filters: tone and colour, histogram tables, geometry and composition, blur and edge, badges and data
// URLs.

#include <QColor>
#include <QFont>
#include <QImage>
#include <QPixmap>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>
#include <QVector>

class QPainter;

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

    // Geometry keeps the source's format. Compositions work on 32-bit pixel words: inputs in other
    // formats are converted to ARGB32 first, and the overlap is the common top-left rectangle.
    static QImage mirror(const QImage& image, bool horizontal, bool vertical);
    static QImage rotateLeft90(const QImage& image);
    static QImage rotateRight90(const QImage& image);
    static QImage rotateBy180(const QImage& image);
    // Border of width * percent / 100 pixels (from the width alone) on all four sides.
    static QImage framed(const QImage& image, int percent, const QColor& colour);
    // Letterbox: scaled to fit size and centred on the colour (indexed pictures come back as ARGB32).
    static QImage embed(const QImage& image, const QSize& size, const QColor& colour);
    // An empty picture when the margins take the whole width or height.
    static QImage cropPixels(const QImage& image, int left, int right, int top, int bottom);
    static QImage cropPercentage(const QImage& image, int left, int right, int top, int bottom);
    // |a - b| per colour channel in the overlap, opaque.
    static QImage sub(const QImage& a, const QImage& b);
    // (a + b) / 2 per channel (alpha too) in the overlap.
    static QImage mix(const QImage& a, const QImage& b);
    // Two of every 2 x 2 block of a taken from b, at twice the size, then scaled back.
    static QImage mix2(const QImage& a, const QImage& b);
    // Three of every 2 x 2 block of a taken from b, at twice the size, then scaled back.
    static QImage mix3(const QImage& a, const QImage& b);
    // Source pixels where the mask is black, within the overlap of all three.
    static QImage setPixels(const QImage& base, const QImage& source, const QImage& mask);
    // Source pixels where each colour channel differs from base by less than tolerance.
    static QImage setPixels(const QImage& base, const QImage& source, const int& tolerance);
    // The pixmap with the mask's red channel as alpha.
    static QPixmap maskedPixmap(const QPixmap& pixmap, const QPixmap& mask);

    // Recursive exponential blur of rect (clipped to the picture) on an ARGB32 premultiplied copy; radius 1 .. 17.
    static QImage blurred(const QImage& image, const QRect& rect, int radius, bool alphaOnly);
    // Fixed 3 x 3 edge filter of the interior; the kernel is not used. Unprocessed pixels keep the source;
    // indexed pictures come back as ARGB32.
    static QImage filtered(const QImage& image, const QVector<int>& kernel);

    // Rounded badge with a shadow at pos; the painter's state is kept.
    static void drawInfo(QPainter* painter, const QPoint& pos, const QString& text, const QFont& font,
                         const QColor& colour, bool outline, float opacity);
    // "data:image/<format>;base64,<bytes>"; quality -1 is the encoder's default.
    static QString imageToBase64(const QImage& image, const QString& format, const int& quality);
    // The picture of a data URL; a null image when a marker is missing, the bytes do not decode or their header
    // announces no size or one beyond PictureLimits::MaxFramePixels.
    static QImage imageFromBase64(const QString& text);
    // The picture as it comes back from encoding with format and quality.
    static QImage realPreview(const QImage& image, const QString& format, const int& quality);

private:
    // Formats whose pixels are palette indices: QPainter and QImage::setPixel(QRgb) cannot write them.
    static bool isIndexed(QImage::Format format);
};

} // namespace MGraphX
