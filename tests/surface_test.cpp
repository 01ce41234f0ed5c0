#include "failing_checkpoint.h"
#include "guarded_memory.h"
#include "mountains_and_water.h"
#include "palette.h"
#include "surface.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <chrono>
#include <cmath>
#include <functional>
#include <limits>
#include <ostream>
#include <vector>

void PrintTo(PixelRect rect, std::ostream* out)
{
    *out << "(" << rect.left << "," << rect.top << ")-(" << rect.right << "," << rect.bottom << ")";
}

namespace {

constexpr PixelSize kMaximized { 1280, 1024 };
const Color kLightRed = QBColor(12);
constexpr std::uint32_t kOpaqueLightRed = 0xffff0000u;
constexpr std::uint32_t kOpaqueLightYellow = 0xffffff00u;

constexpr PixelRect rect(int left, int top, int width, int height)
{
    return { left, top, left + width - 1, top + height - 1 };
}

bool painted(const Surface& surface, int x, int y) { return surface.pixel(x, y) != 0; }

std::vector<std::uint32_t> layer(const Surface& surface)
{
    const PixelSize size = surface.size();
    return { surface.pixels(), surface.pixels() + std::size_t(size.width) * std::size_t(size.height) };
}

// The painted pixels' bounding box and count.
struct Footprint {
    PixelRect bounds;
    int count = 0;
};

Footprint footprint(const Surface& surface)
{
    Footprint result;
    for (int y = 0; y < surface.size().height; ++y) {
        for (int x = 0; x < surface.size().width; ++x) {
            if (painted(surface, x, y)) {
                PixelRect& b = result.bounds;
                b = result.count == 0 ? rect(x, y, 1, 1)
                                      : PixelRect { std::min(b.left, x), std::min(b.top, y), std::max(b.right, x),
                                            std::max(b.bottom, y) };
                ++result.count;
            }
        }
    }
    return result;
}

class RecordingPresenter : public Presenter {
public:
    std::vector<PixelRect> rects;
    void present(std::span<const PixelRect> deviceRects) override
    {
        rects.insert(rects.end(), deviceRects.begin(), deviceRects.end());
    }
};

} // namespace

TEST(SurfacePSet, widthOneSetsExactlyThePixelHoldingThePoint)
{
    Surface surface(kMaximized);
    ASSERT_EQ(surface.PSet({ 555, 3000 }, kLightRed), SurfaceStatus::Ok);
    const Footprint dot = footprint(surface);
    EXPECT_EQ(dot.count, 1);
    EXPECT_EQ(dot.bounds, rect(37, 200, 1, 1));
    EXPECT_EQ(surface.pixel(37, 200), kOpaqueLightRed);

    // Fifteen twips to a pixel, and a pixel holds [15 i, 15 i + 15).
    ASSERT_EQ(surface.Cls(), SurfaceStatus::Ok);
    ASSERT_EQ(surface.PSet({ 14.99f, 15 }, kLightRed), SurfaceStatus::Ok);
    ASSERT_EQ(surface.PSet({ 30, 29.99f }, kLightRed), SurfaceStatus::Ok);
    EXPECT_TRUE(painted(surface, 0, 1));
    EXPECT_TRUE(painted(surface, 2, 1));
    EXPECT_EQ(footprint(surface).count, 2);

    // The same holds for the pixel a wide dot is centred on.
    for (const int width : { 2, 3 }) {
        ASSERT_EQ(surface.DrawWidth(width), SurfaceStatus::Ok);
        ASSERT_EQ(surface.Cls(), SurfaceStatus::Ok);
        ASSERT_EQ(surface.PSet({ 314.99f, 299.99f }, kLightRed), SurfaceStatus::Ok);
        EXPECT_EQ(footprint(surface).bounds, rect(20 - width / 2, 19 - width / 2, width, width)) << "pen " << width;
    }

    // Every pixel edge, left and right of the origin, at the edge of a wide
    // dot: a point on an edge belongs to the pixel that begins there. The
    // wider dot reaches the layer from the edges left of it. A layer a few
    // rows high holds the dots and is quick to search.
    Surface strip({ kMaximized.width, 24 });
    for (const auto& [width, lastEdge] : { std::pair { 2, 1200 }, std::pair { 3, 2 } }) {
        ASSERT_EQ(strip.DrawWidth(width), SurfaceStatus::Ok);
        for (int edge = -200; edge <= lastEdge; ++edge) {
            ASSERT_EQ(strip.Cls(), SurfaceStatus::Ok);
            ASSERT_EQ(strip.PSet({ 15.0f * edge, 15.0f * 20 }, kLightRed), SurfaceStatus::Ok);
            const int left = edge - width / 2;
            const PixelRect clipped { std::max(left, 0), 20 - width / 2,
                std::min(left + width - 1, kMaximized.width - 1), 20 - width / 2 + width - 1 };
            ASSERT_EQ(footprint(strip).bounds, clipped.isEmpty() ? PixelRect {} : clipped)
                << "pen " << width << ", edge " << edge;
        }
    }
}

