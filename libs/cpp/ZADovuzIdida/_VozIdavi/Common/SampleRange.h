#pragma once
// The extremes of runs of float samples, in loops that keep their running values in registers.

#include <QtGlobal>

namespace ZADovuzIdida {
namespace SampleRange {

// The largest absolute value of count values; a NaN is passed over.
float absolutePeak(const float* values, qint64 count);
// Lowers *pMin and raises *pMax to the extremes of count values, one taken every stride; a NaN is passed over.
void widen(const float* values, qint64 count, int stride, float* pMin, float* pMax);

} // namespace SampleRange
} // namespace ZADovuzIdida
