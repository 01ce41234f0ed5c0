#pragma once

#include "expectations.h"
#include "twips.h"

#include <array>
#include <cstdint>

// The tests' own palette as the program's colour values, so that a test
// checks the program's colours against figures of its own rather than with
// its table.
inline constexpr std::array<Color, 16> kExpectedPalette = [] {
    std::array<Color, 16> palette {};
    for (std::size_t index = 0; index < palette.size(); ++index) {
        const Rgb rgb = kPalette[index];
        palette[index] = Color::fromRgb(std::uint8_t(rgb.red), std::uint8_t(rgb.green), std::uint8_t(rgb.blue));
    }
    return palette;
}();