// A run of points skips those in the twips of the pixel it painted last:
// twips that convert to that pixel, and at these densities all of them. Its
// first and last float convert to it, the floats just outside do not, and
// what is not a number is in no pixel.
TEST(TwipsSpan, holdsExactlyTheTwipsThatLandInThePixel)
{
    for (const double ratio : { 1.0, 2.0, 1.25, 0.5, 3.0, 0.2795 }) {
        const TwipsToDevicePixels toDevicePixels(ratio);
        const auto landsIn = [&](float twips) { return std::int64_t(toDevicePixels.atOrAboveZero(twips)); };
        for (const std::int64_t pixel : { 0, 1, 2, 37, 533, 1279, 4095, 8191 }) {
            const TwipsToDevicePixels::Span span = toDevicePixels.spanOfPixel(pixel);
            SCOPED_TRACE(testing::Message() << "ratio " << ratio << ", pixel " << pixel);
            EXPECT_EQ(landsIn(span.first), pixel);
            EXPECT_EQ(landsIn(span.last), pixel);
            if (pixel == 0)
                EXPECT_EQ(span.first, 0.0f);
            else
                EXPECT_EQ(landsIn(std::nextafter(span.first, 0.0f)), pixel - 1);
            EXPECT_EQ(landsIn(std::nextafter(span.last, FLT_MAX)), pixel + 1);
            EXPECT_FALSE(span.contains(std::numeric_limits<float>::quiet_NaN()));
        }
    }
    EXPECT_FALSE(TwipsToDevicePixels::Span {}.contains(0.0f));
}

struct DotCase {
    const char* name;
    int width;
    PixelRect bounds; // around the point (3000, 3000) twips, pixel (200, 200)
    int count;
    int tolerance = 0;
};

class SurfaceDot : public ::testing::TestWithParam<DotCase> { };

TEST_P(SurfaceDot, wideDotIsAFilledDiscOfThePenWidth)
{
    const DotCase& dot = GetParam();
    Surface surface(kMaximized);
    ASSERT_EQ(surface.DrawWidth(dot.width), SurfaceStatus::Ok);
    ASSERT_EQ(surface.PSet({ 3000, 3000 }, kLightRed), SurfaceStatus::Ok);
    const Footprint found = footprint(surface);
    EXPECT_EQ(found.bounds, dot.bounds);
    EXPECT_NEAR(found.count, dot.count, dot.tolerance);
    // Filled: every row is one unbroken run, symmetric about the middle.
    const PixelRect& box = found.bounds;
    for (int y = box.top; y <= box.bottom; ++y) {
        int first = -1, last = -1;
        for (int x = box.left; x <= box.right; ++x) {
            if (painted(surface, x, y)) {
                if (first < 0)
                    first = x;
                last = x;
            }
        }
        ASSERT_GE(first, 0) << "row " << y;
        for (int x = first; x <= last; ++x)
            ASSERT_TRUE(painted(surface, x, y)) << x << "," << y;
        EXPECT_EQ(first - box.left, box.right - last) << "row " << y;
    }
}

INSTANTIATE_TEST_SUITE_P(Surface, SurfaceDot,
    ::testing::Values(DotCase { "width1", 1, rect(200, 200, 1, 1), 1 },
        DotCase { "width2", 2, rect(199, 199, 2, 2), 4 }, DotCase { "width3", 3, rect(199, 199, 3, 3), 9 },
        // A disc of diameter 66 covers about pi * 33^2 = 3421 pixels.
        DotCase { "width66", 66, rect(167, 167, 66, 66), 3421, 20 }),
    [](const auto& info) { return std::string(info.param.name); });

TEST(SurfaceDotShape, sixtySixPixelDotIsRound)
{
    Surface surface(kMaximized);
    ASSERT_EQ(surface.DrawWidth(66), SurfaceStatus::Ok);
    ASSERT_EQ(surface.PSet({ 3000, 3000 }, kLightRed), SurfaceStatus::Ok);
    // The corners of its box stay empty, the middle row and column are full.
    EXPECT_FALSE(painted(surface, 167, 167));
    EXPECT_FALSE(painted(surface, 232, 232));
    EXPECT_TRUE(painted(surface, 167, 199));
    EXPECT_TRUE(painted(surface, 232, 200));
    EXPECT_TRUE(painted(surface, 200, 167));
    EXPECT_TRUE(painted(surface, 199, 232));
}

