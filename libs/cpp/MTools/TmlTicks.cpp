#include "TmlTicks.h"

#include <climits>
#include <cmath>

namespace MTools {

namespace {

long long truncated(double value)
{
    if (std::isnan(value))
        return 0;
    if (value >= 9223372036854775808.0)
        return LLONG_MAX;
    if (value < -9223372036854775808.0)
        return LLONG_MIN;
    return static_cast<long long>(value);
}

bool sameRate(unsigned rate, int otherRate) { return static_cast<long long>(rate) == otherRate; }

} // namespace

long long toTmlTicks(long long value, FipTimeType type, float fps, unsigned rate, int tickRate)
{
    switch (type) {
    case FipAudioFrames:
        if (rate == 0)
            return 0;
        if (sameRate(rate, tickRate))
            return value;
        return truncated(double(tickRate) * double(value) / double(rate));
    case FipImageFrames:
        if (fps == 0)
            return 0;
        return truncated(double(tickRate) * double(value) / double(fps));
    }
    return value;
}

long long fromTmlTicks(long long value, FipTimeType type, float fps, unsigned rate, int tickRate)
{
    switch (type) {
    case FipAudioFrames:
        if (tickRate == 0)
            return 0;
        if (sameRate(rate, tickRate))
            return value;
        return truncated(double(rate) * double(value) / double(tickRate));
    case FipImageFrames:
        if (tickRate == 0)
            return 0;
        return truncated(double(fps) * double(value) / double(tickRate));
    }
    return value;
}

long long audioToImageFrames(long long value, float fps, unsigned rate, int referenceRate)
{
    long long reference = 0;
    if (rate != 0)
        reference =
            sameRate(rate, referenceRate) ? value : truncated(double(referenceRate) * double(value) / double(rate));
    if (referenceRate == 0)
        return 0;
    return truncated(double(fps) * double(reference) / double(referenceRate));
}

long long imageToAudioFrames(long long value, float fps, unsigned rate, int referenceRate)
{
    const long long reference = fps == 0 ? 0 : truncated(double(referenceRate) * double(value) / double(fps));
    if (referenceRate == 0)
        return 0;
    if (sameRate(rate, referenceRate))
        return reference;
    return truncated(double(rate) * double(reference) / double(referenceRate));
}

long long audioToImageFramesSource(long long value, float fps, unsigned rate)
{
    if (fps == 0 || rate == 0)
        return 0;
    return truncated(double(fps) * double(value) / double(rate));
}

long long imageToAudioFramesSource(long long value, float fps, unsigned rate)
{
    if (fps == 0)
        return 0;
    return truncated(double(rate) * (double(value) / double(fps)));
}

} // namespace MTools
