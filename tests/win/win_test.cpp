// The Windows program as a person uses it, under Wine on a private desktop,
// in one table of rows: each row runs tuxing.exe (or its twin whose drawing
// fails) once, and all share one Wine prefix and one wine server. Pictures
// are held to the native core's layer, composed over the form as it showed
// before the click; only the buttons' faces are left out.
//   tuxing_win_test --windows-build=DIR --reference=TOOL --template=PREFIX --prefix=PREFIX
//
// Wine is the target of the test, not of the program, and it differs from
// Windows in two things the program does: it redraws a window uncovered by
// another from a copy of its own, as a composited Windows desktop does, so
// only a restore from the taskbar has the program repaint here; and it gives
// every monitor the one density of its registry, so a change of density
// (WM_DPICHANGED) never comes, and it gives that density to a program that
// has not declared itself aware of densities as well, so the manifest's
// declaration shows nowhere here.

#include "tuxing_fixture.h"

#include <QGuiApplication>

#include <cstdlib>
#include <map>

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

constexpr auto kTimeout = 60s;

struct Paths {
    fs::path windowsBuild;
    fs::path reference;
    fs::path prefixTemplate;
    fs::path prefix;
};
Paths g_paths;

std::string run(const std::vector<std::string>& command, std::chrono::milliseconds timeout = 120s)
{
    std::string output;
    const ExitStatus status = runCommand(command, timeout, &output);
    if (!status.isCleanExit())
        throw std::runtime_error(command.front() + " " + status.describe() + ": " + output);
    return output;
}

// Each run of the test works in a copy of the prefix that the build made:
// hard links to the modules, which Wine only reads, and copies of the rest,
// such as the registry, which it may change.
class WinePrefix : public testing::Environment {
public:
    void SetUp() override
    {
        fs::remove_all(g_paths.prefix);
        run({ "cp", "-al", g_paths.prefixTemplate.string(), g_paths.prefix.string() });
        for (const fs::directory_entry& entry : fs::recursive_directory_iterator(g_paths.prefix)) {
            const fs::path extension = entry.path().extension();
            if (entry.is_regular_file() && extension != ".dll" && extension != ".exe") {
                const fs::path copy = entry.path().string() + ".copy";
                fs::copy_file(entry.path(), copy);
                fs::rename(copy, entry.path());
            }
        }
        setenv("WINEPREFIX", g_paths.prefix.c_str(), 1);
        setenv("WINEDEBUG", "-all", 1);
        setenv("WINEDLLOVERRIDES", "mscoree,mshtml=;winemenubuilder.exe=d", 1);
        // One server for every row, so that each start is a start of the
        // program alone.
        run({ "wineserver", "--persistent" });
    }

    void TearDown() override { runCommand({ "wineserver", "--kill" }); }
};

enum class Program { Tuxing, Failing };

// One row's run of the program on the shared desktop.
class Session {
public:
    explicit Session(const std::string& name)
        : m_artifacts(fs::path(TUXING_WIN_ARTIFACTS) / ("win." + name))
    {
        fs::remove_all(m_artifacts);
        fs::create_directories(m_artifacts);
    }
    ~Session()
    {
        if (testing::Test::HasFailure() && !m_lastShot.isNull())
            m_lastShot.save(QString::fromStdString((m_artifacts / "last-client-area.png").string()));
    }

    Desktop& desktop() { return m_desktop; }
    xcb_window_t window() const { return m_window; }
    qint64 pid() { return m_program->pid(); }

    void start(std::vector<std::string> arguments = {}, Program which = Program::Tuxing)
    {
        const fs::path exe = which == Program::Tuxing ? g_paths.windowsBuild / "tuxing.exe"
                                                      : g_paths.windowsBuild / "tests/win/tuxing_failing.exe";
        arguments.insert(arguments.begin(), { "wine", exe.string() });
        m_program = std::make_unique<ChildProcess>(arguments, std::vector<std::string> {}, m_artifacts / "wine.log");
    }

    // The program's top-level window with that title, once it is mapped.
    // Wine gives each of them the id of its process, and the program runs
    // alone on its desktop.
    std::optional<xcb_window_t> windowTitled(std::string_view title)
    {
        std::optional<xcb_window_t> found;
        m_desktop.waitUntil(
            [&] {
                for (const xcb_window_t window : m_desktop.clientWindows()) {
                    if (m_desktop.title(window) == title && m_desktop.isViewable(window))
                        found = window;
                }
                return found || !m_program->isRunning();
            },
            kTimeout);
        return found;
    }

