#include "MFft.h"

#include <cmath>
#include <utility>

namespace MTools {

MFft::MFft(int nLog2n) : m_nLog2n(nLog2n)
{
    if (nLog2n < 0 || nLog2n > 15)
        return;
    const int nSize = 1 << nLog2n;
    for (int k = 0; k < nSize; ++k) {
        int nReversed = 0;
        for (int b = 0; b < nLog2n; ++b)
            nReversed = (nReversed << 1) | ((k >> b) & 1);
        m_anReverse[k] = nReversed;
    }
}

MFft::~MFft() = default;

void MFft::apply(float* pfReal, float* pfImag, bool bInverse) const
{
    if (m_nLog2n < 0 || m_nLog2n > 15)
        return;
    const int nSize = 1 << m_nLog2n;
    for (int nSpan = nSize; nSpan >= 2; nSpan /= 2) {
        const int nHalf = nSpan / 2;
        for (int nStart = 0; nStart < nSize; nStart += nSpan) {
            for (int k = 0; k < nHalf; ++k) {
                const float fTheta = float(2.0 * M_PI * m_anReverse[(nStart + k) / nHalf] / nSize);
                const float fCos = std::cos(fTheta);
                const float fSin = bInverse ? -std::sin(fTheta) : std::sin(fTheta);
                const int a = nStart + k;
                const int b = a + nHalf;
                const float tRe = pfReal[b] * fCos + pfImag[b] * fSin;
                const float tIm = pfImag[b] * fCos - pfReal[b] * fSin;
                pfReal[b] = pfReal[a] - tRe;
                pfImag[b] = pfImag[a] - tIm;
                pfReal[a] += tRe;
                pfImag[a] += tIm;
            }
        }
    }
    for (int k = 0; k < nSize; ++k) {
        if (k < m_anReverse[k]) {
            std::swap(pfReal[k], pfReal[m_anReverse[k]]);
            std::swap(pfImag[k], pfImag[m_anReverse[k]]);
        }
    }
    if (!bInverse) {
        const double dScale = 1.0 / nSize;
        for (int k = 0; k < nSize; ++k) {
            pfReal[k] = float(pfReal[k] * dScale);
            pfImag[k] = float(pfImag[k] * dScale);
        }
    }
}

} // namespace MTools
