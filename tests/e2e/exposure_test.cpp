#include "picture_expectations.h"
#include "tuxing_fixture.h"

#include <algorithm>

namespace {

using ExposureTest = MaximizedTuxingTest;

bool isHidden(const std::vector<std::string>& state)
{
    return std::find(state.begin(), state.end(), "_NET_WM_STATE_HIDDEN") != state.end();
}

// Painting is not kept: what the window system has repainted shows the
// panel and labels again.
TEST_F(ExposureTest, minimizeAndRestoreDropsThePainting)
{
    const QImage clean = grabClient();
    click(Button::Gsls);
    click(Button::Jgdd);
    ASSERT_TRUE(settle());
    ASSERT_FALSE(sameOutside(clean, grabClient(), buttonFaces())) << "nothing was painted";

    ASSERT_TRUE(desktop().xdotool({ "windowminimize", windowId() }).isCleanExit());
    ASSERT_TRUE(pollUntil([this] { return !desktop().isViewable(window()); }, std::chrono::seconds(20)))
        << "the window was not minimized";
    activate();
    ASSERT_TRUE(pollUntil([this] { return desktop().isViewable(window()); }, std::chrono::seconds(20)))
        << "the window was not restored";
    EXPECT_FALSE(isHidden(desktop().windowState(window())));
    ASSERT_TRUE(settle());
    EXPECT_TRUE(sameOutside(clean, grabClient(), buttonFaces()));
}

} // namespace