    // Form1 at start, once it has drawn itself.
    void awaitForm()
    {
        const std::optional<xcb_window_t> form = windowTitled(layout::kCaption);
        ASSERT_TRUE(form) << "no window titled " << layout::kCaption << "; see " << m_artifacts / "wine.log";
        m_window = *form;
        ASSERT_TRUE(settle());
        ASSERT_TRUE(m_desktop.waitUntil(
            [&] {
                return colorAt(grabClient(), { 0, 0 }) == colors::kDarkGreen;
            },
            kTimeout));
    }

    // The form as it shows once started and maximized, before any click;
    // none if it never did.
    QImage startMaximized(std::vector<std::string> arguments = {}, Program which = Program::Tuxing)
    {
        start(std::move(arguments), which);
        awaitForm();
        if (!testing::Test::HasFatalFailure())
            maximize();
        return testing::Test::HasFatalFailure() ? QImage() : grabClient();
    }

    void maximize()
    {
        const QSize needed(pixelFromTwips(layout::kNeededWidth) + 2, pixelFromTwips(layout::kNeededHeight) + 2);
        const QRect lastButton = pixelRect(layout::kButtons[layout::Exit].rect);
        // A request that reaches the window manager while it is busy with the
        // window's mapping may be lost, so it is repeated until it shows.
        const bool shown = m_desktop.waitUntil(
            [&] {
                m_desktop.changeState(m_window, XCB_EWMH_WM_STATE_ADD, m_desktop.atoms()._NET_WM_STATE_MAXIMIZED_VERT,
                    m_desktop.atoms()._NET_WM_STATE_MAXIMIZED_HORZ);
                return m_desktop.waitUntil(
                    [&] {
                        const QImage client = grabClient();
                        return client.width() >= needed.width() && client.height() >= needed.height()
                            && colorAt(client, { client.width() - 1, client.height() - 1 }) == colors::kDarkGreen
                            && colorAt(client, lastButton.center()) != colors::kBlack;
                    },
                    1s);
            },
            kTimeout);
        ASSERT_TRUE(shown) << "the window was never shown maximized with the whole form";
        ASSERT_TRUE(settle());
    }

    // Keys go to the window once the window manager has made it active and
    // the program has read that it is.
    void activate(xcb_window_t window)
    {
        const bool active = m_desktop.waitUntil(
            [&] {
                m_desktop.activate(window);
                return m_desktop.waitUntil([&] { return m_desktop.activeWindow() == window; }, 1s);
            },
            kTimeout);
        ASSERT_TRUE(active) << "the window never became active";
        ASSERT_TRUE(answers(window)) << "no answer to a ping";
    }

    // Whether the window's event loop answers a ping within the deadline.
    bool answers(xcb_window_t window)
    {
        const std::uint32_t ping = m_desktop.sendPing(window);
        return m_desktop.waitUntil([&] { return m_desktop.hasAnswered(ping); }, kTimeout);
    }

    // A ping is answered from the event loop, once the input before it has
    // been read, though not yet handled: every wait for a handler's effect
    // looks at the screen instead.
    testing::AssertionResult settle()
    {
        for (int round = 0; round < 3; ++round) {
            if (!answers(m_window))
                return testing::AssertionFailure() << "no answer to a ping within " << kTimeout.count() << " s";
        }
        return testing::AssertionSuccess();
    }

    void click(std::vector<int> buttons)
    {
        const std::optional<QRect> area = m_desktop.clientArea(m_window);
        ASSERT_TRUE(area) << "the window is gone";
        // One command for all the clicks: they are made at once, while the
        // first one's picture paints.
        std::vector<std::string> arguments;
        for (const int button : buttons) {
            const QPoint target = area->topLeft() + pixelRect(layout::kButtons[button].rect).center();
            arguments.insert(
                arguments.end(), { "mousemove", std::to_string(target.x()), std::to_string(target.y()), "click", "1" });
        }
        ASSERT_TRUE(m_desktop.xdotool(arguments).isCleanExit());
    }

    void press(std::vector<std::string> keys)
    {
        keys.insert(keys.begin(), { "key", "--delay", "0" });
        ASSERT_TRUE(m_desktop.xdotool(keys).isCleanExit());
    }

