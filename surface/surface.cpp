#include "surface.h"

#include <algorithm>
#include <cstring>
#include <new>

static_assert(DrawingSurface<Surface>);

namespace {

bool isFinite(TwipPoint point) { return std::isfinite(point.x) && std::isfinite(point.y); }

// Pixel coordinates of far-off points are clamped to this, which keeps every
// sum of a coordinate and a pen width far inside the integers.
constexpr double kFarAway = 1 << 29;

} // namespace

Surface::Surface(PixelSize devicePixels, double devicePixelRatio, std::pmr::memory_resource* memory)
    : m_pixels(memory)
{
    resize(devicePixels, devicePixelRatio);
    setCheckpoint(nullptr);
}

SurfaceStatus Surface::DrawWidth(int pixels)
{
    m_lastDot.forget();
    if (pixels < 1 || pixels > kMaxDrawWidth)
        return SurfaceStatus::InvalidPenWidth;
    if (!countOperation())
        return SurfaceStatus::DeviceFailure;
    m_drawWidth = pixels;
    buildDotRows(pixels, m_dot);
    return SurfaceStatus::Ok;
}

int Surface::pixelFromTwips(float twips) const
{
    const double pixel = std::floor(m_toDevicePixels(twips));
    return int(std::clamp(pixel, -kFarAway, kFarAway));
}

SurfaceStatus Surface::Line(TwipPoint from, TwipPoint to, Color color, LineShape shape)
{
    m_lastDot.forget();
    if (!isFinite(from) || !isFinite(to))
        return SurfaceStatus::InvalidCoordinate;
    if (!color.isValid())
        return SurfaceStatus::InvalidColor;
    if (!countOperation())
        return SurfaceStatus::DeviceFailure;
    switch (shape) {
    case LineShape::BoxOutline: {
        const auto [x1, x2] = std::minmax({ pixelFromTwips(from.x), pixelFromTwips(to.x) });
        const auto [y1, y2] = std::minmax({ pixelFromTwips(from.y), pixelFromTwips(to.y) });
        markDirty(paintBox(raster(), x1, y1, x2, y2, m_drawWidth, color.opaqueArgb()));
        break;
    }
    }
    return SurfaceStatus::Ok;
}

SurfaceStatus Surface::Circle(TwipPoint center, float radius, Color color)
{
    m_lastDot.forget();
    if (!isFinite(center))
        return SurfaceStatus::InvalidCoordinate;
    if (!std::isfinite(radius) || radius < 0)
        return SurfaceStatus::InvalidRadius;
    if (!color.isValid())
        return SurfaceStatus::InvalidColor;
    if (!countOperation())
        return SurfaceStatus::DeviceFailure;
    markDirty(paintRing(raster(), pixelFromTwips(center.x), pixelFromTwips(center.y), m_toDevicePixels(radius),
        m_drawWidth, color.opaqueArgb()));
    return SurfaceStatus::Ok;
}

SurfaceStatus Surface::Cls()
{
    m_lastDot.forget();
    if (!countOperation())
        return SurfaceStatus::DeviceFailure;
    std::fill(m_pixels.begin(), m_pixels.end(), 0u);
    if (m_width > 0 && m_height > 0)
        markDirty(0, 0, m_width - 1, m_height - 1);
    return SurfaceStatus::Ok;
}

void Surface::resize(PixelSize devicePixels, double devicePixelRatio)
{
    m_lastDot.forget();
    m_width = std::clamp(devicePixels.width, 0, kMaxLayerSide);
    m_height = std::clamp(devicePixels.height, 0, kMaxLayerSide);
    m_devicePixelRatio = std::isfinite(devicePixelRatio) && devicePixelRatio > 0 ? devicePixelRatio : 1.0;
    m_toDevicePixels = TwipsToDevicePixels(m_devicePixelRatio);
    std::pmr::memory_resource* memory = m_pixels.get_allocator().resource();
    // Let the old layer go first, so the two never need memory at once.
    m_pixels = std::pmr::vector<std::uint32_t>(memory);
    try {
        // A fresh buffer rather than assign(): a window that shrinks after
        // being stretched huge must give the memory back, not keep capacity.
        m_pixels = std::pmr::vector<std::uint32_t>(std::size_t(m_width) * std::size_t(m_height), 0u, memory);
    } catch (const std::bad_alloc&) {
        m_width = m_height = 0;
    }
    clearDirty();
}

