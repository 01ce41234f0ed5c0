#include "tuxing_fixture.h"

namespace {

// Input made while a handler runs waits in the queue and is handled
// afterwards, in the order it was made.
using InputOrder = MaximizedTuxingTest;

TEST_F(InputOrder, clearThenMountains)
{
    click(layout::Cls);
    click(layout::Gsls);
    ASSERT_TRUE(settle());
    expectMountainsAndWater(grabClient());
}

// The clear is queued behind the picture and runs only once it is done, so
// nothing of the picture is left.
TEST_F(InputOrder, goldenAvenueThenClear)
{
    const QImage clean = grabClient();
    click(layout::Jgdd);
    click(layout::Cls);
    ASSERT_TRUE(settle());
    EXPECT_TRUE(sameOutside(clean, grabClient(), buttonFaces()));
}

TEST_F(InputOrder, tenSpaces)
{
    activate();
    pressKeys({ "space", "space", "space", "space", "space", "space", "space", "space", "space", "space" });
    ASSERT_TRUE(settle());
    // Each run repaints the same points and ends in the same colours.
    expectGoldenAvenue(grabClient());
    click(layout::Exit);
    expectCleanExit("退出");
}

TEST_F(InputOrder, mountainsThenClose)
{
    click(layout::Gsls);
    closeThroughWindowManager();
    expectCleanExit("the close");
}

TEST_F(InputOrder, goldenAvenueThenClose)
{
    click(layout::Jgdd);
    closeThroughWindowManager();
    expectCleanExit("the close");
}

// With a pace a handler still runs to its end before any input is taken.
class PacedInputOrder : public MaximizedTuxingTest {
protected:
    static constexpr int kPace = 2'000'000;
    std::vector<std::string> command() const override
    {
        return { programPath().string(), "--pace=" + std::to_string(kPace) };
    }
};

// Had the clear come between the mountains' points, the rest of them would
// have been painted after it.
TEST_F(PacedInputOrder, clearAndGoldenAvenueWaitForTheMountains)
{
    const auto start = std::chrono::steady_clock::now();
    click(layout::Gsls);
    click(layout::Cls);
    click(layout::Jgdd);
    ASSERT_TRUE(settle());
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    EXPECT_GE(took.count(), double(points::kMountainsAndWater + points::kGoldenAvenue) / kPace);
    const QImage shown = grabClient();
    expectGoldenAvenue(shown);
    EXPECT_EQ(colorAt(shown, pixelPoint(40, 2000, ratio())), colors::kDarkGreen) << "the mountains' frame stayed";
    click(layout::Exit);
    expectCleanExit("退出");
}

} // namespace
