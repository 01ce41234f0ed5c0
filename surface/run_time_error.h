#pragma once

#include <stdexcept>
#include <string>

// The program's run-time error. A handler has no local recovery: whatever
// raises one ends the handler at once, and what it painted stays.
class RunTimeError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

enum class SurfaceStatus {
    Ok,
    InvalidCoordinate,
    InvalidColor,
    InvalidPenWidth,
    InvalidRadius,
    DeviceFailure,
};

// A fault in a picture's arithmetic, which stops the handler as a failed
// drawing operation does.
enum class FloatingPointFault {
    InvalidOperation,
    Overflow,
};

// What the error says to the person at the window, in UTF-8.
std::string describe(SurfaceStatus status);
std::string describe(FloatingPointFault fault);

// Raise the run-time error. They are out of line, and so are the strings
// they build: a picture that inlined them would need cleanup for those
// strings around every call it makes, which where exceptions are emulated
// (the web page's build) sends every point through a trampoline.
[[noreturn]] void raiseRunTimeError(SurfaceStatus status);
[[noreturn]] void raiseRunTimeError(FloatingPointFault fault);

// Callers of the drawing operations pass every status through this, so that a
// failure becomes the run-time error the handler stops on.
inline void raiseOnFailure(SurfaceStatus status)
{
    if (status != SurfaceStatus::Ok) [[unlikely]]
        raiseRunTimeError(status);
}
