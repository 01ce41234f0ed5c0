#include "desktop.h"

#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>

#include <xcb/xcb_icccm.h>

#include <poll.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <stdexcept>

namespace {

template <typename Reply> using ReplyPointer = std::unique_ptr<Reply, decltype(&std::free)>;

template <typename Reply> ReplyPointer<Reply> owned(Reply* reply) { return ReplyPointer<Reply>(reply, &std::free); }

} // namespace

Desktop::Desktop()
{
    m_connection = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(m_connection))
        throw std::runtime_error("cannot connect to the display in DISPLAY");
    if (!xcb_ewmh_init_atoms_replies(&m_ewmh, xcb_ewmh_init_atoms(m_connection, &m_ewmh), nullptr))
        throw std::runtime_error("cannot name the window manager's atoms");
    m_root = m_ewmh.screens[0]->root;
    constexpr char kChangeState[] = "WM_CHANGE_STATE";
    auto changeState = owned(xcb_intern_atom_reply(
        m_connection, xcb_intern_atom(m_connection, 0, sizeof kChangeState - 1, kChangeState), nullptr));
    m_changeState = changeState ? changeState->atom : xcb_atom_t(XCB_ATOM_NONE);
    // The window manager's changes to the desktop, and ping answers, which
    // travel to the root window as substructure events.
    const std::uint32_t mask
        = XCB_EVENT_MASK_STRUCTURE_NOTIFY | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY | XCB_EVENT_MASK_PROPERTY_CHANGE;
    xcb_change_window_attributes(m_connection, m_root, XCB_CW_EVENT_MASK, &mask);
    m_probe = xcb_generate_id(m_connection);
    const std::uint32_t propertyChanges = XCB_EVENT_MASK_PROPERTY_CHANGE;
    xcb_create_window(m_connection, XCB_COPY_FROM_PARENT, m_probe, m_root, 0, 0, 1, 1, 0, XCB_WINDOW_CLASS_INPUT_ONLY,
        XCB_COPY_FROM_PARENT, XCB_CW_EVENT_MASK, &propertyChanges);
    xcb_flush(m_connection);
}

Desktop::~Desktop()
{
    xcb_ewmh_connection_wipe(&m_ewmh);
    xcb_disconnect(m_connection);
}

bool Desktop::waitUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout)
{
    constexpr std::chrono::milliseconds kLookAgain(2);
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!condition()) {
        const auto left
            = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0 || xcb_connection_has_error(m_connection))
            return false;
        // The condition's own questions may have queued events already.
        if (handleEvents())
            continue;
        pollfd entry { xcb_get_file_descriptor(m_connection), POLLIN, 0 };
        poll(&entry, 1, int(std::min(left, kLookAgain).count()));
    }
    return true;
}

bool Desktop::handleEvents()
{
    bool any = false;
    while (xcb_generic_event_t* event = xcb_poll_for_event(m_connection)) {
        any = true;
        if ((event->response_type & 0x7f) == XCB_CLIENT_MESSAGE) {
            const auto* message = reinterpret_cast<const xcb_client_message_event_t*>(event);
            if (message->type == m_ewmh.WM_PROTOCOLS && message->data.data32[0] == m_ewmh._NET_WM_PING)
                m_lastPingAnswered = message->data.data32[1];
        }
        std::free(event);
    }
    return any;
}

double Desktop::ratio() const { return QGuiApplication::primaryScreen()->devicePixelRatio(); }

QImage Desktop::grabScreen() { return QGuiApplication::primaryScreen()->grabWindow(0).toImage(); }

ExitStatus Desktop::xdotool(const std::vector<std::string>& arguments)
{
    // A tool that fails says why on the test's output.
    std::vector<std::string> command { "xdotool" };
    command.insert(command.end(), arguments.begin(), arguments.end());
    std::string output;
    const ExitStatus status = runCommand(command, std::chrono::seconds(10), &output);
    if (!status.isCleanExit())
        std::fprintf(
            stderr, "xdotool %s: %s\n%s\n", arguments.front().c_str(), status.describe().c_str(), output.c_str());
    return status;
}

