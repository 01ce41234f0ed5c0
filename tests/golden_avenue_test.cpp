#include "golden_avenue.h"
#include "recorded_passes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <ios>
#include <iterator>
#include <string>
#include <tuple>

namespace {

using Kind = RecordedCall::Kind;
using namespace goldenAvenue;

// Where the parts begin in the calls: pen widths and circles, then the
// rays, a pen width, the large arch, a pen width, the small arches.
constexpr std::size_t kRaysStart = 5;
constexpr std::size_t kArchStart = kRaysStart + 6 * kRayPassPoints + 1;
constexpr std::size_t kSmallArchesStart = kArchStart + kArchPoints + 1;

const RecordingSurface& recordedPicture()
{
    return recordedOnce([](RecordingSurface& surface) { CmdJgdd_Click(surface); });
}

// The angle and radius of a point about the sun's centre, y upward.
double angleOf(TwipPoint point) { return std::atan2(kSun.y - point.y, point.x - kSun.x); }
double radiusOf(TwipPoint point) { return std::hypot(point.x - kSun.x, point.y - kSun.y); }

} // namespace

TEST(GoldenAvenue, paintsTheSunThenSixRayPassesTheLargeArchAndSixSmallArchPasses)
{
    const RecordedCalls& calls = recordedPicture().calls;
    ASSERT_EQ(calls.size(), std::size_t(kCalls));
    EXPECT_EQ(penWidthsSet(calls), std::vector<int>(std::begin(kPenWidths), std::end(kPenWidths)));
    for (const auto& [at, radius, color, width] :
        { std::tuple { 1, kRimRadius, kRimColor, 3 }, std::tuple { 3, 0.0, kCoreColor, kCorePixels } }) {
        ASSERT_EQ(calls[at].kind, Kind::Circle);
        EXPECT_TRUE(isAt(calls[at].point, kSun));
        EXPECT_EQ(calls[at].other.x, float(radius));
        EXPECT_EQ(calls[at].color, kExpectedPalette[std::size_t(color)]);
        EXPECT_EQ(calls[at].width, width);
    }

    std::size_t end = 0;
    EXPECT_TRUE(arePasses(calls, kRaysStart, kRayPasses, end));
    EXPECT_EQ(calls[end].kind, Kind::DrawWidth);
    EXPECT_TRUE(arePasses(calls, kArchStart, kLargeArch, end));
    EXPECT_EQ(calls[end].kind, Kind::DrawWidth);
    EXPECT_TRUE(arePasses(calls, kSmallArchesStart, kSmallArches, end));
    EXPECT_EQ(end, calls.size());
    EXPECT_EQ(recordedPicture().count(Kind::PSet), std::size_t(points::kGoldenAvenue));
    EXPECT_EQ(pointsDigest(calls), kGoldenAvenuePoints) << std::hex << pointsDigest(calls);
}

TEST(GoldenAvenue, eachRayRunsOutwardFrom666To1800AtItsAngle)
{
    const RecordedCalls& calls = recordedPicture().calls;
    EXPECT_TRUE(isAt(calls[kRaysStart].point, kFirstRayPoint));
    for (std::size_t ray = 0; ray < kRays; ++ray) {
        const TwipPoint inner = calls[kRaysStart + ray * kRayPoints].point;
        const TwipPoint outer = calls[kRaysStart + (ray + 1) * kRayPoints - 1].point;
        SCOPED_TRACE(testing::Message() << "ray " << ray);
        EXPECT_NEAR(angleOf(inner), kRayAngles[ray], 1e-5);
        EXPECT_NEAR(angleOf(outer), kRayAngles[ray], 1e-5);
        EXPECT_NEAR(radiusOf(inner), kRayFrom, 0.01);
        EXPECT_NEAR(radiusOf(outer), kRayTo, 0.01);
    }
    EXPECT_TRUE(spans(spanOf(calls, kRaysStart, kRayPassPoints), kRaysFrom, kRaysTo, 0.01));
    for (std::size_t pass = 1; pass < 6; ++pass)
        EXPECT_TRUE(samePoints(calls, kRaysStart, kRaysStart + pass * kRayPassPoints, kRayPassPoints))
            << "pass " << pass;
}

