#pragma once

#include "drawing_surface.h"
#include "picture_support.h"
#include "stepped_range.h"
#include "surface.h"

#include <vector>

// What each arch loop comes to; only a hint for the buffer's size.
inline constexpr std::size_t kArchPointsReserved = 9999;

// The large arch and all 36 small ones run through the same angles. The
// large arch takes their cosines and sines as it goes and the small ones
// reuse them: the points are exactly the same, with 36 times fewer calls.
struct ArchAngle {
    double cos;
    double sin;
};

// Out of line from the handler, which owns the angles' buffer: the buffer's
// cleanup would otherwise wrap every point's call, and where exceptions are
// emulated (the web page's build) send each one through a trampoline.
template <DrawingSurface Target, typename Maths>
[[gnu::noinline]] void paintArches(Target& surface, const Maths& maths, std::vector<ArchAngle>& arch)
{
    raiseOnFailure(surface.DrawWidth(3));
    const Color magenta = paletteColor(PaletteIndex::Magenta);
    raiseOnFailure(PSetEach(surface, steppedRange(3.14, 0, -3.14 / 9999), magenta, [&](double t) {
        arch.push_back({ maths.Cos(t), maths.Sin(t) });
        return singlePrecisionPoint(arch.back().cos * 3450 + 8350, 6000 - arch.back().sin * 1400);
    }));

    raiseOnFailure(surface.DrawWidth(2));
    int c = int(PaletteIndex::LightBlue);
    do {
        const Color color = QBColor(c);
        for (const int cx : steppedRange(6350, 10350, 800)) {
            raiseOnFailure(PSetEach(surface, arch, color, [cx](const ArchAngle& angle) {
                return singlePrecisionPoint(cx + angle.cos * 400, 5900 - angle.sin * 600);
            }));
        }
        c = c + 1;
    } while (c != 15);
}

// The click handler of CmdJgdd: a sun (light-yellow rim, light-red core) with
// 32 rays, a large magenta arch and a bridge of six small arches beneath it.
// Rays and small arches are painted once per palette colour and stay in the
// last. Leaves the pen width at 2.
template <DrawingSurface Target, typename Maths = StandardMaths>
void CmdJgdd_Click(Target& surface, const Maths& maths = {})
{
    const TwipPoint sun { 8000, 2000 };
    raiseOnFailure(surface.DrawWidth(3));
    raiseOnFailure(surface.Circle(sun, 500, paletteColor(PaletteIndex::LightYellow)));
    raiseOnFailure(surface.DrawWidth(66));
    raiseOnFailure(surface.Circle(sun, 0, paletteColor(PaletteIndex::LightRed)));
    raiseOnFailure(surface.DrawWidth(1));

    // Each ray is painted from radius 666 outward before the next angle
    // starts. Cos(t) and Sin(t) are the same for every radius of a ray, so
    // they are taken once per ray; the points are exactly the same.
    int c = int(PaletteIndex::LightBlue);
    do {
        const Color color = QBColor(c);
        for (const double t : steppedRange(3.14, -3.14, -6.28 / 32)) {
            const double cosT = maths.Cos(t);
            const double sinT = maths.Sin(t);
            raiseOnFailure(PSetEach(surface, steppedRange(666, 1800, 0.1), color,
                [cosT, sinT](double r) { return singlePrecisionPoint(8000 + cosT * r, 2000 - sinT * r); }));
        }
        c = c + 1;
    } while (c != 15);

    std::vector<ArchAngle> arch;
    arch.reserve(kArchPointsReserved);
    paintArches(surface, maths, arch);
}

// The window's own surface gets one copy, built with the pictures.
extern template void CmdJgdd_Click<Surface, StandardMaths>(Surface&, const StandardMaths&);