TEST(SurfaceLine, boxOutlineAroundThePanelLeavesItsInsideUnpainted)
{
    Surface surface(kMaximized);
    ASSERT_EQ(surface.DrawWidth(2), SurfaceStatus::Ok);
    ASSERT_EQ(surface.Line({ 40, 40 }, { 11950, 8220 }, QBColor(14), LineShape::BoxOutline), SurfaceStatus::Ok);
    // Corners at pixels (2, 2) and (796, 548); a 2-pixel pen covers the
    // pixel before each edge and the edge itself.
    const Footprint box = footprint(surface);
    EXPECT_EQ(box.bounds, (PixelRect { 1, 1, 796, 548 }));
    EXPECT_EQ(surface.pixel(1, 1), kOpaqueLightYellow);
    EXPECT_TRUE(painted(surface, 2, 2));
    EXPECT_TRUE(painted(surface, 400, 1));
    EXPECT_TRUE(painted(surface, 400, 548));
    EXPECT_TRUE(painted(surface, 795, 300));
    EXPECT_FALSE(painted(surface, 3, 3));
    EXPECT_FALSE(painted(surface, 400, 300));
    EXPECT_FALSE(painted(surface, 794, 546));
    // Four bands two pixels wide: 2 * (796 + 548) * 2 minus the overlaps.
    EXPECT_EQ(box.count, 2 * 2 * 796 + 2 * 2 * 548 - 4 * 4);

    // The corners may come in any order.
    Surface swapped(kMaximized);
    ASSERT_EQ(swapped.DrawWidth(2), SurfaceStatus::Ok);
    ASSERT_EQ(swapped.Line({ 11950, 40 }, { 40, 8220 }, QBColor(14), LineShape::BoxOutline), SurfaceStatus::Ok);
    EXPECT_EQ(layer(swapped), layer(surface));
}

TEST(SurfaceCircle, sunRimIsARingThreePixelsWide)
{
    Surface surface(kMaximized);
    ASSERT_EQ(surface.DrawWidth(3), SurfaceStatus::Ok);
    ASSERT_EQ(surface.Circle({ 8000, 2000 }, 500, QBColor(14)), SurfaceStatus::Ok);
    // Centre on pixel (533, 133), radius 33.3 pixels.
    const double cx = 533.5, cy = 133.5, radius = 500.0 / 15;
    int ringPixels = 0;
    for (int y = 90; y < 180; ++y) {
        for (int x = 490; x < 580; ++x) {
            const double distance = std::hypot(x + 0.5 - cx, y + 0.5 - cy);
            const bool inRing = painted(surface, x, y);
            ringPixels += inRing;
            if (distance < radius - 1.6 || distance > radius + 1.6) {
                ASSERT_FALSE(inRing) << x << "," << y;
            }
            if (distance > radius - 1.4 && distance < radius + 1.4) {
                ASSERT_TRUE(inRing) << x << "," << y;
            }
        }
    }
    // About the circumference times the pen width.
    EXPECT_NEAR(ringPixels, 2 * M_PI * radius * 3, 30);
    EXPECT_FALSE(painted(surface, 533, 133));
}

TEST(SurfaceCircle, radiusZeroIsADotAsWideAsThePen)
{
    Surface circle(kMaximized), dot(kMaximized);
    ASSERT_EQ(circle.DrawWidth(66), SurfaceStatus::Ok);
    ASSERT_EQ(dot.DrawWidth(66), SurfaceStatus::Ok);
    ASSERT_EQ(circle.Circle({ 8000, 2000 }, 0, kLightRed), SurfaceStatus::Ok);
    ASSERT_EQ(dot.PSet({ 8000, 2000 }, kLightRed), SurfaceStatus::Ok);
    EXPECT_EQ(layer(circle), layer(dot));
    EXPECT_EQ(footprint(circle).bounds, rect(500, 100, 66, 66));
}