std::vector<xcb_window_t> Desktop::clientWindows()
{
    xcb_ewmh_get_windows_reply_t list;
    if (!xcb_ewmh_get_client_list_reply(&m_ewmh, xcb_ewmh_get_client_list(&m_ewmh, 0), &list, nullptr))
        return {};
    std::vector<xcb_window_t> windows(list.windows, list.windows + list.windows_len);
    xcb_ewmh_get_windows_reply_wipe(&list);
    return windows;
}

std::optional<xcb_window_t> Desktop::findClientWindow(pid_t pid)
{
    for (const xcb_window_t window : clientWindows()) {
        std::uint32_t windowPid = 0;
        if (xcb_ewmh_get_wm_pid_reply(&m_ewmh, xcb_ewmh_get_wm_pid(&m_ewmh, window), &windowPid, nullptr)
            && pid_t(windowPid) == pid) {
            // Its changes of size, mapping and state are events from now on.
            const std::uint32_t mask = XCB_EVENT_MASK_STRUCTURE_NOTIFY | XCB_EVENT_MASK_PROPERTY_CHANGE;
            xcb_change_window_attributes(m_connection, window, XCB_CW_EVENT_MASK, &mask);
            return window;
        }
    }
    return std::nullopt;
}

std::optional<QRect> Desktop::workArea()
{
    std::uint32_t current = 0;
    xcb_ewmh_get_current_desktop_reply(&m_ewmh, xcb_ewmh_get_current_desktop(&m_ewmh, 0), &current, nullptr);
    xcb_ewmh_get_workarea_reply_t areas;
    if (!xcb_ewmh_get_workarea_reply(&m_ewmh, xcb_ewmh_get_workarea(&m_ewmh, 0), &areas, nullptr))
        return std::nullopt;
    std::optional<QRect> area;
    if (current < areas.workarea_len) {
        const xcb_ewmh_geometry_t& found = areas.workarea[current];
        area = QRect(int(found.x), int(found.y), int(found.width), int(found.height));
    }
    xcb_ewmh_get_workarea_reply_wipe(&areas);
    return area;
}

xcb_window_t Desktop::activeWindow()
{
    xcb_window_t active = XCB_NONE;
    xcb_ewmh_get_active_window_reply(&m_ewmh, xcb_ewmh_get_active_window(&m_ewmh, 0), &active, nullptr);
    return active;
}

std::optional<QRect> Desktop::clientArea(xcb_window_t window)
{
    auto geometry = owned(xcb_get_geometry_reply(m_connection, xcb_get_geometry(m_connection, window), nullptr));
    auto origin = owned(xcb_translate_coordinates_reply(
        m_connection, xcb_translate_coordinates(m_connection, window, m_root, 0, 0), nullptr));
    if (!geometry || !origin)
        return std::nullopt;
    return QRect(origin->dst_x, origin->dst_y, geometry->width, geometry->height);
}

QMargins Desktop::frameExtents(xcb_window_t window)
{
    xcb_ewmh_get_extents_reply_t extents {};
    xcb_ewmh_get_frame_extents_reply(&m_ewmh, xcb_ewmh_get_frame_extents(&m_ewmh, window), &extents, nullptr);
    return QMargins(int(extents.left), int(extents.top), int(extents.right), int(extents.bottom));
}

std::optional<QSize> Desktop::maximumSize(xcb_window_t window)
{
    xcb_size_hints_t hints {};
    if (!xcb_icccm_get_wm_normal_hints_reply(
            m_connection, xcb_icccm_get_wm_normal_hints(m_connection, window), &hints, nullptr)
        || !(hints.flags & XCB_ICCCM_SIZE_HINT_P_MAX_SIZE))
        return std::nullopt;
    return QSize(hints.max_width, hints.max_height);
}

bool Desktop::isViewable(xcb_window_t window)
{
    auto attributes = owned(
        xcb_get_window_attributes_reply(m_connection, xcb_get_window_attributes(m_connection, window), nullptr));
    return attributes && attributes->map_state == XCB_MAP_STATE_VIEWABLE;
}

