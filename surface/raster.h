#pragma once

// Internal to the drawing core: the pixel work behind the surface's
// operations. The benchmark's bare raster calls the very same functions, so
// both paint the same pixels by the same code.
//
// Positions are device pixels, but for paintPoint's point, which comes in
// twips with its conversion. The point functions report what they painted
// through a callback, markTouched(left, top, right, bottom), which a caller
// that keeps no dirty bounds passes as IgnoreTouched and the compiler drops.

#include "pixel_geometry.h"
#include "twips.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <vector>

// A layer's opaque 0xAARRGGBB words, `width` to a row. The dimensions are
// wider than the words so that, as far as the compiler knows, storing a pixel
// cannot change them: it keeps them in registers across a picture's points.
struct Raster {
    std::uint32_t* pixels = nullptr;
    std::int64_t width = 0;
    std::int64_t height = 0;
};

// One row of a round dot: its first and last pixel, as offsets from the left
// edge of the dot's box.
struct DotRow {
    int first = 0;
    int last = 0;
};

// The rows of a dot `width` pixels across: a pixel is in when its centre lies
// within the disc of that diameter centred on the middle of the box. Fills
// `rows`, reusing its memory.
void buildDotRows(int width, std::vector<DotRow>& rows);

struct IgnoreTouched {
    void operator()(std::int64_t, std::int64_t, std::int64_t, std::int64_t) const { }
};

// Fills the rectangle from (left, top) to (right, bottom), clipped to the
// raster; returns what it painted.
PixelRect fillRect(
    Raster raster, std::int64_t left, std::int64_t top, std::int64_t right, std::int64_t bottom, std::uint32_t argb);

// The band a box outline of pen `pen` paints, corners at pixels (x1, y1) and
// (x2, y2) with x1 <= x2 and y1 <= y2; each edge is the band a dot of the pen
// sweeps along it, so the box meets a point drawn on its corner exactly.
// Returns what it painted of each edge: top, bottom, left, right.
using BoxEdges = std::array<PixelRect, 4>;
BoxEdges paintBox(Raster raster, std::int64_t x1, std::int64_t y1, std::int64_t x2, std::int64_t y2, std::int64_t pen,
    std::uint32_t argb);

// The ring a pen `pen` pixels wide draws around the pixel (centreX, centreY)
// at `radius` pixels: the pixels whose centres lie within half a pen of the
// circle, which is centred where a dot there would be. Radius 0 gives the dot.
// Returns the bounds it may have touched.
PixelRect paintRing(
    Raster raster, std::int64_t centreX, std::int64_t centreY, double radius, std::int64_t pen, std::uint32_t argb);

// The dot of a pen `pen` pixels wide, with rows `rows`, for a point in the
// pixel (x, y). The caller makes sure the dot touches the layer or nearly so.
// Always inline, as paintPoint is.
template <typename MarkTouched>
[[gnu::always_inline]] inline void stampDot(Raster raster, std::int64_t pen, const DotRow* rows, std::int64_t x,
    std::int64_t y, std::uint32_t argb, MarkTouched&& markTouched)
{
    const std::int64_t left = x - pen / 2;
    const std::int64_t top = y - pen / 2;
    const std::int64_t firstRow = std::max<std::int64_t>(0, -top);
    const std::int64_t lastRow = std::min(pen - 1, raster.height - 1 - top);
    if (firstRow > lastRow)
        return;
    std::int64_t touchedLeft = raster.width;
    std::int64_t touchedRight = -1;
    for (std::int64_t row = firstRow; row <= lastRow; ++row) {
        const std::int64_t first = std::max<std::int64_t>(0, left + rows[row].first);
        const std::int64_t last = std::min<std::int64_t>(raster.width - 1, left + rows[row].last);
        std::uint32_t* line = raster.pixels + (top + row) * raster.width;
        for (std::int64_t column = first; column <= last; ++column)
            line[column] = argb;
        touchedLeft = std::min(touchedLeft, first);
        touchedRight = std::max(touchedRight, last);
    }
    if (touchedLeft <= touchedRight)
        markTouched(touchedLeft, top + firstRow, touchedRight, top + lastRow);
}

// The wide dot the previous point painted. A run of points along a curve
// lands on the same pixel many times over, and a point whose dot is exactly
// that one, in the same colour, has nothing left to paint. Whoever changes
// the layer or the pen otherwise forgets it.
struct LastDot {
    std::int64_t x = 0;
    std::int64_t y = 0;
    // Never an opaque colour.
    std::uint32_t argb = 0;

    void forget() { argb = 0; }
};

enum class Repeats {
    Paint,
    Skip,
};

// A point with the pen: false when its dot lies wholly off the layer, or the
// point is not a number, and nothing was painted.
//
// Always inline: a loop of points that calls it keeps its state in registers,
// which a call would make it store, and a compiler that sees the loop in
// several runs of points would otherwise call it.
template <Repeats repeats, typename MarkTouched>
[[gnu::always_inline]] inline bool paintPoint(Raster raster, std::int64_t pen, const DotRow* rows, TwipPoint point,
    TwipsToDevicePixels toDevicePixels, std::uint32_t argb, LastDot& lastDot, MarkTouched&& markTouched)
{
    // Not a number fails these comparisons too, so the common case pays for
    // no separate check of its own.
    if (pen == 1) {
        // A one-pixel dot below zero misses the layer whichever factor
        // converts it, so the point takes the cheaper conversion.
        const double u = toDevicePixels.atOrAboveZero(point.x);
        const double v = toDevicePixels.atOrAboveZero(point.y);
        if (u >= 0 && u < double(raster.width) && v >= 0 && v < double(raster.height)) [[likely]] {
            // Both are non-negative here, so truncation is the floor.
            const std::int64_t x = std::int64_t(u);
            const std::int64_t y = std::int64_t(v);
            raster.pixels[y * raster.width + x] = argb;
            markTouched(x, y, x, y);
            return true;
        }
        return false;
    }
    const double u = toDevicePixels(point.x);
    const double v = toDevicePixels(point.y);
    if (u > double(-pen) && u < double(raster.width + pen) && v > double(-pen) && v < double(raster.height + pen))
        [[likely]] {
        // Within these bounds the floors convert safely.
        const std::int64_t x = std::int64_t(std::floor(u));
        const std::int64_t y = std::int64_t(std::floor(v));
        if constexpr (repeats == Repeats::Skip) {
            if (x == lastDot.x && y == lastDot.y && argb == lastDot.argb)
                return true;
            lastDot = { x, y, argb };
        }
        stampDot(raster, pen, rows, x, y, argb, markTouched);
        return true;
    }
    return false;
}
