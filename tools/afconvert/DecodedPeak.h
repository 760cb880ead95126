#pragma once
// What the tool tells its caller about its result's decoded peak.

namespace DecodedPeak {

// On the tool's standard output after it has ended well, with --peak: this character, the largest absolute value
// of the decoded result as text that reads back to the same float, and a newline.
constexpr char kPeak = 'k';

} // namespace DecodedPeak
