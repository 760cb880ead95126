#pragma once
// How many parts an encode may be cut in, and what the tool and its caller say to each other about lent cores.

namespace EncodeParts {

// Each running part is a thread of its own, and each part is read before its own audio.
constexpr int kMaxParts = 32;
// Samples of one AAC-LC frame: every join lies on this grid.
constexpr int kFrameSamples = 1024;

// On the tool's standard output: a part waits for a core; a lent core is given back.
constexpr char kWantCore = 'w';
constexpr char kReturnCore = 'r';
// On the tool's standard input: a core is lent.
constexpr char kLendCore = 'c';

} // namespace EncodeParts
