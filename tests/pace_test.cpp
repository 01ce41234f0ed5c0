#include "expectations.h"
#include "form1_handlers.h"
#include "pace.h"
#include "surface.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <optional>
#include <string>
#include <vector>

namespace {

struct PaceCase {
    const char* name;
    std::string text;
    std::optional<std::int64_t> pace;
};

class PaceOption : public ::testing::TestWithParam<PaceCase> { };

} // namespace

TEST_P(PaceOption, takesWholePointsPerSecondWithinItsRangeAndSaysWhyNot)
{
    const PaceCase& given = GetParam();
    const PaceReading reading = readPace(given.text);
    EXPECT_EQ(reading.pointsPerSecond, given.pace);
    if (given.pace) {
        EXPECT_TRUE(reading.refusal.empty());
        return;
    }
    EXPECT_NE(reading.refusal.find("1000 to 1000000000"), std::string::npos) << reading.refusal;
    // What was given comes back, but never a control character or more than
    // a person needs to see.
    EXPECT_LT(reading.refusal.size(), 120u) << reading.refusal;
    for (const char c : reading.refusal)
        EXPECT_FALSE(static_cast<unsigned char>(c) < 0x20) << reading.refusal;
    const bool printable = std::none_of(
        given.text.begin(), given.text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x20; });
    if (printable && given.text.size() < 20) {
        EXPECT_NE(reading.refusal.find('"' + given.text + '"'), std::string::npos) << reading.refusal;
    }
}

INSTANTIATE_TEST_SUITE_P(Pace, PaceOption,
    ::testing::Values(PaceCase { "slowest", "1000", 1000 }, PaceCase { "desktopEntry", "600000", 600000 },
        PaceCase { "fastest", "1000000000", 1000000000 }, PaceCase { "leadingZero", "0600000", 600000 },
        PaceCase { "zero", "0", std::nullopt }, PaceCase { "belowSlowest", "999", std::nullopt },
        PaceCase { "aboveFastest", "1000000001", std::nullopt },
        PaceCase { "pastTheIntegers", "99999999999999999999999", std::nullopt },
        PaceCase { "tooManyDigits", "00000000001000", std::nullopt }, PaceCase { "negative", "-600000", std::nullopt },
        PaceCase { "plusSign", "+600000", std::nullopt }, PaceCase { "empty", "", std::nullopt },
        PaceCase { "leadingSpace", " 600000", std::nullopt }, PaceCase { "trailingSpace", "600000 ", std::nullopt },
        PaceCase { "fraction", "600000.5", std::nullopt }, PaceCase { "exponent", "6e5", std::nullopt },
        PaceCase { "hexadecimal", "0x1000", std::nullopt }, PaceCase { "word", "fast", std::nullopt },
        PaceCase { "fullWidthDigits", "６００００００", std::nullopt },
        PaceCase { "embeddedZero",
            std::string("6000\0"
                        "00",
                7),
            std::nullopt },
        PaceCase { "terminalEscape", "\x1b[2J600000", std::nullopt },
        PaceCase { "long", std::string(5000, '7'), std::nullopt }),
    [](const auto& info) { return std::string(info.param.name); });

// The pace counts from each handler's start: a click after a while idle is
// held to its pace as the first was, and between clicks the surface keeps
// its own checkpoint.
TEST(PacedClicks, eachHandlerKeepsItsPaceHoweverLongTheWindowWasIdle)
{
    using namespace std::chrono;
    constexpr std::int64_t kPace = 2'000'000;
    steady_clock::time_point now {};
    int waits = 0;
    PacingCheckpoint pacing(
        kPace, [&now] { return now; },
        [&](steady_clock::time_point until) {
            now = until;
            ++waits;
        });
    Surface surface({ 1280, 1024 });
    for (const char* button : { "CmdGsls", "CmdCls", "CmdJgdd" }) {
        now += seconds(10);
        const steady_clock::time_point start = now;
        ASSERT_EQ(runClickHandler(button, surface, &pacing), std::nullopt) << button;
        const int points = std::string_view(button) == "CmdGsls" ? points::kMountainsAndWater
            : std::string_view(button) == "CmdJgdd"              ? points::kGoldenAvenue
                                                                 : 0;
        EXPECT_GE(duration<double>(now - start).count(), double(points) / kPace) << button;
    }
    const int waitsInHandlers = waits;
    for (int i = 0; i < 100000; ++i)
        ASSERT_EQ(surface.PSet({ 15, 15 }, Color::fromRgb(255, 0, 0)), SurfaceStatus::Ok);
    EXPECT_EQ(waits, waitsInHandlers) << "the pace held painting back after its handler";
}
