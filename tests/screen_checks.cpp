#include "screen_checks.h"

#include <algorithm>

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

double mountainY(double x) { return 3000 - (std::sin(x / 333) * 0.4) * x; }

// Candidate pixels around a point of a figure that lie at least `clearance`
// pixels from every point of it; they must be black inside the panel.
std::vector<QPoint> clearNeighbours(QPoint around, const std::vector<QPointF>& figure, double clearance)
{
    std::vector<QPoint> clear;
    for (const QPoint offset : { QPoint(0, -10), QPoint(0, 10), QPoint(-10, 0), QPoint(10, 0) }) {
        const QPoint candidate = around + offset;
        const QPointF centre(candidate.x() + 0.5, candidate.y() + 0.5);
        double nearest = 1e9;
        for (const QPointF& point : figure)
            nearest = std::min(nearest, std::hypot(point.x() - centre.x(), point.y() - centre.y()));
        if (nearest >= clearance)
            clear.push_back(candidate);
    }
    return clear;
}

} // namespace

void expectMountainsAndWater(const QImage& client, double ratio)
{
    auto pixel = [ratio](double x, double y) { return pixelPoint(x, y, ratio); };
    // The frame: corners (40, 40) and (11950, 8220), in the margin.
    const int frameLeft = pixelFromTwips(40, ratio);
    const int frameTop = pixelFromTwips(40, ratio);
    const int frameRight = pixelFromTwips(layout::kNeededWidth, ratio);
    const int frameBottom = pixelFromTwips(layout::kNeededHeight, ratio);
    for (const int row : { 60, 250, 500 }) {
        const int y = int(row * ratio);
        EXPECT_TRUE(hasColorNear(client, { frameLeft, y }, colors::kLightYellow, 1)) << "frame, left side";
        EXPECT_TRUE(hasColorNear(client, { frameRight, y }, colors::kLightYellow, 1)) << "frame, right side";
        EXPECT_EQ(colorAt(client, { frameRight + 4, y }), colors::kDarkGreen) << "outside the frame, row " << y;
        EXPECT_EQ(colorAt(client, { frameLeft + 4, y }), colors::kDarkGreen) << "inside the frame, row " << y;
    }
    for (const int column : { 60, 400, 780 }) {
        const int x = int(column * ratio);
        EXPECT_TRUE(hasColorNear(client, { x, frameTop }, colors::kLightYellow, 1)) << "frame, top side";
        EXPECT_TRUE(hasColorNear(client, { x, frameBottom }, colors::kLightYellow, 1)) << "frame, bottom side";
        EXPECT_EQ(colorAt(client, { x, frameBottom + 4 }), colors::kDarkGreen) << "below the frame, column " << x;
    }

    // The mountain line, from x = 555 to just short of 5555.
    std::vector<QPointF> line;
    for (double x = 555; x < 5555; x += 2)
        line.push_back({ x * ratio / 15, mountainY(x) * ratio / 15 });
    for (const double x : { 600.0, 1200.0, 2000.0, 2800.0, 3600.0, 4400.0, 5000.0, 5500.0 }) {
        const QPoint point = pixel(x, mountainY(x));
        EXPECT_TRUE(hasColorNear(client, point, colors::kLightCyan, 1)) << "mountains at x = " << x;
        for (const QPoint clear : clearNeighbours(point, line, 6))
            EXPECT_EQ(colorAt(client, clear), colors::kBlack) << "off the mountain line near x = " << x;
    }
    EXPECT_EQ(colorAt(client, pixel(555 - 150, mountainY(555))), colors::kBlack) << "left of the line";
    EXPECT_EQ(colorAt(client, pixel(5555 + 150, mountainY(5555))), colors::kBlack) << "right of the line";

    // The water: for k = 4 … 1, y = 7300 - 300k from 8350 - 800k to just
    // short of 8350 + 800k.
    for (int k = 4; k >= 1; --k) {
        const int y = 7300 - 300 * k;
        const int x1 = 8350 - 800 * k;
        const int x2 = 8350 + 800 * k;
        SCOPED_TRACE(testing::Message() << "water run at y = " << y);
        for (const double x : { x1 + 30.0, (x1 + x2) / 2.0, x2 - 30.0 })
            EXPECT_TRUE(hasColorNear(client, pixel(x, y), colors::kLightGreen, 1)) << "x = " << x;
        EXPECT_EQ(colorAt(client, pixel(x1 - 90, y)), colors::kBlack) << "left of the run";
        EXPECT_EQ(colorAt(client, pixel(x2 + 90, y)), colors::kBlack) << "right of the run";
        EXPECT_EQ(colorAt(client, pixel((x1 + x2) / 2.0, y - 150)), colors::kBlack) << "above the run";
        EXPECT_EQ(colorAt(client, pixel((x1 + x2) / 2.0, y + 150)), colors::kBlack) << "below the run";
    }
}

