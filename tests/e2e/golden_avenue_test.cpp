#include "picture_expectations.h"
#include "tuxing_fixture.h"

namespace {

enum class Trigger {
    SpaceOnTheFocusedButton,
    Click,
};

struct TriggerCase {
    const char* name;
    Trigger trigger;
};

void PrintTo(const TriggerCase& row, std::ostream* stream) { *stream << row.name; }

class GoldenAvenueTest : public MaximizedTuxingTest, public testing::WithParamInterface<TriggerCase> { };

// The focus is still on 金光大道 from the start, so Space presses it.
TEST_P(GoldenAvenueTest, paintsSunRaysAndArches)
{
    const QImage clean = grabClient();
    if (GetParam().trigger == Trigger::SpaceOnTheFocusedButton) {
        activate();
        pressKeys({ "space" });
    } else {
        click(Button::Jgdd);
    }
    ASSERT_TRUE(settle());
    const QImage painted = grabClient();
    keepShot(painted, "golden-avenue");
    expectGoldenAvenue(painted);
    for (const ExpectedLabel& label : kLabels)
        EXPECT_TRUE(sameInside(clean, painted, label.rect)) << label.name << " was painted over";
}

const TriggerCase kTriggers[] = {
    { "space", Trigger::SpaceOnTheFocusedButton },
    { "click", Trigger::Click },
};

INSTANTIATE_TEST_SUITE_P(
    ByTrigger, GoldenAvenueTest, testing::ValuesIn(kTriggers), [](const auto& info) { return info.param.name; });

using PicturesTest = MaximizedTuxingTest;

TEST_F(PicturesTest, bothPicturesComposeIntoOneScene)
{
    click(Button::Gsls);
    click(Button::Jgdd);
    ASSERT_TRUE(settle());
    const QImage scene = grabClient();
    keepShot(scene, "scene");
    expectMountainsAndWater(scene);
    expectGoldenAvenue(scene);
}

// The clear is queued behind the picture and runs only once it is done, so
// nothing of the picture is left.
TEST_F(PicturesTest, clearRightAfterGoldenAvenueEndsWithTheCleanWindow)
{
    const QImage clean = grabClient();
    click(Button::Jgdd);
    click(Button::Cls);
    ASSERT_TRUE(settle());
    EXPECT_TRUE(sameOutside(clean, grabClient(), buttonFaces()));
}

TEST_F(PicturesTest, closingWhileGoldenAvenuePaintsEndsWithCodeZero)
{
    click(Button::Jgdd);
    closeThroughWindowManager();
    const std::optional<ExitStatus> status = waitForExit();
    ASSERT_TRUE(status) << "still running after the close";
    EXPECT_TRUE(status->isCleanExit()) << status->describe();
}

} // namespace
