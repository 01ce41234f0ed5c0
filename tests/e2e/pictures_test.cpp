#include "tuxing_fixture.h"

#include <cstdlib>

namespace {

using Pictures = MaximizedTuxingTest;

void expectLabelsUntouched(const QImage& clean, const QImage& painted)
{
    for (const layout::Label& label : layout::kLabels)
        EXPECT_TRUE(sameInside(clean, painted, pixelRect(label.rect))) << label.name << " was painted over";
}

TEST_F(Pictures, mountainsThenClear)
{
    const QImage clean = grabClient();
    click(layout::Gsls);
    ASSERT_TRUE(settle());
    const QImage painted = grabClient();
    expectMountainsAndWater(painted);
    expectLabelsUntouched(clean, painted);

    click(layout::Cls);
    ASSERT_TRUE(settle());
    EXPECT_TRUE(sameOutside(clean, grabClient(), buttonFaces()));
}

TEST_F(Pictures, goldenAvenueByClick)
{
    const QImage clean = grabClient();
    click(layout::Jgdd);
    ASSERT_TRUE(settle());
    const QImage painted = grabClient();
    expectGoldenAvenue(painted);
    expectLabelsUntouched(clean, painted);
}

// The focus is still on 金光大道 from the start, so Space presses it.
TEST_F(Pictures, goldenAvenueBySpace)
{
    activate();
    pressKeys({ "space" });
    ASSERT_TRUE(settle());
    expectGoldenAvenue(grabClient());
}

// make screenshot keeps this scene where TUXING_SCENE names.
TEST_F(Pictures, bothComposeOneScene)
{
    const QImage scene = paintBothPictures();
    if (const char* path = std::getenv("TUXING_SCENE")) {
        ASSERT_TRUE(scene.save(QString::fromLocal8Bit(path))) << path;
    }
}

} // namespace
