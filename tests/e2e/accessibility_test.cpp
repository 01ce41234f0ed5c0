#include "tuxing_fixture.h"

namespace {

// The buttons as assistive technology sees them over the session bus, from
// outside the process, through the client in atspi.py.
class Accessibility : public MaximizedTuxingTest {
protected:
    std::vector<std::string> extraEnvironment() const override
    {
        // Without a screen reader announcing itself the toolkit keeps its
        // tree to itself.
        return { "QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1" };
    }

    testing::AssertionResult client(std::vector<std::string> arguments)
    {
        return atspiClient(program().pid(), std::move(arguments));
    }
};

TEST_F(Accessibility, buttonsNamedPlacedAndPressed)
{
    std::vector<std::string> check { "check" };
    for (int button = 0; button < int(std::size(layout::kButtons)); ++button) {
        const QRect rect = buttonRect(button);
        check.push_back(std::string(layout::kButtons[button].caption) + "=" + std::to_string(rect.x()) + ","
            + std::to_string(rect.y()) + "," + std::to_string(rect.width()) + "," + std::to_string(rect.height()));
    }
    ASSERT_TRUE(client(check));

    const QImage clean = grabClient();
    ASSERT_TRUE(client({ "press", layout::kButtons[layout::Gsls].caption }));
    ASSERT_TRUE(settle());
    expectMountainsAndWater(grabClient());
    ASSERT_TRUE(client({ "press", layout::kButtons[layout::Cls].caption }));
    ASSERT_TRUE(settle());
    EXPECT_TRUE(sameOutside(clean, grabClient(), buttonFaces()));

    ASSERT_TRUE(client({ "press", layout::kButtons[layout::Exit].caption }));
    expectCleanExit("pressing 退出 through its action");
}

} // namespace
