#pragma once

#include <cstdint>

// Geometry and colour as the drawing operations take them. Coordinates are
// twips (1/1440 inch) from the top-left of the client area, y downward, in
// single precision; a colour is one 32-bit value laid out 0x00BBGGRR.

struct TwipPoint {
    float x = 0;
    float y = 0;
};

struct TwipRect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
};

struct Color {
    std::uint32_t value = 0;

    static constexpr Color fromRgb(std::uint8_t red, std::uint8_t green, std::uint8_t blue)
    {
        return Color { std::uint32_t(red) | std::uint32_t(green) << 8 | std::uint32_t(blue) << 16 };
    }

    // A value with a non-zero top byte is no colour at all; QBColor hands one
    // out for an index outside its palette so that the drawing call that
    // receives it reports the failure.
    static constexpr Color invalid() { return Color { 0xffffffffu }; }

    constexpr bool isValid() const { return (value >> 24) == 0; }
    constexpr std::uint8_t red() const { return value & 0xff; }
    constexpr std::uint8_t green() const { return (value >> 8) & 0xff; }
    constexpr std::uint8_t blue() const { return (value >> 16) & 0xff; }

    // The layer stores opaque 0xAARRGGBB words.
    constexpr std::uint32_t opaqueArgb() const
    {
        return 0xff000000u | std::uint32_t(red()) << 16 | std::uint32_t(green()) << 8 | blue();
    }

    friend constexpr bool operator==(Color, Color) = default;
};

// Twips map to logical pixels at the classic 96 dots per inch, 15 to the
// pixel; Qt's device pixel ratio carries them on to the display's density.
// This is the one place that knows the factor.
//
// A point converts with one multiplication rather than a division, since a
// picture converts millions of them. The factor is nudged so that the product
// never falls below the exact quotient: a point on a pixel's edge (a multiple
// of 15 twips at ratio 1) stays in the pixel it begins, as division would
// have it. Short of an edge, a float's spacing dwarfs the nudge.
class TwipsToDevicePixels {
public:
    explicit TwipsToDevicePixels(double devicePixelRatio);

    double operator()(double twips) const { return twips * (twips < 0 ? m_belowExact : m_aboveExact); }
    // The same at or above zero; below zero, a negative number all the same.
    double atOrAboveZero(double twips) const { return twips * m_aboveExact; }

private:
    double m_aboveExact;
    double m_belowExact;
};

inline constexpr double kTwipsPerLogicalPixel = 15.0;

// Layout figures are whole twips and land on whole logical pixels.
int logicalPixelsFromTwips(int twips);

// The logical pixels from the client area's edge up to and including the one
// that holds a point `twips` from it.
int logicalPixelsThrough(float twips);
