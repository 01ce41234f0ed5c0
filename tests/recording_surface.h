#pragma once

#include "drawing_surface.h"
#include "run_time_error.h"
#include "twips.h"

#include <cmath>
#include <cstdint>
#include <limits>
#include <vector>

// A drawing surface that paints nothing and keeps every call, so a picture
// can be checked call by call, or its points counted and reused. It can be
// told to fail at its n-th call.
struct RecordedCall {
    enum class Kind : std::uint8_t { DrawWidth, Line, Circle, PSet, Cls };
    Kind kind;
    TwipPoint point; // PSet, Circle centre, Line start
    TwipPoint other; // Line end; Circle radius in x
    Color color;
    int width = 0; // DrawWidth's argument; the pen width in force otherwise

    friend bool operator==(const RecordedCall& a, const RecordedCall& b)
    {
        return a.kind == b.kind && a.point.x == b.point.x && a.point.y == b.point.y && a.other.x == b.other.x
            && a.other.y == b.other.y && a.color == b.color && a.width == b.width;
    }
};

class RecordingSurface {
public:
    std::vector<RecordedCall> calls;
    std::size_t failAtCall = 0; // 1-based; 0 never fails

    explicit RecordingSurface(std::size_t expectedCalls = 2'600'000) { calls.reserve(expectedCalls); }

    SurfaceStatus DrawWidth(int pixels)
    {
        if (fails())
            return SurfaceStatus::DeviceFailure;
        m_width = pixels;
        calls.push_back({ RecordedCall::Kind::DrawWidth, {}, {}, {}, pixels });
        return SurfaceStatus::Ok;
    }
    SurfaceStatus Line(TwipPoint from, TwipPoint to, Color color, LineShape)
    {
        if (fails())
            return SurfaceStatus::DeviceFailure;
        calls.push_back({ RecordedCall::Kind::Line, from, to, color, m_width });
        return SurfaceStatus::Ok;
    }
    SurfaceStatus Circle(TwipPoint center, float radius, Color color)
    {
        if (fails())
            return SurfaceStatus::DeviceFailure;
        calls.push_back({ RecordedCall::Kind::Circle, center, { radius, 0 }, color, m_width });
        return SurfaceStatus::Ok;
    }
    SurfaceStatus PSet(TwipPoint point, Color color)
    {
        if (fails())
            return SurfaceStatus::DeviceFailure;
        calls.push_back({ RecordedCall::Kind::PSet, point, {}, color, m_width });
        return SurfaceStatus::Ok;
    }

    SurfaceStatus Cls()
    {
        if (fails())
            return SurfaceStatus::DeviceFailure;
        calls.push_back({ RecordedCall::Kind::Cls, {}, {}, {}, m_width });
        return SurfaceStatus::Ok;
    }

    std::size_t count(RecordedCall::Kind kind) const
    {
        std::size_t n = 0;
        for (const RecordedCall& call : calls)
            n += call.kind == kind;
        return n;
    }

private:
    bool fails() { return failAtCall != 0 && ++m_callsMade == failAtCall; }

    int m_width = 1;
    std::size_t m_callsMade = 0;
};

static_assert(DrawingSurface<RecordingSurface>);

// Sin and Cos as usual, except that the n-th call of either gives NaN.
struct FaultyMaths {
    mutable int callsUntilFault;
    double fault() const { return --callsUntilFault == 0 ? std::numeric_limits<double>::quiet_NaN() : 0.0; }
    double Sin(double angle) const { return std::sin(angle) + fault(); }
    double Cos(double angle) const { return std::cos(angle) + fault(); }
};
