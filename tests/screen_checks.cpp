#include "screen_checks.h"

#include <initializer_list>

Rgb colorAt(const QImage& image, QPoint point)
{
    if (!image.rect().contains(point))
        return { -1, -1, -1 };
    return rgbOf(image.pixel(point));
}

int countColor(const QImage& image, const QRect& rect, Rgb color)
{
    int count = 0;
    const QRect inside = rect.intersected(image.rect());
    for (int y = inside.top(); y <= inside.bottom(); ++y) {
        for (int x = inside.left(); x <= inside.right(); ++x)
            count += rgbOf(image.pixel(x, y)) == color;
    }
    return count;
}

testing::AssertionResult hasColorNear(const QImage& image, QPoint point, Rgb color, int tolerance)
{
    testing::AssertionResult failure = testing::AssertionFailure();
    failure << "expected " << color << " within " << tolerance << " px of (" << point.x() << "," << point.y()
            << "), found";
    for (int dy = -tolerance; dy <= tolerance; ++dy) {
        for (int dx = -tolerance; dx <= tolerance; ++dx) {
            const Rgb found = colorAt(image, point + QPoint(dx, dy));
            if (found == color)
                return testing::AssertionSuccess();
            failure << " " << found;
        }
    }
    return failure;
}

namespace {

// Whether the spot's pixel shows the colour, or one at most `tolerance`
// pixels away.
testing::AssertionResult shows(const QImage& client, Spot spot, Rgb color, double ratio, int tolerance)
{
    return hasColorNear(client, pixelPoint(spot.x, spot.y, ratio), color, tolerance)
        << " for (" << spot.x << ", " << spot.y << ") twips";
}

constexpr int kNear = 1;
constexpr int kExactly = 0;

} // namespace

void expectMountainsAndWater(const QImage& client, double ratio)
{
    using namespace mountainsAndWater;
    // The frame's sides, with the margin's dark green four pixels beside them.
    constexpr double kBeside = 60;
    for (const double y : { 900.0, 3750.0, 7500.0 }) {
        for (const double x : { kBoxFrom.x, kBoxTo.x }) {
            EXPECT_TRUE(shows(client, { x, y }, colors::kLightYellow, ratio, kNear)) << "frame";
            EXPECT_TRUE(shows(client, { x + kBeside, y }, colors::kDarkGreen, ratio, kExactly)) << "beside the frame";
        }
    }
    for (const double x : { 900.0, 6000.0, 11700.0 }) {
        for (const double y : { kBoxFrom.y, kBoxTo.y })
            EXPECT_TRUE(shows(client, { x, y }, colors::kLightYellow, ratio, kNear)) << "frame";
        EXPECT_TRUE(shows(client, { x, kBoxTo.y + kBeside }, colors::kDarkGreen, ratio, kExactly)) << "below the frame";
    }

    for (const Spot spot : kOnLine)
        EXPECT_TRUE(shows(client, spot, colors::kLightCyan, ratio, kNear)) << "mountain line";
    for (const Spot spot : { kFirstPoint, kLastPoint })
        EXPECT_TRUE(shows(client, spot, colors::kLightCyan, ratio, kNear)) << "end of the mountain line";
    for (const Spot spot : kClearOfLine)
        EXPECT_TRUE(shows(client, spot, colors::kBlack, ratio, kExactly)) << "clear of the mountain line";

    for (const WaterRun& run : kWaterRuns) {
        const double y = run.y, middle = (run.x1 + run.x2) / 2.0;
        for (const double x : { run.x1 + 30.0, middle, run.x2 - 30.0 })
            EXPECT_TRUE(shows(client, { x, y }, colors::kLightGreen, ratio, kNear)) << "water run";
        for (const Spot spot : { Spot { run.x1 - 90.0, y }, Spot { run.x2 + 90.0, y }, Spot { middle, y - 150 },
                 Spot { middle, y + 150 } })
            EXPECT_TRUE(shows(client, spot, colors::kBlack, ratio, kExactly)) << "clear of the water run";
    }
}

void expectGoldenAvenue(const QImage& client, double ratio)
{
    using namespace goldenAvenue;
    // The core: a dot 66 pixels across on the pixel corner of the sun's
    // centre, whatever the density.
    const QPoint centre = pixelPoint(kSun.x, kSun.y, ratio);
    for (int dy = -30; dy <= 30; dy += 6) {
        for (int dx = -30; dx <= 30; dx += 6) {
            if (dx * dx + dy * dy <= 30 * 30) {
                EXPECT_EQ(colorAt(client, centre + QPoint(dx, dy)), colors::kLightRed) << "core " << dx << "," << dy;
            }
        }
    }
    EXPECT_NEAR(countColor(client, QRect(centre.x() - 40, centre.y(), 80, 1), colors::kLightRed), kCorePixels, 1)
        << "core width";
    EXPECT_NEAR(countColor(client, QRect(centre.x(), centre.y() - 40, 1, 80), colors::kLightRed), kCorePixels, 1)
        << "core height";

    for (const Spot spot : kRim)
        EXPECT_TRUE(shows(client, spot, colors::kLightYellow, ratio, kNear)) << "rim";
    for (const Spot spot : kInsideRays)
        EXPECT_TRUE(shows(client, spot, colors::kBlack, ratio, kExactly)) << "between the rim and the rays";
    for (const Spot spot : kOnRays)
        EXPECT_TRUE(shows(client, spot, colors::kLightYellow, ratio, kNear)) << "ray";
    for (const Spot spot : kClearOfRays)
        EXPECT_TRUE(shows(client, spot, colors::kBlack, ratio, kExactly)) << "clear of the rays";
    for (const Spot spot : kOnLargeArch)
        EXPECT_TRUE(shows(client, spot, colors::kMagenta, ratio, kNear)) << "large arch";
    EXPECT_TRUE(shows(client, kAboveLargeArch, colors::kBlack, ratio, kExactly)) << "above the large arch";
    for (const int cx : kSmallArchCenters) {
        for (const Spot spot : kOnSmallArch)
            EXPECT_TRUE(shows(client, { cx + spot.x, spot.y }, colors::kLightYellow, ratio, kNear)) << "small arch";
        EXPECT_TRUE(shows(client, { cx + kUnderSmallArch.x, kUnderSmallArch.y }, colors::kBlack, ratio, kExactly))
            << "under the small arch";
    }
}
