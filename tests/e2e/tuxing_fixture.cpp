#include "tuxing_fixture.h"

#include <QPainter>

#include <algorithm>
#include <cstdio>
#include <sstream>

namespace {

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
    ASSERT_TRUE(m_desktop->clientWindows().empty()) << "the desktop still shows another test's windows";
    m_program = std::make_unique<ChildProcess>(command(), extraEnvironment(), m_artifacts / "tuxing.log");
    const bool mapped = m_desktop->waitUntil(
        [this] {
            if (!m_program->isRunning())
                return true;
            const std::optional<xcb_window_t> found = m_desktop->findClientWindow(m_program->pid());
            if (found && m_desktop->isViewable(*found))
                m_window = *found;
            return m_window != 0;
        },
        kWindowTimeout);
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
    if (m_desktop) {
        EXPECT_TRUE(m_desktop->waitUntil([this] { return m_desktop->clientWindows().empty(); }, kWindowTimeout))
            << "a window stayed on the desktop after the program ended";
    }
    m_desktop.reset();
}

std::vector<QRect> buttonFaces(double ratio)
{
    std::vector<QRect> faces;
    for (const layout::Button& button : layout::kButtons)
        faces.push_back(pixelRect(button.rect, ratio).adjusted(-3, -3, 3, 3));
    return faces;
}

void TuxingTest::maximize()
{
    const QSize needed(
        pixelFromTwips(layout::kNeededWidth, ratio()) + 2, pixelFromTwips(layout::kNeededHeight, ratio()) + 2);
    desktop().changeState(
        window(), XCB_EWMH_WM_STATE_ADD, atoms()._NET_WM_STATE_MAXIMIZED_VERT, atoms()._NET_WM_STATE_MAXIMIZED_HORZ);
    // The window manager may mark the window maximized before it resizes it,
    // so the wait is for the size: the work area less the frame.
    std::optional<QRect> area;
    ASSERT_TRUE(desktop().waitUntil(
        [&] {
            area = desktop().clientArea(window());
            const std::optional<QRect> work = desktop().workArea();
            return hasState(atoms()._NET_WM_STATE_MAXIMIZED_VERT) && hasState(atoms()._NET_WM_STATE_MAXIMIZED_HORZ)
                && area && work && *area == work->marginsRemoved(desktop().frameExtents(window()));
        },
        kWindowTimeout))
        << "the window did not become maximized to fill the work area";
    ASSERT_TRUE(area->width() >= needed.width() && area->height() >= needed.height())
        << "the maximized client area of " << area->width() << "x" << area->height()
        << " has no room for the whole layout";
    ASSERT_TRUE(settle());
    // The window's far corner is margin, so once it shows dark green the
    // whole window has been drawn at its new size.
    const QImage client = grabClient();
    ASSERT_EQ(colorAt(client, { client.width() - 1, client.height() - 1 }), colors::kDarkGreen)
        << "the maximized window was not drawn out to its far corner";
}

void TuxingTest::unmaximize()
{
    desktop().changeState(
        window(), XCB_EWMH_WM_STATE_REMOVE, atoms()._NET_WM_STATE_MAXIMIZED_VERT, atoms()._NET_WM_STATE_MAXIMIZED_HORZ);
    ASSERT_TRUE(desktop().waitUntil(
        [this] {
            return !hasState(atoms()._NET_WM_STATE_MAXIMIZED_VERT) && !hasState(atoms()._NET_WM_STATE_MAXIMIZED_HORZ);
        },
        kWindowTimeout))
        << "the window stayed maximized";
}

void TuxingTest::activate()
{
    desktop().activate(window());
    ASSERT_TRUE(desktop().waitUntil([this] { return desktop().activeWindow() == window(); }, kWindowTimeout))
        << "the window did not become active; the active window is " << desktop().activeWindow();
    ASSERT_TRUE(settle());
}

void TuxingTest::minimize()
{
    desktop().minimize(window());
    ASSERT_TRUE(desktop().waitUntil(
        [this] { return !desktop().isViewable(window()) && hasState(atoms()._NET_WM_STATE_HIDDEN); }, kWindowTimeout))
        << "the window was not minimized";
}

