#include "tuxing_fixture.h"

#include <cstdlib>

namespace {

using Start = TuxingTest;

TEST_F(Start, opensTitledSmallAndShowsOnlyTheTopLeftOfThePanel)
{
    EXPECT_EQ(desktop().title(window()), layout::kCaption);
    EXPECT_FALSE(desktop().hasState(window(), atoms()._NET_WM_STATE_MAXIMIZED_VERT));
    EXPECT_FALSE(desktop().hasState(window(), atoms()._NET_WM_STATE_MAXIMIZED_HORZ));
    const QImage client = grabClient();
    ASSERT_EQ(client.size(), QSize(pixelFromTwips(layout::kStartWidth), pixelFromTwips(layout::kStartHeight)));
    const int margin = pixelFromTwips(layout::kPanel.left);

    // The margin shows only along the top and left; the panel runs past the
    // right and bottom edges of the small window.
    EXPECT_EQ(
        countColor(client, QRect(0, 0, client.width(), margin - 2), colors::kDarkGreen), client.width() * (margin - 2));
    EXPECT_EQ(countColor(client, QRect(0, 0, margin - 2, client.height()), colors::kDarkGreen),
        client.height() * (margin - 2));
    const QRect inside(
        margin + layout::kOutlinePixels + 2, margin + layout::kOutlinePixels + 2, client.width(), client.height());
    EXPECT_EQ(countColor(client, inside, colors::kBlack),
        inside.intersected(client.rect()).width() * inside.intersected(client.rect()).height());

    // The outline lies inside the panel's rectangle or is centred on its edge.
    for (const int along : { 40, 120, 200 }) {
        EXPECT_TRUE(crossesOutline(client, { 0, along }, { 1, 0 }, margin + 12, margin - 2, margin));
        EXPECT_TRUE(crossesOutline(client, { along, 0 }, { 0, 1 }, margin + 12, margin - 2, margin));
    }
}

// Qt's own options work as for any Qt program: with no DISPLAY in its
// environment, -display names where the window goes.
class DisplayOption : public TuxingTest {
protected:
    std::vector<std::string> command() const override
    {
        return { "/usr/bin/env", "-u", "DISPLAY", programPath().string(), "-display", std::getenv("DISPLAY") };
    }
};

TEST_F(DisplayOption, startsWhereItPoints)
{
    EXPECT_EQ(desktop().title(window()), layout::kCaption);
    closeThroughWindowManager();
    expectCleanExit("the close");
}

// The program's own options are answered before it looks for a display;
// what Qt does not take of the rest is refused once it has found one.
struct CommandLineCase {
    const char* name;
    std::vector<std::string> arguments;
    bool withDisplay;
    int status;
    const char* says;
};

void PrintTo(const CommandLineCase& given, std::ostream* stream) { *stream << given.name; }

class CommandLine : public testing::TestWithParam<CommandLineCase> { };

TEST_P(CommandLine, answersAndEndsWithTheUsualStatus)
{
    const CommandLineCase& given = GetParam();
    std::vector<std::string> command { "/usr/bin/env" };
    if (!given.withDisplay)
        command.insert(command.end(), { "-u", "DISPLAY", "-u", "WAYLAND_DISPLAY" });
    command.push_back(programPath().string());
    command.insert(command.end(), given.arguments.begin(), given.arguments.end());
    std::string output;
    const ExitStatus status = runCommand(command, std::chrono::seconds(30), &output);
    EXPECT_TRUE(status.exited) << status.describe();
    EXPECT_EQ(status.code, given.status) << output;
    EXPECT_NE(output.find(given.says), std::string::npos) << output;
}

INSTANTIATE_TEST_SUITE_P(Start, CommandLine,
    testing::Values(CommandLineCase { "help", { "--help" }, false, 0, "--pace <N>" },
        CommandLineCase { "version", { "--version" }, false, 0, "tuxing 1.00\n" },
        CommandLineCase { "zeroPace", { "--pace=0" }, false, 2, "tuxing: the pace \"0\"" },
        CommandLineCase { "noPace", { "--pace" }, false, 2, "tuxing: Missing value after '--pace'" },
        CommandLineCase { "badPaceBehindQtOptions", { "-style", "Fusion", "--pace=0" }, false, 2, "the pace \"0\"" },
        CommandLineCase { "unknownOption", { "--fast" }, true, 2, "tuxing: Unknown option 'fast'" }),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
