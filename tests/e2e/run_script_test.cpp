#include "tuxing_fixture.h"

namespace {

const std::filesystem::path kScene = std::filesystem::path(TUXING_E2E_ARTIFACTS) / "run-scene.png";

// make run where a display answers: run.sh hands its process over to the
// program, so the window carries run.sh's process id; it paints no scene.
class RunScript : public TuxingTest {
protected:
    std::vector<std::string> command() const override
    {
        std::filesystem::remove(kScene);
        return { TUXING_SOURCE_DIR "/scripts/run.sh", programPath().string(), kScene.string() };
    }
};

TEST_F(RunScript, startsTheProgramOnTheDisplay)
{
    closeThroughWindowManager();
    expectCleanExit("the close");
    EXPECT_FALSE(std::filesystem::exists(kScene));
}

} // namespace
