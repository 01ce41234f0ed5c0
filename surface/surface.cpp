#include "surface.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <thread>

static_assert(DrawingSurface<Surface>);

namespace {

bool isFinite(TwipPoint point) { return std::isfinite(point.x) && std::isfinite(point.y); }

// Pixel coordinates of far-off points are clamped to this, which keeps every
// sum of a coordinate and a pen width far inside the integers.
constexpr double kFarAway = 1 << 29;

void clear(Raster raster, PixelRect rect) { fillRect(raster, rect.left, rect.top, rect.right, rect.bottom, 0u); }

} // namespace

Surface::Surface(PixelSize devicePixels, double devicePixelRatio, LayerMemory& memory)
    : m_memory(memory)
{
    resize(devicePixels, devicePixelRatio);
    setCheckpoint(nullptr);
}

Surface::~Surface() { replaceLayer(nullptr, 0, 0); }

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
        // An earlier box's edges, not yet presented, join the rest.
        for (const PixelRect edge : m_dirtyEdges)
            markDirty(edge);
        m_dirtyEdges = paintBox(raster(), x1, y1, x2, y2, m_drawWidth, color.opaqueArgb());
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
    const PixelRect painted = paintedSinceCleared();
    clear(raster(), painted);
    m_presentedPainting = {};
    clearDirty();
    markDirty(painted);
    return SurfaceStatus::Ok;
}

PixelSize Surface::layerSizeFor(double logicalWidth, double logicalHeight, double devicePixelRatio)
{
    const auto side = [devicePixelRatio](double logical) {
        const double device = std::ceil(logical * devicePixelRatio);
        return std::isfinite(device) ? int(std::clamp(device, 0.0, double(kMaxLayerSide))) : 0;
    };
    return { side(logicalWidth), side(logicalHeight) };
}

LayerChange Surface::follow(PixelSize devicePixels, double devicePixelRatio)
{
    if (devicePixels == size() && devicePixelRatio == m_devicePixelRatio)
        return LayerChange::None;
    if (devicePixelRatio == m_devicePixelRatio && devicePixels.width <= m_width && devicePixels.height <= m_height) {
        shrink(devicePixels);
        return LayerChange::Shrunk;
    }
    resize(devicePixels, devicePixelRatio);
    return LayerChange::Replaced;
}

void Surface::resize(PixelSize devicePixels, double devicePixelRatio)
{
    m_lastDot.forget();
    m_devicePixelRatio = std::isfinite(devicePixelRatio) && devicePixelRatio > 0 ? devicePixelRatio : 1.0;
    m_toDevicePixels = TwipsToDevicePixels(m_devicePixelRatio);
    const std::int64_t width = std::clamp(devicePixels.width, 0, kMaxLayerSide);
    const std::int64_t height = std::clamp(devicePixels.height, 0, kMaxLayerSide);
    // Let the old layer go first, so the two never need memory at once.
    replaceLayer(nullptr, 0, 0);
    const std::size_t words = std::size_t(width) * std::size_t(height);
    if (words == 0)
        replaceLayer(nullptr, width, height);
    else if (std::uint32_t* pixels = m_memory.allocate(words))
        replaceLayer(pixels, width, height);
    clearDirty();
    m_presentedPainting = {};
}

void Surface::shrink(PixelSize devicePixels)
{
    m_lastDot.forget();
    const std::int64_t width = std::clamp<std::int64_t>(devicePixels.width, 0, m_width);
    const std::int64_t height = std::clamp<std::int64_t>(devicePixels.height, 0, m_height);
    if (width == m_width && height == m_height)
        return;
    // The layer shrinks where it lies, so that a shrink needs no second layer
    // and touches only the painting. Each painted row moves, whole, to where
    // it now starts, which is never past where it was: top down, no row is
    // overwritten before it has moved. What was painted and now lies in the
    // words past the last moved row is left over, and goes.
    const PixelRect painted = paintedSinceCleared();
    const std::int64_t keptWords = width * height;
    std::int64_t movedEnd = 0;
    for (std::int64_t y = painted.top; !painted.isEmpty() && y <= std::min<std::int64_t>(painted.bottom, height - 1);
         ++y) {
        std::memmove(m_pixels + y * width, m_pixels + y * m_width, std::size_t(width) * sizeof *m_pixels);
        movedEnd = (y + 1) * width;
    }
    if (!painted.isEmpty()) {
        const std::int64_t first = std::max(movedEnd, painted.top * m_width + painted.left);
        const std::int64_t last = std::min(keptWords, painted.bottom * m_width + painted.right + 1);
        if (first < last)
            std::fill(m_pixels + first, m_pixels + last, 0u);
    }
    if (m_pixels)
        m_memory.giveBack(m_pixels, std::size_t(m_width) * std::size_t(m_height), std::size_t(keptWords));
    m_width = width;
    m_height = height;
    const PixelRect kept = painted.intersected({ 0, 0, int(width) - 1, int(height) - 1 });
    m_dirtyRight = std::min(m_dirtyRight, m_width - 1);
    m_dirtyBottom = std::min(m_dirtyBottom, m_height - 1);
    for (PixelRect& edge : m_dirtyEdges)
        edge = edge.intersected(kept);
    m_presentedPainting = m_presentedPainting.intersected(kept);
}