void Surface::shrink(PixelSize devicePixels)
{
    m_lastDot.forget();
    const std::int64_t width = std::clamp<std::int64_t>(devicePixels.width, 0, m_width);
    const std::int64_t height = std::clamp<std::int64_t>(devicePixels.height, 0, m_height);
    // Row by row from the top, each row moves to where it now starts, which
    // is never past where it was.
    std::uint32_t* pixels = m_pixels.data();
    for (std::int64_t y = 0; y < height && width > 0; ++y)
        std::memmove(pixels + y * width, pixels + y * m_width, std::size_t(width) * sizeof *pixels);
    m_width = width;
    m_height = height;
    m_pixels.resize(std::size_t(width) * std::size_t(height));
    m_pixels.shrink_to_fit();
    m_dirtyRight = std::min(m_dirtyRight, m_width - 1);
    m_dirtyBottom = std::min(m_dirtyBottom, m_height - 1);
}

std::uint32_t Surface::pixel(int x, int y) const
{
    if (x < 0 || y < 0 || x >= m_width || y >= m_height)
        return 0;
    return m_pixels[std::size_t(y) * std::size_t(m_width) + std::size_t(x)];
}

void Surface::clearDirty()
{
    m_dirtyLeft = m_dirtyTop = std::numeric_limits<int>::max();
    m_dirtyRight = m_dirtyBottom = -1;
}

void Surface::markDirty(PixelRect rect)
{
    if (!rect.isEmpty())
        markDirty(rect.left, rect.top, rect.right, rect.bottom);
}

void Surface::erase(PixelRect deviceRect)
{
    m_lastDot.forget();
    const std::int64_t left = std::max<std::int64_t>(deviceRect.left, 0);
    const std::int64_t top = std::max<std::int64_t>(deviceRect.top, 0);
    const std::int64_t right = std::min<std::int64_t>(deviceRect.right, m_width - 1);
    const std::int64_t bottom = std::min<std::int64_t>(deviceRect.bottom, m_height - 1);
    for (std::int64_t y = top; left <= right && y <= bottom; ++y) {
        std::uint32_t* line = m_pixels.data() + y * m_width;
        std::fill(line + left, line + right + 1, 0u);
    }
}

bool Surface::stopAtCheckpoint()
{
    Checkpoint& current = checkpoint();
    const bool proceeds = current.stop(*this);
    m_untilStop = std::max<std::int64_t>(1, current.operationsToNextStop());
    return proceeds;
}

void Surface::setCheckpoint(Checkpoint* checkpoint)
{
    m_checkpoint = checkpoint;
    m_untilStop = std::max<std::int64_t>(1, this->checkpoint().operationsToNextStop());
}

void Surface::present()
{
    if (m_dirtyLeft > m_dirtyRight || m_dirtyTop > m_dirtyBottom)
        return;
    const PixelRect rect { int(m_dirtyLeft), int(m_dirtyTop), int(m_dirtyRight), int(m_dirtyBottom) };
    clearDirty();
    if (m_presenter)
        m_presenter->present(rect);
}

PresentingCheckpoint::PresentingCheckpoint(Clock clock)
    : m_clock(std::move(clock))
    , m_lastPresent(m_clock())
{
}

bool PresentingCheckpoint::stop(Surface& surface)
{
    const std::chrono::steady_clock::time_point now = m_clock();
    if (now - m_lastPresent >= kPresentInterval) {
        m_lastPresent = now;
        surface.present();
    }
    return true;
}
