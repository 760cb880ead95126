#pragma once
// Reduces a true-colour picture to an indexed picture of at most 256 colours by median cut.

#include <MGraphX/Cube.h>

#include <QImage>
#include <QObject>
#include <QVector>

namespace MGraphX {

class ColorReducer : public QObject
{
    Q_OBJECT

public:
    explicit ColorReducer(const QImage& image, QObject* parent = nullptr);

    void setDithering(bool on) { m_bDithering = on; }
    void setGrayAlg(bool on) { m_bGrayAlg = on; }

    // Format_Indexed8 picture of at most maxColors colours (1 to 256); with an alpha channel index 255 is transparent.
    QImage convertToByte(int maxColors);
    // Posterized 32-bit picture with levels steps per channel (1 to 255).
    QImage convertTo24Bits(int levels);
    // A copy of image whose every pixel is a palette colour, with the error diffused to its neighbours.
    QImage applyFloydSteinbergDithering(const QImage& image, const QVector<unsigned int>& palette);
    // The palette colour nearest to colour (the first of equally near ones); colour itself for an empty palette.
    unsigned int findClosestPaletteColor(int colour, const QVector<unsigned int>& palette) const;
    // Euclidean distance of two colours in RGB.
    double dist(const int& a, const int& b) const;

    static void saveToPng(const QImage& image, const QString& path, int colours, bool dithering, bool grayAlg);
    static void save(const QImage& image, const QString& path, int colours, const QString& format);

    // The 15-bit colour of a 0xAARRGGBB pixel, red in the low bits, and its channels in the 0..248 scale.
    static int rgb(int pixel);
    static int red(int i) { return (i & 31) * 8; }
    static int green(int i) { return ((i >> 5) & 31) * 8; }
    static int blue(int i) { return ((i >> 10) & 31) * 8; }

    const QVector<unsigned int>& palette() const { return m_vPalette; }
    const QVector<Cube>& cubes() const { return m_vCubes; }
    // Boxes made by the last median cut.
    int cubeCount() const { return m_nCubeCount; }

signals:
    void progress(int percent);

private:
    QImage convertGray();
    void shrink(Cube& cube) const;
    void sortByAxis(int lower, int upper, int axis);
    static void levelTables(int n, unsigned char* a, unsigned char* b);
    static bool transparent(unsigned int pixel) { return pixel < 0x7F000000u; }

    QVector<int> m_vHistogram;
    QVector<int> m_vColors;
    QVector<Cube> m_vCubes;
    int m_nMaxColors = 256;
    int m_nCubeCount = 0;
    QImage m_imgWork;
    QImage m_imgSource;
    QVector<unsigned int> m_vPalette;
    bool m_bDithering = true;
    bool m_bGrayAlg = true;
};

} // namespace MGraphX
