#pragma once

#include "pixel_geometry.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <span>

class Surface;

// Puts the changed regions of the layer on the screen, as one frame, before it
// returns: a few rectangles, none empty. It must not run the event loop: the
// handler that is painting still owns the thread.
class Presenter {
public:
    virtual ~Presenter() = default;
    virtual void present(std::span<const PixelRect> deviceRects) = 0;
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

// Spreads painting over time at a pace in operations per second, counted
// from restart(): at no moment have more operations been painted than
// pace × elapsed. Each stop pays in advance for the operations up to the
// next one, waiting until their time has come, so a run of N operations does
// not end before N / pace seconds, and the last of them is not held back.
// Painting reaches the presenter about every kPresentInterval, as with the
// surface's own checkpoint. Every operation goes ahead as without a pace: the
// points, their order and the pixels stay the same.
class PacingCheckpoint : public Checkpoint {
public:
    using Clock = PresentingCheckpoint::Clock;
    // Returns no earlier than the given time by the clock, or as soon after
    // it as it can.
    using Wait = std::function<void(std::chrono::steady_clock::time_point)>;

    // About this much painting goes between two stops, so that waits stay
    // short and presents come on time; never more operations than this.
    static constexpr std::chrono::milliseconds kPaidAtOnce { 1 };
    static constexpr std::int64_t kMaxOperationsPerStop = 65536;

    // A pace below one operation a second is taken as one.
    explicit PacingCheckpoint(
        std::int64_t operationsPerSecond, Clock clock = std::chrono::steady_clock::now, Wait wait = sleepUntil);

    // The thread sleeps.
    static void sleepUntil(std::chrono::steady_clock::time_point until);

    // Counts from now, so that time spent idle earns no painting; install the
    // checkpoint after it, so that its first stop comes before the next
    // operation.
    void restart();

    std::int64_t operationsToNextStop() override { return m_paidFor == 0 ? 1 : m_operationsPerStop; }
    bool stop(Surface& surface) override;

private:
    std::int64_t m_operationsPerSecond;
    std::int64_t m_operationsPerStop;
    Clock m_clock;
    Wait m_wait;
    std::chrono::steady_clock::time_point m_start;
    std::chrono::steady_clock::time_point m_lastPresent;
    // Operations that may be painted, from the start, before the next stop.
    std::int64_t m_paidFor = 0;
};
