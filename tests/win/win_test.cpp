// The Windows program as a person uses it, under Wine on a private desktop,
// driven by the desktop program's fixture: one table of rows, each a start of
// tuxing.exe or of its twin whose drawing fails, all in one Wine prefix with
// one wine server. Pictures are held to the native core's layer composed over
// the form as it showed before, only the buttons' faces left out.
//   tuxing_win_test --windows-build=DIR --reference=TOOL --template=PREFIX --prefix=PREFIX
//
// Wine is the target of the test, not of the program, and differs from
// Windows in what the program does: it redraws a window uncovered by another
// from a copy of its own, as a composited Windows desktop does, so only a
// restore from the taskbar has the program repaint here; and it gives every
// monitor, and every program whether it declares itself aware of densities
// or not, the one density of its registry, so neither a change of density
// (WM_DPICHANGED) nor the manifest's declaration shows here.

#include "tuxing_fixture.h"

#include <QCoreApplication>
#include <QRegularExpression>

#include <cstdlib>
#include <sstream>

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

struct Paths {
    fs::path windowsBuild;
    fs::path reference;
    fs::path prefixTemplate;
    fs::path prefix;
} g_paths;

std::string run(const std::vector<std::string>& command)
{
    std::string output;
    const ExitStatus status = runCommand(command, 60s, &output);
    if (!status.isCleanExit())
        throw std::runtime_error(command.front() + " " + status.describe() + ": " + output);
    return output;
}

// Each run works in a copy of the prefix the build made: hard links to the
// modules, which Wine only reads, and copies of the rest, such as the
// registry, which it may change.
class WinePrefix : public testing::Environment {
public:
    void SetUp() override
    {
        fs::remove_all(g_paths.prefix);
        run({ "cp", "-al", g_paths.prefixTemplate.string(), g_paths.prefix.string() });
        for (const fs::directory_entry& entry : fs::recursive_directory_iterator(g_paths.prefix)) {
            const fs::path extension = entry.path().extension();
            if (entry.is_regular_file() && extension != ".dll" && extension != ".exe") {
                fs::copy_file(entry.path(), entry.path().string() + ".copy");
                fs::rename(entry.path().string() + ".copy", entry.path());
            }
        }
        setenv("WINEPREFIX", g_paths.prefix.c_str(), 1);
        setenv("WINEDEBUG", "-all", 1);
        setenv("WINEDLLOVERRIDES", "mscoree,mshtml=;winemenubuilder.exe=d", 1);
        // One server for all the rows, so that each start is the program's.
        run({ "wineserver", "--persistent" });
    }
    void TearDown() override { runCommand({ "wineserver", "--kill" }); }
};

class WindowsProgram;

struct Row {
    const char* name;
    // The fault the row catches, shown once by injecting it.
    const char* catches;
    std::vector<std::string> arguments;
    const char* executable;
    void (*run)(WindowsProgram& test);
    int dotsPerInch = 96;
};
void PrintTo(const Row& row, std::ostream* stream) { *stream << row.name; }

class WindowsProgram : public TuxingTest, public testing::WithParamInterface<Row> {
public:
    using TuxingTest::activate, TuxingTest::click, TuxingTest::closeThroughWindowManager, TuxingTest::desktop,
        TuxingTest::expectCleanExit, TuxingTest::grabClient, TuxingTest::maximize, TuxingTest::minimize,
        TuxingTest::pressKeys, TuxingTest::program, TuxingTest::restore, TuxingTest::window, TuxingTest::windowId;

    std::vector<std::string> command() const override
    {
        std::vector<std::string> command { "wine", (g_paths.windowsBuild / GetParam().executable).string() };
        command.insert(command.end(), GetParam().arguments.begin(), GetParam().arguments.end());
        // Wine takes one density for every monitor from its registry as the
        // program starts.
        if (GetParam().dotsPerInch != 96) {
            command.insert(command.begin(),
                { "sh", "-c",
                    "wine reg add 'HKCU\\Control Panel\\Desktop' /v LogPixels /t REG_DWORD /d \"$0\" /f >/dev/null && "
                    "exec \"$@\"",
                    std::to_string(GetParam().dotsPerInch) });
        }
        return command;
    }

    // The client area once the form has drawn itself at start.
    QImage formAtStart()
    {
        QImage shown;
        pollUntil([&] { return colorAt(shown = grabClient(), { 0, 0 }) == colors::kDarkGreen; }, kBusyTimeout);
        return shown;
    }

