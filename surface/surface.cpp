#include "surface.h"

#include <algorithm>

namespace {

bool isFinite(TwipPoint point) { return std::isfinite(point.x) && std::isfinite(point.y); }

// Pixel coordinates of far-off points are clamped to this, which keeps every
// sum of a coordinate and a pen width inside int.
constexpr double kFarAway = 1 << 29;

} // namespace

void buildDotRows(int width, std::vector<DotRow>& rows)
{
    const double radius = width / 2.0;
    rows.assign(std::size_t(std::max(width, 0)), DotRow {});
    for (int row = 0; row < width; ++row) {
        const double dy = row + 0.5 - radius;
        const double halfChord = std::sqrt(std::max(0.0, radius * radius - dy * dy));
        // Columns whose centre c + 0.5 satisfies |c + 0.5 - radius| <= halfChord.
        const int first = int(std::ceil(radius - halfChord - 0.5));
        const int last = int(std::floor(radius + halfChord - 0.5));
        rows[std::size_t(row)] = { std::max(0, first), std::min(width - 1, last) };
    }
}

QRect paintRing(
    std::uint32_t* pixels, int width, int height, int centreX, int centreY, double radius, int pen, std::uint32_t argb)
{
    const double halfPen = pen / 2.0;
    const double cx = double(centreX - pen / 2) + halfPen;
    const double cy = double(centreY - pen / 2) + halfPen;
    const double inner = std::max(0.0, radius - halfPen);
    const double outer = radius + halfPen;
    const double innerSquared = inner * inner;
    const double outerSquared = outer * outer;

    const int left = int(std::clamp(std::floor(cx - outer), 0.0, double(width)));
    const int right = int(std::clamp(std::ceil(cx + outer), -1.0, double(width - 1)));
    const int top = int(std::clamp(std::floor(cy - outer), 0.0, double(height)));
    const int bottom = int(std::clamp(std::ceil(cy + outer), -1.0, double(height - 1)));
    bool painted = false;
    for (int y = top; y <= bottom; ++y) {
        const double dy = y + 0.5 - cy;
        std::uint32_t* line = pixels + std::size_t(y) * std::size_t(width);
        for (int x = left; x <= right; ++x) {
            const double dx = x + 0.5 - cx;
            const double distanceSquared = dx * dx + dy * dy;
            if (distanceSquared >= innerSquared && distanceSquared <= outerSquared) {
                line[x] = argb;
                painted = true;
            }
        }
    }
    return painted ? QRect(QPoint(left, top), QPoint(right, bottom)) : QRect();
}

Surface::Surface(QSize devicePixels, double devicePixelRatio) { resize(devicePixels, devicePixelRatio); }

SurfaceStatus Surface::DrawWidth(int pixels)
{
    if (pixels < 1 || pixels > kMaxDrawWidth)
        return SurfaceStatus::InvalidPenWidth;
    if (!countOperation())
        return SurfaceStatus::DeviceFailure;
    m_drawWidth = pixels;
    buildDotRows(pixels, m_dot);
    return SurfaceStatus::Ok;
}

// A point whose dot misses the layer is dropped, unless it is no point at all.
SurfaceStatus Surface::pointOffTheLayer(TwipPoint point) const
{
    return isFinite(point) ? SurfaceStatus::Ok : SurfaceStatus::InvalidCoordinate;
}

int Surface::pixelFromTwips(float twips) const
{
    const double pixel = std::floor(m_toDevicePixels(twips));
    return int(std::clamp(pixel, -kFarAway, kFarAway));
}

SurfaceStatus Surface::Line(TwipPoint from, TwipPoint to, Color color, LineShape shape)
{
    if (!isFinite(from) || !isFinite(to))
        return SurfaceStatus::InvalidCoordinate;
    if (!color.isValid())
        return SurfaceStatus::InvalidColor;
    if (!countOperation())
        return SurfaceStatus::DeviceFailure;
    switch (shape) {
    case LineShape::BoxOutline: {
        const int x1 = std::min(pixelFromTwips(from.x), pixelFromTwips(to.x));
        const int x2 = std::max(pixelFromTwips(from.x), pixelFromTwips(to.x));
        const int y1 = std::min(pixelFromTwips(from.y), pixelFromTwips(to.y));
        const int y2 = std::max(pixelFromTwips(from.y), pixelFromTwips(to.y));
        // Each edge is the band a dot of the pen width sweeps along it, so
        // the box meets a point drawn on its corner exactly.
        const int before = int(m_drawWidth) / 2;
        const int after = int(m_drawWidth) - 1 - before;
        const std::uint32_t argb = color.opaqueArgb();
        fillRect(x1 - before, y1 - before, x2 + after, y1 + after, argb);
        fillRect(x1 - before, y2 - before, x2 + after, y2 + after, argb);
        fillRect(x1 - before, y1 - before, x1 + after, y2 + after, argb);
        fillRect(x2 - before, y1 - before, x2 + after, y2 + after, argb);
        break;
    }
    }
    return SurfaceStatus::Ok;
}