void expectGoldenAvenue(const QImage& client, double ratio)
{
    auto pixel = [ratio](double x, double y) { return pixelPoint(x, y, ratio); };
    // The core: a dot 66 pixels across on the pixel corner of (8000, 2000).
    const QPoint centre = pixel(8000, 2000);
    for (int dy = -30; dy <= 30; dy += 6) {
        for (int dx = -30; dx <= 30; dx += 6) {
            if (std::hypot(dx, dy) <= 30) {
                EXPECT_EQ(colorAt(client, centre + QPoint(dx, dy)), colors::kLightRed) << "core " << dx << "," << dy;
            }
        }
    }
    EXPECT_NEAR(countColor(client, QRect(centre.x() - 40, centre.y(), 80, 1), colors::kLightRed), 66, 1)
        << "core width";
    EXPECT_NEAR(countColor(client, QRect(centre.x(), centre.y() - 40, 1, 80), colors::kLightRed), 66, 1)
        << "core height";

    // The rim, radius 500, shows just outside the core; between the rim and
    // the rays' start at radius 666 the panel stays black.
    const double twipsPerPixel = 15 / ratio;
    for (const double angle : { 0.4, 1.9, 3.5, 5.1 }) {
        const double rim = 500 + twipsPerPixel;
        EXPECT_TRUE(hasColorNear(
            client, pixel(8000 + std::cos(angle) * rim, 2000 - std::sin(angle) * rim), colors::kLightYellow, 1))
            << "rim at angle " << angle;
        const double gap = 590;
        EXPECT_EQ(colorAt(client, pixel(8000 + std::cos(angle) * gap, 2000 - std::sin(angle) * gap)), colors::kBlack)
            << "between rim and rays at angle " << angle;
    }

    // The rays at t = 3.14 - n × 0.19625, from radius 666 to 1800.
    const double step = -6.28 / 32;
    double t = 3.14;
    for (int n = 0; n < 32; ++n, t += step) {
        if (n % 3 != 0)
            continue;
        SCOPED_TRACE(testing::Message() << "ray " << n << ", t = " << t);
        for (const double r : { 700.0, 1200.0, 1780.0 }) {
            EXPECT_TRUE(
                hasColorNear(client, pixel(8000 + std::cos(t) * r, 2000 - std::sin(t) * r), colors::kLightYellow, 1))
                << "r = " << r;
        }
        const double between = t + step / 2;
        EXPECT_EQ(
            colorAt(client, pixel(8000 + std::cos(between) * 1700, 2000 - std::sin(between) * 1700)), colors::kBlack)
            << "between two rays";
        // Rays pointing up end close to the panel's outline.
        const QPoint beyond = pixel(8000 + std::cos(t) * 1850, 2000 - std::sin(t) * 1850);
        if (beyond.y() >= pixelFromTwips(layout::kPanel.top, ratio) + layout::kOutlinePixels) {
            EXPECT_EQ(colorAt(client, beyond), colors::kBlack) << "beyond the ray's end";
        }
    }

    // The large arch: x = cos(t) × 3450 + 8350, y = 6000 - sin(t) × 1400.
    EXPECT_TRUE(hasColorNear(client, pixel(8350, 4600), colors::kMagenta, 1)) << "top of the large arch";
    for (const double angle : { 2.9, 2.4, 1.2, 0.6 }) {
        EXPECT_TRUE(hasColorNear(
            client, pixel(std::cos(angle) * 3450 + 8350, 6000 - std::sin(angle) * 1400), colors::kMagenta, 1))
            << "large arch at t = " << angle;
    }
    EXPECT_EQ(colorAt(client, pixel(8350, 4450)), colors::kBlack) << "above the large arch";

    // The six small arches: x = cx + cos(t) × 400, y = 5900 - sin(t) × 600.
    for (int cx = 6350; cx <= 10350; cx += 800) {
        SCOPED_TRACE(testing::Message() << "small arch at cx = " << cx);
        EXPECT_TRUE(hasColorNear(client, pixel(cx, 5300), colors::kLightYellow, 1)) << "top";
        for (const double angle : { 2.6, 0.5 }) {
            EXPECT_TRUE(hasColorNear(
                client, pixel(cx + std::cos(angle) * 400, 5900 - std::sin(angle) * 600), colors::kLightYellow, 1))
                << "t = " << angle;
        }
        EXPECT_EQ(colorAt(client, pixel(cx, 5650)), colors::kBlack) << "under the arch";
    }
}
