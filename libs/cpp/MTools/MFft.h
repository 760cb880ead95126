// Fixed-size radix-2 FFT with a precomputed bit-reversal table.
#pragma once

namespace MTools {

class MFft
{
public:
    // Transform size 2^nLog2n; exponents outside 0 to 15 give an object whose apply does nothing.
    explicit MFft(int nLog2n);
    virtual ~MFft();

    // Forward: X[k] = (1/N) sum x[n] e^(-2 pi i nk/N); inverse: x[n] = sum X[k] e^(+2 pi i nk/N).
    void apply(float* pfReal, float* pfImag, bool bInverse) const;

private:
    static constexpr int sm_nMaxSize = 32768;

    int m_anReverse[sm_nMaxSize] = {};
    int m_nLog2n;
};

} // namespace MTools
