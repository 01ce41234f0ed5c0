#include "pace.h"

#include <algorithm>
#include <charconv>

namespace {

// The refusal repeats what was given, which may come from anywhere: no
// control characters, and no more of it than a person needs to recognise it.
std::string quoted(std::string_view text)
{
    constexpr std::size_t kShownBytes = 24;
    std::string shown = "\"";
    std::size_t end = std::min(text.size(), kShownBytes);
    // Not inside a UTF-8 sequence.
    while (end < text.size() && end > 0 && (static_cast<unsigned char>(text[end]) & 0xc0) == 0x80)
        --end;
    for (const char c : text.substr(0, end))
        shown += static_cast<unsigned char>(c) < 0x20 || c == 0x7f ? '?' : c;
    shown += end < text.size() ? "...\"" : "\"";
    return shown;
}

} // namespace

PaceReading readPace(std::string_view text)
{
    const bool digitsOnly = !text.empty() && text.size() <= kPaceDigits
        && std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
    std::int64_t value = 0;
    if (digitsOnly) {
        const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
        if (error == std::errc() && end == text.data() + text.size() && value >= kSlowestPace && value <= kFastestPace)
            return { value, {} };
    }
    return { std::nullopt,
        "the pace " + quoted(text) + " is not a whole number of points per second from " + std::to_string(kSlowestPace)
            + " to " + std::to_string(kFastestPace) };
}
