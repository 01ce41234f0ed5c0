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

} // namespace
