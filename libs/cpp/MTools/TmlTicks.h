#pragma once
// Conversions of counts between audio frames, image frames and a tick time base.

namespace MTools {

// Unit of a count handed to the tick conversions; any other value means the count is already in ticks.
enum FipTimeType : int { FipImageFrames = 2, FipAudioFrames = 3 };

// All products and quotients are taken in double precision and truncated toward zero
// (NaN gives 0, values beyond the 64-bit range saturate).

// Audio frames at rate, or image frames at fps, to ticks at tickRate.
long long toTmlTicks(long long value, FipTimeType type, float fps, unsigned rate, int tickRate);
// Ticks at tickRate back to audio frames at rate, or image frames at fps.
long long fromTmlTicks(long long value, FipTimeType type, float fps, unsigned rate, int tickRate);

// Audio frames at rate to image frames at fps, through the reference rate.
long long audioToImageFrames(long long value, float fps, unsigned rate, int referenceRate);
// Image frames at fps to audio frames at rate, through the reference rate.
long long imageToAudioFrames(long long value, float fps, unsigned rate, int referenceRate);

// Audio frames at rate to image frames at fps, directly.
long long audioToImageFramesSource(long long value, float fps, unsigned rate);
// Image frames at fps to audio frames at rate, directly: rate × (value / fps).
long long imageToAudioFramesSource(long long value, float fps, unsigned rate);

} // namespace MTools