    QImage grabClient()
    {
        const std::optional<QRect> area = m_desktop.clientArea(m_window);
        m_lastShot = area ? m_desktop.grabScreen().copy(*area) : QImage();
        return m_lastShot;
    }

    // The form as it showed before, with the native core's layer after these
    // buttons composed over it.
    QImage after(const QImage& form, const std::vector<std::string>& buttons, double ratio = 1)
    {
        std::vector<std::string> command { g_paths.reference.string(), "layer", std::to_string(form.width()),
            std::to_string(form.height()), std::to_string(ratio) };
        command.insert(command.end(), buttons.begin(), buttons.end());
        const std::string rgba = run(command);
        QImage composed = form.convertToFormat(QImage::Format_RGB32);
        const auto* bytes = reinterpret_cast<const std::uint8_t*>(rgba.data());
        for (int y = 0; y < form.height(); ++y) {
            for (int x = 0; x < form.width(); ++x, bytes += 4) {
                if (bytes[3])
                    composed.setPixel(x, y, qRgb(bytes[0], bytes[1], bytes[2]));
            }
        }
        return composed;
    }

    // Once the window shows the image it still shows it when the program has
    // read all input since.
    testing::AssertionResult shows(const QImage& expected, double ratio = 1)
    {
        const std::vector<QRect> faces = buttonFaces(ratio);
        testing::AssertionResult same = testing::AssertionFailure();
        m_desktop.waitUntil([&] { return bool(same = sameOutside(expected, grabClient(), faces)); }, kTimeout);
        if (same && settle())
            same = sameOutside(expected, grabClient(), faces);
        return same;
    }

    testing::AssertionResult endsWith(int code)
    {
        const std::optional<ExitStatus> status = m_program->waitForExit(kTimeout);
        if (!status)
            return testing::AssertionFailure() << "still running";
        if (!status->exited || status->code != code)
            return testing::AssertionFailure() << status->describe();
        return testing::AssertionSuccess();
    }

    std::string id(xcb_window_t window = 0) const
    {
        char text[16];
        std::snprintf(text, sizeof text, "0x%08x", unsigned(window ? window : m_window));
        return text;
    }

private:
    fs::path m_artifacts;
    Desktop m_desktop;
    std::unique_ptr<ChildProcess> m_program;
    xcb_window_t m_window = 0;
    QImage m_lastShot;
};

// The window's icon as the program hands it to the window system, at 32
// pixels: ARGB words after the width and height in _NET_WM_ICON.
QImage windowIcon(xcb_window_t window)
{
    xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
    const auto atom = [&](const char* name) {
        std::unique_ptr<xcb_intern_atom_reply_t, decltype(&std::free)> reply(
            xcb_intern_atom_reply(connection, xcb_intern_atom(connection, 0, std::strlen(name), name), nullptr),
            &std::free);
        return reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
    };
    std::unique_ptr<xcb_get_property_reply_t, decltype(&std::free)> reply(
        xcb_get_property_reply(connection,
            xcb_get_property(connection, 0, window, atom("_NET_WM_ICON"), XCB_ATOM_CARDINAL, 0, 1 << 16), nullptr),
        &std::free);
    QImage icon;
    if (reply && reply->format == 32) {
        const auto* words = static_cast<const std::uint32_t*>(xcb_get_property_value(reply.get()));
        const int count = xcb_get_property_value_length(reply.get()) / 4;
        for (int at = 0; at + 2 <= count && icon.isNull();) {
            const int width = int(words[at]);
            const int height = int(words[at + 1]);
            if (width == 32 && height == 32 && at + 2 + 32 * 32 <= count) {
                icon = QImage(32, 32, QImage::Format_ARGB32);
                std::memcpy(icon.bits(), words + at + 2, 32 * 32 * 4);
            }
            at += 2 + width * height;
        }
    }
    xcb_disconnect(connection);
    return icon;
}

