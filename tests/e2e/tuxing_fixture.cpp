#include "tuxing_fixture.h"

#include <algorithm>
#include <cstdio>
#include <sstream>

namespace {

constexpr auto kStartTimeout = std::chrono::seconds(30);

std::filesystem::path& storedProgramPath()
{
    static std::filesystem::path path;
    return path;
}

std::string artifactsName()
{
    const testing::TestInfo* info = testing::UnitTest::GetInstance()->current_test_info();
    std::string name = std::string(info->test_suite_name()) + "." + info->name();
    std::replace(name.begin(), name.end(), '/', '_');
    return name;
}

} // namespace

testing::AssertionResult atspiClient(qint64 pid, std::vector<std::string> arguments)
{
    const std::string command = arguments.empty() ? "" : arguments.front();
    arguments.insert(arguments.begin(), { "/usr/bin/python3", TUXING_ATSPI_CLIENT, std::to_string(pid) });
    std::string output;
    const ExitStatus status = runCommand(arguments, std::chrono::seconds(60), &output);
    if (status.isCleanExit())
        return testing::AssertionSuccess();
    return testing::AssertionFailure() << "atspi.py " << command << ": " << status.describe() << "\n" << output;
}

void setProgramPath(std::filesystem::path path) { storedProgramPath() = std::move(path); }
const std::filesystem::path& programPath() { return storedProgramPath(); }

void TuxingTest::SetUp()
{
    ASSERT_TRUE(std::filesystem::exists(programPath())) << "pass the program as --program=PATH";
    m_artifacts = std::filesystem::path(TUXING_E2E_ARTIFACTS) / artifactsName();
    std::filesystem::remove_all(m_artifacts);
    std::filesystem::create_directories(m_artifacts);

    m_desktop = std::make_unique<Desktop>();
    m_program = std::make_unique<ChildProcess>(command(), extraEnvironment(), m_artifacts / "tuxing.log");
    const bool mapped = pollUntil(
        [this] {
            if (!m_program->isRunning())
                return true;
            const std::optional<xcb_window_t> found = m_desktop->findClientWindow(m_program->pid());
            if (found && m_desktop->isViewable(*found))
                m_window = *found;
            return m_window != 0;
        },
        kStartTimeout);
    ASSERT_TRUE(m_program->isRunning()) << "the program ended at start; see " << m_artifacts / "tuxing.log";
    ASSERT_TRUE(mapped) << "no window of the program was mapped and managed";
    ASSERT_TRUE(settle());
}

void TuxingTest::TearDown()
{
    if (HasFailure() && m_desktop) {
        if (!m_lastShot.isNull())
            keepShot(m_lastShot, "last-client-area");
        keepShot(m_desktop->grabScreen(), "screen-at-end");
    }
    m_program.reset();
    m_desktop.reset();
}

std::string TuxingTest::windowId() const
{
    char text[16];
    std::snprintf(text, sizeof text, "0x%08x", unsigned(m_window));
    return text;
}

std::vector<QRect> buttonFaces(double ratio)
{
    std::vector<QRect> faces;
    for (const layout::Button& button : layout::kButtons)
        faces.push_back(pixelRect(button.rect, ratio).adjusted(-3, -3, 3, 3));
    return faces;
}

bool TuxingTest::hasState(const char* state)
{
    const std::vector<std::string> states = desktop().windowState(window());
    return std::find(states.begin(), states.end(), state) != states.end();
}

void TuxingTest::maximize()
{
    const QSize needed(
        pixelFromTwips(layout::kNeededWidth, ratio()) + 2, pixelFromTwips(layout::kNeededHeight, ratio()) + 2);
    const bool maximized
        = requestFromWindowManager({ "-i", "-r", windowId(), "-b", "add,maximized_vert,maximized_horz" }, [&] {
              const std::optional<QRect> area = desktop().clientArea(window());
              return hasState("_NET_WM_STATE_MAXIMIZED_VERT") && hasState("_NET_WM_STATE_MAXIMIZED_HORZ") && area
                  && area->width() >= needed.width() && area->height() >= needed.height();
          });
    if (!maximized) {
        const std::optional<QRect> area = desktop().clientArea(window());
        FAIL() << "the window did not become maximized with room for the whole layout; client area "
               << (area ? area->width() : 0) << "x" << (area ? area->height() : 0);
    }
    ASSERT_TRUE(settle());
    // The enlarged part is painted some time after the resize; the window's
    // far corner is margin, so once it shows dark green the whole window has
    // been drawn at its new size.
    ASSERT_TRUE(pollUntil(
        [this] {
            const QImage client = grabClient();
            return !client.isNull()
                && colorAt(client, { client.width() - 1, client.height() - 1 }) == colors::kDarkGreen;
        },
        kStartTimeout))
        << "the maximized window was never drawn out to its far corner";
    ASSERT_TRUE(settle());
}