std::string Desktop::title(xcb_window_t window)
{
    xcb_ewmh_get_utf8_strings_reply_t name;
    if (!xcb_ewmh_get_wm_name_reply(&m_ewmh, xcb_ewmh_get_wm_name(&m_ewmh, window), &name, nullptr))
        return {};
    std::string text(name.strings, name.strings_len);
    xcb_ewmh_get_utf8_strings_reply_wipe(&name);
    return text;
}

bool Desktop::hasState(xcb_window_t window, xcb_atom_t state)
{
    xcb_ewmh_get_atoms_reply_t states;
    if (!xcb_ewmh_get_wm_state_reply(&m_ewmh, xcb_ewmh_get_wm_state(&m_ewmh, window), &states, nullptr))
        return false;
    const bool found
        = std::find(states.atoms, states.atoms + states.atoms_len, state) != states.atoms + states.atoms_len;
    xcb_ewmh_get_atoms_reply_wipe(&states);
    return found;
}

void Desktop::changeState(
    xcb_window_t window, xcb_ewmh_wm_state_action_t action, xcb_atom_t state, xcb_atom_t alsoState)
{
    xcb_ewmh_request_change_wm_state(&m_ewmh, 0, window, action, state, alsoState, XCB_EWMH_CLIENT_SOURCE_TYPE_OTHER);
    xcb_flush(m_connection);
}

void Desktop::activate(xcb_window_t window)
{
    xcb_ewmh_request_change_active_window(
        &m_ewmh, 0, window, XCB_EWMH_CLIENT_SOURCE_TYPE_OTHER, XCB_CURRENT_TIME, XCB_NONE);
    xcb_flush(m_connection);
}

void Desktop::minimize(xcb_window_t window)
{
    const std::uint32_t iconic = XCB_ICCCM_WM_STATE_ICONIC;
    xcb_ewmh_send_client_message(m_connection, window, m_root, m_changeState, 1, &iconic);
    xcb_flush(m_connection);
}

void Desktop::resize(xcb_window_t window, QSize size)
{
    const std::uint32_t values[] = { std::uint32_t(size.width()), std::uint32_t(size.height()) };
    xcb_configure_window(m_connection, window, XCB_CONFIG_WINDOW_WIDTH | XCB_CONFIG_WINDOW_HEIGHT, values);
    xcb_flush(m_connection);
}

void Desktop::close(xcb_window_t window)
{
    xcb_ewmh_request_close_window(&m_ewmh, 0, window, XCB_CURRENT_TIME, XCB_EWMH_CLIENT_SOURCE_TYPE_OTHER);
    xcb_flush(m_connection);
}

bool Desktop::catchUpWithWindowManager(std::chrono::milliseconds timeout)
{
    // The window manager states the extents a frame would have around the
    // probe, which it never manages.
    xcb_delete_property(m_connection, m_probe, m_ewmh._NET_FRAME_EXTENTS);
    xcb_ewmh_request_frame_extents(&m_ewmh, 0, m_probe);
    xcb_flush(m_connection);
    return waitUntil(
        [this] {
            xcb_ewmh_get_extents_reply_t extents;
            return bool(xcb_ewmh_get_frame_extents_reply(
                &m_ewmh, xcb_ewmh_get_frame_extents(&m_ewmh, m_probe), &extents, nullptr));
        },
        timeout);
}

std::uint32_t Desktop::sendPing(xcb_window_t window)
{
    // Sent to the client alone, as a window manager sends it: the ewmh
    // helper's substructure mask would reach only a window manager.
    const std::uint32_t token = m_nextPingToken++;
    xcb_client_message_event_t message {};
    message.response_type = XCB_CLIENT_MESSAGE;
    message.format = 32;
    message.window = window;
    message.type = m_ewmh.WM_PROTOCOLS;
    message.data.data32[0] = m_ewmh._NET_WM_PING;
    message.data.data32[1] = token;
    message.data.data32[2] = window;
    xcb_send_event(m_connection, 0, window, XCB_EVENT_MASK_NO_EVENT, reinterpret_cast<const char*>(&message));
    xcb_flush(m_connection);
    return token;
}