TEST(SurfaceClipping, pointsAtAndBeyondTheEdgesAreDroppedQuietly)
{
    Surface surface({ 312, 213 });
    // Just inside the last pixel, and just outside on every side.
    ASSERT_EQ(surface.PSet({ 311 * 15 + 14.9f, 212 * 15 + 14.9f }, kLightRed), SurfaceStatus::Ok);
    for (TwipPoint outside :
        { TwipPoint { -0.01f, 10 }, TwipPoint { 10, -0.01f }, TwipPoint { 312 * 15, 10 }, TwipPoint { 10, 213 * 15 },
            TwipPoint { 1e30f, 1e30f }, TwipPoint { -1e30f, 5 }, TwipPoint { std::numeric_limits<float>::max(), 0 } })
        EXPECT_EQ(surface.PSet(outside, kLightRed), SurfaceStatus::Ok);
    EXPECT_EQ(footprint(surface).count, 1);
    EXPECT_TRUE(painted(surface, 311, 212));

    // A wide dot over a corner keeps the part inside.
    ASSERT_EQ(surface.Cls(), SurfaceStatus::Ok);
    ASSERT_EQ(surface.DrawWidth(66), SurfaceStatus::Ok);
    ASSERT_EQ(surface.PSet({ 0, 0 }, kLightRed), SurfaceStatus::Ok);
    EXPECT_EQ(footprint(surface).bounds, rect(0, 0, 33, 33));
    ASSERT_EQ(surface.PSet({ -1e30f, 1e30f }, kLightRed), SurfaceStatus::Ok);
    ASSERT_EQ(surface.Circle({ 1e30f, -1e30f }, 1e30f, kLightRed), SurfaceStatus::Ok);
    ASSERT_EQ(surface.Line({ -1e30f, -1e30f }, { 1e30f, 1e30f }, kLightRed, LineShape::BoxOutline), SurfaceStatus::Ok);
    EXPECT_EQ(footprint(surface).bounds, rect(0, 0, 33, 33));

    // The frame of the second picture lies partly outside a small window.
    ASSERT_EQ(surface.DrawWidth(2), SurfaceStatus::Ok);
    ASSERT_EQ(surface.Line({ 40, 40 }, { 11950, 8220 }, kLightRed, LineShape::BoxOutline), SurfaceStatus::Ok);
    EXPECT_TRUE(painted(surface, 311, 2));

    // Below a wide, short layer and beside a tall, narrow one, nothing lands
    // outside the layer's memory, whatever the pen.
    GuardedMemory memory;
    for (const PixelSize size : { PixelSize { 600, 2 }, PixelSize { 2, 600 }, PixelSize { 1, 1 } }) {
        Surface guarded(size, 1.0, memory);
        for (const int width : { 1, 2, 3, 66 }) {
            ASSERT_EQ(guarded.DrawWidth(width), SurfaceStatus::Ok);
            for (float x = -1500; x < 10000; x += 7.5f) {
                ASSERT_EQ(guarded.PSet({ x, x }, kLightRed), SurfaceStatus::Ok);
                ASSERT_EQ(guarded.PSet({ x, 15 }, kLightRed), SurfaceStatus::Ok);
                ASSERT_EQ(guarded.PSet({ 15, x }, kLightRed), SurfaceStatus::Ok);
            }
            ASSERT_EQ(guarded.Circle({ 15, 15 }, 3000, kLightRed), SurfaceStatus::Ok);
            ASSERT_EQ(
                guarded.Line({ -150, -150 }, { 9000, 9000 }, kLightRed, LineShape::BoxOutline), SurfaceStatus::Ok);
        }
        EXPECT_TRUE(painted(guarded, size.width - 1, size.height - 1));
        EXPECT_TRUE(memory.guardsIntact()) << size.width << " x " << size.height;
    }
}

TEST(SurfaceCls, removesAllPaintingAndKeepsThePenWidth)
{
    Surface surface(kMaximized);
    ASSERT_EQ(surface.DrawWidth(3), SurfaceStatus::Ok);
    ASSERT_EQ(surface.Circle({ 8000, 2000 }, 500, kLightRed), SurfaceStatus::Ok);
    ASSERT_EQ(surface.PSet({ 3000, 3000 }, kLightRed), SurfaceStatus::Ok);
    ASSERT_EQ(surface.Cls(), SurfaceStatus::Ok);
    EXPECT_EQ(footprint(surface).count, 0);
    EXPECT_EQ(surface.drawWidth(), 3);
    // The same dot again is painted again.
    ASSERT_EQ(surface.PSet({ 3000, 3000 }, kLightRed), SurfaceStatus::Ok);
    EXPECT_EQ(footprint(surface).count, 9);
}

TEST(SurfaceDensity, twoDevicePixelsPerLogicalPixelDoubleThePositionsButNotThePen)
{
    Surface surface({ 624, 426 }, 2.0);
    ASSERT_EQ(surface.PSet({ 555, 3000 }, kLightRed), SurfaceStatus::Ok);
    EXPECT_EQ(footprint(surface).bounds, rect(74, 400, 1, 1));

    ASSERT_EQ(surface.Cls(), SurfaceStatus::Ok);
    ASSERT_EQ(surface.DrawWidth(2), SurfaceStatus::Ok);
    ASSERT_EQ(surface.PSet({ 3000, 3000 }, kLightRed), SurfaceStatus::Ok);
    EXPECT_EQ(footprint(surface).bounds, rect(399, 399, 2, 2));

    // One and a half: ten twips a device pixel.
    Surface between({ 468, 320 }, 1.5);
    ASSERT_EQ(between.PSet({ 10 * 101, 10 * 33 + 7 }, kLightRed), SurfaceStatus::Ok);
    EXPECT_EQ(footprint(between).bounds, rect(101, 33, 1, 1));

    // At four thirds a device pixel is 11.25 twips, and a plain product with
    // the rounded factor would put every edge in the pixel before it.
    Surface fourThirds({ 416, 284 }, 4.0 / 3.0);
    for (int edge = 0; edge < 416; ++edge) {
        ASSERT_EQ(fourThirds.Cls(), SurfaceStatus::Ok);
        ASSERT_EQ(fourThirds.PSet({ 11.25f * edge, 11.24f }, kLightRed), SurfaceStatus::Ok);
        ASSERT_EQ(footprint(fourThirds).bounds, rect(edge, 0, 1, 1)) << "edge " << edge;
    }
}

