#pragma once

#include "expectations.h"
#include "expected_palette.h"
#include "fnv1a.h"
#include "recording_surface.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

// A picture's recorded calls held to the figures of expectations.h.

using RecordedCalls = std::vector<RecordedCall>;

// What `paint` calls on a recording surface, recorded on first use and
// kept for every test of the program.
template <typename Paint> const RecordingSurface& recordedOnce(Paint paint)
{
    static const RecordingSurface surface = [&paint] {
        RecordingSurface recording;
        paint(recording);
        return recording;
    }();
    return surface;
}

// Whether the calls from `first` on are the passes' points in their colours
// at their pen width; and where the last pass ends.
inline testing::AssertionResult arePasses(
    const RecordedCalls& calls, std::size_t first, const Passes& passes, std::size_t& end)
{
    end = first + passes.colors.size() * std::size_t(passes.points);
    if (end > calls.size())
        return testing::AssertionFailure() << passes.name << " run past the last call";
    for (std::size_t i = first; i < end; ++i) {
        const RecordedCall& call = calls[i];
        const int color = passes.colors[(i - first) / std::size_t(passes.points)];
        if (call.kind != RecordedCall::Kind::PSet || call.color != kExpectedPalette[std::size_t(color)]
            || call.width != passes.width)
            return testing::AssertionFailure() << passes.name << ": call " << i << " is no point in colour " << color
                                               << " at pen width " << passes.width;
    }
    return testing::AssertionSuccess();
}

// Whether the point is the spot handed over in single precision, or within
// `tolerance` of it.
inline testing::AssertionResult isAt(TwipPoint point, Spot spot, double tolerance = 0)
{
    const bool at = tolerance == 0 ? point.x == float(spot.x) && point.y == float(spot.y)
                                   : std::abs(point.x - spot.x) <= tolerance && std::abs(point.y - spot.y) <= tolerance;
    if (at)
        return testing::AssertionSuccess();
    return testing::AssertionFailure() << "(" << point.x << ", " << point.y << ") is not at (" << spot.x << ", "
                                       << spot.y << ")";
}

// Whether `count` calls from `first` set the same points as those from
// `model`.
inline bool samePoints(const RecordedCalls& calls, std::size_t model, std::size_t first, std::size_t count)
{
    return std::equal(calls.begin() + std::ptrdiff_t(model), calls.begin() + std::ptrdiff_t(model + count),
        calls.begin() + std::ptrdiff_t(first),
        [](const RecordedCall& a, const RecordedCall& b) { return a.point.x == b.point.x && a.point.y == b.point.y; });
}

// The points of every PSet, x then y, as the digest of expectations.h.
inline std::uint64_t pointsDigest(const RecordedCalls& calls)
{
    Fnv1a digest;
    for (const RecordedCall& call : calls) {
        if (call.kind == RecordedCall::Kind::PSet) {
            digest.add(call.point.x);
            digest.add(call.point.y);
        }
    }
    return digest.value();
}

inline std::vector<int> penWidthsSet(const RecordedCalls& calls)
{
    std::vector<int> widths;
    for (const RecordedCall& call : calls) {
        if (call.kind == RecordedCall::Kind::DrawWidth)
            widths.push_back(call.width);
    }
    return widths;
}

// The bounds of the points of `count` calls from `first`.
struct Span {
    Spot from { 1e9, 1e9 };
    Spot to { -1e9, -1e9 };
};

inline Span spanOf(const RecordedCalls& calls, std::size_t first, std::size_t count)
{
    Span span;
    for (std::size_t i = first; i < first + count; ++i) {
        span.from
            = { std::min<double>(span.from.x, calls[i].point.x), std::min<double>(span.from.y, calls[i].point.y) };
        span.to = { std::max<double>(span.to.x, calls[i].point.x), std::max<double>(span.to.y, calls[i].point.y) };
    }
    return span;
}

inline testing::AssertionResult spans(const Span& span, Spot from, Spot to, double tolerance)
{
    if (std::abs(span.from.x - from.x) <= tolerance && std::abs(span.from.y - from.y) <= tolerance
        && std::abs(span.to.x - to.x) <= tolerance && std::abs(span.to.y - to.y) <= tolerance)
        return testing::AssertionSuccess();
    return testing::AssertionFailure() << "spans (" << span.from.x << ", " << span.from.y << ") to (" << span.to.x
                                       << ", " << span.to.y << "), not (" << from.x << ", " << from.y << ") to ("
                                       << to.x << ", " << to.y << ")";
}
