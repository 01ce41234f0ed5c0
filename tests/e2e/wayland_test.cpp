#include "tuxing_fixture.h"

#include <cstdlib>
#include <functional>

namespace {

constexpr char kSocket[] = "tuxing-wayland";
constexpr auto kTimeout = std::chrono::seconds(30);

// The program on a Wayland compositor, with no X display to fall back on:
// weston draws its output into a window of the private X display, and its
// kiosk shell gives the program's window the whole output. The buttons are
// pressed over the accessibility bus, and the output is read back through
// weston's screenshooter, which --debug enables.
class Wayland : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(std::filesystem::exists(programPath())) << "pass the program as --program=PATH";
        const char* runtime = std::getenv("XDG_RUNTIME_DIR");
        ASSERT_TRUE(runtime) << "run this on a private desktop";
        m_artifacts = std::filesystem::path(TUXING_E2E_ARTIFACTS) / "Wayland";
        std::filesystem::remove_all(m_artifacts);
        std::filesystem::create_directories(m_artifacts);

        // weston follows the X pointer while it lies over weston's window,
        // which the window manager places at the screen's top left; away
        // from it, weston keeps its pointer at (100, 100) of the output, in
        // the empty panel, where no check looks.
        ASSERT_TRUE(runCommand({ "xdotool", "mousemove", "1023", "767" }).isCleanExit());
        m_compositor = std::make_unique<ChildProcess>(
            std::vector<std::string> { "weston", "--no-config", "--backend=x11-backend.so", "--use-pixman",
                "--shell=kiosk-shell.so", "--debug", "--idle-time=0", std::string("--socket=") + kSocket, "--width=880",
                "--height=600" },
            std::vector<std::string> {}, m_artifacts / "weston.log");
        ASSERT_TRUE(m_desktop.waitUntil(
            [&] { return std::filesystem::exists(std::filesystem::path(runtime) / kSocket); }, kTimeout))
            << "weston did not start; see " << m_artifacts / "weston.log";

        m_program = std::make_unique<ChildProcess>(
            std::vector<std::string> { "/usr/bin/env", "-u", "DISPLAY", programPath().string() },
            std::vector<std::string> { std::string("WAYLAND_DISPLAY=") + kSocket, "QT_QPA_PLATFORM=wayland",
                "QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1" },
            m_artifacts / "tuxing.log");
    }

    // The output once it holds still and shows what `shows` asks for;
    // nothing if it never does.
    QImage steadyOutput(const std::function<bool(const QImage&)>& shows)
    {
        QImage steady;
        m_desktop.waitUntil(
            [&] {
                const QImage first = screenshot();
                if (first.isNull() || !shows(first) || screenshot() != first)
                    return false;
                steady = first;
                return true;
            },
            kTimeout);
        if (steady.isNull())
            screenshot().save(QString::fromStdString((m_artifacts / "output-at-failure.png").string()));
        return steady;
    }

    testing::AssertionResult press(int button)
    {
        return atspiClient(m_program->pid(), { "press", layout::kButtons[button].caption });
    }

    std::unique_ptr<ChildProcess> m_program;

private:
    QImage screenshot()
    {
        const std::filesystem::path folder = m_artifacts / "shot";
        std::filesystem::remove_all(folder);
        std::filesystem::create_directories(folder);
        const ExitStatus status = runCommand({ "/usr/bin/env", std::string("WAYLAND_DISPLAY=") + kSocket, "/bin/sh",
            "-c", "cd \"$0\" && exec weston-screenshooter", folder.string() });
        if (!status.isCleanExit())
            return {};
        for (const std::filesystem::directory_entry& shot : std::filesystem::directory_iterator(folder))
            return QImage(QString::fromStdString(shot.path().string())).convertToFormat(QImage::Format_RGB32);
        return {};
    }

    // The X display that weston shows its output on, here only to wait on.
    Desktop m_desktop;
    std::filesystem::path m_artifacts;
    std::unique_ptr<ChildProcess> m_compositor;
};

TEST_F(Wayland, picturesClearAndExit)
{
    const QImage clean = steadyOutput([](const QImage& output) {
        return colorAt(output, pixelPoint(60, 60)) == colors::kDarkGreen
            && colorAt(output, pixelPoint(1000, 1000)) == colors::kBlack;
    });
    ASSERT_FALSE(clean.isNull()) << "the window never showed at the output's top left";
    // The shell gives the window the whole output, which only a window whose
    // largest size is at least the output's can take.
    EXPECT_EQ(colorAt(clean, { clean.width() - 1, clean.height() - 1 }), colors::kDarkGreen)
        << "the window does not fill the output";

    ASSERT_TRUE(press(layout::Gsls));
    const QImage mountains = steadyOutput(
        [](const QImage& output) { return bool(hasColorNear(output, pixelPoint(40, 4000), colors::kLightYellow, 1)); });
    ASSERT_FALSE(mountains.isNull()) << "高山流水 painted no frame";
    expectMountainsAndWater(mountains);

    ASSERT_TRUE(press(layout::Jgdd));
    const QImage scene = steadyOutput(
        [](const QImage& output) { return colorAt(output, pixelPoint(8000, 2000)) == colors::kLightRed; });
    ASSERT_FALSE(scene.isNull()) << "金光大道 painted no sun";
    expectMountainsAndWater(scene);
    expectGoldenAvenue(scene);

    ASSERT_TRUE(press(layout::Cls));
    EXPECT_FALSE(
        steadyOutput([&](const QImage& output) { return bool(sameOutside(clean, output, buttonFaces(1))); }).isNull())
        << "清除 did not bring back the bare window";

    ASSERT_TRUE(press(layout::Exit));
    const std::optional<ExitStatus> status = m_program->waitForExit(kTimeout);
    ASSERT_TRUE(status) << "still running after 退出";
    EXPECT_TRUE(status->isCleanExit()) << status->describe();
}

} // namespace
