#pragma once
// How many parts an encode may be cut in, what each part costs beyond its own audio, and what the tool and its caller
// say to each other about lent cores.

namespace EncodeParts {

// Each running part is a thread of its own, and each part is read before its own audio.
constexpr int kMaxParts = 32;
// Samples of one AAC-LC frame: every join lies on this grid.
constexpr int kFrameSamples = 1024;
// AAC frames encoded before a part and dropped, so that the encoder's adaptive state settles where a whole encode has
// it; a part starting at the input's start has none.
constexpr int kLeadFrames = 64;

// On the tool's standard output: a part waits for a core; a lent core is given back.
constexpr char kWantCore = 'w';
constexpr char kReturnCore = 'r';
// On the tool's standard input: a core is lent.
constexpr char kLendCore = 'c';

} // namespace EncodeParts
