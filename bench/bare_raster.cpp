#include "bare_raster.h"

#include <algorithm>
#include <cmath>

static_assert(DrawingSurface<BareRaster>);

BareRaster::BareRaster(int width, int height)
    : m_width(width)
    , m_height(height)
    , m_pixels(std::size_t(width) * std::size_t(height), 0u)
{
}

std::int64_t BareRaster::pixelFromTwips(float twips) const { return std::int64_t(std::floor(m_toDevicePixels(twips))); }

SurfaceStatus BareRaster::DrawWidth(int pixels)
{
    m_drawWidth = pixels;
    buildDotRows(pixels, m_dot);
    return SurfaceStatus::Ok;
}

SurfaceStatus BareRaster::Line(TwipPoint from, TwipPoint to, Color color, LineShape)
{
    const auto [x1, x2] = std::minmax({ pixelFromTwips(from.x), pixelFromTwips(to.x) });
    const auto [y1, y2] = std::minmax({ pixelFromTwips(from.y), pixelFromTwips(to.y) });
    paintBox(raster(), x1, y1, x2, y2, m_drawWidth, color.opaqueArgb());
    return SurfaceStatus::Ok;
}

SurfaceStatus BareRaster::Circle(TwipPoint center, float radius, Color color)
{
    paintRing(raster(), pixelFromTwips(center.x), pixelFromTwips(center.y), m_toDevicePixels(radius), m_drawWidth,
        color.opaqueArgb());
    return SurfaceStatus::Ok;
}

SurfaceStatus BareRaster::Cls()
{
    std::fill(m_pixels.begin(), m_pixels.end(), 0u);
    return SurfaceStatus::Ok;
}