struct BadInput {
    const char* name;
    SurfaceStatus expected;
    std::function<SurfaceStatus(Surface&)> call;
};

class SurfaceBadInput : public ::testing::TestWithParam<BadInput> { };

TEST_P(SurfaceBadInput, isRefusedAndLeavesTheLayerAndPenAsTheyWere)
{
    Surface surface({ 400, 300 });
    ASSERT_EQ(surface.DrawWidth(3), SurfaceStatus::Ok);
    ASSERT_EQ(surface.PSet({ 1500, 1500 }, kLightRed), SurfaceStatus::Ok);
    const std::vector<std::uint32_t> before = layer(surface);
    EXPECT_EQ(GetParam().call(surface), GetParam().expected);
    EXPECT_EQ(layer(surface), before);
    EXPECT_EQ(surface.drawWidth(), 3);
    EXPECT_FALSE(describe(GetParam().expected).empty());
}

namespace {
constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr float kInfinity = std::numeric_limits<float>::infinity();
const Color kYellow = QBColor(14);
} // namespace

INSTANTIATE_TEST_SUITE_P(Surface, SurfaceBadInput,
    ::testing::Values(BadInput { "pointNaN", SurfaceStatus::InvalidCoordinate,
                          [](Surface& s) {
                              return s.PSet({ kNaN, 10 }, kYellow);
                          } },
        BadInput { "pointInfinite", SurfaceStatus::InvalidCoordinate,
            [](Surface& s) {
                return s.PSet({ 10, -kInfinity }, kYellow);
            } },
        BadInput { "pointColourBelowPalette", SurfaceStatus::InvalidColor,
            [](Surface& s) {
                return s.PSet({ 10, 10 }, QBColor(-1));
            } },
        BadInput { "pointColourAbovePalette", SurfaceStatus::InvalidColor,
            [](Surface& s) {
                return s.PSet({ 10, 10 }, QBColor(16));
            } },
        BadInput { "boxNaNCorner", SurfaceStatus::InvalidCoordinate,
            [](Surface& s) {
                return s.Line({ 0, 0 }, { kNaN, 100 }, kYellow, LineShape::BoxOutline);
            } },
        BadInput { "boxInfiniteCorner", SurfaceStatus::InvalidCoordinate,
            [](Surface& s) {
                return s.Line({ kInfinity, 0 }, { 10, 100 }, kYellow, LineShape::BoxOutline);
            } },
        BadInput { "boxColour", SurfaceStatus::InvalidColor,
            [](Surface& s) {
                return s.Line({ 0, 0 }, { 100, 100 }, QBColor(99), LineShape::BoxOutline);
            } },
        BadInput { "circleNaNCentre", SurfaceStatus::InvalidCoordinate,
            [](Surface& s) {
                return s.Circle({ 100, kNaN }, 50, kYellow);
            } },
        BadInput { "circleNegativeRadius", SurfaceStatus::InvalidRadius,
            [](Surface& s) {
                return s.Circle({ 100, 100 }, -1, kYellow);
            } },
        BadInput { "circleNaNRadius", SurfaceStatus::InvalidRadius,
            [](Surface& s) {
                return s.Circle({ 100, 100 }, kNaN, kYellow);
            } },
        BadInput { "circleInfiniteRadius", SurfaceStatus::InvalidRadius,
            [](Surface& s) {
                return s.Circle({ 100, 100 }, kInfinity, kYellow);
            } },
        BadInput { "circleColour", SurfaceStatus::InvalidColor,
            [](Surface& s) {
                return s.Circle({ 100, 100 }, 10, Color::invalid());
            } },
        BadInput { "penWidthZero", SurfaceStatus::InvalidPenWidth, [](Surface& s) { return s.DrawWidth(0); } },
        BadInput { "penWidthNegative", SurfaceStatus::InvalidPenWidth, [](Surface& s) { return s.DrawWidth(-66); } },
        BadInput { "penWidthBeyondTheLayer", SurfaceStatus::InvalidPenWidth,
            [](Surface& s) { return s.DrawWidth(Surface::kMaxDrawWidth + 1); } }),
    [](const auto& info) { return std::string(info.param.name); });

TEST(SurfaceFault, checkpointFailsExactlyTheChosenOperationOnce)
{
    Surface surface({ 400, 300 });
    FailingCheckpoint third(3);
    surface.setCheckpoint(&third);
    EXPECT_EQ(surface.PSet({ 15, 15 }, kLightRed), SurfaceStatus::Ok);
    EXPECT_EQ(surface.DrawWidth(2), SurfaceStatus::Ok);
    EXPECT_EQ(surface.PSet({ 150, 150 }, kLightRed), SurfaceStatus::DeviceFailure);
    EXPECT_FALSE(painted(surface, 9, 9));
    EXPECT_EQ(surface.PSet({ 150, 150 }, kLightRed), SurfaceStatus::Ok);
    EXPECT_TRUE(painted(surface, 9, 9));

    // Far past the presenting clock's own count.
    FailingCheckpoint later(5000);
    surface.setCheckpoint(&later);
    for (int i = 1; i < 5000; ++i)
        ASSERT_EQ(surface.PSet({ 15, 15 }, kLightRed), SurfaceStatus::Ok) << i;
    EXPECT_EQ(surface.Cls(), SurfaceStatus::DeviceFailure);
    EXPECT_TRUE(painted(surface, 9, 9));
    EXPECT_EQ(surface.Cls(), SurfaceStatus::Ok);
    surface.setCheckpoint(nullptr);
}