    // The form as it showed before, with the native core's layer after these
    // buttons composed over it.
    QImage after(const QImage& form, const std::vector<std::string>& buttons, double ratio = 1)
    {
        std::vector<std::string> command { g_paths.reference.string(), "layer", std::to_string(form.width()),
            std::to_string(form.height()), std::to_string(ratio) };
        command.insert(command.end(), buttons.begin(), buttons.end());
        const std::string rgba = run(command);
        QImage composed = form.convertToFormat(QImage::Format_RGB32);
        for (int i = 0; i < form.width() * form.height(); ++i) {
            const auto* pixel = reinterpret_cast<const std::uint8_t*>(rgba.data()) + 4 * i;
            if (pixel[3])
                composed.setPixel(i % form.width(), i / form.width(), qRgb(pixel[0], pixel[1], pixel[2]));
        }
        return composed;
    }

    // A ping is answered once the input before it has been read, not yet
    // handled, so a handler's effect is awaited on the screen; once it shows,
    // it must still show when the program has read all input since.
    testing::AssertionResult shows(const QImage& expected, double ratio = 1)
    {
        testing::AssertionResult same = testing::AssertionFailure();
        pollUntil([&] { return bool(same = sameOutside(expected, grabClient(), ::buttonFaces(ratio))); }, kBusyTimeout);
        return same && settle() ? sameOutside(expected, grabClient(), ::buttonFaces(ratio)) : same;
    }

    // Presses Return in the program's message box with that title, once
    // the window manager, which lists it, has made it active and the program
    // has read so.
    testing::AssertionResult answer(const std::string& title)
    {
        xcb_window_t box = 0;
        const bool active = pollUntil(
            [&] {
                std::string list;
                runCommand({ "wmctrl", "-l", "-p" }, 10s, &list);
                std::istringstream lines(list);
                std::string id, desk;
                for (qint64 pid = 0; !box && lines >> id >> desk >> pid; lines.ignore(1 << 16, '\n')) {
                    const auto window = xcb_window_t(std::stoul(id, nullptr, 16));
                    box = pid == program().pid() && desktop().title(window) == title ? window : 0;
                }
                if (box && desktop().activeWindow() != box)
                    desktop().wmctrl({ "-i", "-a", id });
                return box && desktop().activeWindow() == box;
            },
            kBusyTimeout);
        if (!active || !desktop().ping(box, kBusyTimeout))
            return testing::AssertionFailure() << "no active message box titled " << title;
        pressKeys({ "Return" });
        return testing::AssertionSuccess();
    }
};

// The window's 32-pixel icon as the window system has it: each image its
// width, its height and its ARGB words.
QImage windowIcon(const std::string& window)
{
    std::istringstream words(run({ "xprop", "-id", window, "-notype", "32c", "_NET_WM_ICON" }));
    words.ignore(1 << 16, '=');
    char comma = 0;
    for (std::uint32_t width = 0, height = 0; words >> width >> comma >> height; words >> comma) {
        QImage icon(int(width), int(height), QImage::Format_ARGB32);
        for (std::uint32_t i = 0, pixel = 0; i < width * height && words >> comma >> pixel; ++i)
            icon.setPixel(int(i % width), int(i / width), pixel);
        if (width == 32)
            return icon;
    }
    return {};
}

