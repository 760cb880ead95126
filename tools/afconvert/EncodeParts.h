#pragma once
// How many parts an encode may be cut in, what each part costs beyond its own audio, and what the tool and its caller
// say to each other about lent cores.

#include <algorithm>

namespace EncodeParts {

// Each running part is a thread of its own, and each part is read before its own audio.
constexpr int kMaxParts = 32;
// Samples of one AAC-LC frame: every join lies on this grid.
constexpr int kFrameSamples = 1024;
// AAC frames encoded before a part and dropped, so that the encoder's adaptive state settles where a whole encode has
// it; a part starting at the input's start has none.
constexpr int kLeadFrames = 64;
// Parts at least four times their lead-in, so that all lead-ins together cost at most a quarter of a whole encode.
constexpr int kPartLeads = 4;
// Where the encoder's rate control settles over minutes instead (its quantizer scale, which starts anew in every
// encoder and cannot be set without retuning it), a part's lead-in lasts this many seconds, and the part at least
// seven lead-ins, so that they cost at most 15 % more than a whole encode: at 96 kHz and 320 kbit/s, 60 s still left
// the second after a join up to 1 dB worse than whole.
constexpr int kSlowLeadSeconds = 90;
constexpr int kSlowPartLeads = 7;

// Whether the rate control settles slowly at this sample rate, bit rate and channel count: at 88.2 kHz and above
// from 160 kbit/s a channel on.
constexpr bool settlesSlowly(int sampleRate, long bitRate, int channels)
{
    return sampleRate >= 88200 && bitRate / std::max(channels, 1) >= 160000;
}

// The lead-in of a part at this setting, in AAC frames.
constexpr long long leadFrames(int sampleRate, long bitRate, int channels)
{
    return settlesSlowly(sampleRate, bitRate, channels) ? (long long)kSlowLeadSeconds * sampleRate / kFrameSamples
                                                        : kLeadFrames;
}

// The most parts an input of samples sample frames is cut in at this setting: 1 when it is too short for two.
constexpr int mostParts(long long samples, int sampleRate, long bitRate, int channels)
{
    const int partLeads = settlesSlowly(sampleRate, bitRate, channels) ? kSlowPartLeads : kPartLeads;
    const long long parts = samples / kFrameSamples / (partLeads * leadFrames(sampleRate, bitRate, channels));
    return int(std::clamp<long long>(parts, 1, kMaxParts));
}

// On the tool's standard output: a part waits for a core; a lent core is given back.
constexpr char kWantCore = 'w';
constexpr char kReturnCore = 'r';
// On the tool's standard input: a core is lent.
constexpr char kLendCore = 'c';

} // namespace EncodeParts
