#include "bare_raster.h"

#include <algorithm>

BareRaster::BareRaster(int width, int height)
    : m_width(width)
    , m_height(height)
    , m_pixels(std::size_t(width) * std::size_t(height), 0u)
{
}

// The same dot rows as Surface, so both stamp the same pixels.
SurfaceStatus BareRaster::DrawWidth(int pixels)
{
    m_drawWidth = pixels;
    buildDotRows(pixels, m_dot);
    return SurfaceStatus::Ok;
}

SurfaceStatus BareRaster::Line(TwipPoint from, TwipPoint to, Color color, LineShape)
{
    const int x1 = std::min(pixelFromTwips(from.x), pixelFromTwips(to.x));
    const int x2 = std::max(pixelFromTwips(from.x), pixelFromTwips(to.x));
    const int y1 = std::min(pixelFromTwips(from.y), pixelFromTwips(to.y));
    const int y2 = std::max(pixelFromTwips(from.y), pixelFromTwips(to.y));
    const int before = m_drawWidth / 2;
    const int after = m_drawWidth - 1 - before;
    const std::uint32_t argb = color.opaqueArgb();
    fillRect(x1 - before, y1 - before, x2 + after, y1 + after, argb);
    fillRect(x1 - before, y2 - before, x2 + after, y2 + after, argb);
    fillRect(x1 - before, y1 - before, x1 + after, y2 + after, argb);
    fillRect(x2 - before, y1 - before, x2 + after, y2 + after, argb);
    return SurfaceStatus::Ok;
}

SurfaceStatus BareRaster::Circle(TwipPoint center, float radius, Color color)
{
    paintRing(m_pixels.data(), m_width, m_height, pixelFromTwips(center.x), pixelFromTwips(center.y),
        m_toDevicePixels(radius), m_drawWidth, color.opaqueArgb());
    return SurfaceStatus::Ok;
}

void BareRaster::fillRect(int left, int top, int right, int bottom, std::uint32_t argb)
{
    left = std::max(left, 0);
    top = std::max(top, 0);
    right = std::min(right, m_width - 1);
    bottom = std::min(bottom, m_height - 1);
    if (left > right)
        return;
    for (int y = top; y <= bottom; ++y) {
        std::uint32_t* line = m_pixels.data() + std::size_t(y) * m_width;
        std::fill(line + left, line + right + 1, argb);
    }
}
