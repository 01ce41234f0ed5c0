#include "tuxing_fixture.h"

namespace {

// The window, frame and all, stays within the screens, however large a size
// a client asks for, and follows them as they come and go.
using DesktopBound = TuxingTest;

TEST_F(DesktopBound, stretchStopsAtTheScreensAsTheyChange)
{
    const QSize screen = desktop().grabScreen().size();
    // Asks for the largest size X allows and returns the client area once
    // its width has become what `done` expects.
    auto stretch = [&](auto done) {
        EXPECT_TRUE(desktop().xdotool({ "windowsize", windowId(), "32767", "32767" }).isCleanExit());
        std::optional<QRect> area;
        EXPECT_TRUE(pollUntil(
            [&] {
                area = desktop().clientArea(window());
                return area && done(area->width());
            },
            std::chrono::seconds(20)))
            << "the stretched window is " << (area ? area->width() : 0) << " wide";
        return area.value_or(QRect());
    };
    const int start = desktop().clientArea(window())->width();
    const QRect stretched = stretch([&](int width) { return width != start; });
    EXPECT_LT(stretched.width(), screen.width());
    EXPECT_LT(stretched.height(), screen.height());

    // A second screen to the right widens the desktop, and once it is gone
    // the window is held within the first again.
    constexpr int kSecond = 300;
    const std::string second = std::to_string(kSecond) + "/100x200/100+" + std::to_string(screen.width()) + "+0";
    ASSERT_TRUE(runCommand({ "xrandr", "--setmonitor", "second", second, "none" }).isCleanExit());
    stretch([&](int width) { return width == stretched.width() + kSecond; });
    ASSERT_TRUE(runCommand({ "xrandr", "--delmonitor", "second" }).isCleanExit());
    stretch([&](int width) { return width == stretched.width(); });
    ASSERT_TRUE(settle());
}

} // namespace
