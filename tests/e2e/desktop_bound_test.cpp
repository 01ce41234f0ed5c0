#include "tuxing_fixture.h"

namespace {

// The client area stays within the screens, however large a size a client
// asks for, and follows them as they come and go; a maximized window fills
// the work area all the same, every time.
using DesktopBound = TuxingTest;

std::string describe(const std::optional<QRect>& area)
{
    if (!area)
        return "none";
    return std::to_string(area->width()) + "x" + std::to_string(area->height()) + "+" + std::to_string(area->x()) + "+"
        + std::to_string(area->y());
}

TEST_F(DesktopBound, stretchStopsAtTheScreensAsTheyChange)
{
    const QSize screen = desktop().grabScreen().size();
    // Once the window asks for no more than `bound`, a request for the
    // largest size X allows gets a client area of just that size. Waiting
    // for the window's own bound first keeps the stretch from reaching the
    // window manager before the program has seen the screens change.
    auto stretchTo = [&](QSize bound) {
        std::optional<QSize> asked;
        ASSERT_TRUE(desktop().waitUntil(
            [&] {
                asked = desktop().maximumSize(window());
                return asked == bound;
            },
            kWindowTimeout))
            << "the window's largest size is " << (asked ? asked->width() : 0) << "x" << (asked ? asked->height() : 0)
            << ", not " << bound.width() << "x" << bound.height();
        desktop().resize(window(), QSize(32767, 32767));
        std::optional<QRect> area;
        EXPECT_TRUE(desktop().waitUntil(
            [&] {
                area = desktop().clientArea(window());
                return area && area->size() == bound;
            },
            kWindowTimeout))
            << "the stretched client area is " << describe(area);
    };
    ASSERT_NO_FATAL_FAILURE(stretchTo(screen));

    // A second screen to the right widens the desktop, and once it is gone
    // the window is held within the first again.
    constexpr QSize kSecond(300, 200);
    const std::string second = std::to_string(kSecond.width()) + "/100x" + std::to_string(kSecond.height()) + "/100+"
        + std::to_string(screen.width()) + "+0";
    ASSERT_TRUE(runCommand({ "xrandr", "--setmonitor", "second", second, "none" }).isCleanExit());
    ASSERT_NO_FATAL_FAILURE(stretchTo(screen + QSize(kSecond.width(), 0)));
    ASSERT_TRUE(runCommand({ "xrandr", "--delmonitor", "second" }).isCleanExit());
    ASSERT_NO_FATAL_FAILURE(stretchTo(screen));
    ASSERT_TRUE(settle());
}

// The window manager frames a maximized window differently from a normal
// one, so a bound that followed the frame would decide, by which event came
// first, whether the maximized window filled the work area.
TEST_F(DesktopBound, maximizedFillsTheWorkAreaEveryTime)
{
    constexpr int kRounds = 6;
    const QSize normal = desktop().clientArea(window()).value_or(QRect()).size();
    for (int round = 0; round < kRounds; ++round) {
        ASSERT_NO_FATAL_FAILURE(maximize());
        std::optional<QRect> area;
        std::optional<QRect> expected;
        EXPECT_TRUE(desktop().waitUntil(
            [&] {
                area = desktop().clientArea(window());
                expected = desktop().workArea();
                if (expected)
                    expected = expected->marginsRemoved(desktop().frameExtents(window()));
                return area && area == expected;
            },
            kWindowTimeout))
            << "round " << round << ": maximized, the client area is " << describe(area)
            << "; the work area less the frame is " << describe(expected);
        ASSERT_NO_FATAL_FAILURE(unmaximize());
        EXPECT_TRUE(desktop().waitUntil(
            [&] {
                area = desktop().clientArea(window());
                return area && area->size() == normal;
            },
            kWindowTimeout))
            << "round " << round << ": restored, the client area is " << describe(area);
    }
    ASSERT_TRUE(settle());
}

} // namespace
