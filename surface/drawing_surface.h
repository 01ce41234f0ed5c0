#pragma once

#include "run_time_error.h"
#include "twips.h"

#include <concepts>

// What the pictures need of a surface to draw on.
//
// Conventions for every drawing operation:
// - Points are twips; they map to device pixels through TwipsToDevicePixels.
// - The pen width is in device pixels and stays in force until set again.
// - A dot of pen width w is a filled disc w pixels across, centred on the
//   pixel holding the point (on its top-left corner when w is even).
// - What falls outside the layer is dropped silently; a value that is not a
//   number, or a colour outside the palette, is refused with a failure status
//   and leaves the layer as it was.
// - Every operation returns its status; callers pass it to raiseOnFailure.

enum class LineShape {
    BoxOutline,
};

template <typename Surface>
concept DrawingSurface = requires(Surface& surface, int pixels, TwipPoint point, float radius, Color color)
{
    // Sets the pen width, 1 to 32767 pixels.
    {
        surface.DrawWidth(pixels)
        } -> std::same_as<SurfaceStatus>;
    // The outline of the box with these two opposite corners, each edge the
    // band a dot of the pen sweeps along it.
    {
        surface.Line(point, point, color, LineShape::BoxOutline)
        } -> std::same_as<SurfaceStatus>;
    // A ring of the pen's width; radius 0 gives a dot as wide as the pen.
    {
        surface.Circle(point, radius, color)
        } -> std::same_as<SurfaceStatus>;
    // One dot of the pen's width.
    {
        surface.PSet(point, color)
        } -> std::same_as<SurfaceStatus>;
    // Removes all painting; the pen width stays.
    {
        surface.Cls()
        } -> std::same_as<SurfaceStatus>;
};

// PSet for each counter in `counters`, at the point pointAt(counter) gives,
// one after another in order; stops at the first failure and returns it. A
// surface that can set a run of points faster has a PSetEach of its own,
// with the same effect.
template <DrawingSurface Target, typename Counters, typename PointAt>
SurfaceStatus PSetEach(Target& surface, const Counters& counters, Color color, PointAt&& pointAt)
{
    if constexpr (requires { surface.PSetEach(counters, color, pointAt); }) {
        return surface.PSetEach(counters, color, pointAt);
    } else {
        for (const auto& counter : counters) {
            if (const SurfaceStatus status = surface.PSet(pointAt(counter), color); status != SurfaceStatus::Ok)
                return status;
        }
        return SurfaceStatus::Ok;
    }
}
