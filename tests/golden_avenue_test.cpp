#include "expected_palette.h"
#include "golden_avenue.h"
#include "recording_surface.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>

namespace {

using Kind = RecordedCall::Kind;

constexpr std::size_t kRayPoints = 11341;
constexpr std::size_t kRays = 32;
constexpr std::size_t kRayPass = kRays * kRayPoints;
constexpr std::size_t kArchPoints = 9999;
constexpr std::size_t kSmallArchPass = 6 * kArchPoints;

// Offsets of the parts in the call sequence.
constexpr std::size_t kRaysStart = 5;
constexpr std::size_t kArchStart = kRaysStart + 6 * kRayPass + 1;
constexpr std::size_t kSmallArchesStart = kArchStart + kArchPoints + 1;

const std::vector<RecordedCall>& recordedPicture()
{
    static const std::vector<RecordedCall> calls = [] {
        RecordingSurface surface;
        CmdJgdd_Click(surface);
        return surface.calls;
    }();
    return calls;
}

struct Span {
    float minX = 1e9f, maxX = -1e9f, minY = 1e9f, maxY = -1e9f;
    void add(TwipPoint p)
    {
        minX = std::min(minX, p.x);
        maxX = std::max(maxX, p.x);
        minY = std::min(minY, p.y);
        maxY = std::max(maxY, p.y);
    }
};

} // namespace

TEST(GoldenAvenue, issuesTwoCirclesAndTheCountedPointsBetweenPenWidths)
{
    const auto& calls = recordedPicture();
    ASSERT_EQ(calls.size(), kSmallArchesStart + 6 * kSmallArchPass);
    EXPECT_EQ(recordedPicture().size() - 7, 2'547'435u);

    std::vector<int> widths;
    for (const RecordedCall& call : calls) {
        if (call.kind == Kind::DrawWidth)
            widths.push_back(call.width);
    }
    EXPECT_EQ(widths, (std::vector<int> { 3, 66, 1, 3, 2 }));

    ASSERT_EQ(calls[1].kind, Kind::Circle);
    EXPECT_EQ(calls[1].point.x, 8000.0f);
    EXPECT_EQ(calls[1].point.y, 2000.0f);
    EXPECT_EQ(calls[1].other.x, 500.0f);
    EXPECT_EQ(calls[1].color, kExpectedPalette[14]);
    EXPECT_EQ(calls[1].width, 3);
    ASSERT_EQ(calls[3].kind, Kind::Circle);
    EXPECT_EQ(calls[3].other.x, 0.0f);
    EXPECT_EQ(calls[3].color, kExpectedPalette[12]);
    EXPECT_EQ(calls[3].width, 66);
    EXPECT_EQ(calls.back().width, 2);
}

TEST(GoldenAvenue, raysArePaintedOutwardOneAngleAtATimeInSixColours)
{
    const auto& calls = recordedPicture();
    for (std::size_t pass = 0; pass < 6; ++pass) {
        const Color color = kExpectedPalette[9 + pass];
        for (std::size_t ray = 0; ray < kRays; ++ray) {
            const double t = 3.14 - double(ray) * 0.19625;
            const std::size_t first = kRaysStart + pass * kRayPass + ray * kRayPoints;
            const RecordedCall& inner = calls[first];
            const RecordedCall& outer = calls[first + kRayPoints - 1];
            ASSERT_EQ(inner.kind, Kind::PSet);
            EXPECT_NEAR(inner.point.x, 8000 + std::cos(t) * 666, 1e-3);
            EXPECT_NEAR(inner.point.y, 2000 - std::sin(t) * 666, 1e-3);
            EXPECT_NEAR(outer.point.x, 8000 + std::cos(t) * 1800, 1e-3);
            EXPECT_NEAR(outer.point.y, 2000 - std::sin(t) * 1800, 1e-3);
            EXPECT_EQ(inner.color, color);
            EXPECT_EQ(outer.color, color);
            EXPECT_EQ(inner.width, 1);
        }
    }
    // The first ray's first point, exactly as single precision.
    EXPECT_EQ(calls[kRaysStart].point.x, float(8000 + std::cos(3.14) * 666));
    EXPECT_EQ(calls[kRaysStart].point.y, float(2000 - std::sin(3.14) * 666));

    Span span;
    for (std::size_t i = kRaysStart; i < kRaysStart + kRayPass; ++i)
        span.add(calls[i].point);
    EXPECT_NEAR(span.minX, 6200, 0.01);
    EXPECT_NEAR(span.maxX, 9800, 0.01);
    EXPECT_NEAR(span.minY, 200, 0.01);
    EXPECT_NEAR(span.maxY, 3800, 0.01);
}

