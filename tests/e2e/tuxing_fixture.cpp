#include "tuxing_fixture.h"

#include <algorithm>
#include <cstdio>
#include <thread>

namespace {

constexpr auto kStartTimeout = std::chrono::seconds(30);

std::filesystem::path& programPath()
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

bool contains(const std::vector<std::string>& names, const std::string& name)
{
    return std::find(names.begin(), names.end(), name) != names.end();
}

} // namespace

void setProgramPath(std::filesystem::path path) { programPath() = std::move(path); }

void TuxingTest::SetUp()
{
    ASSERT_FALSE(programPath().empty()) << "pass the program as --program=PATH";
    ASSERT_TRUE(std::filesystem::exists(programPath())) << programPath();
    m_artifacts = std::filesystem::path(TUXING_E2E_ARTIFACTS) / artifactsName();
    std::filesystem::remove_all(m_artifacts);
    std::filesystem::create_directories(m_artifacts);

    m_desktop = std::make_unique<PrivateDesktop>(m_artifacts);
    m_program = std::make_unique<ChildProcess>(
        ChildProcess::Options { { programPath().string() }, m_desktop->environment(), m_artifacts / "tuxing.log" });

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
    if (!mapped) {
        const std::optional<xcb_window_t> found = m_desktop->findClientWindow(m_program->pid());
        std::string tree;
        runCommand({ "xwininfo", "-root", "-tree" }, m_desktop->environment(), std::chrono::seconds(10), &tree);
        std::FILE* file = std::fopen((m_artifacts / "window-tree.txt").c_str(), "w");
        std::fputs(tree.c_str(), file);
        std::fclose(file);
        FAIL() << "no window of the program was mapped; the window manager "
               << (found ? "lists one, not viewable" : "lists none") << "; see the logs in " << m_artifacts;
    }
    ASSERT_TRUE(m_program->isRunning()) << "the program ended at start; see " << m_artifacts / "tuxing.log";
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

void TuxingTest::maximize()
{
    const std::vector<std::string> request { "-i", "-r", windowId(), "-b", "add,maximized_vert,maximized_horz" };
    const bool maximized = requestFromWindowManager(request, [this] {
        const std::vector<std::string> state = desktop().windowState(window());
        const std::optional<QRect> area = desktop().clientArea(window());
        return contains(state, "_NET_WM_STATE_MAXIMIZED_VERT") && contains(state, "_NET_WM_STATE_MAXIMIZED_HORZ")
            && area && area->width() >= kNeededClientWidth && area->height() >= kNeededClientHeight;
    });
    if (!maximized) {
        const std::optional<QRect> area = desktop().clientArea(window());
        testing::Message state;
        for (const std::string& name : desktop().windowState(window()))
            state << " " << name;
        FAIL() << "the window did not become maximized with room for the whole layout; state:" << state
               << ", client area " << (area ? area->width() : 0) << "x" << (area ? area->height() : 0);
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
        [this] {
            return !desktop().isViewable(window()) && contains(desktop().windowState(window()), "_NET_WM_STATE_HIDDEN");
        },
        kStartTimeout))
        << "the window was not minimized";
}

void TuxingTest::restore()
{
    // Activating a minimized window restores it.
    if (!requestFromWindowManager({ "-i", "-a", windowId() }, [this] {
            return desktop().isViewable(window()) && !contains(desktop().windowState(window()), "_NET_WM_STATE_HIDDEN");
        }))
        FAIL() << "the window was not restored";
    ASSERT_TRUE(settle());
}

template <typename Condition>
bool TuxingTest::requestFromWindowManager(const std::vector<std::string>& request, Condition done)
{
    // A request can reach the window manager while it is still busy with the
    // window's previous change and be lost, so it is repeated until it holds;
    // both requests used here are idempotent.
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

void TuxingTest::click(Button button)
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
    // xdotool waits 12 ms after each key and 100 ms after each click unless
    // told otherwise; the program needs no such pauses.
    std::vector<std::string> arguments { "key", "--delay", "0" };
    arguments.insert(arguments.end(), keys.begin(), keys.end());
    ASSERT_TRUE(desktop().xdotool(arguments).isCleanExit());
}

void TuxingTest::closeThroughWindowManager()
{
    ASSERT_TRUE(desktop().wmctrl({ "-i", "-c", windowId() }).isCleanExit());
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
        if (!desktop().ping(window(), kBusyTimeout))
            return testing::AssertionFailure() << "the program did not answer a ping";
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

std::optional<ExitStatus> TuxingTest::waitForExit(std::chrono::milliseconds timeout)
{
    return program().waitForExit(timeout);
}

void MaximizedTuxingTest::SetUp()
{
    TuxingTest::SetUp();
    if (HasFatalFailure())
        return;
    maximize();
}
