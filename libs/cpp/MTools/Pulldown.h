#pragma once
// 2:3 pulldown tables between the 30 video frames and the 24 film frames of one second, in four phases.

#include <optional>

namespace MTools {
namespace Pulldown {

constexpr int VideoFrames = 30;
constexpr int FilmFrames = 24;
constexpr int Phases = 4;

// Entry v for video frame 0..29 in phase 1..4: film frame v / 2, field remainder v % 2.
// Empty when the frame or the phase lies outside the table.
std::optional<int> videoToFilm(int videoFrame, int phase);

// Video frame for film frame 0..23 in phase 1..4; empty outside the table.
std::optional<int> filmToVideo(int filmFrame, int phase);

} // namespace Pulldown
} // namespace MTools
