#pragma once

#include "drawing_surface.h"
#include "layer_memory.h"
#include "pixel_geometry.h"
#include "presenting.h"
#include "raster.h"
#include "run_time_error.h"
#include "twips.h"

#include <cstdint>
#include <limits>
#include <vector>

// What following a window's new size did to the layer.
enum class LayerChange {
    None,
    Shrunk, // the painting that stays visible is kept
    Replaced, // the painting is gone
};

// The window's client area as the drawing operations see it: a layer of
// device pixels, opaque 0xAARRGGBB words and 0 where nothing is painted, which
// the window composites over its background, panel and labels and under its
// buttons. A DrawingSurface: its conventions are stated there.
class Surface {
public:
    static constexpr int kMaxDrawWidth = 32767;
    // Wider than any screen: what lies beyond could never be seen, and a
    // window stretched past it must not cost unbounded memory.
    static constexpr int kMaxLayerSide = 8192;

    // The layer's memory comes from `memory`, which must outlive the surface.
    explicit Surface(
        PixelSize devicePixels = {}, double devicePixelRatio = 1.0, LayerMemory& memory = systemLayerMemory());
    Surface(const Surface&) = delete;
    Surface& operator=(const Surface&) = delete;
    ~Surface();

    [[nodiscard]] SurfaceStatus DrawWidth(int pixels);
    [[nodiscard]] SurfaceStatus Line(TwipPoint from, TwipPoint to, Color color, LineShape shape);
    [[nodiscard]] SurfaceStatus Circle(TwipPoint center, float radius, Color color);
    [[nodiscard]] SurfaceStatus PSet(TwipPoint point, Color color);
    [[nodiscard]] SurfaceStatus Cls();
    // PSet for each point in a run; see the free PSetEach.
    template <typename Counters, typename PointAt>
    [[nodiscard]] SurfaceStatus PSetEach(const Counters& counters, Color color, PointAt&& pointAt);

    int drawWidth() const { return int(m_drawWidth); }

    // The layer for a client area of the given logical size: whole device
    // pixels that cover it, no side past kMaxLayerSide.
    static PixelSize layerSizeFor(double logicalWidth, double logicalHeight, double devicePixelRatio);

    // Follows the window's client area as a window system repaints it: made
    // smaller at the same density, the layer shrinks; enlarged or at a new
    // density, it is replaced.
    LayerChange follow(PixelSize devicePixels, double devicePixelRatio);

    // A new size or density loses the painting, as the window system's
    // repaint of an enlarged window would. Without memory for the layer the
    // surface keeps an empty one and still takes every operation.
    void resize(PixelSize devicePixels, double devicePixelRatio);
    // Keeps the painting that still fits, as a window made smaller keeps what
    // stays visible. Either side larger than now is taken as it is now.
    void shrink(PixelSize devicePixels);
    // Drops the painting in a region the window system has repainted.
    void erase(PixelRect deviceRect);

    PixelSize size() const { return { int(m_width), int(m_height) }; }
    double devicePixelRatio() const { return m_devicePixelRatio; }
    // size().height rows of size().width words, valid until the next resize
    // or shrink.
    const std::uint32_t* pixels() const { return m_pixels; }
    // 0 outside the layer.
    std::uint32_t pixel(int x, int y) const;

    // Shows what changed since the last present on the presenter, if any.
    void setPresenter(Presenter* presenter) { m_presenter = presenter; }
    void present();

    // Replaces the surface's own presenting checkpoint until called again
    // with nullptr; the checkpoint must outlive its installation.
    void setCheckpoint(Checkpoint* checkpoint);

private:
    [[nodiscard]] bool countOperation();
    [[nodiscard]] bool stopAtCheckpoint();
    template <typename Counter, typename End, typename PointAt>
    [[nodiscard]] SurfaceStatus setPointsShortOfCheckpoint(
        Counter& counter, const End& end, std::uint32_t argb, const PointAt& pointAt);
    template <typename Counter, typename End, typename PointAt>
    [[nodiscard]] bool nextPointOffPixel(Counter& counter, const End& end, const PointAt& pointAt,
        std::int64_t& untilStop, TwipsToDevicePixels::Span spanX, TwipsToDevicePixels::Span spanY, TwipPoint& point);
    Checkpoint& checkpoint() { return m_checkpoint ? *m_checkpoint : m_presentingCheckpoint; }
    void markDirty(std::int64_t left, std::int64_t top, std::int64_t right, std::int64_t bottom);
    void markDirty(PixelRect rect);
    void clearDirty();
    PixelRect dirtyBounds() const;
    PixelRect paintedSinceCleared() const;
    void replaceLayer(std::uint32_t* pixels, std::int64_t width, std::int64_t height);
    Raster raster() { return { m_pixels, m_width, m_height }; }
    int pixelFromTwips(float twips) const;

