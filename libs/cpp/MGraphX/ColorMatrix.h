#pragma once
// 4 x 4 colour matrix mapping red, green, blue and alpha of a pixel to new channel values.

#include <QImage>
#include <QObject>

namespace MGraphX {

class ColorMatrix : public QObject
{
    Q_OBJECT

public:
    explicit ColorMatrix(QObject* parent = nullptr);
    ColorMatrix(const ColorMatrix& other);
    ColorMatrix& operator=(const ColorMatrix& other);

    void loadIdentity();
    void setSaturation(float s);
    void setBrightness(float v);
    void setRGBA(float r, float g, float b, float a);
    void setGray();
    void setLuminance();
    // Tints toward (r, g, b) by their share of ceil(r) + ceil(g) + ceil(b).
    void grayedRGBA(float r, float g, float b, float a);
    void showAlpha();
    void changeRG();
    void changeRB();
    void changeGB();

    // One pixel through the matrix, as 0xAARRGGBB with each channel limited to 0..255.
    unsigned int multiply(int r, int g, int b, int a) const;
    // A copy of a 32-bit picture with every pixel through the matrix; other formats are converted to ARGB32 first.
    QImage apply(const QImage& image) const;

    float at(int row, int column) const { return m_afM[row][column]; }
    int mask() const { return m_nMask; }

private:
    void swapColumns(int a, int b);

    float m_afM[4][4];
    int m_nMask = 31;
};

} // namespace MGraphX
