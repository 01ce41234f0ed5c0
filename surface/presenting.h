#pragma once

#include "pixel_geometry.h"

#include <chrono>
#include <cstdint>
#include <functional>

class Surface;

// Puts a changed region of the layer on the screen before it returns. It must
// not run the event loop: the handler that is painting still owns the thread.
class Presenter {
public:
    virtual ~Presenter() = default;
    virtual void present(PixelRect deviceRect) = 0;
};

// Every so many drawing operations the surface stops at its checkpoint, which
// may present what has changed so far, or refuse the operation at hand.
class Checkpoint {
public:
    virtual ~Checkpoint() = default;
    // How many operations from now the next stop comes, counting the one it
    // comes before; at least 1. Asked on installation and after every stop.
    virtual std::int64_t operationsToNextStop() = 0;
    // False makes the operation at hand fail with DeviceFailure and paint
    // nothing.
    virtual bool stop(Surface& surface) = 0;
};

// The surface's own checkpoint: painting reaches the presenter about every
// kPresentInterval while a handler runs, so it shows as it grows. The clock is
// read only every kOperationsPerClockCheck operations, since a picture runs
// millions of them.
class PresentingCheckpoint : public Checkpoint {
public:
    using Clock = std::function<std::chrono::steady_clock::time_point()>;

    static constexpr std::chrono::milliseconds kPresentInterval { 16 };
    static constexpr std::int64_t kOperationsPerClockCheck = 1024;

    explicit PresentingCheckpoint(Clock clock = std::chrono::steady_clock::now);

    std::int64_t operationsToNextStop() override { return kOperationsPerClockCheck; }
    bool stop(Surface& surface) override;

private:
    Clock m_clock;
    std::chrono::steady_clock::time_point m_lastPresent;
};
