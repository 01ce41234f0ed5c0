#include "picture_expectations.h"
#include "tuxing_fixture.h"

namespace {

// Input made while a handler runs waits in the queue and is handled
// afterwards, in the order it was made.
using InputOrderTest = MaximizedTuxingTest;

TEST_F(InputOrderTest, clearThenMountainsAtOnceLeavesTheMountains)
{
    click(Button::Cls);
    click(Button::Gsls);
    ASSERT_TRUE(settle());
    expectMountainsAndWater(grabClient());
}

TEST_F(InputOrderTest, tenSpacesInARowLeaveTheProgramResponsive)
{
    activate();
    pressKeys({ "space", "space", "space", "space", "space", "space", "space", "space", "space", "space" });
    ASSERT_TRUE(settle());
    // Each run repaints the same points and ends in the same colours.
    expectGoldenAvenue(grabClient());
    click(Button::Exit);
    const std::optional<ExitStatus> status = waitForExit();
    ASSERT_TRUE(status) << "still running after 退出";
    EXPECT_TRUE(status->isCleanExit()) << status->describe();
}

TEST_F(InputOrderTest, mountainsThenCloseAtOnceEndsWithCodeZero)
{
    click(Button::Gsls);
    closeThroughWindowManager();
    const std::optional<ExitStatus> status = waitForExit();
    ASSERT_TRUE(status) << "still running after the close";
    EXPECT_TRUE(status->isCleanExit()) << status->describe();
}

} // namespace
