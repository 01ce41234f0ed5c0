#include "desktop.h"

#include <poll.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <stdexcept>
#include <thread>

namespace {

template <typename Reply> using ReplyPointer = std::unique_ptr<Reply, decltype(&std::free)>;

template <typename Reply> ReplyPointer<Reply> owned(Reply* reply) { return ReplyPointer<Reply>(reply, &std::free); }

} // namespace

Desktop::Desktop()
{
    m_connection = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(m_connection))
        throw std::runtime_error("cannot connect to the display in DISPLAY");
    m_root = xcb_setup_roots_iterator(xcb_get_setup(m_connection)).data->root;
    // Ping answers travel to the root window as substructure events.
    const std::uint32_t mask = XCB_EVENT_MASK_STRUCTURE_NOTIFY | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_change_window_attributes(m_connection, m_root, XCB_CW_EVENT_MASK, &mask);
    xcb_flush(m_connection);

    auto resources = owned(xcb_get_property_reply(m_connection,
        xcb_get_property(m_connection, 0, m_root, XCB_ATOM_RESOURCE_MANAGER, XCB_ATOM_STRING, 0, 4096), nullptr));
    if (resources) {
        const std::string text(static_cast<const char*>(xcb_get_property_value(resources.get())),
            std::size_t(xcb_get_property_value_length(resources.get())));
        const std::size_t dpi = text.find("Xft.dpi:");
        if (dpi != std::string::npos)
            m_ratio = std::strtod(text.c_str() + dpi + 8, nullptr) / 96;
    }
}

Desktop::~Desktop() { xcb_disconnect(m_connection); }

namespace {

// A tool that fails says why on the test's output.
ExitStatus runTool(const char* tool, const std::vector<std::string>& arguments)
{
    std::vector<std::string> command { tool };
    command.insert(command.end(), arguments.begin(), arguments.end());
    std::string output;
    const ExitStatus status = runCommand(command, std::chrono::seconds(10), &output);
    if (!status.isCleanExit()) {
        std::fprintf(stderr, "%s", tool);
        for (const std::string& argument : arguments)
            std::fprintf(stderr, " %s", argument.c_str());
        std::fprintf(stderr, ": %s\n%s\n", status.describe().c_str(), output.c_str());
    }
    return status;
}

} // namespace

ExitStatus Desktop::xdotool(const std::vector<std::string>& arguments) { return runTool("xdotool", arguments); }

ExitStatus Desktop::wmctrl(const std::vector<std::string>& arguments) { return runTool("wmctrl", arguments); }

QImage Desktop::grabScreen()
{
    const xcb_setup_t* setup = xcb_get_setup(m_connection);
    const xcb_screen_t* screen = xcb_setup_roots_iterator(setup).data;
    const int width = screen->width_in_pixels;
    const int height = screen->height_in_pixels;
    auto reply = owned(xcb_get_image_reply(m_connection,
        xcb_get_image(m_connection, XCB_IMAGE_FORMAT_Z_PIXMAP, m_root, 0, 0, width, height, ~0u), nullptr));
    if (!reply || reply->depth != 24 || setup->image_byte_order != XCB_IMAGE_ORDER_LSB_FIRST)
        throw std::runtime_error("the screen cannot be read as 24-bit pixels");
    const int length = xcb_get_image_data_length(reply.get());
    if (length != width * height * 4)
        throw std::runtime_error("the screen image is not 32 bits a pixel");
    // 32-bit little-endian pixels with blue in the lowest byte are exactly
    // the layout of Format_RGB32.
    QImage image(width, height, QImage::Format_RGB32);
    const std::uint8_t* data = xcb_get_image_data(reply.get());
    for (int y = 0; y < height; ++y)
        std::memcpy(image.scanLine(y), data + std::size_t(y) * width * 4, std::size_t(width) * 4);
    return image;
}

