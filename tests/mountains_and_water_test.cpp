#include "expected_palette.h"
#include "mountains_and_water.h"
#include "recording_surface.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

namespace {

using Kind = RecordedCall::Kind;

const std::vector<RecordedCall>& recordedPicture()
{
    static const std::vector<RecordedCall> calls = [] {
        RecordingSurface surface;
        CmdGsls_Click(surface);
        return surface.calls;
    }();
    return calls;
}

constexpr std::size_t kMountainPoints = 50000;
constexpr std::size_t kWaterPassPoints = 160000;

} // namespace

TEST(MountainsAndWater, issuesOneBoxAndOneMillionPointsBetweenPenWidths)
{
    const auto& calls = recordedPicture();
    ASSERT_EQ(calls.size(), 3 + 4 * kMountainPoints + 1 + 5 * kWaterPassPoints);
    EXPECT_EQ(calls[0].kind, Kind::DrawWidth);
    EXPECT_EQ(calls[0].width, 2);
    ASSERT_EQ(calls[1].kind, Kind::Line);
    EXPECT_EQ(calls[1].point.x, 40.0f);
    EXPECT_EQ(calls[1].point.y, 40.0f);
    EXPECT_EQ(calls[1].other.x, 11950.0f);
    EXPECT_EQ(calls[1].other.y, 8220.0f);
    EXPECT_EQ(calls[1].color, kExpectedPalette[14]);
    EXPECT_EQ(calls[2].kind, Kind::DrawWidth);
    EXPECT_EQ(calls[2].width, 3);
    const std::size_t waterWidth = 3 + 4 * kMountainPoints;
    EXPECT_EQ(calls[waterWidth].kind, Kind::DrawWidth);
    EXPECT_EQ(calls[waterWidth].width, 2);

    std::size_t points = 0;
    for (const RecordedCall& call : calls)
        points += call.kind == Kind::PSet;
    EXPECT_EQ(points, 1'000'000u);
    // The last pen width set is what the routine leaves behind.
    EXPECT_EQ(calls.back().width, 2);
}

TEST(MountainsAndWater, mountainPassesSweepFromLightYellowToLightCyan)
{
    const auto& calls = recordedPicture();
    const int colours[] = { 14, 13, 12, 11 };
    for (std::size_t pass = 0; pass < 4; ++pass) {
        const std::size_t first = 3 + pass * kMountainPoints;
        for (std::size_t i = first; i < first + kMountainPoints; ++i) {
            ASSERT_EQ(calls[i].kind, Kind::PSet);
            ASSERT_EQ(calls[i].color, kExpectedPalette[std::size_t(colours[pass])]) << "pass " << pass;
            ASSERT_EQ(calls[i].width, 3);
        }
        // Every pass paints the very same points.
        EXPECT_TRUE(std::equal(calls.begin() + 3, calls.begin() + 3 + kMountainPoints, calls.begin() + first,
            [](const RecordedCall& a, const RecordedCall& b) {
                return a.point.x == b.point.x && a.point.y == b.point.y;
            }));
    }
}

TEST(MountainsAndWater, everyMountainPointIsTheFormulaInSinglePrecision)
{
    const auto& calls = recordedPicture();
    for (std::size_t pass = 0; pass < 4; ++pass) {
        std::size_t i = 3 + pass * kMountainPoints;
        double x = 555;
        for (std::size_t n = 0; n < kMountainPoints; ++n, ++i, x += 0.1) {
            ASSERT_EQ(calls[i].point.x, float(x)) << "pass " << pass << " point " << n;
            ASSERT_EQ(calls[i].point.y, float(3000 - (std::sin(x / 333) * 0.4) * x))
                << "pass " << pass << " point " << n;
        }
    }
}

