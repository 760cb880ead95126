#include "Pulldown.h"

namespace MTools {
namespace Pulldown {

namespace {

const int sm_videoToFilm[VideoFrames][Phases] = {
    {0, 0, -1, -1},   {2, 1, 0, 0},     {3, 2, 2, 2},     {4, 4, 4, 4},     {6, 6, 6, 5},     {8, 8, 7, 6},
    {10, 9, 8, 8},    {11, 10, 10, 10}, {12, 12, 12, 12}, {14, 14, 14, 13}, {16, 16, 15, 14}, {18, 17, 16, 16},
    {19, 18, 18, 18}, {20, 20, 20, 20}, {22, 22, 22, 21}, {24, 24, 23, 22}, {26, 25, 24, 24}, {27, 26, 26, 26},
    {28, 28, 28, 28}, {30, 30, 30, 29}, {32, 32, 31, 30}, {34, 33, 32, 32}, {35, 34, 34, 34}, {36, 36, 36, 36},
    {38, 38, 38, 37}, {40, 40, 39, 38}, {42, 41, 40, 40}, {43, 42, 42, 42}, {44, 44, 44, 44}, {46, 46, 46, 45},
};

const int sm_filmToVideo[FilmFrames][Phases] = {
    {0, 0, 1, 1},     {1, 2, 2, 2},     {3, 3, 3, 3},     {4, 4, 4, 5},     {5, 5, 6, 6},     {6, 7, 7, 7},
    {8, 8, 8, 8},     {9, 9, 9, 10},    {10, 10, 11, 11}, {11, 12, 12, 12}, {13, 13, 13, 13}, {14, 14, 14, 15},
    {15, 15, 16, 16}, {16, 17, 17, 17}, {18, 18, 18, 18}, {19, 19, 19, 20}, {20, 20, 21, 21}, {21, 22, 22, 22},
    {23, 23, 23, 23}, {24, 24, 24, 25}, {25, 25, 26, 26}, {26, 27, 27, 27}, {28, 28, 28, 28}, {29, 29, 29, 0},
};

bool inRange(int value, int count) { return value >= 0 && value < count; }

} // namespace

std::optional<int> videoToFilm(int videoFrame, int phase)
{
    if (!inRange(videoFrame, VideoFrames) || !inRange(phase - 1, Phases))
        return std::nullopt;
    return sm_videoToFilm[videoFrame][phase - 1];
}

std::optional<int> filmToVideo(int filmFrame, int phase)
{
    if (!inRange(filmFrame, FilmFrames) || !inRange(phase - 1, Phases))
        return std::nullopt;
    return sm_filmToVideo[filmFrame][phase - 1];
}

} // namespace Pulldown
} // namespace MTools