void TuxingTest::unmaximize()
{
    if (!requestFromWindowManager({ "-i", "-r", windowId(), "-b", "remove,maximized_vert,maximized_horz" },
            [this] { return !hasState("_NET_WM_STATE_MAXIMIZED_VERT") && !hasState("_NET_WM_STATE_MAXIMIZED_HORZ"); }))
        FAIL() << "the window stayed maximized";
}

void TuxingTest::activate()
{
    if (!requestFromWindowManager({ "-i", "-a", windowId() }, [this] { return desktop().activeWindow() == window(); }))
        FAIL() << "the window did not become active; the active window is " << desktop().activeWindow();
    ASSERT_TRUE(settle());
}

void TuxingTest::minimize()
{
    ASSERT_TRUE(desktop().xdotool({ "windowminimize", windowId() }).isCleanExit());
    ASSERT_TRUE(pollUntil(
        [this] { return !desktop().isViewable(window()) && hasState("_NET_WM_STATE_HIDDEN"); }, kStartTimeout))
        << "the window was not minimized";
}

void TuxingTest::restore()
{
    // Activating a minimized window restores it.
    if (!requestFromWindowManager({ "-i", "-a", windowId() },
            [this] { return desktop().isViewable(window()) && !hasState("_NET_WM_STATE_HIDDEN"); }))
        FAIL() << "the window was not restored";
    ASSERT_TRUE(settle());
}

void TuxingTest::catchUpWithWindowManager()
{
    // The window manager handles requests in the order they reach it, so
    // once the effect of a fresh one shows, all earlier ones have been
    // handled. Keeping the window above others changes nothing else here.
    const bool above = hasState("_NET_WM_STATE_ABOVE");
    if (!requestFromWindowManager({ "-i", "-r", windowId(), "-b", above ? "remove,above" : "add,above" },
            [&] { return hasState("_NET_WM_STATE_ABOVE") != above; }))
        FAIL() << "the window manager did not answer";
}

template <typename Condition>
bool TuxingTest::requestFromWindowManager(const std::vector<std::string>& request, Condition done)
{
    // A request can reach the window manager while it is still busy with the
    // window's previous change and be lost, so it is repeated until it holds;
    // every request used here is idempotent. What holds before the request
    // is sent holds for good only if no earlier request is still on its way:
    // every request here waits for its effect.
    constexpr auto kRepeatAfter = std::chrono::seconds(1);
    const auto deadline = std::chrono::steady_clock::now() + kStartTimeout;
    while (std::chrono::steady_clock::now() < deadline) {
        if (done())
            return true;
        if (!desktop().wmctrl(request).isCleanExit())
            return false;
        if (pollUntil(done, kRepeatAfter))
            return true;
    }
    return false;
}

void TuxingTest::closeThroughWindowManager()
{
    ASSERT_TRUE(desktop().wmctrl({ "-i", "-c", windowId() }).isCleanExit());
}

void TuxingTest::click(int button)
{
    const std::optional<QRect> area = desktop().clientArea(window());
    ASSERT_TRUE(area) << "the window is gone";
    const QPoint target = area->topLeft() + buttonRect(button).center();
    ASSERT_TRUE(desktop()
                    .xdotool({ "mousemove", std::to_string(target.x()), std::to_string(target.y()), "click", "--delay",
                        "0", "1" })
                    .isCleanExit());
}

void TuxingTest::pressKeys(const std::vector<std::string>& keys)
{
    // xdotool waits 12 ms after each key unless told otherwise; the program
    // needs no such pauses.
    std::vector<std::string> arguments { "key", "--delay", "0" };
    arguments.insert(arguments.end(), keys.begin(), keys.end());
    ASSERT_TRUE(desktop().xdotool(arguments).isCleanExit());
}

testing::AssertionResult TuxingTest::settle()
{
    // Qt answers a ping as soon as it reads it from the X queue, but input
    // read in the same batch reaches the widgets one loop iteration later,
    // and a repaint of an exposed or resized part waits for a 5 ms update
    // timer started then. Each ping is read at least one iteration after the
    // one before it: three pings see the input delivered, and after the
    // pause, which lets any update timer come due, two more see it fired.
    constexpr auto kUpdateTimerMargin = std::chrono::milliseconds(30);
    for (int round = 0; round < 5; ++round) {
        if (round == 3)
            std::this_thread::sleep_for(kUpdateTimerMargin);
        if (!desktop().ping(window(), kBusyTimeout)) {
            const std::optional<ExitStatus> ended = program().waitForExit(std::chrono::milliseconds(0));
            return testing::AssertionFailure() << "the program did not answer a ping within " << kBusyTimeout.count()
                                               << " s; it " << (ended ? ended->describe() : "is still running");
        }
    }
    return testing::AssertionSuccess();
}

