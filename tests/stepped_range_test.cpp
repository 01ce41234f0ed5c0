#include "stepped_range.h"

#include <gtest/gtest.h>

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

TEST(SteppedRange, doubleCounterAccumulatesRoundingAndStopsShortOfTheEnd)
{
    const auto values = collect(steppedRange(555, 5555, 0.1));
    ASSERT_EQ(values.size(), 50000u);
    EXPECT_EQ(values.front(), 555.0);
    // 0.1 added 49,999 times in double lands just above 5554.9; the next sum
    // passes 5555, so 5555 itself is never reached.
    EXPECT_GT(values.back(), 5554.9000000026);
    EXPECT_LT(values.back(), 5554.9000000027);
}

struct WaterRun {
    const char* name;
    int k;
    std::size_t points;
};

class WaterRunCount : public ::testing::TestWithParam<WaterRun> { };

TEST_P(WaterRunCount, runStopsOneStepShortOfItsRightEnd)
{
    const int k = GetParam().k;
    const auto values = collect(steppedRange(8350 - 800 * k, 8350 + 800 * k, 0.1));
    EXPECT_EQ(values.size(), GetParam().points);
    EXPECT_LT(values.back(), 8350 + 800 * k);
    EXPECT_NEAR(values.back(), 8350 + 800 * k - 0.1, 1e-6);
}

INSTANTIATE_TEST_SUITE_P(SteppedRange, WaterRunCount,
    ::testing::Values(WaterRun { "k4", 4, 64000 }, WaterRun { "k3", 3, 48000 }, WaterRun { "k2", 2, 32000 },
        WaterRun { "k1", 1, 16000 }),
    [](const auto& info) { return std::string(info.param.name); });

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
    ASSERT_EQ(rays.size(), 32u);
    for (std::size_t n = 0; n < rays.size(); ++n)
        EXPECT_NEAR(rays[n], 3.14 - double(n) * 0.19625, 1e-12) << "ray " << n;
    // The 33rd counter value lies just below -3.14 in double, so no ray is
    // drawn there.
    EXPECT_LT(rays.back() + -6.28 / 32, -3.14);

    const auto arch = collect(steppedRange(3.14, 0, -3.14 / 9999));
    ASSERT_EQ(arch.size(), 9999u);
    EXPECT_GT(arch.back(), 0.0);
    EXPECT_NEAR(arch.back(), 0.000314031402830, 1e-12);
}

TEST(SteppedRange, rayRadiiIncludeTheEndUpToRounding)
{
    const auto radii = collect(steppedRange(666, 1800, 0.1));
    ASSERT_EQ(radii.size(), 11341u);
    EXPECT_GT(radii.back(), 1799.99999999937);
    EXPECT_LT(radii.back(), 1799.99999999938);
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