// A version record's blocks by their path of keys: texts as UTF-8, other
// values as hexadecimal bytes. Each block is its length, its value's length
// (in characters for a text, of type 1) and type, its key, its value and its
// children, each part aligned to 4 bytes.
void readVersionBlocks(std::string_view data, const std::string& path, std::map<std::string, std::string>& blocks)
{
    const auto word = [&](std::size_t at) { return std::uint8_t(data[at]) | std::uint8_t(data[at + 1]) << 8; };
    const auto aligned = [](std::size_t at) { return (at + 3) & ~std::size_t(3); };
    for (std::size_t at = 0; at + 6 <= data.size(); at = aligned(at + std::size_t(word(at)))) {
        const std::size_t end = at + std::size_t(word(at));
        const bool text = word(at + 4) == 1;
        std::size_t key = at + 6;
        QString name;
        for (; key + 2 <= end && word(key); key += 2)
            name += QChar(word(key));
        const std::size_t value = aligned(key + 2);
        const std::size_t valueEnd = value + std::size_t(word(at + 2)) * (text ? 2 : 1);
        if (end > data.size() || valueEnd > end)
            return;
        QString shown;
        for (std::size_t i = value; i < valueEnd; i += text ? 2 : 1)
            shown += text ? (word(i) ? QString(QChar(word(i))) : QString())
                          : QString::asprintf("%02x", std::uint8_t(data[i]));
        const std::string keyPath = path + name.toStdString();
        blocks[keyPath] = shown.toStdString();
        readVersionBlocks(data.substr(std::min(aligned(valueEnd), end), end - std::min(aligned(valueEnd), end)),
            keyPath + "/", blocks);
    }
}

struct Row {
    const char* name;
    // The fault the row catches, shown once by injecting it.
    const char* catches;
    void (*run)(Session& session);
};

void PrintTo(const Row& row, std::ostream* stream) { *stream << row.name; }

