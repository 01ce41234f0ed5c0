#include "expectations.h"
#include "failing_checkpoint.h"
#include "guarded_memory.h"
#include "palette.h"
#include "surface.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <bit>
#include <cfloat>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <limits>
#include <optional>
#include <vector>

// Drives the surface with arbitrary sequences of operations and arguments on
// layers of arbitrary shape, and checks after each operation what it may have
// changed: nothing outside the layer's memory, nothing outside the region the
// operation could reach, nothing at all when it was refused, and nothing that
// the next present leaves out.

namespace {

#define REQUIRE(condition)                                                                                             \
    do {                                                                                                               \
        if (!(condition)) {                                                                                            \
            std::fprintf(stderr, "%s:%d: %s\n", __FILE__, __LINE__, #condition);                                       \
            std::abort();                                                                                              \
        }                                                                                                              \
    } while (false)

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr float kInfinity = std::numeric_limits<float>::infinity();

const float kSpecialFloats[] = { kNaN, -kNaN, kInfinity, -kInfinity, FLT_MAX, -FLT_MAX, FLT_MIN, -FLT_MIN,
    std::numeric_limits<float>::denorm_min(), 0.0f, -0.0f, 1e30f, -1e30f, 14.999999f, 15.0f, 2147483648.0f,
    -2147483648.0f, 1e10f, -1e10f, 8388608.0f };

const int kSpecialInts[]
    = { 0, -1, 1, 2, 3, 66, 32767, 32768, std::numeric_limits<int>::min(), std::numeric_limits<int>::max() };

const double kRatios[] = { 1.0, 1.5, 2.0, 4.0 / 3.0, 1.25, 0.5, 3.0, 1e-300, 1e300, 0.0, -1.0,
    std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity() };

// Whether two layers of this size agree everywhere outside `rect`. Row
// stretches compare at once, which keeps the checks cheap under the
// sanitizers.
bool sameOutside(const std::uint32_t* a, const std::uint32_t* b, PixelSize size, PixelRect rect)
{
    const std::int64_t width = size.width, height = size.height;
    if (width == 0 || height == 0)
        return true;
    const auto same = [&](std::int64_t from, std::int64_t words) {
        return words <= 0 || std::memcmp(a + from, b + from, std::size_t(words) * sizeof(std::uint32_t)) == 0;
    };
    const std::int64_t left = std::clamp<std::int64_t>(rect.left, 0, width);
    const std::int64_t right = std::clamp<std::int64_t>(rect.right, -1, width - 1);
    const std::int64_t top = std::clamp<std::int64_t>(rect.top, 0, height);
    const std::int64_t bottom = std::clamp<std::int64_t>(rect.bottom, -1, height - 1);
    if (left > right || top > bottom)
        return same(0, width * height);
    if (!same(0, top * width) || !same((bottom + 1) * width, (height - 1 - bottom) * width))
        return false;
    for (std::int64_t y = top; y <= bottom; ++y) {
        if (!same(y * width, left) || !same(y * width + right + 1, width - 1 - right))
            return false;
    }
    return true;
}

template <typename T, std::size_t n> T pick(FuzzedDataProvider& input, const T (&table)[n])
{
    return table[input.ConsumeIntegralInRange<std::size_t>(0, n - 1)];
}

// Shapes that catch a bounds test on the wrong axis, an empty side, or one
// pixel; then any small layer.
PixelSize pickSize(FuzzedDataProvider& input)
{
    switch (input.ConsumeIntegralInRange(0, 5)) {
    case 0:
        return { 0, input.ConsumeIntegralInRange(0, 300) };
    case 1:
        return { 1, 1 };
    case 2:
        return { input.ConsumeIntegralInRange(100, 8192), input.ConsumeIntegralInRange(1, 3) };
    case 3:
        return { input.ConsumeIntegralInRange(1, 3), input.ConsumeIntegralInRange(100, 8192) };
    case 4:
        // Beyond the largest layer, or negative, on one side only.
        return { input.ConsumeIntegral<int>(), input.ConsumeIntegralInRange(0, 2) };
    default:
        return { input.ConsumeIntegralInRange(0, 96), input.ConsumeIntegralInRange(0, 96) };
    }
}

class Harness : public Presenter {
public:
    explicit Harness(FuzzedDataProvider& input)
        : m_input(input)
        , m_memory(kGuardWords)
        , m_surface(pickSize(input), pick(input, kRatios), m_memory)
    {
        m_surface.setPresenter(this);
        m_surface.setCheckpoint(&m_clock);
        m_shown = layer();
    }

    ~Harness() override
    {
        m_surface.setPresenter(nullptr);
        m_surface.setCheckpoint(nullptr);
    }

    void run()
    {
        while (m_input.remaining_bytes() > 0)
            step();
    }

    void present(std::span<const PixelRect> rects) override
    {
        REQUIRE(!rects.empty());
        // Everything that changed since the last present lies in what is
        // shown now: the screen, taking each rectangle, shows the layer.
        const std::vector<std::uint32_t> now = layer();
        const std::int64_t width = m_surface.size().width;
        for (const PixelRect rect : rects) {
            REQUIRE(!rect.isEmpty());
            REQUIRE(rect.left >= 0 && rect.top >= 0);
            REQUIRE(rect.right < m_surface.size().width && rect.bottom < m_surface.size().height);
            for (std::int64_t y = rect.top; y <= rect.bottom; ++y)
                std::copy_n(now.begin() + y * width + rect.left, rect.width(), m_shown.begin() + y * width + rect.left);
        }
        REQUIRE(m_shown == now);
    }

private:
    // Grown to eight layers' worth for larger layers: a store on the wrong
    // axis lands in them.
    static constexpr std::size_t kGuardWords = 1024;

    // What an operation may paint: pixels inside `reach` and outside `spared`,
    // in `argb`.
    struct Reach {
        PixelRect reach;
        PixelRect spared;
        std::uint32_t argb = 0;
    };

    std::vector<std::uint32_t> layer() const
    {
        const PixelSize size = m_surface.size();
        return { m_surface.pixels(), m_surface.pixels() + std::size_t(size.width) * std::size_t(size.height) };
    }

    double device(float twips) const { return double(twips) * m_surface.devicePixelRatio() / 15.0; }

    // A pixel position clamped far off the layer, where nothing is painted
    // anyway, so the sums below stay in range.
    std::int64_t pixelOf(float twips) const { return std::int64_t(std::clamp(std::floor(device(twips)), -1e12, 1e12)); }

    float pickCoordinate()
    {
        const double ratio = m_surface.devicePixelRatio();
        const int extent = std::max(m_surface.size().width, m_surface.size().height);
        switch (m_input.ConsumeIntegralInRange(0, 3)) {
        case 0:
            return pick(m_input, kSpecialFloats);
        case 1:
            return m_input.ConsumeFloatingPointInRange<float>(-3000.0f, float((extent + 100) * 15 / ratio));
        case 2:
            // On a pixel's edge.
            return float(15.0 * m_input.ConsumeIntegralInRange(-100, extent + 100) / ratio);
        default:
            return std::bit_cast<float>(m_input.ConsumeIntegral<std::uint32_t>());
        }
    }

    TwipPoint pickPoint() { return { pickCoordinate(), pickCoordinate() }; }

    // A colour to draw with, and the word it paints: none for what is no
    // colour at all, an index outside the palette or a value with a non-zero
    // top byte.
    struct PickedColor {
        Color value;
        std::optional<std::uint32_t> word;
    };

    // The layer's opaque 0xAARRGGBB word.
    static std::uint32_t wordOf(Rgb rgb)
    {
        return 0xff000000u | std::uint32_t(rgb.red) << 16 | std::uint32_t(rgb.green) << 8 | std::uint32_t(rgb.blue);
    }

    PickedColor pickColor()
    {
        switch (m_input.ConsumeIntegralInRange(0, 3)) {
        case 0: {
            const int index = m_input.ConsumeIntegral<int>();
            if (index < 0 || index >= int(std::size(kPalette)))
                return { QBColor(index), std::nullopt };
            return { QBColor(index), wordOf(kPalette[index]) };
        }
        case 1: {
            // Any colour, red in the lowest byte, then green, then blue.
            const Rgb rgb { m_input.ConsumeIntegral<std::uint8_t>(), m_input.ConsumeIntegral<std::uint8_t>(),
                m_input.ConsumeIntegral<std::uint8_t>() };
            return { Color { std::uint32_t(rgb.red) | std::uint32_t(rgb.green) << 8 | std::uint32_t(rgb.blue) << 16 },
                wordOf(rgb) };
        }
        case 2: {
            const std::uint32_t top = m_input.ConsumeIntegralInRange<std::uint32_t>(1, 0xff);
            return { Color { top << 24 | m_input.ConsumeIntegralInRange<std::uint32_t>(0, 0xffffff) }, std::nullopt };
        }
        default: {
            const int index = m_input.ConsumeIntegralInRange(0, 15);
            return { QBColor(index), wordOf(kPalette[index]) };
        }
        }
    }

    int pickPen()
    {
        switch (m_input.ConsumeIntegralInRange(0, 2)) {
        case 0:
            return pick(m_input, kSpecialInts);
        case 1:
            return m_input.ConsumeIntegral<int>();
        default:
            return m_input.ConsumeIntegralInRange(1, 80);
        }
    }

    static PixelRect clampedRect(std::int64_t left, std::int64_t top, std::int64_t right, std::int64_t bottom)
    {
        constexpr std::int64_t far = 1 << 30;
        return { int(std::clamp(left, -far, far)), int(std::clamp(top, -far, far)), int(std::clamp(right, -far, far)),
            int(std::clamp(bottom, -far, far)) };
    }

    // Where a dot of the pen at this point may land, a pixel of slack around.
    PixelRect dotReach(TwipPoint point) const
    {
        const std::int64_t pen = m_surface.drawWidth();
        const std::int64_t x = pixelOf(point.x) - pen / 2, y = pixelOf(point.y) - pen / 2;
        return clampedRect(x - 1, y - 1, x + pen, y + pen);
    }

    // An accepted point paints at least the pixel that holds it, unless that
    // lies so close to a pixel's edge that rounding may put it either side.
    void checkPointPainted(TwipPoint point, SurfaceStatus status, std::uint32_t word)
    {
        const double u = device(point.x), v = device(point.y);
        const double edge = 1e-6 * std::max(1.0, std::max(std::fabs(u), std::fabs(v)));
        const PixelSize size = m_surface.size();
        if (status != SurfaceStatus::Ok || !(u >= 0 && v >= 0 && u < size.width && v < size.height)
            || u - std::floor(u) < edge || std::ceil(u) - u < edge || v - std::floor(v) < edge
            || std::ceil(v) - v < edge)
            return;
        REQUIRE(m_surface.pixel(int(u), int(v)) == word);
    }

    void check(const std::vector<std::uint32_t>& before, int penBefore, SurfaceStatus status, SurfaceStatus refusal,
        std::optional<Reach> reach)
    {
        REQUIRE(m_memory.guardsIntact());
        const std::vector<std::uint32_t> after = layer();
        REQUIRE(after.size() == before.size());
        if (status != SurfaceStatus::Ok) {
            REQUIRE(status == refusal || (status == SurfaceStatus::DeviceFailure && m_failing));
            REQUIRE(after == before);
            REQUIRE(m_surface.drawWidth() == penBefore);
            return;
        }
        REQUIRE(refusal == SurfaceStatus::Ok);
        if (!reach)
            return;
        const PixelSize size = m_surface.size();
        const PixelRect& r = reach->reach;
        const PixelRect& spared = reach->spared;
        REQUIRE(sameOutside(after.data(), before.data(), size, r));
        for (std::int64_t y = std::max(r.top, 0); y <= std::min(r.bottom, size.height - 1); ++y) {
            for (std::int64_t x = std::max(r.left, 0); x <= std::min(r.right, size.width - 1); ++x) {
                const std::size_t i = std::size_t(y * size.width + x);
                if (after[i] == before[i])
                    continue;
                REQUIRE(after[i] == reach->argb);
                REQUIRE(!(x >= spared.left && x <= spared.right && y >= spared.top && y <= spared.bottom));
            }
        }
    }

    void step()
    {
        const std::vector<std::uint32_t> before = layer();
        const int pen = m_surface.drawWidth();
        switch (m_input.ConsumeIntegralInRange(0, 9)) {
        case 0: {
            const int pixels = pickPen();
            const bool valid = pixels >= 1 && pixels <= Surface::kMaxDrawWidth;
            const SurfaceStatus status = m_surface.DrawWidth(pixels);
            check(before, pen, status, valid ? SurfaceStatus::Ok : SurfaceStatus::InvalidPenWidth, Reach {});
            if (status == SurfaceStatus::Ok)
                REQUIRE(m_surface.drawWidth() == pixels);
            break;
        }
        case 1: {
            const TwipPoint point = pickPoint();
            const PickedColor color = pickColor();
            const bool finite = std::isfinite(point.x) && std::isfinite(point.y);
            const SurfaceStatus refusal = !color.word ? SurfaceStatus::InvalidColor
                : !finite                             ? SurfaceStatus::InvalidCoordinate
                                                      : SurfaceStatus::Ok;
            const SurfaceStatus status = m_surface.PSet(point, color.value);
            check(before, pen, status, refusal,
                finite ? std::optional(Reach { dotReach(point), {}, color.word.value_or(0) }) : std::nullopt);
            checkPointPainted(point, status, color.word.value_or(0));
            break;
        }
        case 2: {
            const TwipPoint from = pickPoint();
            const TwipPoint to = pickPoint();
            const PickedColor color = pickColor();
            const bool finite
                = std::isfinite(from.x) && std::isfinite(from.y) && std::isfinite(to.x) && std::isfinite(to.y);
            const SurfaceStatus refusal = !finite ? SurfaceStatus::InvalidCoordinate
                : !color.word                     ? SurfaceStatus::InvalidColor
                                                  : SurfaceStatus::Ok;
            const SurfaceStatus status = m_surface.Line(from, to, color.value, LineShape::BoxOutline);
            std::optional<Reach> reach;
            if (finite) {
                const PixelRect a = dotReach(from), b = dotReach(to);
                const std::int64_t x1 = std::min(pixelOf(from.x), pixelOf(to.x));
                const std::int64_t x2 = std::max(pixelOf(from.x), pixelOf(to.x));
                const std::int64_t y1 = std::min(pixelOf(from.y), pixelOf(to.y));
                const std::int64_t y2 = std::max(pixelOf(from.y), pixelOf(to.y));
                // The inside of the box beyond the bands stays as it was.
                const std::int64_t band = m_surface.drawWidth() / 2 + 2;
                reach = Reach { { std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
                                    std::max(a.bottom, b.bottom) },
                    clampedRect(x1 + band, y1 + band, x2 - band, y2 - band), color.word.value_or(0) };
            }
            check(before, pen, status, refusal, reach);
            break;
        }
        case 3: {
            const TwipPoint center = pickPoint();
            const float radius
                = m_input.ConsumeBool() ? pickCoordinate() : float(m_input.ConsumeIntegralInRange(0, 600));
            const PickedColor color = pickColor();
            const bool finite = std::isfinite(center.x) && std::isfinite(center.y);
            const SurfaceStatus refusal = !finite         ? SurfaceStatus::InvalidCoordinate
                : !(std::isfinite(radius) && radius >= 0) ? SurfaceStatus::InvalidRadius
                : !color.word                             ? SurfaceStatus::InvalidColor
                                                          : SurfaceStatus::Ok;
            const SurfaceStatus status = m_surface.Circle(center, radius, color.value);
            std::optional<Reach> reach;
            if (refusal == SurfaceStatus::Ok) {
                const double ring = std::min(device(radius), 1e12);
                const double halfPen = m_surface.drawWidth() / 2.0;
                const double cx = double(pixelOf(center.x)) + 0.5, cy = double(pixelOf(center.y)) + 0.5;
                const double outer = ring + halfPen + 2;
                // Inside the ring, a square within its inner edge stays.
                const double inner = std::max(0.0, ring - halfPen - 2) / std::sqrt(2.0);
                reach = Reach { clampedRect(std::int64_t(std::floor(cx - outer)), std::int64_t(std::floor(cy - outer)),
                                    std::int64_t(std::ceil(cx + outer)), std::int64_t(std::ceil(cy + outer))),
                    clampedRect(std::int64_t(std::ceil(cx - inner)), std::int64_t(std::ceil(cy - inner)),
                        std::int64_t(std::floor(cx + inner)) - 1, std::int64_t(std::floor(cy + inner)) - 1),
                    color.word.value_or(0) };
            }
            check(before, pen, status, refusal, reach);
            break;
        }
        case 4: {
            const SurfaceStatus status = m_surface.Cls();
            check(before, pen, status, SurfaceStatus::Ok, std::nullopt);
            if (status == SurfaceStatus::Ok) {
                for (const std::uint32_t word : layer())
                    REQUIRE(word == 0);
                REQUIRE(m_surface.drawWidth() == pen);
            }
            break;
        }
        case 5: {
            m_memory.refuses = m_input.ConsumeIntegralInRange(0, 15) == 0;
            m_surface.resize(pickSize(m_input), pick(m_input, kRatios));
            m_memory.refuses = false;
            REQUIRE(m_memory.guardsIntact());
            REQUIRE(m_surface.drawWidth() == pen);
            for (const std::uint32_t word : layer())
                REQUIRE(word == 0);
            m_shown = layer();
            break;
        }
        case 6: {
            const PixelRect rect { m_input.ConsumeIntegral<int>(), m_input.ConsumeIntegral<int>(),
                m_input.ConsumeIntegral<int>(), m_input.ConsumeIntegral<int>() };
            m_surface.erase(rect);
            check(before, pen, SurfaceStatus::Ok, SurfaceStatus::Ok, Reach { rect, {}, 0 });
            m_shown = layer();
            break;
        }
        case 7: {
            // A run of points as a picture paints them, long enough to pass
            // the checkpoint.
            TwipPoint point = pickPoint();
            const float dx = m_input.ConsumeFloatingPointInRange<float>(-20, 20);
            const float dy = m_input.ConsumeFloatingPointInRange<float>(-20, 20);
            const PickedColor color = pickColor();
            const PixelSize size = m_surface.size();
            const int count = m_input.ConsumeIntegralInRange(1, size.width * size.height <= 4096 ? 3000 : 100);
            for (int i = 0; i < count; ++i, point.x += dx, point.y += dy) {
                const std::vector<std::uint32_t> last = layer();
                const bool finite = std::isfinite(point.x) && std::isfinite(point.y);
                const SurfaceStatus refusal = !color.word ? SurfaceStatus::InvalidColor
                    : !finite                             ? SurfaceStatus::InvalidCoordinate
                                                          : SurfaceStatus::Ok;
                const SurfaceStatus status = m_surface.PSet(point, color.value);
                check(last, pen, status, refusal,
                    finite ? std::optional(Reach { dotReach(point), {}, color.word.value_or(0) }) : std::nullopt);
                checkPointPainted(point, status, color.word.value_or(0));
            }
            break;
        }
        case 8:
            if (m_input.ConsumeBool()) {
                m_failing.emplace(m_input.ConsumeIntegralInRange<std::int64_t>(1, 3000));
                m_surface.setCheckpoint(&*m_failing);
            } else {
                m_surface.setCheckpoint(&m_clock);
                m_failing.reset();
            }
            break;
        default:
            break;
        }
        m_surface.present();
        REQUIRE(layer() == m_shown);
    }

    FuzzedDataProvider& m_input;
    GuardedMemory m_memory;
    Surface m_surface;
    // Moves five milliseconds each time it is read, so the checkpoint presents
    // in the middle of runs.
    std::chrono::steady_clock::time_point m_now {};
    PresentingCheckpoint m_clock { [this] { return m_now += std::chrono::milliseconds(5); } };
    std::optional<FailingCheckpoint> m_failing;
    std::vector<std::uint32_t> m_shown;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzedDataProvider input(data, size);
    Harness harness(input);
    harness.run();
    return 0;
}