const Row kRows[] = {
    { "startsSmallThenMaximizesToTheTable",
        "a window of the start size, frame and all, rather than a client area of it", {}, "tuxing.exe",
        [](WindowsProgram& test) {
            EXPECT_EQ(test.desktop().title(test.window()), layout::kCaption);
            const QImage small = test.formAtStart();
            EXPECT_EQ(small.size(), QSize(pixelFromTwips(layout::kStartWidth), pixelFromTwips(layout::kStartHeight)));
            for (const std::string& state : test.desktop().windowState(test.window()))
                EXPECT_EQ(state.find("MAXIMIZED"), std::string::npos) << state;
            const int panel = pixelFromTwips(layout::kPanel.left);
            EXPECT_TRUE(crossesOutline(small, { 0, 100 }, { 1, 0 }, panel + 12, panel, panel));
            EXPECT_TRUE(crossesOutline(small, { 100, 0 }, { 0, 1 }, panel + 12, panel, panel));
            // The window shows the executable's own 32-pixel image.
            const QImage rendered(QString::fromStdString((g_paths.windowsBuild / "win/icon/32x32-16.png").string()));
            EXPECT_EQ(windowIcon(test.windowId()), rendered.convertToFormat(QImage::Format_ARGB32));

            ASSERT_NO_FATAL_FAILURE(test.maximize());
            const QImage client = test.grabClient();
            const QRect inner = pixelRect(layout::kPanel);
            EXPECT_TRUE(crossesOutline(client, { inner.right() + 6, 200 }, { -1, 0 }, 18, 6, 6));
            EXPECT_TRUE(crossesOutline(client, { 300, inner.bottom() + 6 }, { 0, -1 }, 18, 6, 6));
            for (const layout::Label& label : layout::kLabels) {
                const QRect rect = pixelRect(label.rect);
                EXPECT_GE(countColor(client, rect, label.color), 40) << label.name;
                EXPECT_EQ(
                    countColor(client, rect.adjusted(-8, -8, 8, 8), label.color), countColor(client, rect, label.color))
                    << label.name;
            }
            // Each button over the panel, which shows just left of it.
            for (const layout::Button& button : layout::kButtons) {
                const QRect rect = pixelRect(button.rect);
                const QRect face = rect.adjusted(2, 2, -2, -2);
                EXPECT_LT(countColor(client, face, colors::kBlack), face.width() * face.height() / 2) << button.name;
                EXPECT_EQ(countColor(client, rect.adjusted(-3, 0, -rect.width(), 0), colors::kBlack), 3 * rect.height())
                    << button.name;
            }
            test.closeThroughWindowManager();
            test.expectCleanExit("the close box");
        } },
    { "paintsAsTheNativeCoreAloneAndTogether", "red and blue swapped on the way to the window", {}, "tuxing.exe",
        [](WindowsProgram& test) {
            ASSERT_NO_FATAL_FAILURE(test.maximize());
            const QImage form = test.grabClient();
            test.click(layout::Gsls);
            EXPECT_TRUE(test.shows(test.after(form, { "CmdGsls" }))) << "高山流水";
            test.click(layout::Cls);
            EXPECT_TRUE(test.shows(form)) << "清除";
            test.click(layout::Jgdd);
            EXPECT_TRUE(test.shows(test.after(form, { "CmdJgdd" }))) << "金光大道";
            test.click(layout::Gsls);
            EXPECT_TRUE(test.shows(test.after(form, { "CmdJgdd", "CmdGsls" }))) << "both";
            if (const char* path = std::getenv("TUXING_WINE_SCENE"))
                test.grabClient().save(QString::fromLocal8Bit(path));
            // Restored from the taskbar, the window has Windows repaint all of
            // it, under Wine too, once Wine has followed the minimize.
            ASSERT_NO_FATAL_FAILURE(test.minimize());
            ASSERT_TRUE(test.desktop().ping(test.window(), 30s));
            ASSERT_NO_FATAL_FAILURE(test.restore());
            EXPECT_TRUE(test.shows(form)) << "restored";
            test.click(layout::Exit);
            test.expectCleanExit("退出");
        } },
    // At its own pace a picture ends before the next present; at this one
    // 金光大道 paints for 1.3 s, 80 frames.
    { "inputWhilePaintingWaitsItsTurn", "messages taken while presenting", { "--pace=2000000" }, "tuxing.exe",
        [](WindowsProgram& test) {
            ASSERT_NO_FATAL_FAILURE(test.maximize());
            const QImage form = test.grabClient();
            test.click(layout::Jgdd);
            test.click(layout::Cls);
            test.click(layout::Gsls);
            EXPECT_TRUE(test.shows(test.after(form, { "CmdGsls" })));
            test.click(layout::Gsls);
            test.closeThroughWindowManager();
            test.expectCleanExit("closing while 高山流水 painted");
        } },
    { "focusStartsOnGoldenAvenueAndTabsInTableOrder", "no first focus on 金光大道", {}, "tuxing.exe",
        [](WindowsProgram& test) {
            ASSERT_NO_FATAL_FAILURE(test.maximize());
            const QImage form = test.grabClient();
            ASSERT_NO_FATAL_FAILURE(test.activate());
            test.pressKeys({ "space" });
            EXPECT_TRUE(test.shows(test.after(form, { "CmdJgdd" }))) << "Space";
            test.pressKeys({ "Tab", "space" });
            EXPECT_TRUE(test.shows(test.after(form, { "CmdJgdd", "CmdGsls" }))) << "Tab, Space";
            test.pressKeys({ "Tab", "space" });
            EXPECT_TRUE(test.shows(form)) << "Tab, Space, Tab, Space";
            test.pressKeys({ "Tab", "space" });
            test.expectCleanExit("the fourth Tab, Space");
        } },
    { "runTimeErrorShowsItsMessageBoxAndTheProgramGoesOn", "the program ending on its run-time error", {},
        "tests/win/tuxing_failing.exe",
        [](WindowsProgram& test) {
            ASSERT_NO_FATAL_FAILURE(test.maximize());
            const QImage form = test.grabClient();
            test.click(layout::Jgdd);
            ASSERT_TRUE(test.answer(layout::kRunTimeErrorTitle));
            test.click(layout::Cls);
            test.click(layout::Gsls);
            EXPECT_TRUE(test.shows(test.after(form, { "CmdGsls" }))) << "after the error";
            test.click(layout::Exit);
            test.expectCleanExit("退出");
        } },
    { "refusesAPaceInAMessageBox", "a refusal written to a console that is not there", { "--pace=0" }, "tuxing.exe",
        [](WindowsProgram& test) {
            EXPECT_TRUE(test.answer("tuxing"));
            const std::optional<ExitStatus> status = test.program().waitForExit(30s);
            EXPECT_TRUE(status && status->exited && status->code == 2) << (status ? status->describe() : "running");
        } },
    // The last row: it leaves Wine's registry at its density. Only the
    // top-left of the form shows, the mountains in it.
    { "followsTheDensityOfTheScreen", "a window laid out at 96 dots per inch whatever the density", {}, "tuxing.exe",
        [](WindowsProgram& test) {
            const QImage form = test.formAtStart();
            // 4680 x 3195 twips at a tenth of a pixel each, the half rounded up.
            EXPECT_EQ(form.size(), QSize(468, 320));
            ASSERT_NO_FATAL_FAILURE(test.activate());
            test.pressKeys({ "Tab", "space" });
            EXPECT_TRUE(test.shows(test.after(form, { "CmdGsls" }, 1.5), 1.5));
        },
        144 },
};

