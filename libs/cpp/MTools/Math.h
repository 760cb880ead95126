// Single-precision series math, whole-degree sine and cosine tables and an in-place radix-2 FFT.
#pragma once

#include <QtGlobal>

namespace MTools {

class Math
{
public:
    // The first object sets the precision and fills the tables; later ones only count themselves.
    Math(const float& fPrecision);
    virtual ~Math();

    static void setPrecision(const float& fPrecision);

    static float sinRad(const float& x);
    static float cosRad(const float& x);
    static float secRad(const float& x);
    static float atanRad(const float& x);
    static float acotRad(const float& x);
    static float acosRad(const float& x);
    static float ln(const float& x);
    static float pow(const float& x, const float& fExponent);
    static float exp(const float& x);
    static float sqrt(const float& x);
    static float powInt(const float& x, const int& n);
    static float factorialf(const float& x);
    static unsigned long factorial(const unsigned long& n);
    static float maximum(const float& a, const float& b);
    static float minimum(const float& a, const float& b);
    // Truncates toward zero.
    static float floor(const float& x);
    static float abs(const float& x);

    // Table look-ups by whole degrees; degrees are reduced modulo 360.
    static float sin(const int& nDegrees);
    static float cos(const int& nDegrees);
    static float tan(const int& nDegrees);
    static float rad(const int& nDegrees);

    // Left Riemann sum of f over [a, b] with 50 steps.
    static float integral(const float& a, const float& b, float (*f)(float));

    // In-place transform of n complex values (n a power of two; other sizes are left unchanged).
    // fft divides by n and uses e^(-2 pi i km/n); ifft uses e^(+2 pi i km/n) without a factor.
    static void fft(const int& n, float* pfReal, float* pfImag);
    static void ifft(const int& n, float* pfReal, float* pfImag);

private:
    static float atanSeries(float x);
    static void transform(int n, float* pfReal, float* pfImag, bool bInverse);

    static float sm_fPrecision;
    static quint32 sm_nCounter;
    static float sm_fSin[360];
    static float sm_fCos[360];
};

} // namespace MTools
