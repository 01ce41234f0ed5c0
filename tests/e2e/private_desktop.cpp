#include "private_desktop.h"

#include <poll.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <stdexcept>
#include <thread>

extern char** environ;

namespace {

constexpr auto kStartTimeout = std::chrono::seconds(20);
constexpr auto kPollInterval = std::chrono::milliseconds(20);

// Variables that would steer the program away from this display or scale its
// pixels; the geometry checks assume one device pixel per logical pixel.
bool isInheritedSafely(std::string_view entry)
{
    static constexpr std::string_view dropped[] = {
        "DISPLAY=",
        "WAYLAND_DISPLAY=",
        "QT_QPA_PLATFORM=",
        "QT_SCALE_FACTOR=",
        "QT_SCREEN_SCALE_FACTORS=",
        "QT_AUTO_SCREEN_SCALE_FACTOR=",
        "QT_ENABLE_HIGHDPI_SCALING=",
        "QT_FONT_DPI=",
        "XDG_RUNTIME_DIR=",
        "SESSION_MANAGER=",
    };
    for (std::string_view prefix : dropped) {
        if (entry.starts_with(prefix))
            return false;
    }
    return true;
}

// Reads the display number Xvfb writes once it accepts connections.
std::string readDisplayNumber(int descriptor)
{
    std::string text;
    const auto deadline = std::chrono::steady_clock::now() + kStartTimeout;
    while (text.find('\n') == std::string::npos) {
        const auto left
            = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0)
            throw std::runtime_error("Xvfb did not report a display number");
        pollfd entry { descriptor, POLLIN, 0 };
        if (poll(&entry, 1, int(left.count())) <= 0)
            continue;
        char buffer[32];
        const ssize_t count = read(descriptor, buffer, sizeof buffer);
        if (count <= 0)
            throw std::runtime_error("Xvfb ended before it reported a display number");
        text.append(buffer, std::size_t(count));
    }
    return text.substr(0, text.find('\n'));
}

std::vector<std::string> wholeEnvironment()
{
    std::vector<std::string> entries;
    for (char** entry = environ; *entry; ++entry)
        entries.emplace_back(*entry);
    return entries;
}

template <typename Reply> using ReplyPointer = std::unique_ptr<Reply, decltype(&std::free)>;

template <typename Reply> ReplyPointer<Reply> owned(Reply* reply) { return ReplyPointer<Reply>(reply, &std::free); }

} // namespace

PrivateDesktop::PrivateDesktop(const std::filesystem::path& logDirectory)
{
    int displayPipe[2] = { -1, -1 };
    if (pipe2(displayPipe, O_CLOEXEC) != 0)
        throw std::runtime_error("pipe failed");
    m_server = std::make_unique<ChildProcess>(ChildProcess::Options {
        { "Xvfb", "-displayfd", "3", "-screen", "0",
            std::to_string(kScreenWidth) + "x" + std::to_string(kScreenHeight) + "x24", "-dpi", "96", "-nolisten",
            "tcp", "-noreset" },
        wholeEnvironment(),
        logDirectory / "xvfb.log",
        displayPipe[1],
    });
    close(displayPipe[1]);
    std::string number;
    try {
        number = readDisplayNumber(displayPipe[0]);
    } catch (...) {
        close(displayPipe[0]);
        throw;
    }
    close(displayPipe[0]);
    const std::string display = ":" + number;

    const std::filesystem::path runtimeDirectory = logDirectory / "runtime";
    std::filesystem::create_directories(runtimeDirectory);
    std::filesystem::permissions(runtimeDirectory, std::filesystem::perms::owner_all);
    for (const std::string& entry : wholeEnvironment()) {
        if (isInheritedSafely(entry))
            m_environment.push_back(entry);
    }
    m_environment.push_back("DISPLAY=" + display);
    m_environment.push_back("XDG_RUNTIME_DIR=" + runtimeDirectory.string());

    m_connection = xcb_connect(display.c_str(), nullptr);
    if (xcb_connection_has_error(m_connection))
        throw std::runtime_error("cannot connect to " + display);
    m_root = xcb_setup_roots_iterator(xcb_get_setup(m_connection)).data->root;
    // Ping answers travel to the root window as substructure events.
    const std::uint32_t mask = XCB_EVENT_MASK_STRUCTURE_NOTIFY | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_change_window_attributes(m_connection, m_root, XCB_CW_EVENT_MASK, &mask);
    xcb_flush(m_connection);

    m_windowManager = std::make_unique<ChildProcess>(
        ChildProcess::Options { { "openbox", "--sm-disable" }, m_environment, logDirectory / "openbox.log", -1 });
    const auto deadline = std::chrono::steady_clock::now() + kStartTimeout;
    while (!windowManagerReady()) {
        if (std::chrono::steady_clock::now() >= deadline || !m_windowManager->isRunning())
            throw std::runtime_error("openbox did not take over the display");
        std::this_thread::sleep_for(kPollInterval);
    }
    waitUntilWindowsAreManaged(deadline);
}