TEST(MountainsAndWater, mountainLineStartsOnTheFormulaAndSpansItsRange)
{
    const auto& calls = recordedPicture();
    const RecordedCall& first = calls[3];
    EXPECT_EQ(first.point.x, 555.0f);
    EXPECT_EQ(first.point.y, float(3000 - (std::sin(555.0 / 333) * 0.4) * 555));

    float minX = 1e9f, maxX = -1e9f, minY = 1e9f, maxY = -1e9f;
    for (std::size_t i = 3; i < 3 + kMountainPoints; ++i) {
        minX = std::min(minX, calls[i].point.x);
        maxX = std::max(maxX, calls[i].point.x);
        minY = std::min(minY, calls[i].point.y);
        maxY = std::max(maxY, calls[i].point.y);
    }
    EXPECT_EQ(minX, 555.0f);
    EXPECT_EQ(maxX, 5554.9f);
    EXPECT_NEAR(minY, 1112.24, 0.01);
    EXPECT_NEAR(maxY, 4837.15, 0.01);
}

TEST(MountainsAndWater, waterRunsShortenDownwardAndEndInLightGreen)
{
    const auto& calls = recordedPicture();
    const std::size_t waterStart = 3 + 4 * kMountainPoints + 1;
    struct Run {
        float y, x1, lastX;
        std::size_t points;
    };
    const Run runs[] = {
        { 6100, 5150, 11549.9f, 64000 },
        { 6400, 5950, 10749.9f, 48000 },
        { 6700, 6750, 9949.9f, 32000 },
        { 7000, 7550, 9149.9f, 16000 },
    };
    for (int pass = 0; pass < 5; ++pass) {
        std::size_t i = waterStart + std::size_t(pass) * kWaterPassPoints;
        const Color color = kExpectedPalette[std::size_t(14 - pass)];
        for (const Run& run : runs) {
            EXPECT_EQ(calls[i].point.x, run.x1);
            EXPECT_EQ(calls[i + run.points - 1].point.x, run.lastX);
            for (std::size_t n = 0; n < run.points; ++n, ++i) {
                ASSERT_EQ(calls[i].point.y, run.y);
                ASSERT_EQ(calls[i].color, color);
                ASSERT_EQ(calls[i].width, 2);
            }
        }
    }
    EXPECT_EQ(calls.back().color, kExpectedPalette[10]);
}

struct FailurePoint {
    const char* name;
    std::size_t call;
};

class MountainsAndWaterFailure : public ::testing::TestWithParam<FailurePoint> { };

TEST_P(MountainsAndWaterFailure, failingCallStopsTheRoutineThere)
{
    RecordingSurface surface;
    surface.failAtCall = GetParam().call;
    EXPECT_THROW(CmdGsls_Click(surface), RunTimeError);
    ASSERT_EQ(surface.calls.size(), GetParam().call - 1);
    EXPECT_TRUE(std::equal(surface.calls.begin(), surface.calls.end(), recordedPicture().begin()));
}

INSTANTIATE_TEST_SUITE_P(MountainsAndWater, MountainsAndWaterFailure,
    ::testing::Values(FailurePoint { "firstPenWidth", 1 }, FailurePoint { "box", 2 }, FailurePoint { "firstPoint", 4 },
        FailurePoint { "lastMountainPoint", 3 + 4 * kMountainPoints },
        FailurePoint { "waterPenWidth", 4 + 4 * kMountainPoints },
        FailurePoint { "middleOfWater", 5 + 4 * kMountainPoints + 123457 },
        FailurePoint { "lastPoint", 4 + 4 * kMountainPoints + 5 * kWaterPassPoints }),
    [](const auto& info) { return std::string(info.param.name); });

TEST(MountainsAndWater, notANumberInTheArithmeticRaisesTheErrorAndStops)
{
    RecordingSurface surface;
    const FaultyMaths maths { 1000 };
    try {
        CmdGsls_Click(surface, maths);
        FAIL() << "no run-time error";
    } catch (const RunTimeError& error) {
        EXPECT_NE(std::string(error.what()).find("浮点"), std::string::npos) << error.what();
    }
    // Box, two pen widths and the 999 points before the fault.
    EXPECT_EQ(surface.calls.size(), 3u + 999u);
}