void Surface::replaceLayer(std::uint32_t* pixels, std::int64_t width, std::int64_t height)
{
    if (m_pixels)
        m_memory.deallocate(m_pixels, std::size_t(m_width) * std::size_t(m_height));
    m_pixels = pixels;
    m_width = width;
    m_height = height;
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
    m_dirtyEdges = {};
}

PixelRect Surface::dirtyBounds() const
{
    if (m_dirtyLeft > m_dirtyRight || m_dirtyTop > m_dirtyBottom)
        return {};
    return { int(m_dirtyLeft), int(m_dirtyTop), int(m_dirtyRight), int(m_dirtyBottom) };
}

PixelRect Surface::paintedSinceCleared() const
{
    PixelRect painted = m_presentedPainting.united(dirtyBounds());
    for (const PixelRect edge : m_dirtyEdges)
        painted = painted.united(edge);
    return painted.intersected({ 0, 0, int(m_width) - 1, int(m_height) - 1 });
}

void Surface::markDirty(PixelRect rect)
{
    if (!rect.isEmpty())
        markDirty(rect.left, rect.top, rect.right, rect.bottom);
}

void Surface::erase(PixelRect deviceRect)
{
    m_lastDot.forget();
    clear(raster(), deviceRect.intersected(paintedSinceCleared()));
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
    std::array<PixelRect, std::tuple_size_v<BoxEdges> + 1> shown;
    std::size_t count = 0;
    const auto show = [&](PixelRect rect) {
        shown[count++] = rect;
        m_presentedPainting = m_presentedPainting.united(rect);
    };
    const PixelRect bounds = dirtyBounds();
    for (const PixelRect edge : m_dirtyEdges) {
        if (!edge.isEmpty() && edge.united(bounds) != bounds)
            show(edge);
    }
    if (!bounds.isEmpty())
        show(bounds);
    clearDirty();
    if (count > 0 && m_presenter)
        m_presenter->present({ shown.data(), count });
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

PacingCheckpoint::PacingCheckpoint(std::int64_t operationsPerSecond, Clock clock, Wait wait)
    : m_operationsPerSecond(std::max<std::int64_t>(operationsPerSecond, 1))
    , m_operationsPerStop(
          std::int64_t(std::clamp(double(m_operationsPerSecond) * std::chrono::duration<double>(kPaidAtOnce).count(),
              1.0, double(kMaxOperationsPerStop))))
    , m_clock(std::move(clock))
    , m_wait(std::move(wait))
{
    restart();
}

void PacingCheckpoint::sleepUntil(std::chrono::steady_clock::time_point until) { std::this_thread::sleep_until(until); }

void PacingCheckpoint::restart()
{
    m_start = m_lastPresent = m_clock();
    m_paidFor = 0;
}

bool PacingCheckpoint::stop(Surface& surface)
{
    const std::chrono::steady_clock::time_point now = m_clock();
    if (now - m_lastPresent >= PresentingCheckpoint::kPresentInterval) {
        m_lastPresent = now;
        surface.present();
    }
    m_paidFor += m_operationsPerStop;
    const auto due = m_start
        + std::chrono::duration_cast<std::chrono::steady_clock::duration>(
            std::chrono::duration<double>(double(m_paidFor) / double(m_operationsPerSecond)));
    if (now < due)
        m_wait(due);
    return true;
}