void PrivateDesktop::waitUntilWindowsAreManaged(std::chrono::steady_clock::time_point deadline)
{
    // Openbox announces itself before its event loop runs, and a window
    // mapped in between may never be managed nor shown. A probe window of our
    // own shows when it has started managing: it appears in the client list.
    const xcb_window_t probe = xcb_generate_id(m_connection);
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(m_connection)).data;
    xcb_create_window(m_connection, XCB_COPY_FROM_PARENT, probe, m_root, 0, 0, 16, 16, 0, XCB_WINDOW_CLASS_INPUT_OUTPUT,
        screen->root_visual, 0, nullptr);
    const xcb_atom_t clientList = atom("_NET_CLIENT_LIST");
    bool managed = false;
    while (!managed && std::chrono::steady_clock::now() < deadline) {
        // A map request lost during openbox's start-up is repeated.
        xcb_unmap_window(m_connection, probe);
        xcb_map_window(m_connection, probe);
        xcb_flush(m_connection);
        const auto retry = std::chrono::steady_clock::now() + std::chrono::milliseconds(250);
        while (!managed && std::chrono::steady_clock::now() < retry) {
            for (const std::uint32_t window : property32(m_root, clientList, XCB_ATOM_WINDOW))
                managed = managed || window == probe;
            if (!managed)
                std::this_thread::sleep_for(kPollInterval);
        }
    }
    xcb_destroy_window(m_connection, probe);
    xcb_flush(m_connection);
    if (!managed)
        throw std::runtime_error("openbox did not start managing windows");
    // The client list drops the probe again before the program's window is
    // looked for, so that no test mistakes one for the other.
    while (std::chrono::steady_clock::now() < deadline) {
        bool listed = false;
        for (const std::uint32_t window : property32(m_root, clientList, XCB_ATOM_WINDOW))
            listed = listed || window == probe;
        if (!listed)
            return;
        std::this_thread::sleep_for(kPollInterval);
    }
    throw std::runtime_error("openbox kept a destroyed window in its client list");
}

PrivateDesktop::~PrivateDesktop()
{
    if (m_connection)
        xcb_disconnect(m_connection);
    m_windowManager.reset();
    m_server.reset();
}

bool PrivateDesktop::windowManagerReady()
{
    const std::vector<std::uint32_t> check = property32(m_root, atom("_NET_SUPPORTING_WM_CHECK"), XCB_ATOM_WINDOW);
    return !check.empty() && check.front() != 0;
}

ExitStatus PrivateDesktop::xdotool(const std::vector<std::string>& arguments)
{
    std::vector<std::string> command { "xdotool" };
    command.insert(command.end(), arguments.begin(), arguments.end());
    return runCommand(command, m_environment);
}

ExitStatus PrivateDesktop::wmctrl(const std::vector<std::string>& arguments)
{
    std::vector<std::string> command { "wmctrl" };
    command.insert(command.end(), arguments.begin(), arguments.end());
    return runCommand(command, m_environment);
}

QImage PrivateDesktop::grabScreen()
{
    const xcb_setup_t* setup = xcb_get_setup(m_connection);
    auto reply = owned(xcb_get_image_reply(m_connection,
        xcb_get_image(m_connection, XCB_IMAGE_FORMAT_Z_PIXMAP, m_root, 0, 0, kScreenWidth, kScreenHeight, ~0u),
        nullptr));
    if (!reply || reply->depth != 24 || setup->image_byte_order != XCB_IMAGE_ORDER_LSB_FIRST)
        throw std::runtime_error("the screen cannot be read as 24-bit pixels");
    const int length = xcb_get_image_data_length(reply.get());
    if (length != kScreenWidth * kScreenHeight * 4)
        throw std::runtime_error("the screen image is not 32 bits a pixel");
    // 32-bit little-endian pixels with blue in the lowest byte are exactly
    // the layout of Format_RGB32.
    QImage image(kScreenWidth, kScreenHeight, QImage::Format_RGB32);
    const std::uint8_t* data = xcb_get_image_data(reply.get());
    for (int y = 0; y < kScreenHeight; ++y)
        std::memcpy(image.scanLine(y), data + std::size_t(y) * kScreenWidth * 4, std::size_t(kScreenWidth) * 4);
    return image;
}