TEST(SurfacePresenting, presenterGetsTheBoundsOfWhatChanged)
{
    Surface surface(kMaximized);
    RecordingPresenter presenter;
    surface.setPresenter(&presenter);
    surface.present();
    EXPECT_TRUE(presenter.rects.empty()) << "nothing changed, nothing to show";

    ASSERT_EQ(surface.PSet({ 555, 3000 }, kLightRed), SurfaceStatus::Ok);
    ASSERT_EQ(surface.PSet({ 1500, 1515 }, kLightRed), SurfaceStatus::Ok);
    surface.present();
    ASSERT_EQ(presenter.rects.size(), 1u);
    EXPECT_EQ(presenter.rects[0], (PixelRect { 37, 101, 100, 200 }));

    ASSERT_EQ(surface.DrawWidth(3), SurfaceStatus::Ok);
    ASSERT_EQ(surface.PSet({ 3000, 3000 }, kLightRed), SurfaceStatus::Ok);
    surface.present();
    ASSERT_EQ(presenter.rects.size(), 2u);
    EXPECT_EQ(presenter.rects[1], rect(199, 199, 3, 3));

    // A box outline shows as its four edges, not as all it encloses. An
    // earlier box not yet shown joins the rest.
    presenter.rects.clear();
    ASSERT_EQ(surface.DrawWidth(2), SurfaceStatus::Ok);
    ASSERT_EQ(surface.Line({ 150, 150 }, { 450, 300 }, kLightRed, LineShape::BoxOutline), SurfaceStatus::Ok);
    ASSERT_EQ(surface.Line({ 40, 40 }, { 11950, 8220 }, kLightRed, LineShape::BoxOutline), SurfaceStatus::Ok);
    ASSERT_EQ(surface.PSet({ 3000, 3000 }, kLightRed), SurfaceStatus::Ok);
    surface.present();
    EXPECT_EQ(presenter.rects,
        (std::vector<PixelRect> {
            { 1, 1, 796, 2 }, { 1, 547, 796, 548 }, { 1, 1, 2, 548 }, { 795, 1, 796, 548 }, { 9, 9, 200, 200 } }));

    // Within what the points painted, the edges show with them.
    presenter.rects.clear();
    ASSERT_EQ(surface.Line({ 150, 150 }, { 450, 300 }, kLightRed, LineShape::BoxOutline), SurfaceStatus::Ok);
    ASSERT_EQ(surface.PSet({ 0, 0 }, kLightRed), SurfaceStatus::Ok);
    ASSERT_EQ(surface.PSet({ 600, 600 }, kLightRed), SurfaceStatus::Ok);
    surface.present();
    EXPECT_EQ(presenter.rects, (std::vector<PixelRect> { { 0, 0, 40, 40 } }));
}

// A clock that moves one millisecond each time it is read stands in for a
// picture that takes long enough to be watched.
TEST(SurfacePresenting, paintingShowsWhileAPictureRuns)
{
    Surface surface(kMaximized);
    std::chrono::steady_clock::time_point now {};
    PresentingCheckpoint clock([&now] { return now += std::chrono::milliseconds(1); });
    surface.setCheckpoint(&clock);

    struct Shown {
        bool frame;
        bool water;
    };
    std::vector<Shown> shown;
    class WatchingPresenter : public Presenter {
    public:
        std::function<void()> watch;
        void present(std::span<const PixelRect>) override { watch(); }
    } presenter;
    presenter.watch = [&] { shown.push_back({ painted(surface, 1, 300), painted(surface, 500, 406) }); };
    surface.setPresenter(&presenter);

    CmdGsls_Click(surface);
    // About every 16 x 1024 of its million operations.
    ASSERT_GE(shown.size(), 50u);
    EXPECT_TRUE(shown.front().frame);
    EXPECT_FALSE(shown.front().water) << "the first present came only once the water was painted";
    EXPECT_TRUE(shown.back().water);
    surface.setCheckpoint(nullptr);
}

