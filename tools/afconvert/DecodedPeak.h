#pragma once
// What the tool tells its caller about its result's decoded peak.

namespace DecodedPeak {

// On the tool's standard output after it has ended well, with --peak: this character, the largest absolute value
// of the decoded result as text that reads back to the same float, and a newline.
constexpr char kPeak = 'k';

// With --stop-above, when an encode ended early as a decoded value passed the level: this character, the largest
// decoded value seen as kPeak has it, and a newline; the tool then exits with this status and leaves no file.
constexpr char kPassed = 'a';
constexpr int kPassedExit = 5;

} // namespace DecodedPeak
