#pragma once
// Where an input is cut for encoding in parts: at AAC frame boundaries near even points, each at a quiet frame.

#include "PartEncoder.h"

#include <vector>

// Fills stretches with at most parts stretches that together encode the input of reader: one for the whole input when
// it is too short or cannot be read from any sample on. Leaves reader at the input's start, or fails.
int planStretches(AudioReader* reader, int parts, std::vector<Stretch>* stretches);

// Where the stretch that keeps [keepFrom, keepTo) of an input of length samples (keepTo past the end for the last)
// and has been read up to reached is best cut in two, in AAC frames: near the middle of what it keeps, so that cuts
// made early fall alike in every run, else of what is left. -1 when what is left is too short to pay for the audio a
// new part reads before its own.
long long cutFrame(const Stretch& whole, long long reached, long long length);

// Cuts whole as cutFrame() says, at the quietest frame near there as reader reads it: the first half goes to first,
// the second to second; false when it is not worth cutting or the input can not be read there.
bool cutStretch(AudioReader* reader, const Stretch& whole, long long reached, Stretch* first, Stretch* second);
