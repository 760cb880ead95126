#pragma once
// Test pictures and the reference image tool the graphics suites compare against.

#include <QImage>
#include <QStringList>

namespace GraphXTest {

// A deterministic colourful picture: gradients with a few solid patches.
QImage samplePicture(int width, int height);
// A picture of one colour.
QImage filled(int width, int height, QRgb colour, QImage::Format format = QImage::Format_ARGB32);
// Runs the reference converter on image with args between input and output; a null image on failure.
QImage referenceConvert(const QImage& image, const QStringList& args, const QString& folder);
// Number of distinct RGB colours.
int colourCount(const QImage& image);
// Mean Euclidean RGB distance per pixel between two pictures of the same size.
double meanError(const QImage& a, const QImage& b);

} // namespace GraphXTest
