#pragma once

#include "drawing_surface.h"
#include "picture_support.h"
#include "stepped_range.h"
#include "surface.h"

#include <vector>

// What the mountain loop comes to; only a hint for the buffer's size.
inline constexpr std::size_t kMountainPointsReserved = 50000;

// The light-yellow frame in the margin around the panel. Its far corner is
// the farthest that anything of the form reaches.
inline constexpr TwipPoint kFrameNearCorner { 40, 40 };
inline constexpr TwipPoint kFrameFarCorner { 11950, 8220 };

// The click handler of CmdGsls: a light-yellow frame around the panel, a wave
// line of growing height (the mountains) and four horizontal runs (the
// water). Mountains and water are painted once per palette colour, so the
// colours sweep over them and the last one stays. Leaves the pen width at 2.
template <DrawingSurface Target, typename Maths = StandardMaths>
void CmdGsls_Click(Target& surface, const Maths& maths = {})
{
    raiseOnFailure(surface.DrawWidth(2));
    raiseOnFailure(surface.Line(
        kFrameNearCorner, kFrameFarCorner, paletteColor(PaletteIndex::LightYellow), LineShape::BoxOutline));
    raiseOnFailure(surface.DrawWidth(3));

    // Every pass paints the very same points: the first computes them as it
    // goes, the others replay them, which spares three sines in four. A fault
    // in the arithmetic still stops the first pass at the point it hits.
    std::vector<TwipPoint> mountain;
    mountain.reserve(kMountainPointsReserved);
    // The colour test comes after each pass and compares for equality only.
    int c = int(PaletteIndex::LightYellow);
    do {
        const Color color = QBColor(c);
        if (mountain.empty()) {
            raiseOnFailure(PSetEach(surface, steppedRange(555, 5555, 0.1), color, [&](double x) {
                const double y = 3000 - (maths.Sin(x / 333) * 0.4) * x;
                return mountain.emplace_back(singlePrecisionPoint(x, y));
            }));
        } else {
            raiseOnFailure(PSetEach(surface, mountain, color, [](TwipPoint point) { return point; }));
        }
        c = c - 1;
    } while (c != 10);

    raiseOnFailure(surface.DrawWidth(2));

    c = int(PaletteIndex::LightYellow);
    do {
        const Color color = QBColor(c);
        for (const int k : steppedRange(4, 1, -1)) {
            const int y = 7300 - 300 * k;
            const int x1 = 8350 - 800 * k;
            const int x2 = 8350 + 800 * k;
            raiseOnFailure(PSetEach(
                surface, steppedRange(x1, x2, 0.1), color, [y](double x) { return singlePrecisionPoint(x, y); }));
        }
        c = c - 1;
    } while (c != 9);
}

// The window's own surface gets one copy, built with the pictures.
extern template void CmdGsls_Click<Surface, StandardMaths>(Surface&, const StandardMaths&);
