#include <ZADovuzIdida/_VozIdavi/Common/SampleRange.h>

#include <algorithm>
#include <cmath>

namespace ZADovuzIdida {
namespace SampleRange {

float absolutePeak(const float* values, qint64 count)
{
    float peak = 0.0f;
    for (qint64 i = 0; i < count; ++i)
        peak = std::max(peak, std::fabs(values[i]));
    return peak;
}

void widen(const float* values, qint64 count, int stride, float* pMin, float* pMax)
{
    float lowest = *pMin;
    float highest = *pMax;
    if (stride == 1) {
        for (qint64 i = 0; i < count; ++i) {
            lowest = std::min(lowest, values[i]);
            highest = std::max(highest, values[i]);
        }
    } else {
        for (qint64 i = 0; i < count; ++i) {
            const float x = values[i * stride];
            lowest = std::min(lowest, x);
            highest = std::max(highest, x);
        }
    }
    *pMin = lowest;
    *pMax = highest;
}

} // namespace SampleRange
} // namespace ZADovuzIdida
