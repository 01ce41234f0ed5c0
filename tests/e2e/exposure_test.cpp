#include "tuxing_fixture.h"

#include <cmath>

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
    EXPECT_TRUE(sameOutside(clean, grabClient(), buttonFaces()));
}

// A normal window made smaller by its frame keeps the painting that stays
// visible, although the toolkit follows the shrink with an expose of the
// whole window; the window system's next repaint drops it all the same.
// CTest runs this at 144 and 192 dots per inch as well.
class Shrinking : public TuxingTest {
protected:
    // Asks for a client area of a size in logical pixels and returns the one
    // it takes in device pixels, which at a fractional density may be a
    // rounded pixel off.
    QSize resizeTo(QSize logical)
    {
        const QSize size(int(std::lround(logical.width() * ratio())), int(std::lround(logical.height() * ratio())));
        desktop().resize(window(), size);
        EXPECT_TRUE(desktop().waitUntil(
            [&] {
                const std::optional<QRect> area = desktop().clientArea(window());
                return area && std::abs(area->width() - size.width()) <= 1
                    && std::abs(area->height() - size.height()) <= 1;
            },
            kWindowTimeout))
            << "the window did not take the size " << size.width() << "x" << size.height();
        EXPECT_TRUE(settle());
        return desktop().clientArea(window()).value_or(QRect()).size();
    }
};

TEST_F(Shrinking, keepsWhatStaysVisibleUntilTheWindowIsRepainted)
{
    resizeTo(QSize(pixelFromTwips(layout::kNeededWidth), pixelFromTwips(layout::kNeededHeight)));
    const QImage clean = grabClient();
    click(layout::Gsls);
    ASSERT_TRUE(settle());
    const QImage painted = grabClient();
    const QRect smaller(QPoint(0, 0), resizeTo(QSize(pixelFromTwips(8000), pixelFromTwips(7000))));
    EXPECT_TRUE(sameOutside(painted.copy(smaller), grabClient(), buttonFaces()));

    minimize();
    restore();
    EXPECT_TRUE(sameOutside(clean.copy(smaller), grabClient(), buttonFaces())) << "the painting outlived a repaint";
}

} // namespace