    // Wider than the words of the layer: see Raster.
    std::int64_t m_width = 0;
    std::int64_t m_height = 0;
    double m_devicePixelRatio = 1.0;
    TwipsToDevicePixels m_toDevicePixels { 1.0 };
    LayerMemory& m_memory;
    std::uint32_t* m_pixels = nullptr;

    std::int64_t m_drawWidth = 1;
    std::vector<DotRow> m_dot { DotRow {} };
    LastDot m_lastDot;

    // Empty while left > right.
    std::int64_t m_dirtyLeft = std::numeric_limits<int>::max();
    std::int64_t m_dirtyTop = std::numeric_limits<int>::max();
    std::int64_t m_dirtyRight = -1;
    std::int64_t m_dirtyBottom = -1;
    // The edges of the last box outline painted since the last present, kept
    // apart from the dirty bounds: a present shows a frame around the whole
    // panel as four thin bands, not as all it encloses.
    BoxEdges m_dirtyEdges {};
    // What was painted and presented since the layer was last cleared; with
    // the dirty bounds and edges it is all that clearing, erasing or
    // shrinking need to touch. Kept apart from the dirty bounds so that a
    // point costs no more.
    PixelRect m_presentedPainting;

    Presenter* m_presenter = nullptr;
    PresentingCheckpoint m_presentingCheckpoint;
    Checkpoint* m_checkpoint = nullptr;
    std::int64_t m_untilStop = PresentingCheckpoint::kOperationsPerClockCheck;
};

// PSet and what it needs are inline because a picture calls it up to
// 2.5 million times a click; an out-of-line call would cost more than the
// pixel stores themselves.

// False when the operation must fail instead.
inline bool Surface::countOperation()
{
    if (--m_untilStop <= 0) [[unlikely]]
        return stopAtCheckpoint();
    return true;
}

// Branches rather than min/max: consecutive points nearly always fall inside
// the bounds already marked, and then nothing is stored.
inline void Surface::markDirty(std::int64_t left, std::int64_t top, std::int64_t right, std::int64_t bottom)
{
    if (left < m_dirtyLeft) [[unlikely]]
        m_dirtyLeft = left;
    if (top < m_dirtyTop) [[unlikely]]
        m_dirtyTop = top;
    if (right > m_dirtyRight) [[unlikely]]
        m_dirtyRight = right;
    if (bottom > m_dirtyBottom) [[unlikely]]
        m_dirtyBottom = bottom;
}

// Whether a point that painted nothing is still a point.
inline SurfaceStatus missedPointStatus(TwipPoint point)
{
    // A point whose dot misses the layer is dropped, unless it is no point at
    // all.
    return std::isfinite(point.x) && std::isfinite(point.y) ? SurfaceStatus::Ok : SurfaceStatus::InvalidCoordinate;
}

inline SurfaceStatus Surface::PSet(TwipPoint point, Color color)
{
    if (!color.isValid()) [[unlikely]]
        return SurfaceStatus::InvalidColor;
    if (!countOperation()) [[unlikely]]
        return SurfaceStatus::DeviceFailure;
    const auto markTouched = [this](std::int64_t left, std::int64_t top, std::int64_t right, std::int64_t bottom) {
        markDirty(left, top, right, bottom);
    };
    if (paintPoint<Repeats::Skip>(raster(), m_drawWidth, m_dot.data(), point, m_toDevicePixels, color.opaqueArgb(),
            m_lastDot, markTouched)) [[likely]]
        return SurfaceStatus::Ok;
    return missedPointStatus(point);
}

