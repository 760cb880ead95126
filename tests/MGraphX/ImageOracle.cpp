#include "ImageOracle.h"

#include "Tools.h"

#include <QDir>
#include <QSet>

#include <cmath>

namespace GraphXTest {

QImage samplePicture(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const int r = (x * 255) / std::max(1, width - 1);
            const int g = (y * 255) / std::max(1, height - 1);
            const int b = ((x + y) * 7 + (x * y) % 97) & 255;
            image.setPixel(x, y, qRgb(r, g, b));
        }
    for (int y = height / 4; y < height / 2; ++y)
        for (int x = width / 4; x < width / 2; ++x)
            image.setPixel(x, y, qRgb(200, 30, 40));
    return image;
}

QImage filled(int width, int height, QRgb colour, QImage::Format format)
{
    QImage image(width, height, format);
    image.fill(colour);
    return image;
}

QImage referenceConvert(const QImage& image, const QStringList& args, const QString& folder)
{
    const QString in = QDir(folder).filePath("oracle-in.png");
    const QString out = QDir(folder).filePath("oracle-out.png");
    QFile::remove(out);
    if (!image.save(in, "PNG"))
        return QImage();
    // The distribution's converter, by its full path.
    const TestKit::ToolResult result = TestKit::runTool("/usr/bin/convert", QStringList{in} + args + QStringList{out});
    if (result.exitCode != 0)
        return QImage();
    return QImage(out).convertToFormat(QImage::Format_RGB32);
}

int colourCount(const QImage& image)
{
    QSet<QRgb> colours;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            colours.insert(image.pixel(x, y) & 0xFFFFFFu);
    return colours.size();
}

double meanError(const QImage& a, const QImage& b)
{
    double sum = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            const double dr = qRed(p) - qRed(q), dg = qGreen(p) - qGreen(q), db = qBlue(p) - qBlue(q);
            sum += std::sqrt(dr * dr + dg * dg + db * db);
        }
    return sum / (double(a.width()) * a.height());
}

} // namespace GraphXTest
