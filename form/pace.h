#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// The pace option, the same in every front-end: the desktop's --pace=N and
// the page's ?pace=N paint each picture at N points per second (see
// PacingCheckpoint). Without it a picture paints as fast as it can.

inline constexpr std::string_view kPaceOption = "pace";
// Slower than this, 金光大道 would hold the window for more than 42 minutes,
// during which it cannot even be closed; faster than this is no pace at all
// on any machine.
inline constexpr std::int64_t kSlowestPace = 1000;
inline constexpr std::int64_t kFastestPace = 1'000'000'000;
inline constexpr std::size_t kPaceDigits = 10;

struct PaceReading {
    std::optional<std::int64_t> pointsPerSecond;
    // Why the text gives no pace, in one sentence, when it gives none.
    std::string refusal;
};

// A pace is a whole number of points per second, in at most kPaceDigits
// decimal digits, from kSlowestPace to kFastestPace.
PaceReading readPace(std::string_view text);