const Row kRows[] = {
    { "startsSmallThenMaximizesToTheTable",
        "a window of the start size, frame and all, rather than a client area of it",
        [](Session& session) {
            session.start();
            ASSERT_NO_FATAL_FAILURE(session.awaitForm());
            const QImage small = session.grabClient();
            EXPECT_EQ(small.size(), QSize(pixelFromTwips(layout::kStartWidth), pixelFromTwips(layout::kStartHeight)));
            for (const xcb_atom_t state : { session.desktop().atoms()._NET_WM_STATE_MAXIMIZED_VERT,
                     session.desktop().atoms()._NET_WM_STATE_MAXIMIZED_HORZ })
                EXPECT_FALSE(session.desktop().hasState(session.window(), state));
            const int panel = pixelFromTwips(layout::kPanel.left);
            EXPECT_TRUE(crossesOutline(small, { 0, 100 }, { 1, 0 }, panel + 12, panel, panel));
            EXPECT_TRUE(crossesOutline(small, { 100, 0 }, { 0, 1 }, panel + 12, panel, panel));

            ASSERT_NO_FATAL_FAILURE(session.maximize());
            const QImage client = session.grabClient();
            const QRect inner = pixelRect(layout::kPanel);
            EXPECT_TRUE(crossesOutline(client, { inner.right() + 6, 200 }, { -1, 0 }, 18, 6, 6));
            EXPECT_TRUE(crossesOutline(client, { 300, inner.bottom() + 6 }, { 0, -1 }, 18, 6, 6));
            for (const layout::Label& label : layout::kLabels) {
                const QRect rect = pixelRect(label.rect);
                EXPECT_GE(countColor(client, rect, label.color), 40) << label.name;
                EXPECT_EQ(
                    countColor(client, rect.adjusted(-8, -8, 8, 8), label.color), countColor(client, rect, label.color))
                    << label.name;
            }
            for (const layout::Button& button : layout::kButtons) {
                const QRect rect = pixelRect(button.rect);
                // Over the panel: its face is not the panel's black, and the
                // panel shows just left of it and just below.
                const QRect face = rect.adjusted(2, 2, -2, -2);
                EXPECT_LT(countColor(client, face, colors::kBlack), face.width() * face.height() / 2) << button.caption;
                EXPECT_EQ(countColor(client, rect.adjusted(-3, 0, -rect.width(), 0), colors::kBlack), 3 * rect.height())
                    << button.caption;
                EXPECT_EQ(countColor(client, rect.adjusted(0, rect.height(), 0, 3), colors::kBlack), 3 * rect.width())
                    << button.caption;
            }
            // The window shows the executable's own 32-pixel image.
            const QImage rendered(QString::fromStdString((g_paths.windowsBuild / "win/icon/32x32-16.png").string()));
            EXPECT_EQ(windowIcon(session.window()), rendered.convertToFormat(QImage::Format_ARGB32));

            session.desktop().close(session.window());
            EXPECT_TRUE(session.endsWith(0)) << "after the close box";
        } },
    { "paintsAsTheNativeCoreAloneAndTogether", "red and blue swapped on the way to the window",
        [](Session& session) {
            const QImage form = session.startMaximized();
            ASSERT_FALSE(form.isNull());
            session.click({ layout::Gsls });
            EXPECT_TRUE(session.shows(session.after(form, { "CmdGsls" }))) << "高山流水";
            session.click({ layout::Cls });
            EXPECT_TRUE(session.shows(form)) << "清除";
            session.click({ layout::Jgdd });
            EXPECT_TRUE(session.shows(session.after(form, { "CmdJgdd" }))) << "金光大道";
            session.click({ layout::Gsls });
            const QImage scene = session.after(form, { "CmdJgdd", "CmdGsls" });
            EXPECT_TRUE(session.shows(scene)) << "both";
            if (const char* path = std::getenv("TUXING_WINE_SCENE"))
                session.grabClient().save(QString::fromLocal8Bit(path));
            // Restored from the taskbar, the window has Windows repaint all of
            // it, under Wine too.
            ASSERT_TRUE(session.desktop().xdotool({ "windowminimize", session.id() }).isCleanExit());
            ASSERT_TRUE(
                session.desktop().waitUntil([&] { return !session.desktop().isViewable(session.window()); }, kTimeout));
            // The window has followed the minimize once it answers.
            ASSERT_TRUE(session.settle());
            session.desktop().activate(session.window());
            EXPECT_TRUE(session.shows(form)) << "restored";
            session.click({ layout::Exit });
            EXPECT_TRUE(session.endsWith(0)) << "after 退出";
        } },
    { "inputWhilePaintingWaitsItsTurn", "messages taken while presenting",
        [](Session& session) {
            // At its own pace a picture ends before the next present; at this
            // one 金光大道 paints for 1.3 s, 80 frames.
            const QImage form = session.startMaximized({ "--pace=2000000" });
            ASSERT_FALSE(form.isNull());
            session.click({ layout::Jgdd, layout::Cls, layout::Gsls });
            EXPECT_TRUE(session.shows(session.after(form, { "CmdGsls" })));
            session.click({ layout::Gsls });
            session.desktop().close(session.window());
            EXPECT_TRUE(session.endsWith(0)) << "after closing while 高山流水 painted";
        } },
    { "focusStartsOnGoldenAvenueAndTabsInTableOrder", "no first focus on 金光大道",
        [](Session& session) {
            const QImage form = session.startMaximized();
            ASSERT_FALSE(form.isNull());
            ASSERT_NO_FATAL_FAILURE(session.activate(session.window()));
            session.press({ "space" });
            EXPECT_TRUE(session.shows(session.after(form, { "CmdJgdd" }))) << "Space";
            session.press({ "Tab", "space" });
            EXPECT_TRUE(session.shows(session.after(form, { "CmdJgdd", "CmdGsls" }))) << "Tab, Space";
            session.press({ "Tab", "space" });
            EXPECT_TRUE(session.shows(form)) << "Tab, Space, Tab, Space";
            session.press({ "Tab", "space" });
            EXPECT_TRUE(session.endsWith(0)) << "after the fourth Tab, Space";
        } },
    { "runTimeErrorShowsItsMessageBoxAndTheProgramGoesOn", "the program ending on its run-time error",
        [](Session& session) {
            const QImage form = session.startMaximized({}, Program::Failing);
            ASSERT_FALSE(form.isNull());
            session.click({ layout::Jgdd });
            const std::optional<xcb_window_t> box = session.windowTitled(layout::kRunTimeErrorTitle);
            ASSERT_TRUE(box) << "no message box titled " << layout::kRunTimeErrorTitle;
            ASSERT_NO_FATAL_FAILURE(session.activate(*box));
            session.press({ "Return" });
            EXPECT_TRUE(session.desktop().waitUntil([&] { return !session.desktop().isViewable(*box); }, kTimeout));
            session.click({ layout::Cls, layout::Gsls });
            EXPECT_TRUE(session.shows(session.after(form, { "CmdGsls" }))) << "after the error";
            session.click({ layout::Exit });
            EXPECT_TRUE(session.endsWith(0)) << "after 退出";
        } },
    { "refusesAPaceInAMessageBox", "a refusal written to a console that is not there",
        [](Session& session) {
            session.start({ "--pace=0" });
            const std::optional<xcb_window_t> box = session.windowTitled("tuxing");
            ASSERT_TRUE(box) << "no message box titled tuxing";
            ASSERT_NO_FATAL_FAILURE(session.activate(*box));
            session.press({ "Return" });
            EXPECT_TRUE(session.endsWith(2));
        } },
    // Wine takes one density for every monitor from its registry; this row,
    // the last to start the program, leaves it at 144 dots per inch.
    { "followsTheDensityOfTheScreen", "a window laid out at 96 dots per inch whatever the density",
        [](Session& session) {
            run({ "wine", "reg", "add", "HKCU\\Control Panel\\Desktop", "/v", "LogPixels", "/t", "REG_DWORD", "/d",
                "144", "/f" });
            session.start();
            ASSERT_NO_FATAL_FAILURE(session.awaitForm());
            const QImage form = session.grabClient();
            // 4680 x 3195 twips at a tenth of a pixel each, the half rounded up.
            EXPECT_EQ(form.size(), QSize(468, 320));
            // Only the top-left of the form shows; the mountains are in it.
            ASSERT_NO_FATAL_FAILURE(session.activate(session.window()));
            session.press({ "Tab", "space" });
            EXPECT_TRUE(session.shows(session.after(form, { "CmdGsls" }, 1.5), 1.5));
            session.desktop().close(session.window());
            EXPECT_TRUE(session.endsWith(0));
        } },
    { "carriesItsVersionRecordAndThreeImageIcon", "an icon image of the wrong depth",
        [](Session&) {
            const std::string exe = (g_paths.windowsBuild / "tuxing.exe").string();
            EXPECT_EQ(run({ "sh", "-c", "wrestool -x --type=14 \"$0\" | icotool -l -", exe }),
                "--icon --index=1 --width=32 --height=32 --bit-depth=1 --palette-size=2\n"
                "--icon --index=2 --width=32 --height=32 --bit-depth=4 --palette-size=16\n"
                "--icon --index=3 --width=16 --height=16 --bit-depth=4 --palette-size=16\n");
            EXPECT_NE(
                run({ "wrestool", "-l", "--type=16", exe }).find("--language=2052 [type=version"), std::string::npos);
            std::map<std::string, std::string> blocks;
            readVersionBlocks(run({ "wrestool", "-x", "--raw", "--type=16", exe }), "", blocks);
            // The fixed part: its signature and version, then file and product
            // 1.0.0.0 as two little-endian pairs of 16-bit halves each.
            EXPECT_EQ(blocks["VS_VERSION_INFO"].substr(0, 48),
                "bd04effe"
                "00000100"
                "00000100"
                "00000000"
                "00000100"
                "00000000");
            EXPECT_EQ(blocks["VS_VERSION_INFO/StringFileInfo/080404b0/FileVersion"], "1.00");
            EXPECT_EQ(blocks["VS_VERSION_INFO/StringFileInfo/080404b0/ProductVersion"], "1.00");
            // Chinese (PRC) in Unicode: 0x0804 and 1200, little-endian.
            EXPECT_EQ(blocks["VS_VERSION_INFO/VarFileInfo/Translation"], "0408b004");
            // Nothing to install beside it but what Windows has.
            const std::string imports
                = run({ "sh", "-c", "x86_64-w64-mingw32-objdump -p \"$0\" | sed -n 's/.*DLL Name: //p' | sort", exe });
            EXPECT_EQ(imports, "COMCTL32.dll\nGDI32.dll\nKERNEL32.dll\nSHELL32.dll\nUSER32.dll\nmsvcrt.dll\n");
        } },
};

class Windows : public testing::TestWithParam<Row> { };

TEST_P(Windows, asAPersonUsesIt)
{
    Session session(GetParam().name);
    GetParam().run(session);
}

INSTANTIATE_TEST_SUITE_P(
    Wine, Windows, testing::ValuesIn(kRows), [](const auto& info) { return std::string(info.param.name); });

} // namespace

int main(int argc, char** argv)
{
    // The toolkit grabs the screen and knows its density.
    QGuiApplication application(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument = argv[i];
        for (auto [option, path] :
            { std::pair { "--windows-build=", &g_paths.windowsBuild }, std::pair { "--reference=", &g_paths.reference },
                std::pair { "--template=", &g_paths.prefixTemplate }, std::pair { "--prefix=", &g_paths.prefix } }) {
            if (argument.starts_with(option))
                *path = fs::absolute(std::string(argument.substr(std::strlen(option))));
        }
    }
    testing::AddGlobalTestEnvironment(new WinePrefix);
    return RUN_ALL_TESTS();
}
