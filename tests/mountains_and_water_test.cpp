#include "mountains_and_water.h"
#include "recorded_passes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <ios>
#include <iterator>

namespace {

using Kind = RecordedCall::Kind;
using namespace mountainsAndWater;

const RecordingSurface& recordedPicture()
{
    return recordedOnce([](RecordingSurface& surface) { CmdGsls_Click(surface); });
}

// Where the parts begin in the calls: two pen widths and the box, then the
// mountains, a pen width, the water.
constexpr std::size_t kMountainsStart = 3;
constexpr std::size_t kWaterStart = kMountainsStart + 4 * kMountainPoints + 1;

} // namespace

TEST(MountainsAndWater, paintsTheBoxThenFourMountainAndFiveWaterPasses)
{
    const RecordedCalls& calls = recordedPicture().calls;
    ASSERT_EQ(calls.size(), std::size_t(kCalls));
    EXPECT_EQ(penWidthsSet(calls), std::vector<int>(std::begin(kPenWidths), std::end(kPenWidths)));
    ASSERT_EQ(calls[1].kind, Kind::Line);
    EXPECT_TRUE(isAt(calls[1].point, kBoxFrom));
    EXPECT_TRUE(isAt(calls[1].other, kBoxTo));
    EXPECT_EQ(calls[1].color, kExpectedPalette[kBoxColor]);
    EXPECT_EQ(calls[1].width, 2);

    std::size_t end = 0;
    EXPECT_TRUE(arePasses(calls, kMountainsStart, kMountains, end));
    EXPECT_EQ(calls[end].kind, Kind::DrawWidth);
    EXPECT_TRUE(arePasses(calls, kWaterStart, kWater, end));
    EXPECT_EQ(end, calls.size());
    EXPECT_EQ(recordedPicture().count(Kind::PSet), std::size_t(points::kMountainsAndWater));
    EXPECT_EQ(pointsDigest(calls), kMountainsAndWaterPoints) << std::hex << pointsDigest(calls);
}

TEST(MountainsAndWater, mountainLineRunsFromItsFirstPointToJustShortOf5555)
{
    const RecordedCalls& calls = recordedPicture().calls;
    EXPECT_TRUE(isAt(calls[kMountainsStart].point, kFirstPoint));
    EXPECT_TRUE(isAt(calls[kMountainsStart + kMountainPoints - 1].point, kLastPoint));
    EXPECT_TRUE(spans(
        spanOf(calls, kMountainsStart, kMountainPoints), { kFirstPoint.x, kTop }, { float(kLastX), kBottom }, 0.01));
    for (std::size_t pass = 1; pass < 4; ++pass)
        EXPECT_TRUE(samePoints(calls, kMountainsStart, kMountainsStart + pass * kMountainPoints, kMountainPoints))
            << "pass " << pass;
}

TEST(MountainsAndWater, waterRunsShortenDownwardEachStoppingShortOfItsEnd)
{
    const RecordedCalls& calls = recordedPicture().calls;
    std::size_t i = kWaterStart;
    for (int pass = 0; pass < 5; ++pass) {
        for (const WaterRun& run : kWaterRuns) {
            SCOPED_TRACE(testing::Message() << "pass " << pass << ", run at y = " << run.y);
            EXPECT_TRUE(isAt(calls[i].point, { double(run.x1), double(run.y) }));
            EXPECT_TRUE(isAt(calls[i + std::size_t(run.points) - 1].point, { run.lastX, double(run.y) }));
            EXPECT_TRUE(spans(spanOf(calls, i, std::size_t(run.points)), { double(run.x1), double(run.y) },
                { float(run.lastX), double(run.y) }, 0));
            i += std::size_t(run.points);
        }
    }
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
    EXPECT_TRUE(std::equal(surface.calls.begin(), surface.calls.end(), recordedPicture().calls.begin()));
}

INSTANTIATE_TEST_SUITE_P(MountainsAndWater, MountainsAndWaterFailure,
    ::testing::Values(FailurePoint { "firstPenWidth", 1 }, FailurePoint { "box", 2 }, FailurePoint { "firstPoint", 4 },
        FailurePoint { "lastMountainPoint", 3 + 4 * kMountainPoints },
        FailurePoint { "waterPenWidth", 4 + 4 * kMountainPoints },
        FailurePoint { "middleOfWater", 5 + 4 * kMountainPoints + 123457 },
        FailurePoint { "lastPoint", 4 + 4 * kMountainPoints + 5 * kWaterPoints }),
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
