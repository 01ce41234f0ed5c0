#include "tuxing_fixture.h"

namespace {

using EndingTest = TuxingTest;

TEST_F(EndingTest, exitButtonEndsTheProgramWithCodeZero)
{
    maximize();
    click(Button::Exit);
    const std::optional<ExitStatus> status = waitForExit();
    ASSERT_TRUE(status) << "still running after 退出";
    EXPECT_TRUE(status->isCleanExit()) << status->describe();
}

TEST_F(EndingTest, closeThroughTheWindowManagerEndsTheProgramWithCodeZero)
{
    closeThroughWindowManager();
    const std::optional<ExitStatus> status = waitForExit();
    ASSERT_TRUE(status) << "still running after the window manager closed the window";
    EXPECT_TRUE(status->isCleanExit()) << status->describe();
}

TEST_F(EndingTest, deleteWindowRequestEndsTheProgramWithCodeZero)
{
    desktop().sendDeleteWindow(window());
    const std::optional<ExitStatus> status = waitForExit();
    ASSERT_TRUE(status) << "still running after WM_DELETE_WINDOW";
    EXPECT_TRUE(status->isCleanExit()) << status->describe();
}

// The focus starts on 金光大道 although the small window does not show it,
// and Tab walks 金光大道, 高山流水, 清除, 退出.
TEST_F(EndingTest, tabTabTabSpaceFromStartPressesExit)
{
    activate();
    pressKeys({ "Tab", "Tab", "Tab", "space" });
    const std::optional<ExitStatus> status = waitForExit();
    ASSERT_TRUE(status) << "still running after Tab Tab Tab Space";
    EXPECT_TRUE(status->isCleanExit()) << status->describe();
}

} // namespace