TEST_P(WindowsProgram, asAPersonUsesIt) { GetParam().run(*this); }

INSTANTIATE_TEST_SUITE_P(
    Wine, WindowsProgram, testing::ValuesIn(kRows), [](const auto& info) { return std::string(info.param.name); });

// What the executable carries: the version record and the icon's images as
// icoutils read them, and no module beyond what every Windows has.
TEST(Executable, carriesItsVersionRecordAndThreeImageIcon)
{
    const std::string exe = (g_paths.windowsBuild / "tuxing.exe").string();
    EXPECT_EQ(run({ "sh", "-c", "wrestool -x --type=14 \"$0\" | icotool -l -", exe }),
        "--icon --index=1 --width=32 --height=32 --bit-depth=1 --palette-size=2\n"
        "--icon --index=2 --width=32 --height=32 --bit-depth=4 --palette-size=16\n"
        "--icon --index=3 --width=16 --height=16 --bit-depth=4 --palette-size=16\n");
    EXPECT_NE(run({ "wrestool", "-l", "--type=16", exe }).find("--language=2052 [type=version"), std::string::npos);
    // The record in UTF-16: the fixed part's signature and layout version,
    // file and product version 1.0.0.0 as little-endian pairs of halves;
    // each text after its key and padding; Chinese (PRC) in Unicode.
    const std::string record = run({ "wrestool", "-x", "--raw", "--type=16", exe });
    const QString text = QString::fromUtf16(reinterpret_cast<const char16_t*>(record.data()), record.size() / 2);
    for (const char* expected : { "\\x{04bd}\\x{feef}\\x00\\x{0001}\\x00\\x{0001}\\x00\\x00\\x00\\x{0001}\\x00\\x00",
             "FileVersion\\x00+1\\.00\\x00", "ProductVersion\\x00+1\\.00\\x00", "080404b0\\x00",
             "Translation\\x00+\\x{0804}\\x{04b0}" })
        EXPECT_TRUE(text.contains(QRegularExpression(QString::fromLatin1(expected)))) << expected;
    const std::string imports
        = run({ "sh", "-c", "x86_64-w64-mingw32-objdump -p \"$0\" | sed -n 's/.*DLL Name: //p' | sort", exe });
    EXPECT_EQ(imports, "COMCTL32.dll\nGDI32.dll\nKERNEL32.dll\nSHELL32.dll\nUSER32.dll\nmsvcrt.dll\n");
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument = argv[i];
        for (auto [option, path] :
            { std::pair { "--windows-build=", &g_paths.windowsBuild }, std::pair { "--reference=", &g_paths.reference },
                std::pair { "--template=", &g_paths.prefixTemplate }, std::pair { "--prefix=", &g_paths.prefix } }) {
            if (argument.starts_with(option))
                *path = fs::absolute(std::string(argument.substr(std::strlen(option))));
        }
    }
    // The fixture starts what command() names; this one only has to exist.
    setProgramPath(g_paths.windowsBuild / "tuxing.exe");
    testing::AddGlobalTestEnvironment(new WinePrefix);
    return RUN_ALL_TESTS();
}
