#include "tuxing_fixture.h"

namespace {

using Ending = TuxingTest;

TEST_F(Ending, closeBox)
{
    closeThroughWindowManager();
    expectCleanExit("the window manager closed the window");
}

// The focus starts on 金光大道 although the small window does not show it,
// and Tab walks 金光大道, 高山流水, 清除, 退出.
TEST_F(Ending, tabTabTabSpace)
{
    activate();
    pressKeys({ "Tab", "Tab", "Tab", "space" });
    expectCleanExit("Tab Tab Tab Space");
}

} // namespace