TEST(SurfaceLayer, eraseAndResizeDropThePaintingThereOnlyAndShrinkKeepsIt)
{
    Surface surface({ 400, 300 });
    ASSERT_EQ(surface.DrawWidth(2), SurfaceStatus::Ok);
    ASSERT_EQ(surface.Line({ 150, 150 }, { 4500, 3000 }, kLightRed, LineShape::BoxOutline), SurfaceStatus::Ok);
    surface.erase(rect(0, 0, 100, 100));
    EXPECT_FALSE(painted(surface, 50, 10));
    EXPECT_TRUE(painted(surface, 150, 10));
    EXPECT_TRUE(painted(surface, 300, 200));
    ASSERT_EQ(surface.PSet({ 150, 150 }, kLightRed), SurfaceStatus::Ok);
    surface.erase(rect(-50, -50, 10000, 10000));
    EXPECT_EQ(footprint(surface).count, 0);
    // A dot that was dropped is painted again when repeated.
    ASSERT_EQ(surface.PSet({ 150, 150 }, kLightRed), SurfaceStatus::Ok);
    EXPECT_TRUE(painted(surface, 10, 10));

    // Made smaller, the layer keeps what stays on it, pixel for pixel,
    // presented or not, with nothing left over from the rows it moved, and a
    // clear then finds all of it.
    ASSERT_EQ(surface.Line({ 150, 150 }, { 4500, 3000 }, kLightRed, LineShape::BoxOutline), SurfaceStatus::Ok);
    surface.present();
    ASSERT_EQ(surface.PSet({ 3000, 1500 }, kLightRed), SurfaceStatus::Ok);
    const std::vector<std::uint32_t> before = layer(surface);
    surface.shrink({ 250, 290 });
    ASSERT_EQ(surface.size(), (PixelSize { 250, 290 }));
    int differing = 0;
    for (int y = 0; y < 290; ++y)
        for (int x = 0; x < 250; ++x)
            differing += surface.pixel(x, y) != before[std::size_t(y) * 400 + std::size_t(x)];
    EXPECT_EQ(differing, 0);
    EXPECT_TRUE(painted(surface, 10, 100));
    EXPECT_TRUE(painted(surface, 200, 10));
    EXPECT_TRUE(painted(surface, 200, 100));
    ASSERT_EQ(surface.Cls(), SurfaceStatus::Ok);
    EXPECT_EQ(footprint(surface).count, 0);

    surface.resize({ 800, 600 }, 1.0);
    EXPECT_EQ(surface.size(), (PixelSize { 800, 600 }));
    EXPECT_EQ(footprint(surface).count, 0);
    EXPECT_EQ(surface.drawWidth(), 2);
    ASSERT_EQ(surface.PSet({ 150, 150 }, kLightRed), SurfaceStatus::Ok);
    EXPECT_TRUE(painted(surface, 10, 10));

    // A window stretched past any screen keeps a bounded layer.
    surface.resize({ 100000, 3 }, 1.0);
    EXPECT_EQ(surface.size(), (PixelSize { Surface::kMaxLayerSide, 3 }));
    ASSERT_EQ(surface.PSet({ 15.0f * (Surface::kMaxLayerSide - 1), 15 }, kLightRed), SurfaceStatus::Ok);
    EXPECT_TRUE(painted(surface, Surface::kMaxLayerSide - 1, 1));
    surface.resize({ -5, 10 }, std::numeric_limits<double>::quiet_NaN());
    EXPECT_EQ(surface.size(), (PixelSize { 0, 10 }));
    EXPECT_EQ(surface.devicePixelRatio(), 1.0);

    // An empty layer takes every operation and paints nothing.
    surface.resize({ 0, 0 }, 1.0);
    EXPECT_EQ(surface.PSet({ 0, 0 }, kLightRed), SurfaceStatus::Ok);
    EXPECT_EQ(surface.Circle({ 0, 0 }, 100, kLightRed), SurfaceStatus::Ok);
    EXPECT_EQ(surface.Cls(), SurfaceStatus::Ok);
}

// A layer's memory is never cleared in full, so what it held before must not
// show through in a fresh layer, nor around the painting a shrink keeps.
TEST(SurfaceLayer, freshLayersShowNoOldPainting)
{
    Surface surface({ 400, 300 });
    const auto paintAllOver = [&surface] {
        ASSERT_EQ(surface.DrawWidth(66), SurfaceStatus::Ok);
        for (int y = 0; y < 300; y += 30)
            for (int x = 0; x < 400; x += 30)
                ASSERT_EQ(surface.PSet({ x * 15.0f, y * 15.0f }, kLightRed), SurfaceStatus::Ok);
    };
    paintAllOver();
    surface.resize({ 400, 300 }, 1.0);
    EXPECT_EQ(footprint(surface).count, 0) << "a fresh layer";
    paintAllOver();
    surface.resize({ 400, 300 }, 1.0);
    ASSERT_EQ(surface.DrawWidth(1), SurfaceStatus::Ok);
    ASSERT_EQ(surface.PSet({ 15, 15 }, kLightRed), SurfaceStatus::Ok);
    surface.shrink({ 350, 280 });
    EXPECT_EQ(footprint(surface).count, 1) << "a shrunk layer";
}

