#pragma once

#include "run_time_error.h"
#include "twips.h"

#include <QImage>
#include <QRect>
#include <QSize>

#include <chrono>
#include <cmath>
#include <cstdint>
#include <limits>
#include <vector>

enum class LineShape {
    BoxOutline,
};

// One row of a round dot: its first and last pixel, as offsets from the
// left edge of the dot's box.
struct DotRow {
    int first = 0;
    int last = 0;
};

// The rows of a dot `width` pixels across: a pixel is in when its centre lies
// within the disc of that diameter centred on the middle of the box. Fills
// `rows`, reusing its memory.
void buildDotRows(int width, std::vector<DotRow>& rows);

// Paints into a width x height buffer of words the ring a pen `pen` pixels
// wide draws around (centreX, centreY), the pixel holding the centre, at
// `radius` device pixels: the pixels whose centres lie within half a pen of
// the circle, which is centred where a dot there would be. Radius 0 gives the
// dot. Returns the rectangle it may have touched; empty when none.
QRect paintRing(
    std::uint32_t* pixels, int width, int height, int centreX, int centreY, double radius, int pen, std::uint32_t argb);

// Puts a changed region of the layer on the screen before it returns. It must
// not run the event loop: the handler that is painting still owns the thread.
class Presenter {
public:
    virtual ~Presenter() = default;
    virtual void present(QRect deviceRect) = 0;
};

// The window's client area as the drawing operations see it: an image layer
// in device pixels, transparent where nothing is painted, composited by the
// window over its background, panel and labels and under its buttons.
//
// Conventions for every drawing operation:
// - Points are twips; they map to device pixels through TwipsToDevicePixels.
// - The pen width is in device pixels and stays in force until set again.
// - A dot of pen width w is a filled disc w pixels across, centred on the
//   pixel holding the point (on its top-left corner when w is even).
// - What falls outside the layer is dropped silently; a value that is not a
//   number, or a colour outside the palette, is refused with a failure status
//   and leaves the layer as it was.
class Surface {
public:
    static constexpr int kMaxDrawWidth = 32767;
    // Wider than any screen: what lies beyond could never be seen, and a
    // window stretched past it must not cost unbounded memory.
    static constexpr int kMaxLayerSide = 8192;
    static constexpr std::chrono::milliseconds kPresentInterval { 16 };
    static constexpr int kOperationsPerClockCheck = 1024;

    explicit Surface(QSize devicePixels = {}, double devicePixelRatio = 1.0);

    [[nodiscard]] SurfaceStatus DrawWidth(int pixels);
    int drawWidth() const { return int(m_drawWidth); }

    [[nodiscard]] SurfaceStatus Line(TwipPoint from, TwipPoint to, Color color, LineShape shape);
    // Radius 0 gives a dot as wide as the pen.
    [[nodiscard]] SurfaceStatus Circle(TwipPoint center, float radius, Color color);
    [[nodiscard]] SurfaceStatus PSet(TwipPoint point, Color color);
    // Removes all painting; the pen width stays.
    [[nodiscard]] SurfaceStatus Cls();

    // A new size or density loses the painting, as the window system's
    // repaint of an enlarged window would.
    void resize(QSize devicePixels, double devicePixelRatio);
    // Drops the painting in a region the window system has repainted.
    void erase(QRect deviceRect);

    // Painting reaches the presenter about every kPresentInterval while
    // operations run, and in full on present().
    void setPresenter(Presenter* presenter) { m_presenter = presenter; }
    void present();
    int presentCount() const { return m_presentCount; }

    // Testing: the operation `count` operations from now (1 is the next one)
    // fails with SurfaceStatus::DeviceFailure and paints nothing; 0 disarms.
    void failOperation(std::int64_t count);

    // Shares the surface's pixels: copy() it to keep a snapshot.
    const QImage& layer() const { return m_image; }
    QSize size() const { return { int(m_width), int(m_height) }; }
    double devicePixelRatio() const { return m_devicePixelRatio; }

private:
    [[nodiscard]] bool countOperation();
    [[nodiscard]] bool checkpoint();
    void armCheckpoint();
    void markDirty(std::int64_t left, std::int64_t top, std::int64_t right, std::int64_t bottom);
    void clearDirty();
    void fillRect(int left, int top, int right, int bottom, std::uint32_t argb);
    void stampDot(double u, double v, std::uint32_t argb);
    SurfaceStatus pointOffTheLayer(TwipPoint point) const;
    int pixelFromTwips(float twips) const;