QImage TuxingTest::grabClient()
{
    const std::optional<QRect> area = desktop().clientArea(window());
    if (!area)
        return {};
    m_lastShot = desktop().grabScreen().copy(*area);
    return m_lastShot;
}

void TuxingTest::keepShot(const QImage& image, const std::string& name)
{
    const std::filesystem::path path = m_artifacts / (name + ".png");
    image.save(QString::fromStdString(path.string()));
    std::printf("screenshot kept: %s\n", path.c_str());
}

QImage TuxingTest::paintBothPictures()
{
    click(layout::Gsls);
    click(layout::Jgdd);
    EXPECT_TRUE(settle());
    const QImage scene = grabClient();
    expectMountainsAndWater(scene);
    expectGoldenAvenue(scene);
    return scene;
}

void TuxingTest::expectCleanExit(const char* after)
{
    const std::optional<ExitStatus> status = program().waitForExit(kBusyTimeout);
    ASSERT_TRUE(status) << "still running after " << after;
    EXPECT_TRUE(status->isCleanExit()) << after << ": " << status->describe();
}

void MaximizedTuxingTest::SetUp()
{
    TuxingTest::SetUp();
    if (HasFatalFailure())
        return;
    maximize();
}

namespace {

testing::AssertionResult compare(
    const QImage& expected, const QImage& actual, const QRect& area, const std::vector<QRect>& excluded)
{
    if (expected.size() != actual.size()) {
        return testing::AssertionFailure() << "sizes differ: " << expected.width() << "x" << expected.height()
                                           << " and " << actual.width() << "x" << actual.height();
    }
    int differing = 0;
    std::ostringstream first;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            const bool skipped = std::any_of(
                excluded.begin(), excluded.end(), [x, y](const QRect& rect) { return rect.contains(x, y); });
            if (skipped || expected.pixel(x, y) == actual.pixel(x, y))
                continue;
            if (++differing <= 5) {
                first << " (" << x << "," << y << ") " << rgbOf(expected.pixel(x, y)) << " became "
                      << rgbOf(actual.pixel(x, y));
            }
        }
    }
    if (differing == 0)
        return testing::AssertionSuccess();
    return testing::AssertionFailure() << differing << " pixels differ, first:" << first.str();
}

} // namespace

testing::AssertionResult sameOutside(const QImage& expected, const QImage& actual, const std::vector<QRect>& excluded)
{
    return compare(expected, actual, expected.rect(), excluded);
}

testing::AssertionResult sameInside(const QImage& expected, const QImage& actual, const QRect& rect)
{
    return compare(expected, actual, rect.intersected(expected.rect()), {});
}

testing::AssertionResult crossesOutline(
    const QImage& image, QPoint from, QPoint step, int pixels, int firstBlueEarliest, int firstBlueLatest)
{
    std::vector<Rgb> walk;
    for (int i = 0; i < pixels; ++i)
        walk.push_back(colorAt(image, from + step * i));
    auto describe = [&] {
        std::ostringstream text;
        text << "walking from (" << from.x() << "," << from.y() << ") by (" << step.x() << "," << step.y() << "):";
        for (const Rgb color : walk)
            text << " " << color;
        return text.str();
    };
    std::size_t i = 0;
    while (i < walk.size() && walk[i] == colors::kDarkGreen)
        ++i;
    const int firstBlue = int(i);
    if (firstBlue == 0)
        return testing::AssertionFailure() << "no dark-green margin; " << describe();
    while (i < walk.size() && walk[i] == colors::kBlue)
        ++i;
    const int blueCount = int(i) - firstBlue;
    if (blueCount != layout::kOutlinePixels)
        return testing::AssertionFailure() << blueCount << " blue pixels; " << describe();
    if (firstBlue < firstBlueEarliest || firstBlue > firstBlueLatest) {
        return testing::AssertionFailure() << "outline starts at step " << firstBlue << ", not within "
                                           << firstBlueEarliest << "-" << firstBlueLatest << "; " << describe();
    }
    if (i == walk.size())
        return testing::AssertionFailure() << "nothing inside the outline; " << describe();
    while (i < walk.size() && walk[i] == colors::kBlack)
        ++i;
    if (i != walk.size())
        return testing::AssertionFailure() << "not black inside the outline; " << describe();
    return testing::AssertionSuccess();
}