TEST(SurfaceLayer, withoutMemoryTheLayerIsEmptyAndTheSurfaceStillWorks)
{
    GuardedMemory memory;
    Surface surface({ 40, 30 }, 1.0, memory);
    memory.refuses = true;
    surface.resize({ 400, 300 }, 1.0);
    EXPECT_EQ(surface.size(), (PixelSize { 0, 0 }));
    EXPECT_EQ(surface.PSet({ 150, 150 }, kLightRed), SurfaceStatus::Ok);
    EXPECT_EQ(surface.Cls(), SurfaceStatus::Ok);
    memory.refuses = false;
    surface.resize({ 400, 300 }, 1.0);
    ASSERT_EQ(surface.PSet({ 150, 150 }, kLightRed), SurfaceStatus::Ok);
    EXPECT_TRUE(painted(surface, 10, 10));
}

// A run of points set by PSetEach, against the same points set by PSet one
// after another: the same status, pixels and presents, and the operations
// counted alike, so that a checkpoint chosen past the run still fails exactly
// the operation it chose.
struct PointRun {
    const char* name;
    int pen;
    Color color;
    // The operation the checkpoint fails, counted from the run's first point;
    // 0 for the presenting checkpoint, on a clock that has it present at each
    // of its stops.
    std::int64_t failingOperation;
    // The point at which pointAt raises a run-time error, if any.
    int raisesAt;
};

class SurfacePSetEach : public testing::TestWithParam<PointRun> { };

TEST_P(SurfacePSetEach, setsWhatPSetSetsOneAfterAnother)
{
    const PointRun& run = GetParam();
    constexpr int kPoints = 3000;
    // Along a slope, several points to a pixel, some off the layer, and one
    // that is no number.
    const auto pointAt = [&](int i) {
        if (i == run.raisesAt)
            raiseRunTimeError(FloatingPointFault::Overflow);
        if (i == 2500)
            return TwipPoint { kNaN, 10 };
        return TwipPoint { float(i) * 2.5f - 100, float(i) * 1.5f };
    };
    struct Outcome {
        SurfaceStatus status = SurfaceStatus::Ok;
        bool raised = false;
        std::vector<std::uint32_t> pixels;
        std::vector<PixelRect> presents;
        int failingPSetAfter = -1;
    };
    const auto paint = [&](bool inOneRun) {
        Surface surface({ 400, 300 });
        RecordingPresenter presenter;
        surface.setPresenter(&presenter);
        EXPECT_EQ(surface.DrawWidth(run.pen), SurfaceStatus::Ok);
        FailingCheckpoint failing(run.failingOperation);
        std::chrono::steady_clock::time_point now {};
        PresentingCheckpoint presenting([&now] { return now += std::chrono::milliseconds(20); });
        if (run.failingOperation > 0)
            surface.setCheckpoint(&failing);
        else
            surface.setCheckpoint(&presenting);
        Outcome outcome;
        try {
            if (inOneRun) {
                outcome.status = PSetEach(surface, steppedRange(0, kPoints - 1, 1), run.color, pointAt);
            } else {
                for (int i = 0; i < kPoints && outcome.status == SurfaceStatus::Ok; ++i)
                    outcome.status = surface.PSet(pointAt(i), run.color);
            }
        } catch (const RunTimeError&) {
            outcome.raised = true;
        }
        surface.present();
        outcome.pixels = layer(surface);
        outcome.presents = presenter.rects;
        for (int i = 0; i < 5000 && outcome.failingPSetAfter < 0; ++i) {
            if (surface.PSet({ 15, 15 }, kLightRed) == SurfaceStatus::DeviceFailure)
                outcome.failingPSetAfter = i;
        }
        surface.setCheckpoint(nullptr);
        return outcome;
    };
    const Outcome expected = paint(false);
    const Outcome actual = paint(true);
    EXPECT_EQ(actual.status, expected.status);
    EXPECT_EQ(actual.raised, expected.raised);
    EXPECT_TRUE(actual.pixels == expected.pixels);
    EXPECT_EQ(actual.presents, expected.presents);
    EXPECT_EQ(actual.failingPSetAfter, expected.failingPSetAfter);
}

INSTANTIATE_TEST_SUITE_P(Surface, SurfacePSetEach,
    testing::Values(PointRun { "presentingAtEachStop", 1, kLightRed, 0, -1 },
        PointRun { "wideDotsPresentingAtEachStop", 3, kLightRed, 0, -1 },
        PointRun { "failingWithinTheRun", 1, kLightRed, 1500, -1 },
        PointRun { "failingAtItsFirstPoint", 2, kLightRed, 1, -1 },
        PointRun { "failingAfterTheRunEndedByNoNumber", 1, kLightRed, 4000, -1 },
        PointRun { "failingAfterARaisedError", 3, kLightRed, 3100, 2000 },
        PointRun { "noColour", 1, Color::invalid(), 10, -1 },
        PointRun { "noColourAndAFirstPointThatRaises", 1, Color::invalid(), 10, 0 }),
    [](const auto& info) { return std::string(info.param.name); });
