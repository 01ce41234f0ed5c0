#include "picture_expectations.h"

#include "screen_expectations.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

double mountainY(double x) { return 3000 - (std::sin(x / 333) * 0.4) * x; }

QPointF exactPixel(double x, double y) { return { x / 15.0, y / 15.0 }; }

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

void expectMountainsAndWater(const QImage& client)
{
    // The frame: corners (40, 40) and (11950, 8220), in the margin.
    const int frameLeft = pixelFromTwips(40);
    const int frameTop = pixelFromTwips(40);
    const int frameRight = pixelFromTwips(11950);
    const int frameBottom = pixelFromTwips(8220);
    for (const int y : { 60, 250, 500 }) {
        EXPECT_TRUE(hasColorNear(client, { frameLeft, y }, colors::kLightYellow, 1)) << "frame, left side";
        EXPECT_TRUE(hasColorNear(client, { frameRight, y }, colors::kLightYellow, 1)) << "frame, right side";
        EXPECT_EQ(colorAt(client, { frameRight + 4, y }), colors::kDarkGreen) << "outside the frame, row " << y;
        EXPECT_EQ(colorAt(client, { frameLeft + 4, y }), colors::kDarkGreen) << "inside the frame, row " << y;
    }
    for (const int x : { 60, 400, 780 }) {
        EXPECT_TRUE(hasColorNear(client, { x, frameTop }, colors::kLightYellow, 1)) << "frame, top side";
        EXPECT_TRUE(hasColorNear(client, { x, frameBottom }, colors::kLightYellow, 1)) << "frame, bottom side";
        EXPECT_EQ(colorAt(client, { x, frameBottom + 4 }), colors::kDarkGreen) << "below the frame, column " << x;
    }

    // The mountain line, from x = 555 to just short of 5555.
    std::vector<QPointF> line;
    for (double x = 555; x < 5555; x += 2)
        line.push_back(exactPixel(x, mountainY(x)));
    for (const double x : { 600.0, 1200.0, 2000.0, 2800.0, 3600.0, 4400.0, 5000.0, 5500.0 }) {
        const QPoint point = pixelFromTwips(x, mountainY(x));
        EXPECT_TRUE(hasColorNear(client, point, colors::kLightCyan, 1)) << "mountains at x = " << x;
        for (const QPoint clear : clearNeighbours(point, line, 6))
            EXPECT_EQ(colorAt(client, clear), colors::kBlack) << "off the mountain line near x = " << x;
    }
    EXPECT_EQ(colorAt(client, pixelFromTwips(555 - 150, mountainY(555))), colors::kBlack) << "left of the line";
    EXPECT_EQ(colorAt(client, pixelFromTwips(5555 + 150, mountainY(5555))), colors::kBlack) << "right of the line";

    // The water: for k = 4 … 1, y = 7300 - 300k from 8350 - 800k to just
    // short of 8350 + 800k.
    for (int k = 4; k >= 1; --k) {
        const int y = 7300 - 300 * k;
        const int x1 = 8350 - 800 * k;
        const int x2 = 8350 + 800 * k;
        SCOPED_TRACE(testing::Message() << "water run at y = " << y);
        for (const double x : { x1 + 30.0, (x1 + x2) / 2.0, x2 - 30.0 })
            EXPECT_TRUE(hasColorNear(client, pixelFromTwips(x, y), colors::kLightGreen, 1)) << "x = " << x;
        EXPECT_EQ(colorAt(client, pixelFromTwips(x1 - 90, y)), colors::kBlack) << "left of the run";
        EXPECT_EQ(colorAt(client, pixelFromTwips(x2 + 90, y)), colors::kBlack) << "right of the run";
        EXPECT_EQ(colorAt(client, pixelFromTwips((x1 + x2) / 2.0, y - 150)), colors::kBlack) << "above the run";
        EXPECT_EQ(colorAt(client, pixelFromTwips((x1 + x2) / 2.0, y + 150)), colors::kBlack) << "below the run";
    }
}

void expectGoldenAvenue(const QImage& client)
{
    // The core: a dot 66 pixels across on the pixel corner of (8000, 2000).
    const QPoint centre = pixelFromTwips(8000, 2000);
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
    const double twipsPerPixel = 15;
    for (const double angle : { 0.4, 1.9, 3.5, 5.1 }) {
        const double rim = 500 + twipsPerPixel;
        EXPECT_TRUE(hasColorNear(client, pixelFromTwips(8000 + std::cos(angle) * rim, 2000 - std::sin(angle) * rim),
            colors::kLightYellow, 1))
            << "rim at angle " << angle;
        const double gap = 590;
        EXPECT_EQ(
            colorAt(client, pixelFromTwips(8000 + std::cos(angle) * gap, 2000 - std::sin(angle) * gap)), colors::kBlack)
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
            EXPECT_TRUE(hasColorNear(
                client, pixelFromTwips(8000 + std::cos(t) * r, 2000 - std::sin(t) * r), colors::kLightYellow, 1))
                << "r = " << r;
        }
        const double between = t + step / 2;
        EXPECT_EQ(colorAt(client, pixelFromTwips(8000 + std::cos(between) * 1700, 2000 - std::sin(between) * 1700)),
            colors::kBlack)
            << "between two rays";
        // Rays pointing up end close to the panel's outline.
        const QPoint beyond = pixelFromTwips(8000 + std::cos(t) * 1850, 2000 - std::sin(t) * 1850);
        if (beyond.y() >= pixelFromTwips(kPanelTop) + kOutlinePixels) {
            EXPECT_EQ(colorAt(client, beyond), colors::kBlack) << "beyond the ray's end";
        }
    }

    // The large arch: x = cos(t) × 3450 + 8350, y = 6000 - sin(t) × 1400.
    EXPECT_TRUE(hasColorNear(client, pixelFromTwips(8350, 4600), colors::kMagenta, 1)) << "top of the large arch";
    for (const double angle : { 2.9, 2.4, 1.2, 0.6 }) {
        EXPECT_TRUE(hasColorNear(
            client, pixelFromTwips(std::cos(angle) * 3450 + 8350, 6000 - std::sin(angle) * 1400), colors::kMagenta, 1))
            << "large arch at t = " << angle;
    }
    EXPECT_EQ(colorAt(client, pixelFromTwips(8350, 4450)), colors::kBlack) << "above the large arch";

    // The six small arches: x = cx + cos(t) × 400, y = 5900 - sin(t) × 600.
    for (int cx = 6350; cx <= 10350; cx += 800) {
        SCOPED_TRACE(testing::Message() << "small arch at cx = " << cx);
        EXPECT_TRUE(hasColorNear(client, pixelFromTwips(cx, 5300), colors::kLightYellow, 1)) << "top";
        for (const double angle : { 2.6, 0.5 }) {
            EXPECT_TRUE(hasColorNear(client, pixelFromTwips(cx + std::cos(angle) * 400, 5900 - std::sin(angle) * 600),
                colors::kLightYellow, 1))
                << "t = " << angle;
        }
        EXPECT_EQ(colorAt(client, pixelFromTwips(cx, 5650)), colors::kBlack) << "under the arch";
    }
}