TEST(GoldenAvenue, largeArchRunsFromFootToFootOverItsTop)
{
    const RecordedCalls& calls = recordedPicture().calls;
    EXPECT_TRUE(isAt(calls[kArchStart].point, kLargeArchFirst));
    EXPECT_TRUE(isAt(calls[kArchStart + kArchPoints - 1].point, kLargeArchLast));
    EXPECT_TRUE(spans(spanOf(calls, kArchStart, kArchPoints), kLargeArchFrom, kLargeArchTo, 0.01));
    const auto top = std::min_element(calls.begin() + kArchStart, calls.begin() + kArchStart + kArchPoints,
        [](const RecordedCall& a, const RecordedCall& b) { return a.point.y < b.point.y; });
    // Its neighbours lie 3450 x 3.14 / 9999 apart in x.
    EXPECT_TRUE(isAt(top->point, kLargeArchTop, 1.1));
}

TEST(GoldenAvenue, smallArchesStandFootToFootInEveryPass)
{
    const RecordedCalls& calls = recordedPicture().calls;
    std::size_t i = kSmallArchesStart;
    for (std::size_t pass = 0; pass < 6; ++pass) {
        EXPECT_TRUE(spans(
            spanOf(calls, i, kSmallArchPassPoints), kSmallArchesFrom, { kSmallArchesTo.x, kSmallArchLast.y }, 0.01))
            << "pass " << pass;
        for (const int cx : kSmallArchCenters) {
            SCOPED_TRACE(testing::Message() << "pass " << pass << ", arch at " << cx);
            EXPECT_TRUE(isAt(calls[i].point, { cx + kSmallArchFirst.x, kSmallArchFirst.y }, 1e-3));
            EXPECT_TRUE(isAt(calls[i + kArchPoints - 1].point, { cx + kSmallArchLast.x, kSmallArchLast.y }, 1e-3));
            i += kArchPoints;
        }
        EXPECT_TRUE(
            samePoints(calls, kSmallArchesStart, kSmallArchesStart + pass * kSmallArchPassPoints, kSmallArchPassPoints))
            << "pass " << pass;
    }
}

TEST(GoldenAvenue, failingCallStopsTheRoutineThere)
{
    for (const std::size_t failAt : { std::size_t(1), std::size_t(2), std::size_t(4), kRaysStart + 1, kArchStart + 1,
             kSmallArchesStart + 777, recordedPicture().calls.size() }) {
        RecordingSurface surface;
        surface.failAtCall = failAt;
        EXPECT_THROW(CmdJgdd_Click(surface), RunTimeError) << failAt;
        ASSERT_EQ(surface.calls.size(), failAt - 1);
        EXPECT_TRUE(std::equal(surface.calls.begin(), surface.calls.end(), recordedPicture().calls.begin())) << failAt;
    }
}

TEST(GoldenAvenue, notANumberInTheArchesStopsAtThePointItHits)
{
    // After the rays' 6 x 64 calls, the large arch takes a cosine and a sine
    // per point; a NaN in the 101st point's cosine leaves 100 arch points.
    RecordingSurface surface;
    const FaultyMaths maths { 6 * 64 + 2 * 100 + 1 };
    EXPECT_THROW(CmdJgdd_Click(surface, maths), RunTimeError);
    EXPECT_EQ(surface.calls.size(), kArchStart + 100);
}

TEST(GoldenAvenue, notANumberInTheArithmeticRaisesTheErrorAndStops)
{
    RecordingSurface surface;
    // The first 64 trigonometric calls are the rays' Cos and Sin of the first
    // pass; the 65th belongs to the next pass's first ray.
    const FaultyMaths maths { 65 };
    std::string message;
    try {
        CmdJgdd_Click(surface, maths);
    } catch (const RunTimeError& error) {
        message = error.what();
    }
    // Not a number, rather than a number too large.
    EXPECT_EQ(message, describe(FloatingPointFault::InvalidOperation));
    EXPECT_EQ(surface.calls.size(), kRaysStart + kRayPassPoints);
}
