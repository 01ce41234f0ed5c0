#include "expectations.h"
#include "stepped_range.h"

#include <gtest/gtest.h>

#include <iterator>
#include <limits>
#include <type_traits>
#include <vector>

namespace {

template <typename Range> auto collect(Range range)
{
    std::vector<std::remove_cvref_t<decltype(*range.begin())>> values;
    for (auto value : range)
        values.push_back(value);
    return values;
}

} // namespace

// The counts and last values come from adding each step in double
// precision; a counter computed from a count would land elsewhere.
TEST(SteppedRange, doubleCounterAccumulatesRoundingAndStopsShortOfTheEnd)
{
    const auto mountain = collect(steppedRange(555, 5555, 0.1));
    ASSERT_EQ(mountain.size(), std::size_t(mountainsAndWater::kMountainPoints));
    EXPECT_EQ(mountain.front(), 555.0);
    EXPECT_NEAR(mountain.back(), mountainsAndWater::kLastX, 1e-11);
    EXPECT_GT(mountain.back() + 0.1, 5555.0);

    for (const mountainsAndWater::WaterRun& run : mountainsAndWater::kWaterRuns) {
        const auto water = collect(steppedRange(run.x1, run.x2, 0.1));
        EXPECT_EQ(water.size(), std::size_t(run.points)) << "run at y = " << run.y;
        EXPECT_NEAR(water.back(), run.lastX, 1e-9) << "run at y = " << run.y;
    }

    const auto radii = collect(steppedRange(666, 1800, 0.1));
    ASSERT_EQ(radii.size(), std::size_t(goldenAvenue::kRayPoints));
    EXPECT_NEAR(radii.back(), goldenAvenue::kLastRadius, 1e-11);
}

TEST(SteppedRange, wholeBoundsGiveAnIntegerCounter)
{
    static_assert(std::is_same_v<decltype(*steppedRange(4, 1, -1).begin()), int>);
    static_assert(std::is_same_v<decltype(*steppedRange(3.14, 0, -0.1).begin()), double>);
    static_assert(std::is_same_v<decltype(*steppedRange(5150, 11550, 0.1).begin()), double>);
    EXPECT_EQ(collect(steppedRange(4, 1, -1)), (std::vector<int> { 4, 3, 2, 1 }));
    EXPECT_EQ(collect(steppedRange(6350, 10350, 800)), (std::vector<int> { 6350, 7150, 7950, 8750, 9550, 10350 }));
}

TEST(SteppedRange, negativeStepStopsBelowEnd)
{
    const auto rays = collect(steppedRange(3.14, -3.14, -6.28 / 32));
    ASSERT_EQ(rays.size(), std::size(goldenAvenue::kRayAngles));
    for (std::size_t n = 0; n < rays.size(); ++n)
        EXPECT_NEAR(rays[n], goldenAvenue::kRayAngles[n], 1e-12) << "ray " << n;
    // The 33rd counter value lies just below -3.14 in double, so no ray is
    // drawn there.
    EXPECT_LT(rays.back() + -6.28 / 32, -3.14);

    const auto arch = collect(steppedRange(3.14, 0, -3.14 / 9999));
    ASSERT_EQ(arch.size(), std::size_t(goldenAvenue::kArchPoints));
    EXPECT_NEAR(arch.back(), goldenAvenue::kLastArchAngle, 1e-12);
}

TEST(SteppedRange, startPastEndRunsZeroTimes)
{
    EXPECT_TRUE(collect(steppedRange(5, 1, 1)).empty());
    EXPECT_TRUE(collect(steppedRange(1, 5, -1)).empty());
    EXPECT_TRUE(collect(steppedRange(0.5, 0.25, 0.1)).empty());
    EXPECT_EQ(collect(steppedRange(7, 7, 1)), std::vector<int> { 7 });
}

TEST(SteppedRange, degenerateStepsEndInsteadOfLoopingForever)
{
    EXPECT_TRUE(collect(steppedRange(1, 5, 0)).empty());
    EXPECT_TRUE(collect(steppedRange(1.0, 5.0, 0.0)).empty());
    // Near the top of int the next counter would overflow; the loop ends.
    const int top = std::numeric_limits<int>::max();
    EXPECT_EQ(collect(steppedRange(top - 2, top, 2)), (std::vector<int> { top - 2, top }));
    EXPECT_TRUE(collect(steppedRange(0.0, 1.0, std::numeric_limits<double>::quiet_NaN())).empty());
}