std::optional<xcb_window_t> PrivateDesktop::findClientWindow(pid_t pid)
{
    const xcb_atom_t pidAtom = atom("_NET_WM_PID");
    for (const std::uint32_t window : property32(m_root, atom("_NET_CLIENT_LIST"), XCB_ATOM_WINDOW)) {
        const std::vector<std::uint32_t> windowPid = property32(window, pidAtom, XCB_ATOM_CARDINAL);
        if (!windowPid.empty() && pid_t(windowPid.front()) == pid)
            return window;
    }
    return std::nullopt;
}

std::optional<QRect> PrivateDesktop::clientArea(xcb_window_t window)
{
    auto geometry = owned(xcb_get_geometry_reply(m_connection, xcb_get_geometry(m_connection, window), nullptr));
    auto origin = owned(xcb_translate_coordinates_reply(
        m_connection, xcb_translate_coordinates(m_connection, window, m_root, 0, 0), nullptr));
    if (!geometry || !origin)
        return std::nullopt;
    return QRect(origin->dst_x, origin->dst_y, geometry->width, geometry->height);
}

bool PrivateDesktop::isViewable(xcb_window_t window)
{
    auto attributes = owned(
        xcb_get_window_attributes_reply(m_connection, xcb_get_window_attributes(m_connection, window), nullptr));
    return attributes && attributes->map_state == XCB_MAP_STATE_VIEWABLE;
}

std::string PrivateDesktop::title(xcb_window_t window)
{
    auto reply = owned(xcb_get_property_reply(m_connection,
        xcb_get_property(m_connection, 0, window, atom("_NET_WM_NAME"), atom("UTF8_STRING"), 0, 1024), nullptr));
    if (!reply)
        return {};
    return std::string(static_cast<const char*>(xcb_get_property_value(reply.get())),
        std::size_t(xcb_get_property_value_length(reply.get())));
}

std::vector<std::string> PrivateDesktop::windowState(xcb_window_t window)
{
    std::vector<std::string> names;
    for (const std::uint32_t state : property32(window, atom("_NET_WM_STATE"), XCB_ATOM_ATOM))
        names.push_back(atomName(state));
    return names;
}

xcb_window_t PrivateDesktop::activeWindow()
{
    const std::vector<std::uint32_t> active = property32(m_root, atom("_NET_ACTIVE_WINDOW"), XCB_ATOM_WINDOW);
    return active.empty() ? 0 : active.front();
}

bool PrivateDesktop::ping(xcb_window_t window, std::chrono::milliseconds timeout)
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

void PrivateDesktop::sendDeleteWindow(xcb_window_t window)
{
    sendProtocolMessage(window, atom("WM_DELETE_WINDOW"), XCB_CURRENT_TIME);
}

void PrivateDesktop::sendProtocolMessage(xcb_window_t window, xcb_atom_t protocol, std::uint32_t token)
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

xcb_atom_t PrivateDesktop::atom(const char* name)
{
    auto reply = owned(xcb_intern_atom_reply(
        m_connection, xcb_intern_atom(m_connection, 0, std::uint16_t(std::strlen(name)), name), nullptr));
    return reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
}

std::string PrivateDesktop::atomName(xcb_atom_t atom)
{
    auto reply = owned(xcb_get_atom_name_reply(m_connection, xcb_get_atom_name(m_connection, atom), nullptr));
    if (!reply)
        return {};
    return std::string(xcb_get_atom_name_name(reply.get()), std::size_t(xcb_get_atom_name_name_length(reply.get())));
}

std::vector<std::uint32_t> PrivateDesktop::property32(xcb_window_t window, xcb_atom_t property, xcb_atom_t type)
{
    auto reply = owned(xcb_get_property_reply(
        m_connection, xcb_get_property(m_connection, 0, window, property, type, 0, 4096), nullptr));
    if (!reply || reply->format != 32)
        return {};
    const auto* values = static_cast<const std::uint32_t*>(xcb_get_property_value(reply.get()));
    return { values, values + xcb_get_property_value_length(reply.get()) / 4 };
}
