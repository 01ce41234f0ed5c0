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

    // Twips whose atOrAboveZero conversion truncates to `pixel`, which must
    // be one that some twips at or above zero convert to: all of them, or
    // all but a float at an edge, and never any of another pixel.
    struct Span {
        // Empty: no twips lie in it, not even those that are not a number.
        float first = 1;
        float last = 0;

        bool contains(float twips) const { return twips >= first && twips <= last; }
    };
    // Inline and free of calls, for the point loop that asks it.
    Span spanOfPixel(std::int64_t pixel) const
    {
        const auto landsIn = [this](float twips) { return std::int64_t(atOrAboveZero(twips)); };
        // Non-negative floats follow their bit patterns in order. (The web
        // build's library has no std::bit_cast; its compiler has this.)
        const auto step = [](float twips, std::int32_t by) {
            return __builtin_bit_cast(float, __builtin_bit_cast(std::uint32_t, twips) + std::uint32_t(by));
        };
        const auto below = [step](float twips) { return step(twips, -1); };
        const auto above = [step](float twips) { return step(twips, 1); };
        // Division lands within a float of each edge. The conversion never
        // falls as the twips rise, so an end stepped inwards until it
        // converts to the pixel lies in it, and so does all between. An end
        // that division left a float inside the pixel stays there, which
        // costs the points beyond it only their conversion.
        Span span { float(double(pixel) / m_aboveExact), float(double(pixel + 1) / m_aboveExact) };
        while (landsIn(span.first) < pixel)
            span.first = above(span.first);
        while (span.last > 0 && landsIn(span.last) > pixel)
            span.last = below(span.last);
        return span;
    }

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
