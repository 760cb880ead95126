#include "Math.h"

#include <cmath>
#include <limits>
#include <utility>

namespace MTools {

namespace {

constexpr float kPi = 3.1415927f;
constexpr float kHalfPi = 1.5707964f;
// Bounds every series and iteration so that rounding or overflow can never keep it running.
constexpr int kMaxTerms = 500;
constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr float kInf = std::numeric_limits<float>::infinity();

// Adds the term and tells whether the series has settled (or can no longer improve).
bool addTerm(float& fSum, float fTerm, float fPrecision)
{
    if (!std::isfinite(fTerm))
        return true;
    const float fNew = fSum + fTerm;
    const float fChange = std::fabs(fNew - fSum);
    fSum = fNew;
    return fChange <= fPrecision;
}

// Brings an angle into [-pi, pi] so the series about 0 stay accurate.
float reduceAngle(float x)
{
    if (std::fabs(x) <= kPi)
        return x;
    return float(std::remainder(double(x), 2.0 * M_PI));
}

} // namespace

float Math::sm_fPrecision = 1e-10f;
quint32 Math::sm_nCounter = 0;
float Math::sm_fSin[360] = {};
float Math::sm_fCos[360] = {};

namespace {
const Math g_startupMath(1e-10f);
}

Math::Math(const float& fPrecision)
{
    if (sm_nCounter == 0) {
        sm_fPrecision = fPrecision;
        for (int d = 359; d >= 0; --d) {
            const float x = float(d) * kPi / 180.0f;
            sm_fSin[d] = sinRad(x);
            sm_fCos[d] = cosRad(x);
        }
    }
    ++sm_nCounter;
}

Math::~Math() = default;

void Math::setPrecision(const float& fPrecision) { sm_fPrecision = fPrecision; }

float Math::sinRad(const float& xIn)
{
    if (std::fabs(xIn) <= sm_fPrecision)
        return xIn;
    if (sm_fPrecision >= 1.0f)
        return 0.0f;
    if (std::isnan(xIn) || std::isinf(xIn))
        return kNaN;
    const float x = reduceAngle(xIn);
    float fSum = 0.0f;
    float fSign = 1.0f;
    for (int k = 0; k < kMaxTerms; ++k) {
        if (addTerm(fSum, fSign * powInt(x, 2 * k + 1) / factorialf(float(2 * k + 1)), sm_fPrecision))
            break;
        fSign = -fSign;
    }
    return fSum;
}

float Math::cosRad(const float& xIn)
{
    if (sm_fPrecision >= 1.0f)
        return 1.0f;
    if (std::isnan(xIn) || std::isinf(xIn))
        return kNaN;
    const float x = reduceAngle(xIn);
    float fSum = 1.0f;
    float fSign = -1.0f;
    for (int k = 1; k < kMaxTerms; ++k) {
        if (addTerm(fSum, fSign * powInt(x, 2 * k) / factorialf(float(2 * k)), sm_fPrecision))
            break;
        fSign = -fSign;
    }
    return fSum;
}

float Math::secRad(const float& x) { return 1.0f / cosRad(x); }

float Math::atanSeries(float x)
{
    float fSum = 0.0f;
    float fSign = 1.0f;
    for (int k = 0; k < kMaxTerms; ++k) {
        if (addTerm(fSum, fSign * powInt(x, 2 * k + 1) / float(2 * k + 1), sm_fPrecision))
            break;
        fSign = -fSign;
    }
    return fSum;
}

float Math::atanRad(const float& x)
{
    if (sm_fPrecision >= 1.0f)
        return 0.0f;
    if (std::isnan(x))
        return kNaN;
    // The series converges only inside [-1, 1], and slowly near its ends.
    if (std::fabs(x) > 1.0f)
        return (x > 0.0f ? kHalfPi : -kHalfPi) - atanRad(1.0f / x);
    float t = x;
    float fFactor = 1.0f;
    while (std::fabs(t) > 0.5f) {
        t = t / (1.0f + sqrt(1.0f + t * t));
        fFactor *= 2.0f;
    }
    return fFactor * atanSeries(t);
}

float Math::acotRad(const float& x)
{
    if (sm_fPrecision >= 1.0f)
        return kHalfPi;
    return kHalfPi - atanRad(x);
}

float Math::acosRad(const float& x)
{
    if (sm_fPrecision >= 1.0f)
        return kHalfPi;
    if (std::isnan(x) || std::fabs(x) > 1.0f)
        return kNaN;
    const float s = sqrt(1.0f - x * x);
    if (s == 0.0f)
        return x > 0.0f ? 0.0f : 2.0f * kHalfPi;
    return kHalfPi - atanRad(x / s);
}

float Math::ln(const float& xIn)
{
    if (sm_fPrecision >= 1.0f)
        return 0.0f;
    if (std::isnan(xIn) || xIn < 0.0f)
        return kNaN;
    if (xIn == 0.0f)
        return -kInf;
    if (std::isinf(xIn))
        return kInf;
    // The series in (x - 1) converges only for 0 < x <= 2: take square roots until x is near 1.
    float x = xIn;
    float fFactor = 1.0f;
    for (int k = 0; k < kMaxTerms && (x > 1.5f || x < 0.75f); ++k) {
        x = sqrt(x);
        fFactor *= 2.0f;
    }
    const float u = x - 1.0f;
    float fSum = 0.0f;
    float fSign = 1.0f;
    for (int k = 1; k < kMaxTerms; ++k) {
        if (addTerm(fSum, fSign * powInt(u, k) / float(k), sm_fPrecision))
            break;
        fSign = -fSign;
    }
    return fFactor * fSum;
}

float Math::pow(const float& x, const float& fExponent)
{
    if (sm_fPrecision >= 1.0f)
        return 1.0f;
    if (std::isnan(x) || std::isnan(fExponent))
        return kNaN;
    if (fExponent == 0.0f)
        return 1.0f;
    if (x == 0.0f)
        return fExponent > 0.0f ? 0.0f : kInf;
    if (x < 0.0f) {
        if (std::trunc(fExponent) != fExponent)
            return kNaN;
        const float fMagnitude = pow(-x, fExponent);
        return std::fmod(std::fabs(fExponent), 2.0f) == 1.0f ? -fMagnitude : fMagnitude;
    }
    // The binomial series converges only for 0 < x < 2; elsewhere go through the logarithm.
    if (x < 0.5f || x > 1.5f)
        return exp(fExponent * ln(x));
    const float u = x - 1.0f;
    float fSum = 1.0f;
    float fCoefficient = 1.0f;
    for (int k = 1; k < kMaxTerms; ++k) {
        fCoefficient *= (fExponent - float(k - 1)) / float(k);
        if (addTerm(fSum, fCoefficient * powInt(u, k), sm_fPrecision))
            break;
    }
    return fSum;
}

float Math::exp(const float& xIn)
{
    if (sm_fPrecision >= 1.0f)
        return 1.0f;
    if (std::isnan(xIn))
        return kNaN;
    if (xIn > 89.0f)
        return kInf;
    if (xIn < -104.0f)
        return 0.0f;
    // Halve the argument until the series is short and free of cancellation, then square back.
    float x = xIn;
    int nSquarings = 0;
    while (std::fabs(x) > 0.5f) {
        x /= 2.0f;
        ++nSquarings;
    }
    float fSum = 1.0f;
    for (int k = 1; k < kMaxTerms; ++k) {
        if (addTerm(fSum, powInt(x, k) / factorialf(float(k)), sm_fPrecision))
            break;
    }
    for (int k = 0; k < nSquarings; ++k)
        fSum *= fSum;
    return fSum;
}

float Math::sqrt(const float& x)
{
    if (sm_fPrecision >= 1.0f)
        return 1.0f;
    if (std::isnan(x) || x < 0.0f)
        return kNaN;
    if (x == 0.0f || std::isinf(x))
        return x;
    float y = 1.0f;
    float yBefore = -1.0f;
    for (int k = 0; k < kMaxTerms; ++k) {
        const float yNext = (x / y + y) / 2.0f;
        const float fChange = std::fabs(yNext - y);
        // Rounding can leave Newton's step alternating between two neighbouring floats.
        const bool bCycle = yNext == yBefore;
        yBefore = y;
        y = yNext;
        // Below 1 the precision is taken relative to the root, so tiny arguments still get their root.
        if (fChange <= sm_fPrecision * (y < 1.0f ? y : 1.0f) || bCycle)
            break;
    }
    return y;
}

float Math::powInt(const float& x, const int& n)
{
    float fResult = 1.0f;
    for (int k = 0; k < n; ++k)
        fResult *= x;
    return fResult;
}

float Math::factorialf(const float& x)
{
    float fResult = 1.0f;
    for (float f = x; f > 0.0f && std::isfinite(fResult); f -= 1.0f)
        fResult *= f;
    return fResult;
}

unsigned long Math::factorial(const unsigned long& n)
{
    unsigned long nResult = 1;
    for (unsigned long k = n; k > 0; --k)
        nResult *= k;
    return nResult;
}

float Math::maximum(const float& a, const float& b) { return a > b ? a : b; }

float Math::minimum(const float& a, const float& b) { return a < b ? a : b; }

float Math::floor(const float& x) { return std::trunc(x); }

float Math::abs(const float& x) { return std::fabs(x); }

namespace {
int tableIndex(int nDegrees) { return ((nDegrees % 360) + 360) % 360; }
} // namespace

float Math::sin(const int& nDegrees) { return sm_fSin[tableIndex(nDegrees)]; }

float Math::cos(const int& nDegrees) { return sm_fCos[tableIndex(nDegrees)]; }

float Math::tan(const int& nDegrees)
{
    const int d = tableIndex(nDegrees);
    return sm_fSin[d] / sm_fCos[d];
}

float Math::rad(const int& nDegrees) { return float(nDegrees) * kPi / 180.0f; }

float Math::integral(const float& a, const float& b, float (*f)(float))
{
    if (sm_fPrecision >= 1.0f || !f)
        return 0.0f;
    const float h = (b - a) / 50.0f;
    const auto pass = [&]() {
        float fSum = 0.0f;
        // The step cap stops a step too small to move x in float from running forever.
        int nSteps = 0;
        for (float x = a + h; x < b && nSteps < 100; x += h, ++nSteps)
            fSum += f(x - h) * h;
        return fSum;
    };
    float fSum = pass();
    for (int k = 0; k < kMaxTerms; ++k) {
        const float fNext = pass();
        const bool bDone = !(std::fabs(std::fabs(fNext) - std::fabs(fSum)) > sm_fPrecision);
        fSum = fNext;
        if (bDone)
            break;
    }
    return fSum;
}

void Math::fft(const int& n, float* pfReal, float* pfImag) { transform(n, pfReal, pfImag, false); }

void Math::ifft(const int& n, float* pfReal, float* pfImag) { transform(n, pfReal, pfImag, true); }

void Math::transform(int n, float* pfReal, float* pfImag, bool bInverse)
{
    if (n < 1 || (n & (n - 1)) != 0)
        return;
    if (n >= 2) {
        int j = 0;
        for (int i = 0; i < n - 1; ++i) {
            if (i < j) {
                std::swap(pfReal[i], pfReal[j]);
                std::swap(pfImag[i], pfImag[j]);
            }
            int k = n / 2;
            while (k <= j) {
                j -= k;
                k /= 2;
            }
            j += k;
        }
    }
    for (int nSpan = 2; nSpan <= n; nSpan *= 2) {
        const int nHalf = nSpan / 2;
        const float fTheta = kPi / float(nHalf);
        const float c = cosRad(fTheta);
        const float s = bInverse ? sinRad(fTheta) : -sinRad(fTheta);
        float wr = 1.0f;
        float wi = 0.0f;
        for (int m = 0; m < nHalf; ++m) {
            for (int i = m; i < n; i += nSpan) {
                const int b = i + nHalf;
                const float tRe = wr * pfReal[b] - wi * pfImag[b];
                const float tIm = wr * pfImag[b] + wi * pfReal[b];
                pfReal[b] = pfReal[i] - tRe;
                pfImag[b] = pfImag[i] - tIm;
                pfReal[i] += tRe;
                pfImag[i] += tIm;
            }
            const float wrNext = c * wr - wi * s;
            wi = wr * s + c * wi;
            wr = wrNext;
        }
    }
    if (!bInverse) {
        for (int i = 0; i < n; ++i) {
            pfReal[i] /= float(n);
            pfImag[i] /= float(n);
        }
    }
}

} // namespace MTools
