#pragma once

#include "twips.h"

#include <array>

// The 16 palette entries as the tests know them, so that a test checks the
// program's colours against figures of its own rather than with its table.
inline constexpr std::array<Color, 16> kExpectedPalette = {
    Color::fromRgb(0, 0, 0), //  0 black
    Color::fromRgb(0, 0, 128), //  1 blue
    Color::fromRgb(0, 128, 0), //  2 green
    Color::fromRgb(0, 128, 128), //  3 cyan
    Color::fromRgb(128, 0, 0), //  4 red
    Color::fromRgb(128, 0, 128), //  5 magenta
    Color::fromRgb(128, 128, 0), //  6 yellow
    Color::fromRgb(192, 192, 192), //  7 white
    Color::fromRgb(128, 128, 128), //  8 grey
    Color::fromRgb(0, 0, 255), //  9 light blue
    Color::fromRgb(0, 255, 0), // 10 light green
    Color::fromRgb(0, 255, 255), // 11 light cyan
    Color::fromRgb(255, 0, 0), // 12 light red
    Color::fromRgb(255, 0, 255), // 13 light magenta
    Color::fromRgb(255, 255, 0), // 14 light yellow
    Color::fromRgb(255, 255, 255), // 15 bright white
};
