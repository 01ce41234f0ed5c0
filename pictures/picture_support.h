#pragma once

#include "drawing_surface.h"
#include "palette.h"
#include "run_time_error.h"
#include "twips.h"

#include <cfloat>
#include <cmath>

// The maths functions the pictures call. A picture takes them as a parameter
// so that a test can make the arithmetic fail where it chooses.
struct StandardMaths {
    double Sin(double angle) const { return std::sin(angle); }
    double Cos(double angle) const { return std::cos(angle); }
};

// Points are computed in double precision and handed over in single. A value
// that is not a number, or too large for single precision, is a
// floating-point fault and raises the run-time error.
inline TwipPoint singlePrecisionPoint(double x, double y)
{
    // Not a number fails this comparison too, so a point pays for one test;
    // which fault it was is sorted out only when there is one.
    if (!(std::fabs(x) <= FLT_MAX && std::fabs(y) <= FLT_MAX)) [[unlikely]]
        raiseRunTimeError(
            std::isnan(x) || std::isnan(y) ? FloatingPointFault::InvalidOperation : FloatingPointFault::Overflow);
    return { float(x), float(y) };
}

inline Color paletteColor(PaletteIndex index) { return QBColor(int(index)); }
