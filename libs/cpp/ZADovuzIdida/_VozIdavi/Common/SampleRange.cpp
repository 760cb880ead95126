#include <ZADovuzIdida/_VozIdavi/Common/SampleRange.h>

#include <algorithm>
#include <cmath>

namespace ZADovuzIdida {
namespace SampleRange {

namespace {

// Independent running values, so that the compiler can vectorise the loops and no value waits for the one before.
constexpr int Lanes = 8;

// Stride as a constant where it is known, so that the loads of a lane's values can be vectorised too.
template <int Stride>
void widenLanes(const float* values, qint64 count, int stride, float* lowest, float* highest, qint64* pDone)
{
    const int step = Stride > 0 ? Stride : stride;
    qint64 i = 0;
    for (; i + Lanes <= count; i += Lanes) {
        const float* run = values + i * step;
        for (int j = 0; j < Lanes; ++j) {
            lowest[j] = std::min(lowest[j], run[j * step]);
            highest[j] = std::max(highest[j], run[j * step]);
        }
    }
    *pDone = i;
}

} // namespace

float absolutePeak(const float* values, qint64 count)
{
    float peaks[Lanes] = {};
    qint64 i = 0;
    for (; i + Lanes <= count; i += Lanes) {
        for (int j = 0; j < Lanes; ++j)
            peaks[j] = std::max(peaks[j], std::fabs(values[i + j]));
    }
    for (; i < count; ++i)
        peaks[0] = std::max(peaks[0], std::fabs(values[i]));
    return *std::max_element(peaks, peaks + Lanes);
}

void widen(const float* values, qint64 count, int stride, float* pMin, float* pMax)
{
    float lowest[Lanes];
    float highest[Lanes];
    std::fill_n(lowest, Lanes, *pMin);
    std::fill_n(highest, Lanes, *pMax);
    qint64 i = 0;
    if (stride == 1)
        widenLanes<1>(values, count, stride, lowest, highest, &i);
    else if (stride == 2)
        widenLanes<2>(values, count, stride, lowest, highest, &i);
    else
        widenLanes<0>(values, count, stride, lowest, highest, &i);
    for (; i < count; ++i) {
        lowest[0] = std::min(lowest[0], values[i * stride]);
        highest[0] = std::max(highest[0], values[i * stride]);
    }
    *pMin = *std::min_element(lowest, lowest + Lanes);
    *pMax = *std::max_element(highest, highest + Lanes);
}

} // namespace SampleRange
} // namespace ZADovuzIdida
