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

} // namespace