std::optional<xcb_window_t> Desktop::findClientWindow(pid_t pid)
{
    const xcb_atom_t pidAtom = atom("_NET_WM_PID");
    for (const std::uint32_t window : property32(m_root, atom("_NET_CLIENT_LIST"), XCB_ATOM_WINDOW)) {
        const std::vector<std::uint32_t> windowPid = property32(window, pidAtom, XCB_ATOM_CARDINAL);
        if (!windowPid.empty() && pid_t(windowPid.front()) == pid)
            return window;
    }
    return std::nullopt;
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

std::optional<QRect> Desktop::workArea()
{
    const std::vector<std::uint32_t> current = property32(m_root, atom("_NET_CURRENT_DESKTOP"), XCB_ATOM_CARDINAL);
    const std::vector<std::uint32_t> areas = property32(m_root, atom("_NET_WORKAREA"), XCB_ATOM_CARDINAL);
    const std::size_t first = 4 * std::size_t(current.empty() ? 0 : current.front());
    if (areas.size() < first + 4)
        return std::nullopt;
    return QRect(int(areas[first]), int(areas[first + 1]), int(areas[first + 2]), int(areas[first + 3]));
}

QMargins Desktop::frameExtents(xcb_window_t window)
{
    const std::vector<std::uint32_t> extents = property32(window, atom("_NET_FRAME_EXTENTS"), XCB_ATOM_CARDINAL);
    if (extents.size() < 4)
        return {};
    return QMargins(int(extents[0]), int(extents[2]), int(extents[1]), int(extents[3]));
}

std::optional<QSize> Desktop::maximumSize(xcb_window_t window)
{
    // WM_NORMAL_HINTS: flags, four obsolete fields, the minimum size, then
    // the maximum size, present when the flags hold PMaxSize.
    constexpr std::uint32_t kMaximumSizeGiven = 1u << 5;
    const std::vector<std::uint32_t> hints = property32(window, XCB_ATOM_WM_NORMAL_HINTS, XCB_ATOM_WM_SIZE_HINTS);
    if (hints.size() < 9 || !(hints[0] & kMaximumSizeGiven))
        return std::nullopt;
    return QSize(int(hints[7]), int(hints[8]));
}

bool Desktop::isViewable(xcb_window_t window)
{
    auto attributes = owned(
        xcb_get_window_attributes_reply(m_connection, xcb_get_window_attributes(m_connection, window), nullptr));
    return attributes && attributes->map_state == XCB_MAP_STATE_VIEWABLE;
}

std::string Desktop::title(xcb_window_t window)
{
    auto reply = owned(xcb_get_property_reply(m_connection,
        xcb_get_property(m_connection, 0, window, atom("_NET_WM_NAME"), atom("UTF8_STRING"), 0, 1024), nullptr));
    if (!reply)
        return {};
    return std::string(static_cast<const char*>(xcb_get_property_value(reply.get())),
        std::size_t(xcb_get_property_value_length(reply.get())));
}

std::vector<std::string> Desktop::windowState(xcb_window_t window)
{
    std::vector<std::string> names;
    for (const std::uint32_t state : property32(window, atom("_NET_WM_STATE"), XCB_ATOM_ATOM))
        names.push_back(atomName(state));
    return names;
}

xcb_window_t Desktop::activeWindow()
{
    const std::vector<std::uint32_t> active = property32(m_root, atom("_NET_ACTIVE_WINDOW"), XCB_ATOM_WINDOW);
    return active.empty() ? 0 : active.front();
}

bool Desktop::ping(xcb_window_t window, std::chrono::milliseconds timeout)
{
    const std::uint32_t token = m_nextPingToken++;
    const xcb_atom_t protocols = atom("WM_PROTOCOLS");
    const xcb_atom_t pingAtom = atom("_NET_WM_PING");
    sendProtocolMessage(window, pingAtom, token);
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        while (xcb_generic_event_t* event = xcb_poll_for_event(m_connection)) {
            bool answered = false;
            if ((event->response_type & 0x7f) == XCB_CLIENT_MESSAGE) {
                const auto* message = reinterpret_cast<const xcb_client_message_event_t*>(event);
                answered = message->type == protocols && message->format == 32 && message->data.data32[0] == pingAtom
                    && message->data.data32[1] == token;
            }
            std::free(event);
            if (answered)
                return true;
        }
        if (xcb_connection_has_error(m_connection))
            return false;
        const auto left
            = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0)
            return false;
        pollfd entry { xcb_get_file_descriptor(m_connection), POLLIN, 0 };
        poll(&entry, 1, int(std::min<std::int64_t>(left.count(), 100)));
    }
}

void Desktop::sendDeleteWindow(xcb_window_t window)
{
    sendProtocolMessage(window, atom("WM_DELETE_WINDOW"), XCB_CURRENT_TIME);
}

void Desktop::sendProtocolMessage(xcb_window_t window, xcb_atom_t protocol, std::uint32_t token)
{
    xcb_client_message_event_t message {};
    message.response_type = XCB_CLIENT_MESSAGE;
    message.format = 32;
    message.window = window;
    message.type = atom("WM_PROTOCOLS");
    message.data.data32[0] = protocol;
    message.data.data32[1] = token;
    message.data.data32[2] = window;
    xcb_send_event(m_connection, 0, window, XCB_EVENT_MASK_NO_EVENT, reinterpret_cast<const char*>(&message));
    xcb_flush(m_connection);
}

xcb_atom_t Desktop::atom(const char* name)
{
    auto reply = owned(xcb_intern_atom_reply(
        m_connection, xcb_intern_atom(m_connection, 0, std::uint16_t(std::strlen(name)), name), nullptr));
    return reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
}

std::string Desktop::atomName(xcb_atom_t atom)
{
    auto reply = owned(xcb_get_atom_name_reply(m_connection, xcb_get_atom_name(m_connection, atom), nullptr));
    if (!reply)
        return {};
    return std::string(xcb_get_atom_name_name(reply.get()), std::size_t(xcb_get_atom_name_name_length(reply.get())));
}

std::vector<std::uint32_t> Desktop::property32(xcb_window_t window, xcb_atom_t property, xcb_atom_t type)
{
    auto reply = owned(xcb_get_property_reply(
        m_connection, xcb_get_property(m_connection, 0, window, property, type, 0, 4096), nullptr));
    if (!reply || reply->format != 32)
        return {};
    const auto* values = static_cast<const std::uint32_t*>(xcb_get_property_value(reply.get()));
    return { values, values + xcb_get_property_value_length(reply.get()) / 4 };
}
