#pragma once
// Where an input is cut for encoding in parts: at AAC frame boundaries near even points, each at a quiet frame.

#include "PartEncoder.h"

#include <vector>

// Fills stretches with at most parts stretches that together encode the input of reader at bitRate, fixed by its
// content, length, rate, channels and bitRate alone: one for the whole input when it is too short for two at that
// setting (EncodeParts::mostParts) or cannot be read from any sample on. Leaves reader at the input's start, or fails.
int planStretches(AudioReader* reader, int parts, long bitRate, std::vector<Stretch>* stretches);
