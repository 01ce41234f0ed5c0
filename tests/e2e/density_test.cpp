#include "tuxing_fixture.h"

#include <cmath>
#include <cstdlib>

namespace {

// At a denser screen the toolkit scales the window by dots per inch over 96,
// and the pictures' twips land accordingly, while pen widths stay in device
// pixels. CTest runs this at 144 and 192 dots per inch; at 96 the start and
// the pictures' tests see the same.
using Density = TuxingTest;

TEST_F(Density, startSizeAndMountainsScale)
{
    if (const char* dpi = std::getenv("TUXING_EXPECTED_DPI")) {
        ASSERT_EQ(ratio(), std::atof(dpi) / 96) << "the desktop's Xft.dpi";
    }
    const std::optional<QRect> area = desktop().clientArea(window());
    ASSERT_TRUE(area);
    // At a fractional ratio either neighbour is a fair rounding.
    const double width = layout::kStartWidth / 15.0 * ratio();
    const double height = layout::kStartHeight / 15.0 * ratio();
    EXPECT_LE(std::abs(area->width() - width), 1) << "start width";
    EXPECT_LE(std::abs(area->height() - height), 1) << "start height";

    maximize();
    click(layout::Gsls);
    ASSERT_TRUE(settle());
    expectMountainsAndWater(grabClient(), ratio());
}

} // namespace
