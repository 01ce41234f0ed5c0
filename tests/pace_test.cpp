#include "expectations.h"
#include "form1_handlers.h"
#include "pace.h"
#include "surface.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

namespace {

struct PaceCase {
    const char* name;
    std::string text;
    std::optional<std::int64_t> pace;
};

class PaceOption : public ::testing::TestWithParam<PaceCase> { };

std::vector<std::uint32_t> layer(const Surface& surface)
{
    return { surface.pixels(), surface.pixels() + std::size_t(surface.size().width) * surface.size().height };
}

} // namespace

TEST_P(PaceOption, takesWholePointsPerSecondWithinItsRangeAndSaysWhyNot)
{
    const PaceReading reading = readPace(GetParam().text);
    EXPECT_EQ(reading.pointsPerSecond, GetParam().pace);
    EXPECT_EQ(reading.refusal.find("1000 to 1000000000") != std::string::npos, !GetParam().pace) << reading.refusal;
    EXPECT_TRUE(std::none_of(reading.refusal.begin(), reading.refusal.end(), [](char c) { return c > 0 && c < 0x20; }));
}

INSTANTIATE_TEST_SUITE_P(Pace, PaceOption,
    ::testing::Values(PaceCase { "slowest", "1000", 1000 }, PaceCase { "fastest", "1000000000", 1000000000 },
        PaceCase { "leadingZero", "0600000", 600000 }, PaceCase { "zero", "0", std::nullopt },
        PaceCase { "belowSlowest", "999", std::nullopt }, PaceCase { "aboveFastest", "1000000001", std::nullopt },
        PaceCase { "pastTheIntegers", "99999999999999999999", std::nullopt },
        PaceCase { "negative", "-600000", std::nullopt }, PaceCase { "empty", "", std::nullopt },
        PaceCase { "space", " 600000", std::nullopt }, PaceCase { "fraction", "600000.5", std::nullopt },
        PaceCase { "word", "fast", std::nullopt }, PaceCase { "terminalEscape", "\x1b[2J600000", std::nullopt }),
    [](const auto& info) { return std::string(info.param.name); });

// A clock that only the pacing's waits move: each click takes as long as its
// pace makes it wait, on any machine. Between clicks the window is idle for
// a while, which must earn the next one no painting.
TEST(PacedClicks, paintTheSamePictureGrowingAtTheDisplaysRateAndNoSoonerThanThePace)
{
    using namespace std::chrono;
    Surface unpaced({ 1280, 1024 });
    ASSERT_EQ(runClickHandler("CmdGsls", unpaced), std::nullopt);

    steady_clock::time_point now {};
    int waits = 0;
    PacingCheckpoint pacing(
        pace::kPointsPerSecond, [&now] { return now; }, [&](steady_clock::time_point until) { now = until, ++waits; });
    Surface surface({ 1280, 1024 });
    steady_clock::time_point start;
    // When each present came, in seconds, and whether the frame and the
    // water showed.
    std::vector<std::tuple<double, bool, bool>> shown;
    struct : Presenter {
        std::function<void()> watch;
        void present(std::span<const PixelRect>) override { watch(); }
    } presenter;
    presenter.watch = [&] {
        shown.emplace_back(duration<double>(now - start).count(), surface.pixel(1, 300), surface.pixel(500, 406));
    };
    surface.setPresenter(&presenter);
    const auto click = [&](const char* button) {
        start = now += seconds(10);
        EXPECT_EQ(runClickHandler(button, surface, &pacing), std::nullopt) << button;
        return duration<double>(now - start).count();
    };

    const double took = click("CmdGsls");
    EXPECT_GE(took, pace::kMountainsAndWaterSeconds);
    EXPECT_LE(took, pace::kMountainsAndWaterSeconds + pace::kLongestFrame);
    EXPECT_EQ(layer(surface), layer(unpaced));
    ASSERT_GE(shown.size(), 3u);
    EXPECT_TRUE(std::get<1>(shown.front()) && !std::get<2>(shown.front()) && std::get<2>(shown.back()));
    // The last present is the handler's own, as it ends.
    for (std::size_t i = 0; i + 1 < shown.size(); ++i) {
        const auto [at, frame, water] = shown[i];
        const double gap = at - (i ? std::get<0>(shown[i - 1]) : 0.0);
        EXPECT_TRUE(gap >= pace::kShortestFrame && gap <= pace::kLongestFrame) << "present " << i << " after " << gap;
        EXPECT_TRUE(!water || at >= pace::kWaterEarliestSeconds) << "the water showed too soon, present " << i;
    }

    const double tookAvenue = click("CmdJgdd");
    EXPECT_GE(tookAvenue, pace::kGoldenAvenueSeconds);
    EXPECT_LE(tookAvenue, pace::kGoldenAvenueSeconds + pace::kLongestFrame);
    const int waitsInHandlers = waits;
    for (int i = 0; i < 100000; ++i)
        ASSERT_EQ(surface.PSet({ 15, 15 }, Color::fromRgb(255, 0, 0)), SurfaceStatus::Ok);
    EXPECT_EQ(waits, waitsInHandlers) << "the pace held painting back after its handler";
}
