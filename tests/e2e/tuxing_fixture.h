#pragma once

#include "child_process.h"
#include "private_desktop.h"
#include "screen_expectations.h"

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

// Set once by main from --program=PATH.
void setProgramPath(std::filesystem::path path);

// Every test gets a fresh display, window manager and program, all stopped
// again when it ends, pass or fail. On failure the last screenshot and the
// logs stay in the test's artifacts folder.
class TuxingTest : public testing::Test {
protected:
    // A picture paints up to 2.5 million points; this is long enough for
    // ten of them on a slow, shared machine.
    static constexpr std::chrono::seconds kBusyTimeout { 60 };

    void SetUp() override;
    void TearDown() override;

    PrivateDesktop& desktop() { return *m_desktop; }
    ChildProcess& program() { return *m_program; }
    xcb_window_t window() const { return m_window; }
    std::string windowId() const;

    void maximize();
    void activate();
    void minimize();
    void restore();
    void click(Button button);
    // xdotool key names, sent to the focused window.
    void pressKeys(const std::vector<std::string>& keys);
    void closeThroughWindowManager();

    // Returns once the program has handled all input sent so far.
    [[nodiscard]] testing::AssertionResult settle();
    // The client area as on the screen now.
    QImage grabClient();
    void keepShot(const QImage& image, const std::string& name);
    std::optional<ExitStatus> waitForExit(std::chrono::milliseconds timeout = kBusyTimeout);

private:
    template <typename Condition>
    bool requestFromWindowManager(const std::vector<std::string>& request, Condition done);

    std::filesystem::path m_artifacts;
    std::unique_ptr<PrivateDesktop> m_desktop;
    std::unique_ptr<ChildProcess> m_program;
    xcb_window_t m_window = 0;
    QImage m_lastShot;
};

// Most checks need the whole layout, which only a maximized window shows.
class MaximizedTuxingTest : public TuxingTest {
protected:
    void SetUp() override;
};