SurfaceStatus Surface::Circle(TwipPoint center, float radius, Color color)
{
    if (!isFinite(center))
        return SurfaceStatus::InvalidCoordinate;
    if (!std::isfinite(radius) || radius < 0)
        return SurfaceStatus::InvalidRadius;
    if (!color.isValid())
        return SurfaceStatus::InvalidColor;
    if (!countOperation())
        return SurfaceStatus::DeviceFailure;

    const QRect touched = paintRing(m_pixels.data(), int(m_width), int(m_height), pixelFromTwips(center.x),
        pixelFromTwips(center.y), m_toDevicePixels(radius), int(m_drawWidth), color.opaqueArgb());
    if (!touched.isEmpty())
        markDirty(touched.left(), touched.top(), touched.right(), touched.bottom());
    return SurfaceStatus::Ok;
}

SurfaceStatus Surface::Cls()
{
    if (!countOperation())
        return SurfaceStatus::DeviceFailure;
    std::fill(m_pixels.begin(), m_pixels.end(), 0u);
    if (m_width > 0 && m_height > 0)
        markDirty(0, 0, m_width - 1, m_height - 1);
    return SurfaceStatus::Ok;
}

void Surface::resize(QSize devicePixels, double devicePixelRatio)
{
    m_width = std::clamp(devicePixels.width(), 0, kMaxLayerSide);
    m_height = std::clamp(devicePixels.height(), 0, kMaxLayerSide);
    m_devicePixelRatio = std::isfinite(devicePixelRatio) && devicePixelRatio > 0 ? devicePixelRatio : 1.0;
    m_toDevicePixels = TwipsToDevicePixels(m_devicePixelRatio);
    try {
        // A fresh buffer rather than assign(): a window that shrinks after
        // being stretched huge must give the memory back, not keep capacity.
        m_pixels = std::vector<std::uint32_t>(std::size_t(m_width) * std::size_t(m_height), 0u);
    } catch (const std::bad_alloc&) {
        // Without memory for a layer the window still works; it just keeps
        // no painting.
        m_width = m_height = 0;
        m_pixels.clear();
        m_pixels.shrink_to_fit();
    }
    // The image only wraps our buffer: the drawing code writes the words
    // directly and the widget draws the image without a copy.
    m_image = QImage(reinterpret_cast<uchar*>(m_pixels.data()), int(m_width), int(m_height), qsizetype(m_width) * 4,
        QImage::Format_ARGB32_Premultiplied);
    m_image.setDevicePixelRatio(m_devicePixelRatio);
    clearDirty();
}

void Surface::clearDirty()
{
    m_dirtyLeft = m_dirtyTop = std::numeric_limits<int>::max();
    m_dirtyRight = m_dirtyBottom = -1;
}

void Surface::erase(QRect deviceRect)
{
    const QRect rect = deviceRect.intersected(QRect(0, 0, int(m_width), int(m_height)));
    if (rect.isEmpty())
        return;
    for (int y = rect.top(); y <= rect.bottom(); ++y) {
        std::uint32_t* line = m_pixels.data() + std::size_t(y) * m_width;
        std::fill(line + rect.left(), line + rect.right() + 1, 0u);
    }
}

void Surface::fillRect(int left, int top, int right, int bottom, std::uint32_t argb)
{
    left = std::max(left, 0);
    top = std::max(top, 0);
    right = std::min(right, int(m_width) - 1);
    bottom = std::min(bottom, int(m_height) - 1);
    if (left > right || top > bottom)
        return;
    for (int y = top; y <= bottom; ++y) {
        std::uint32_t* line = m_pixels.data() + std::size_t(y) * m_width;
        std::fill(line + left, line + right + 1, argb);
    }
    markDirty(left, top, right, bottom);
}

bool Surface::checkpoint()
{
    const std::int64_t counted = m_armedFor;
    bool fails = false;
    if (m_untilFault > 0) {
        m_untilFault -= counted;
        fails = m_untilFault == 0;
    }
    m_untilClockCheck -= counted;
    if (m_untilClockCheck <= 0) {
        m_untilClockCheck = kOperationsPerClockCheck;
        if (m_presenter && std::chrono::steady_clock::now() - m_lastPresent >= kPresentInterval)
            present();
    }
    armCheckpoint();
    return !fails;
}

void Surface::armCheckpoint()
{
    m_armedFor = m_untilFault > 0 ? std::min(m_untilClockCheck, m_untilFault) : m_untilClockCheck;
    m_untilCheckpoint = m_armedFor;
}

void Surface::failOperation(std::int64_t count)
{
    // Operations already counted since the last checkpoint still count
    // towards the clock.
    m_untilClockCheck = std::max<std::int64_t>(1, m_untilClockCheck - (m_armedFor - m_untilCheckpoint));
    m_untilFault = std::max<std::int64_t>(count, 0);
    armCheckpoint();
}

void Surface::present()
{
    m_lastPresent = std::chrono::steady_clock::now();
    if (m_dirtyLeft > m_dirtyRight || m_dirtyTop > m_dirtyBottom)
        return;
    const QRect rect { QPoint(int(m_dirtyLeft), int(m_dirtyTop)), QPoint(int(m_dirtyRight), int(m_dirtyBottom)) };
    clearDirty();
    if (m_presenter) {
        m_presenter->present(rect);
        ++m_presentCount;
    }
}