// The points from counter on, up to the one that reaches the next checkpoint;
// leaves counter at the first point it did not set. It keeps what it reads
// of the surface in locals. What it changes is stored as it changes, so that
// a run-time error raised by pointAt leaves the surface as PSet would.
//
// A function of its own, and not inlined: a call anywhere in a loop's
// function, even the checkpoint's once in a thousand points, makes the
// browsers' compilers keep the loop's counter and locals in memory. Its one
// call is to the loop that most points take, once per pixel.
template <typename Counter, typename End, typename PointAt>
[[gnu::noinline]] SurfaceStatus Surface::setPointsShortOfCheckpoint(
    Counter& counter, const End& end, std::uint32_t argb, const PointAt& pointAt)
{
    const Raster layer = raster();
    const TwipsToDevicePixels toDevicePixels = m_toDevicePixels;
    const std::int64_t pen = m_drawWidth;
    const DotRow* const dot = m_dot.data();
    std::int64_t untilStop = m_untilStop;
    std::int64_t dirtyLeft = m_dirtyLeft;
    std::int64_t dirtyTop = m_dirtyTop;
    std::int64_t dirtyRight = m_dirtyRight;
    std::int64_t dirtyBottom = m_dirtyBottom;
    const auto markTouched = [&](std::int64_t left, std::int64_t top, std::int64_t right, std::int64_t bottom) {
        if (left < dirtyLeft) [[unlikely]]
            m_dirtyLeft = dirtyLeft = left;
        if (top < dirtyTop) [[unlikely]]
            m_dirtyTop = dirtyTop = top;
        if (right > dirtyRight) [[unlikely]]
            m_dirtyRight = dirtyRight = right;
        if (bottom > dirtyBottom) [[unlikely]]
            m_dirtyBottom = dirtyBottom = bottom;
    };
    // Copies of their own, which the compiler can keep in registers: what a
    // caller's point function captures might otherwise share memory with the
    // layer's words, and be read again after every store.
    const auto pointOf = pointAt;
    // The twips of the pixel painted last, which has nothing left to paint
    // for them; twips below zero are left to the conversion.
    TwipsToDevicePixels::Span spanX;
    TwipsToDevicePixels::Span spanY;
    auto at = counter;
    TwipPoint point;
    while (nextPointOffPixel(at, end, pointOf, untilStop, spanX, spanY, point)) {
        if (!paintPoint<Repeats::Skip>(layer, pen, dot, point, toDevicePixels, argb, m_lastDot, markTouched))
            [[unlikely]] {
            if (const SurfaceStatus status = missedPointStatus(point); status != SurfaceStatus::Ok)
                return status;
        } else if (point.x >= 0 && point.y >= 0) {
            spanX = toDevicePixels.spanOfPixel(std::int64_t(toDevicePixels.atOrAboveZero(point.x)));
            spanY = toDevicePixels.spanOfPixel(std::int64_t(toDevicePixels.atOrAboveZero(point.y)));
        }
    }
    counter = at;
    return SurfaceStatus::Ok;
}

// Counts the points from counter on, short of the next checkpoint, that land
// in the pixel whose twips are spanX and spanY, and stops after the first
// that does not: true, with that point, counted and passed. A run of points
// lands on the same pixel many times over, a hundred in a row with a
// one-pixel pen, and this loop is all they cost.
//
// Not inlined, and calling nothing but what the point function calls, so
// that the browsers' compilers keep its few values in registers; they spill
// what a large loop keeps.
template <typename Counter, typename End, typename PointAt>
[[gnu::noinline]] bool Surface::nextPointOffPixel(Counter& counter, const End& end, const PointAt& pointAt,
    std::int64_t& untilStop, TwipsToDevicePixels::Span spanX, TwipsToDevicePixels::Span spanY, TwipPoint& point)
{
    const auto pointOf = pointAt;
    auto at = counter;
    std::int64_t left = untilStop;
    bool found = false;
    while (left > 1 && at != end) {
        const TwipPoint next = pointOf(*at);
        ++at;
        m_untilStop = --left;
        if (!spanX.contains(next.x) || !spanY.contains(next.y)) {
            point = next;
            found = true;
            break;
        }
    }
    counter = at;
    untilStop = left;
    return found;
}

// The point that reaches a checkpoint goes through PSet, and the points
// between run in setPointsShortOfCheckpoint. It is called from two places,
// the run before the first checkpoint and the run after each: the web
// build's optimizer inlines a function that has one caller, whatever its
// size.
template <typename Counters, typename PointAt>
SurfaceStatus Surface::PSetEach(const Counters& counters, Color color, PointAt&& pointAt)
{
    auto counter = counters.begin();
    const auto end = counters.end();
    if (!color.isValid()) [[unlikely]]
        // Fails at the first point, as PSet would.
        return counter != end ? PSet(pointAt(*counter), color) : SurfaceStatus::Ok;
    const std::uint32_t argb = color.opaqueArgb();
    SurfaceStatus status = setPointsShortOfCheckpoint(counter, end, argb, pointAt);
    while (status == SurfaceStatus::Ok && counter != end) {
        status = PSet(pointAt(*counter), color);
        ++counter;
        if (status == SurfaceStatus::Ok)
            status = setPointsShortOfCheckpoint(counter, end, argb, pointAt);
    }
    return status;
}
