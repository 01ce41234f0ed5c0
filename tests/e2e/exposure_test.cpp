#include "tuxing_fixture.h"

namespace {

using Exposure = MaximizedTuxingTest;

// Painting is not kept: what the window system has repainted shows the
// panel and labels again.
TEST_F(Exposure, minimizeAndRestoreDropsThePainting)
{
    const QImage clean = grabClient();
    click(layout::Gsls);
    click(layout::Jgdd);
    ASSERT_TRUE(settle());
    ASSERT_FALSE(sameOutside(clean, grabClient(), buttonFaces())) << "nothing was painted";

    minimize();
    restore();
    // The window system's repaint of the restored window comes at a time of
    // its own choosing; once it shows the clean window, that must last.
    pollUntil([&] { return sameOutside(clean, grabClient(), buttonFaces()); }, std::chrono::seconds(20));
    ASSERT_TRUE(settle());
    EXPECT_TRUE(sameOutside(clean, grabClient(), buttonFaces()));
}

// A normal window made smaller by its frame keeps the painting that stays
// visible, although the toolkit follows the shrink with an expose of the
// whole window.
class Shrinking : public TuxingTest {
protected:
    void resizeTo(QSize size)
    {
        ASSERT_TRUE(
            desktop()
                .xdotool({ "windowsize", windowId(), std::to_string(size.width()), std::to_string(size.height()) })
                .isCleanExit());
        ASSERT_TRUE(pollUntil(
            [&] {
                const std::optional<QRect> area = desktop().clientArea(window());
                return area && area->size() == size;
            },
            std::chrono::seconds(20)))
            << "the window did not take the size " << size.width() << "x" << size.height();
        ASSERT_TRUE(settle());
    }
};

TEST_F(Shrinking, keepsWhatStaysVisible)
{
    resizeTo(QSize(pixelFromTwips(layout::kNeededWidth, ratio()), pixelFromTwips(layout::kNeededHeight, ratio())));
    click(layout::Gsls);
    ASSERT_TRUE(settle());
    const QImage painted = grabClient();
    const QSize smaller(pixelFromTwips(8000, ratio()), pixelFromTwips(7000, ratio()));
    resizeTo(smaller);
    EXPECT_TRUE(sameOutside(painted.copy(QRect(QPoint(0, 0), smaller)), grabClient(), buttonFaces()));
}

} // namespace
