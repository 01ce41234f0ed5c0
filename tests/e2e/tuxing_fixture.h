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
#include <vector>

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
// when it ends, pass or fail, and leaves the desktop without windows for the
// next test on it. On failure the last screenshot and the program's output
// stay in the test's artifacts folder.
class TuxingTest : public testing::Test {
protected:
    // A picture paints up to 2.5 million points; this is long enough for
    // ten of them on a slow, shared machine.
    static constexpr std::chrono::seconds kBusyTimeout { 60 };
    // How long the program may take to start and the window manager to
    // carry out a request on such a machine.
    static constexpr std::chrono::seconds kWindowTimeout { 30 };

    void SetUp() override;
    void TearDown() override;
    // How the program is started; a test may start it another way.
    virtual std::vector<std::string> command() const { return { programPath().string() }; }
    virtual std::vector<std::string> extraEnvironment() const { return {}; }

    Desktop& desktop() { return *m_desktop; }
    ChildProcess& program() { return *m_program; }
    xcb_window_t window() const { return m_window; }
    double ratio() const { return m_desktop->ratio(); }
    const xcb_ewmh_connection_t& atoms() const { return m_desktop->atoms(); }
    // A button's place in the client area.
    QRect buttonRect(int button) const { return pixelRect(layout::kButtons[button].rect, ratio()); }
    std::vector<QRect> buttonFaces() const { return ::buttonFaces(ratio()); }

    // Each request to the window manager returns once its effect shows, and
    // fails the test if it does not show within one deadline.
    void maximize();
    void unmaximize();
    void activate();
    void minimize();
    void restore();
    // Returns once the window manager has handled every request sent so far,
    // whether or not its effect can be seen.
    void catchUpWithWindowManager();
    // What the close box of the frame does.
    void closeThroughWindowManager();

    void click(int button);
    // xdotool key names, sent to the focused window.
    void pressKeys(const std::vector<std::string>& keys);

    // Returns once the program has handled all input sent so far, and all
    // it drew is on the screen.
    [[nodiscard]] testing::AssertionResult settle();
    // The client area as on the screen now.
    QImage grabClient();
    void keepShot(const QImage& image, const std::string& name);
    // Clicks both picture buttons and checks the scene they compose.
    QImage paintBothPictures();
    // Fails at once if the program comes to rest still running.
    void expectCleanExit(const char* after);

private:
    enum class Rest { Reached, Ended, Busy };
    // Waits until the program has handled everything sent to it so far, or
    // has ended, within kBusyTimeout.
    Rest rest();
    bool hasState(xcb_atom_t state) { return m_desktop->hasState(m_window, state); }

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

// Whole client areas compared pixel by pixel, with the given rectangles
// blanked in both or alone taken in.
testing::AssertionResult sameOutside(const QImage& expected, const QImage& actual, const std::vector<QRect>& excluded);
testing::AssertionResult sameInside(const QImage& expected, const QImage& actual, const QRect& rect);
// Walks from `from` towards the panel's inside, one `step` at a time, and
// expects dark green, then exactly three blue pixels beginning within the
// given range of walk positions, then black.
testing::AssertionResult crossesOutline(
    const QImage& image, QPoint from, QPoint step, int pixels, int firstBlueEarliest, int firstBlueLatest);