void TuxingTest::restore()
{
    // Activating a minimized window restores it.
    desktop().activate(window());
    ASSERT_TRUE(desktop().waitUntil(
        [this] { return desktop().isViewable(window()) && !hasState(atoms()._NET_WM_STATE_HIDDEN); }, kWindowTimeout))
        << "the window was not restored";
    ASSERT_TRUE(settle());
}

void TuxingTest::catchUpWithWindowManager()
{
    ASSERT_TRUE(desktop().catchUpWithWindowManager(kWindowTimeout)) << "the window manager did not answer";
}

void TuxingTest::closeThroughWindowManager()
{
    // Once the window manager has caught up, its word to the program is on
    // its way, ahead of anything the test sends the program next.
    desktop().close(window());
    catchUpWithWindowManager();
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

TuxingTest::Rest TuxingTest::rest()
{
    // Qt answers a ping the moment it takes it from the X queue, in one pass
    // with the input that came before it and before that input reaches the
    // widgets; a ping sent just after may be answered in that pass too. An
    // answer says the input has been read. That it has been handled, with
    // every repaint it caused, shows once the program has nothing left to do
    // and no timer due, even a repaint's. The second ping and rest make sure
    // that the first rest was not a handler waiting for the X server, and
    // the last ping puts the program's drawing before whatever the test asks
    // of the X server next.
    for (int round = 0; round < 3; ++round) {
        const std::uint32_t ping = desktop().sendPing(window());
        const bool answered
            = desktop().waitUntil([&] { return desktop().hasAnswered(ping) || !program().isRunning(); }, kBusyTimeout);
        if (!program().isRunning())
            return Rest::Ended;
        if (!answered)
            return Rest::Busy;
        if (round < 2
            && !desktop().waitUntil([this] { return program().isIdle() || !program().isRunning(); }, kBusyTimeout))
            return Rest::Busy;
    }
    return Rest::Reached;
}

testing::AssertionResult TuxingTest::settle()
{
    switch (rest()) {
    case Rest::Reached:
        return testing::AssertionSuccess();
    case Rest::Ended:
        return testing::AssertionFailure() << "the program " << program().waitForExit({})->describe();
    case Rest::Busy:
        break;
    }
    return testing::AssertionFailure() << "the program did not come to rest within " << kBusyTimeout.count() << " s";
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
    // A program that comes to rest still running will not end by itself.
    ASSERT_NE(rest(), Rest::Reached) << "still running, and at rest, after " << after;
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

QImage blanked(QImage image, const std::vector<QRect>& rects)
{
    QPainter painter(&image);
    for (const QRect& rect : rects)
        painter.fillRect(rect, Qt::black);
    return image;
}

testing::AssertionResult same(const QImage& expected, const QImage& actual)
{
    if (expected == actual)
        return testing::AssertionSuccess();
    if (expected.size() != actual.size()) {
        return testing::AssertionFailure() << "sizes differ: " << expected.width() << "x" << expected.height()
                                           << " and " << actual.width() << "x" << actual.height();
    }
    int differing = 0;
    std::ostringstream first;
    for (int y = 0; y < expected.height(); ++y) {
        for (int x = 0; x < expected.width(); ++x) {
            if (expected.pixel(x, y) != actual.pixel(x, y) && ++differing <= 5) {
                first << " (" << x << "," << y << ") " << rgbOf(expected.pixel(x, y)) << " became "
                      << rgbOf(actual.pixel(x, y));
            }
        }
    }
    return testing::AssertionFailure() << differing << " pixels differ, first:" << first.str();
}

} // namespace

testing::AssertionResult sameOutside(const QImage& expected, const QImage& actual, const std::vector<QRect>& excluded)
{
    return same(blanked(expected, excluded), blanked(actual, excluded));
}

testing::AssertionResult sameInside(const QImage& expected, const QImage& actual, const QRect& rect)
{
    return same(expected.copy(rect), actual.copy(rect));
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
