#pragma once

#include "drawing_surface.h"
#include "raster.h"
#include "twips.h"

#include <cstdint>
#include <vector>

// The floor under Surface: the same pixels from the same calls through the
// same raster functions, and nothing else. Nothing is validated, nothing is
// counted, no dirty rectangle is kept and nothing is presented.
class BareRaster {
public:
    BareRaster(int width, int height);

    SurfaceStatus DrawWidth(int pixels);
    SurfaceStatus Line(TwipPoint from, TwipPoint to, Color color, LineShape shape);
    SurfaceStatus Circle(TwipPoint center, float radius, Color color);
    SurfaceStatus PSet(TwipPoint point, Color color);
    SurfaceStatus Cls();

    const std::vector<std::uint32_t>& pixels() const { return m_pixels; }

private:
    Raster raster() { return { m_pixels.data(), m_width, m_height }; }
    std::int64_t pixelFromTwips(float twips) const;

    std::int64_t m_width = 0;
    std::int64_t m_height = 0;
    std::vector<std::uint32_t> m_pixels;
    std::int64_t m_drawWidth = 1;
    std::vector<DotRow> m_dot { DotRow {} };
    TwipsToDevicePixels m_toDevicePixels { 1.0 };
};

inline SurfaceStatus BareRaster::PSet(TwipPoint point, Color color)
{
    LastDot unused;
    paintPoint<Repeats::Paint>(
        raster(), m_drawWidth, m_dot.data(), point, m_toDevicePixels, color.opaqueArgb(), unused, IgnoreTouched {});
    return SurfaceStatus::Ok;
}
