#include "picture_expectations.h"
#include "tuxing_fixture.h"

namespace {

using MountainsTest = MaximizedTuxingTest;

TEST_F(MountainsTest, paintsFrameMountainsAndWaterAndClearRestoresTheCleanWindow)
{
    const QImage clean = grabClient();
    click(Button::Gsls);
    ASSERT_TRUE(settle());
    const QImage painted = grabClient();
    keepShot(painted, "mountains");
    expectMountainsAndWater(painted);
    for (const ExpectedLabel& label : kLabels)
        EXPECT_TRUE(sameInside(clean, painted, label.rect)) << label.name << " was painted over";

    click(Button::Cls);
    ASSERT_TRUE(settle());
    EXPECT_TRUE(sameOutside(clean, grabClient(), buttonFaces()));
}

} // namespace
