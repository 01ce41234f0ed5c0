#pragma once

#include "child_process.h"

#include <QImage>
#include <QMargins>
#include <QRect>

#include <xcb/xcb.h>

#include <chrono>
#include <optional>
#include <string>
#include <vector>

// The desktop in DISPLAY, which scripts/private-desktop.sh gives each test
// run, seen through a connection of the test's own: windows, their state and
// pixels. Input goes through xdotool and the window manager through wmctrl,
// as a user's tools would drive them.
class Desktop {
public:
    Desktop();
    ~Desktop();
    Desktop(const Desktop&) = delete;
    Desktop& operator=(const Desktop&) = delete;

    // The screen's dots per inch over 96, from the Xft.dpi that Qt reads.
    double ratio() const { return m_ratio; }

    ExitStatus xdotool(const std::vector<std::string>& arguments);
    ExitStatus wmctrl(const std::vector<std::string>& arguments);

    QImage grabScreen();

    // The managed top-level window of a process, once the window manager
    // lists it.
    std::optional<xcb_window_t> findClientWindow(pid_t pid);
    // The client area in screen coordinates; nothing once the window is gone.
    std::optional<QRect> clientArea(xcb_window_t window);
    // What the window manager tells clients of the desktop and of a window:
    // the work area of the current desktop, the frame's extents around the
    // window, and the largest client size the window asks for.
    std::optional<QRect> workArea();
    QMargins frameExtents(xcb_window_t window);
    std::optional<QSize> maximumSize(xcb_window_t window);
    bool isViewable(xcb_window_t window);
    std::string title(xcb_window_t window);
    std::vector<std::string> windowState(xcb_window_t window);
    xcb_window_t activeWindow();

    // A client answers a ping only from its event loop, so an answer means
    // that everything queued before the ping has been handled.
    bool ping(xcb_window_t window, std::chrono::milliseconds timeout);
    // What the close box of a frame sends.
    void sendDeleteWindow(xcb_window_t window);

private:
    void sendProtocolMessage(xcb_window_t window, xcb_atom_t protocol, std::uint32_t token);
    xcb_atom_t atom(const char* name);
    std::string atomName(xcb_atom_t atom);
    std::vector<std::uint32_t> property32(xcb_window_t window, xcb_atom_t property, xcb_atom_t type);

    xcb_connection_t* m_connection = nullptr;
    double m_ratio = 1;
    xcb_window_t m_root = 0;
    std::uint32_t m_nextPingToken = 0x7e570000;
};
