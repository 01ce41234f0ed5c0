#pragma once

#include "child_process.h"
#include "desktop.h"
#include "screen_checks.h"

#include <gtest/gtest.h>

#include <QImage>

#include <chrono>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

// Polls the condition until it holds; false if it still fails at the timeout.
template <typename Condition> bool pollUntil(Condition condition, std::chrono::milliseconds timeout)
{
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!condition()) {
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}

// Works the buttons of the program with that process id over the
// accessibility bus, through the client in atspi.py (its first argument is
// the command: check or press).
testing::AssertionResult atspiClient(qint64 pid, std::vector<std::string> arguments);

// Set once by main from --program=PATH.
void setProgramPath(std::filesystem::path path);
const std::filesystem::path& programPath();

// Focus frames and hover shading may change a button's face at any time, so
// comparisons of whole windows leave the buttons, plus a small margin, out.
std::vector<QRect> buttonFaces(double ratio);

// Each test starts the program on the desktop in DISPLAY and stops it again
// when it ends, pass or fail. On failure the last screenshot and the
// program's output stay in the test's artifacts folder.
class TuxingTest : public testing::Test {
protected:
    // A picture paints up to 2.5 million points; this is long enough for
    // ten of them on a slow, shared machine.
    static constexpr std::chrono::seconds kBusyTimeout { 60 };

    void SetUp() override;
    void TearDown() override;
    // How the program is started; a test may start it another way.
    virtual std::vector<std::string> command() const { return { programPath().string() }; }
    virtual std::vector<std::string> extraEnvironment() const { return {}; }

    Desktop& desktop() { return *m_desktop; }
    ChildProcess& program() { return *m_program; }
    xcb_window_t window() const { return m_window; }
    std::string windowId() const;
    double ratio() const { return m_desktop->ratio(); }
    // A button's place in the client area.
    QRect buttonRect(int button) const { return pixelRect(layout::kButtons[button].rect, ratio()); }
    std::vector<QRect> buttonFaces() const { return ::buttonFaces(ratio()); }

    // Each request to the window manager returns once its effect shows.
    void maximize();
    void unmaximize();
    void activate();
    void minimize();
    void restore();
    // Returns once the window manager has handled every request sent so far,
    // whether or not its effect can be seen.
    void catchUpWithWindowManager();
    void closeThroughWindowManager();

    void click(int button);
    // xdotool key names, sent to the focused window.
    void pressKeys(const std::vector<std::string>& keys);

    // Returns once the program has handled all input sent so far.
    [[nodiscard]] testing::AssertionResult settle();
    // The client area as on the screen now.
    QImage grabClient();
    void keepShot(const QImage& image, const std::string& name);
    // Clicks both picture buttons and checks the scene they compose.
    QImage paintBothPictures();
    void expectCleanExit(const char* after);

private:
    template <typename Condition>
    bool requestFromWindowManager(const std::vector<std::string>& request, Condition done);
    bool hasState(const char* state);

    std::filesystem::path m_artifacts;
    std::unique_ptr<Desktop> m_desktop;
    std::unique_ptr<ChildProcess> m_program;
    xcb_window_t m_window = 0;
    QImage m_lastShot;
};

// Most checks need the whole layout, which only a maximized window shows.
class MaximizedTuxingTest : public TuxingTest {
protected:
    void SetUp() override;
};

// Whole client areas compared pixel by pixel, with the given rectangles left
// out or alone taken in.
testing::AssertionResult sameOutside(const QImage& expected, const QImage& actual, const std::vector<QRect>& excluded);
testing::AssertionResult sameInside(const QImage& expected, const QImage& actual, const QRect& rect);
// Walks from `from` towards the panel's inside, one `step` at a time, and
// expects dark green, then exactly three blue pixels beginning within the
// given range of walk positions, then black.
testing::AssertionResult crossesOutline(
    const QImage& image, QPoint from, QPoint step, int pixels, int firstBlueEarliest, int firstBlueLatest);