    // The dimensions, pen width and dirty bounds are wider than the words of
    // the layer so that, as far as the compiler knows, storing a pixel cannot
    // change them: it keeps them in registers across a picture's points
    // instead of reloading them after every store.
    std::int64_t m_width = 0;
    std::int64_t m_height = 0;
    double m_devicePixelRatio = 1.0;
    TwipsToDevicePixels m_toDevicePixels { 1.0 };
    std::vector<std::uint32_t> m_pixels;
    QImage m_image;

    std::int64_t m_drawWidth = 1;
    std::vector<DotRow> m_dot { DotRow {} };

    // Empty while left > right.
    std::int64_t m_dirtyLeft = std::numeric_limits<int>::max();
    std::int64_t m_dirtyTop = std::numeric_limits<int>::max();
    std::int64_t m_dirtyRight = -1;
    std::int64_t m_dirtyBottom = -1;

    Presenter* m_presenter = nullptr;
    // One countdown serves both the presenting clock and the injected fault,
    // so a point pays a single decrement for them.
    std::int64_t m_untilCheckpoint = kOperationsPerClockCheck;
    std::int64_t m_armedFor = kOperationsPerClockCheck;
    std::int64_t m_untilClockCheck = kOperationsPerClockCheck;
    std::int64_t m_untilFault = 0;
    std::chrono::steady_clock::time_point m_lastPresent = std::chrono::steady_clock::now();
    int m_presentCount = 0;
};

// PSet and what it needs are inline because a picture calls it up to
// 2.5 million times a click; an out-of-line call would cost more than the
// pixel stores themselves.

// False when the operation must fail instead.
inline bool Surface::countOperation()
{
    if (--m_untilCheckpoint <= 0) [[unlikely]]
        return checkpoint();
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

inline void Surface::stampDot(double u, double v, std::uint32_t argb)
{
    // The caller has made sure the dot touches the layer or nearly so, which
    // keeps the conversions below within range.
    const std::int64_t width = m_drawWidth;
    const std::int64_t left = std::int64_t(std::floor(u)) - width / 2;
    const std::int64_t top = std::int64_t(std::floor(v)) - width / 2;
    const std::int64_t firstRow = std::max<std::int64_t>(0, -top);
    const std::int64_t lastRow = std::min(width - 1, m_height - 1 - top);
    if (firstRow > lastRow)
        return;
    std::int64_t dirtyLeft = m_width;
    std::int64_t dirtyRight = -1;
    for (std::int64_t row = firstRow; row <= lastRow; ++row) {
        const std::int64_t first = std::max<std::int64_t>(0, left + m_dot[row].first);
        const std::int64_t last = std::min<std::int64_t>(m_width - 1, left + m_dot[row].last);
        std::uint32_t* line = m_pixels.data() + std::size_t(top + row) * m_width;
        for (std::int64_t x = first; x <= last; ++x)
            line[x] = argb;
        dirtyLeft = std::min(dirtyLeft, first);
        dirtyRight = std::max(dirtyRight, last);
    }
    if (dirtyLeft <= dirtyRight)
        markDirty(dirtyLeft, top + firstRow, dirtyRight, top + lastRow);
}

inline SurfaceStatus Surface::PSet(TwipPoint point, Color color)
{
    if (!color.isValid()) [[unlikely]]
        return SurfaceStatus::InvalidColor;
    if (!countOperation()) [[unlikely]]
        return SurfaceStatus::DeviceFailure;
    const double u = m_toDevicePixels(point.x);
    const double v = m_toDevicePixels(point.y);
    // Not a number and infinity fail these comparisons too, so the common
    // case pays for no separate check of its own.
    if (m_drawWidth == 1) {
        if (u >= 0 && u < m_width && v >= 0 && v < m_height) [[likely]] {
            // Both are non-negative here, so truncation is the floor.
            const std::int64_t x = std::int64_t(u);
            const std::int64_t y = std::int64_t(v);
            m_pixels[std::size_t(y) * m_width + x] = color.opaqueArgb();
            markDirty(x, y, x, y);
            return SurfaceStatus::Ok;
        }
    } else if (u > -m_drawWidth && u < m_width + m_drawWidth && v > -m_drawWidth && v < m_height + m_drawWidth)
        [[likely]] {
        stampDot(u, v, color.opaqueArgb());
        return SurfaceStatus::Ok;
    }
    return pointOffTheLayer(point);
}