TEST(GoldenAvenue, largeArchRisesFromFootToFootInMagenta)
{
    const auto& calls = recordedPicture();
    Span span;
    for (std::size_t i = kArchStart; i < kArchStart + kArchPoints; ++i) {
        ASSERT_EQ(calls[i].kind, Kind::PSet);
        ASSERT_EQ(calls[i].color, kExpectedPalette[5]);
        ASSERT_EQ(calls[i].width, 3);
        span.add(calls[i].point);
    }
    EXPECT_EQ(calls[kArchStart].point.x, float(std::cos(3.14) * 3450 + 8350));
    EXPECT_EQ(calls[kArchStart].point.y, float(6000 - std::sin(3.14) * 1400));
    EXPECT_NEAR(span.minX, 4900, 0.01);
    EXPECT_NEAR(span.maxX, 11800, 0.01);
    EXPECT_NEAR(span.minY, 4600, 0.01);
    // t = 0 is never drawn: the right foot stays just above 6000.
    EXPECT_NEAR(calls[kArchStart + kArchPoints - 1].point.y, 5999.56, 0.01);
}

TEST(GoldenAvenue, everyArchPointIsTheFormulaInSinglePrecision)
{
    const auto& calls = recordedPicture();
    std::size_t i = kArchStart;
    double t = 3.14;
    for (std::size_t n = 0; n < kArchPoints; ++n, ++i, t += -3.14 / 9999) {
        ASSERT_EQ(calls[i].point.x, float(std::cos(t) * 3450 + 8350)) << n;
        ASSERT_EQ(calls[i].point.y, float(6000 - std::sin(t) * 1400)) << n;
    }
    i = kSmallArchesStart;
    for (int pass = 0; pass < 6; ++pass) {
        for (int cx = 6350; cx <= 10350; cx += 800) {
            t = 3.14;
            for (std::size_t n = 0; n < kArchPoints; ++n, ++i, t += -3.14 / 9999) {
                ASSERT_EQ(calls[i].point.x, float(cx + std::cos(t) * 400)) << pass << " " << cx << " " << n;
                ASSERT_EQ(calls[i].point.y, float(5900 - std::sin(t) * 600)) << pass << " " << cx << " " << n;
            }
        }
    }
}

TEST(GoldenAvenue, smallArchesMeetAtTheirFeetAndEndLightYellow)
{
    const auto& calls = recordedPicture();
    for (std::size_t pass = 0; pass < 6; ++pass) {
        Span span;
        const std::size_t first = kSmallArchesStart + pass * kSmallArchPass;
        for (std::size_t i = first; i < first + kSmallArchPass; ++i) {
            ASSERT_EQ(calls[i].color, kExpectedPalette[9 + pass]);
            ASSERT_EQ(calls[i].width, 2);
            span.add(calls[i].point);
        }
        EXPECT_NEAR(span.minX, 5950, 0.01);
        EXPECT_NEAR(span.maxX, 10750, 0.01);
        EXPECT_NEAR(span.minY, 5300, 0.01);
        EXPECT_LT(span.maxY, 5900);
        EXPECT_GT(span.maxY, 5899.8f);
    }
    EXPECT_EQ(calls.back().color, kExpectedPalette[14]);
}

TEST(GoldenAvenue, failingCallStopsTheRoutineThere)
{
    for (const std::size_t failAt : { std::size_t(1), std::size_t(2), std::size_t(4), kRaysStart + 1, kArchStart + 1,
             kSmallArchesStart + 777, recordedPicture().size() }) {
        RecordingSurface surface;
        surface.failAtCall = failAt;
        EXPECT_THROW(CmdJgdd_Click(surface), RunTimeError) << failAt;
        ASSERT_EQ(surface.calls.size(), failAt - 1);
        EXPECT_TRUE(std::equal(surface.calls.begin(), surface.calls.end(), recordedPicture().begin())) << failAt;
    }
}

TEST(GoldenAvenue, notANumberInTheArchesStopsAtThePointItHits)
{
    // After the rays' 6 x 64 calls, the large arch takes a cosine and a sine
    // per point; a NaN in the 101st point's cosine leaves 100 arch points.
    RecordingSurface surface;
    const FaultyMaths maths { 6 * 64 + 2 * 100 + 1 };
    EXPECT_THROW(CmdJgdd_Click(surface, maths), RunTimeError);
    EXPECT_EQ(surface.calls.size(), kArchStart + 100);
}

TEST(GoldenAvenue, notANumberInTheArithmeticRaisesTheErrorAndStops)
{
    RecordingSurface surface;
    // The first 64 trigonometric calls are the rays' Cos and Sin of the first
    // pass; the 65th belongs to the next pass's first ray.
    const FaultyMaths maths { 65 };
    std::string message;
    try {
        CmdJgdd_Click(surface, maths);
    } catch (const RunTimeError& error) {
        message = error.what();
    }
    // Not a number, rather than a number too large.
    EXPECT_EQ(message, describe(FloatingPointFault::InvalidOperation));
    EXPECT_EQ(surface.calls.size(), kRaysStart + kRayPass);
}
