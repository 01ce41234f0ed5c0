#pragma once

#include "run_time_error.h"
#include "surface.h"
#include "twips.h"

#include <cmath>
#include <cstdint>
#include <vector>

// The floor under Surface: the same pixels from the same calls, and nothing
// else. Twips become pixels exactly as Surface converts them and dots are
// stamped from the same row spans, but nothing is validated, nothing is
// counted, no dirty rectangle is kept and nothing is presented.
//
// Points are assumed to lie within a few layer widths of the layer, as every
// point of the pictures does, so the far-point guard Surface needs is left
// out too.
class BareRaster {
public:
    BareRaster(int width, int height);

    SurfaceStatus DrawWidth(int pixels);
    SurfaceStatus Line(TwipPoint from, TwipPoint to, Color color, LineShape shape);
    SurfaceStatus Circle(TwipPoint center, float radius, Color color);
    SurfaceStatus PSet(TwipPoint point, Color color);

    const std::vector<std::uint32_t>& pixels() const { return m_pixels; }

private:
    void fillRect(int left, int top, int right, int bottom, std::uint32_t argb);
    void stampDot(double u, double v, std::uint32_t argb);
    int pixelFromTwips(float twips) const { return int(std::floor(m_toDevicePixels(twips))); }

    int m_width = 0;
    int m_height = 0;
    std::vector<std::uint32_t> m_pixels;
    int m_drawWidth = 1;
    std::vector<DotRow> m_dot { DotRow {} };
    TwipsToDevicePixels m_toDevicePixels { 1.0 };
};

inline void BareRaster::stampDot(double u, double v, std::uint32_t argb)
{
    const int width = m_drawWidth;
    const int left = int(std::floor(u)) - width / 2;
    const int top = int(std::floor(v)) - width / 2;
    const int firstRow = std::max(0, -top);
    const int lastRow = std::min(width - 1, m_height - 1 - top);
    for (int row = firstRow; row <= lastRow; ++row) {
        const int first = std::max(0, left + m_dot[row].first);
        const int last = std::min(m_width - 1, left + m_dot[row].last);
        std::uint32_t* line = m_pixels.data() + std::size_t(top + row) * m_width;
        for (int x = first; x <= last; ++x)
            line[x] = argb;
    }
}

inline SurfaceStatus BareRaster::PSet(TwipPoint point, Color color)
{
    const double u = m_toDevicePixels(point.x);
    const double v = m_toDevicePixels(point.y);
    if (m_drawWidth > 1) {
        stampDot(u, v, color.opaqueArgb());
        return SurfaceStatus::Ok;
    }
    if (u >= 0 && u < m_width && v >= 0 && v < m_height)
        m_pixels[std::size_t(v) * m_width + std::size_t(u)] = color.opaqueArgb();
    return SurfaceStatus::Ok;
}
