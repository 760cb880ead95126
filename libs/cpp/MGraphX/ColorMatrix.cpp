#include "ColorMatrix.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <utility>

namespace MGraphX {

ColorMatrix::ColorMatrix(QObject* parent) : QObject(parent) { loadIdentity(); }

ColorMatrix::ColorMatrix(const ColorMatrix& other) : QObject(nullptr), m_nMask(other.m_nMask)
{
    std::memcpy(m_afM, other.m_afM, sizeof m_afM);
}

ColorMatrix& ColorMatrix::operator=(const ColorMatrix& other)
{
    std::memcpy(m_afM, other.m_afM, sizeof m_afM);
    m_nMask = other.m_nMask;
    return *this;
}

void ColorMatrix::loadIdentity()
{
    for (int k = 0; k < 4; ++k)
        for (int c = 0; c < 4; ++c)
            m_afM[k][c] = k == c ? 1.0f : 0.0f;
    m_nMask = 31;
}

void ColorMatrix::setSaturation(float s)
{
    const float a = (1.0f - s) / 3.0f;
    const float b = s + a;
    for (int k = 0; k < 3; ++k)
        for (int c = 0; c < 3; ++c)
            m_afM[k][c] = k == c ? b : a;
    m_nMask = 31;
}

void ColorMatrix::setBrightness(float v)
{
    m_afM[0][0] = m_afM[1][1] = m_afM[2][2] = v;
    m_nMask = 31;
}

void ColorMatrix::setRGBA(float r, float g, float b, float a)
{
    m_afM[0][0] = r;
    m_afM[1][1] = g;
    m_afM[2][2] = b;
    m_afM[3][3] = a;
    m_nMask = 31;
}

void ColorMatrix::setGray()
{
    for (int k = 0; k < 3; ++k)
        for (int c = 0; c < 3; ++c)
            m_afM[k][c] = 1.0f / 3.0f;
    m_nMask = 31;
}

void ColorMatrix::setLuminance()
{
    const float rows[3] = {0.3086f, 0.6094f, 0.082f};
    for (int k = 0; k < 3; ++k)
        for (int c = 0; c < 3; ++c)
            m_afM[k][c] = rows[k];
    m_nMask = 31;
}

void ColorMatrix::grayedRGBA(float r, float g, float b, float a)
{
    float d = std::ceil(r) + std::ceil(g) + std::ceil(b);
    if (!(d > 0.0f))
        d = 1.0f;
    for (int k = 0; k < 3; ++k) {
        m_afM[k][0] = r / d;
        m_afM[k][1] = g / d;
        m_afM[k][2] = b / d;
        m_afM[k][3] = 0.0f;
    }
    m_afM[3][0] = m_afM[3][1] = m_afM[3][2] = 0.0f;
    m_afM[3][3] = a;
    m_nMask = 31;
}

void ColorMatrix::showAlpha()
{
    for (int k = 0; k < 4; ++k)
        for (int c = 0; c < 4; ++c)
            m_afM[k][c] = c == 3 ? 1.0f : 0.0f;
    m_nMask = 31;
}

void ColorMatrix::swapColumns(int a, int b)
{
    for (int k = 0; k < 3; ++k)
        std::swap(m_afM[k][a], m_afM[k][b]);
    m_nMask = 31;
}

void ColorMatrix::changeRG() { swapColumns(0, 1); }

void ColorMatrix::changeRB() { swapColumns(0, 2); }

void ColorMatrix::changeGB() { swapColumns(1, 2); }

unsigned int ColorMatrix::multiply(int r, int g, int b, int a) const
{
    const float in[4] = {float(r), float(g), float(b), float(a)};
    unsigned int out[4];
    for (int c = 0; c < 4; ++c) {
        const float v = ((m_afM[0][c] * in[0] + m_afM[1][c] * in[1]) + m_afM[2][c] * in[2]) + m_afM[3][c] * in[3];
        // Clamp before the integer step so that huge values cannot overflow it.
        const float limited = std::isnan(v) ? 0.0f : std::clamp(v, -1.0f, 256.0f);
        out[c] = static_cast<unsigned int>(std::clamp(static_cast<int>(limited), 0, 255));
    }
    return out[3] << 24 | out[0] << 16 | out[1] << 8 | out[2];
}

QImage ColorMatrix::apply(const QImage& image) const
{
    QImage result = image;
    if (result.format() != QImage::Format_RGB32 && result.format() != QImage::Format_ARGB32)
        result = result.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < result.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(result.scanLine(y));
        for (int x = 0; x < result.width(); ++x)
            line[x] = multiply(qRed(line[x]), qGreen(line[x]), qBlue(line[x]), qAlpha(line[x]));
    }
    return result;
}

} // namespace MGraphX
