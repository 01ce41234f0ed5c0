#include "tuxing_fixture.h"

#include <cstdlib>

namespace {

using Pictures = MaximizedTuxingTest;

// Both pictures compose one scene that leaves the labels as they were, and
// 清除 brings back the bare window. make screenshot keeps the scene where
// TUXING_SCENE names.
TEST_F(Pictures, bothComposeOneScene)
{
    const QImage clean = grabClient();
    const QImage scene = paintBothPictures();
    for (const layout::Label& label : layout::kLabels)
        EXPECT_TRUE(sameInside(clean, scene, pixelRect(label.rect))) << label.name << " was painted over";
    if (const char* path = std::getenv("TUXING_SCENE")) {
        ASSERT_TRUE(scene.save(QString::fromLocal8Bit(path))) << path;
    }

    click(layout::Cls);
    ASSERT_TRUE(settle());
    EXPECT_TRUE(sameOutside(clean, grabClient(), buttonFaces()));
}

} // namespace
