#pragma once

#include "child_process.h"

#include <QImage>
#include <QMargins>
#include <QRect>

#include <xcb/xcb_ewmh.h>

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <vector>

// The desktop in DISPLAY, which scripts/private-desktop.sh starts, seen
// through a connection of the test's own: windows and their state.
// The window manager is asked for changes as a pager asks, and input goes
// through xdotool, as a user's tools would send it.
class Desktop {
public:
    Desktop();
    ~Desktop();
    Desktop(const Desktop&) = delete;
    Desktop& operator=(const Desktop&) = delete;

    // The screen's device pixels per logical pixel, and its pixels, as the
    // toolkit sees them.
    double ratio() const;
    QImage grabScreen();
    // The names of the window states, among others.
    const xcb_ewmh_connection_t& atoms() const { return m_ewmh; }

    // Looks at the condition again whenever the display reports an event,
    // and every 2 ms for what it does not report; false if the condition
    // still fails at the timeout.
    bool waitUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout);

    ExitStatus xdotool(const std::vector<std::string>& arguments);

    // What the window manager tells clients of the desktop: the windows it
    // manages, among them the one of a process, the work area of the
    // current desktop and the active window.
    std::vector<xcb_window_t> clientWindows();
    std::optional<xcb_window_t> findClientWindow(pid_t pid);
    std::optional<QRect> workArea();
    xcb_window_t activeWindow();
    // ... and of a window: the client area in screen coordinates (nothing
    // once the window is gone), the frame's extents around it, the largest
    // client size it asks for, its title and its state.
    std::optional<QRect> clientArea(xcb_window_t window);
    QMargins frameExtents(xcb_window_t window);
    std::optional<QSize> maximumSize(xcb_window_t window);
    bool isViewable(xcb_window_t window);
    std::string title(xcb_window_t window);
    bool hasState(xcb_window_t window, xcb_atom_t state);

    // Requests that return at once; their effects show later.
    void changeState(
        xcb_window_t window, xcb_ewmh_wm_state_action_t action, xcb_atom_t state, xcb_atom_t alsoState = XCB_ATOM_NONE);
    void activate(xcb_window_t window);
    void minimize(xcb_window_t window);
    void resize(xcb_window_t window, QSize size);
    // What the close box of a frame does.
    void close(xcb_window_t window);

    // Returns once the window manager has handled every request sent so far,
    // whether or not its effect can be seen: it answers a request of a
    // window of this connection's own in the order the requests reach it.
    bool catchUpWithWindowManager(std::chrono::milliseconds timeout);

    // A client answers a ping from its event loop; which pings it has
    // answered is known after waitUntil() has looked at the events.
    std::uint32_t sendPing(xcb_window_t window);
    bool hasAnswered(std::uint32_t ping) const { return m_lastPingAnswered == ping; }

private:
    // Takes note of ping answers; says whether any event came.
    bool handleEvents();

    xcb_connection_t* m_connection = nullptr;
    xcb_ewmh_connection_t m_ewmh {};
    xcb_window_t m_root = 0;
    xcb_atom_t m_changeState = XCB_ATOM_NONE;
    xcb_window_t m_probe = 0;
    std::uint32_t m_nextPingToken = 0x7e570000;
    std::uint32_t m_lastPingAnswered = 0;
};
