#pragma once

#include "presenting.h"

#include <cstdint>
#include <limits>

// Makes the surface's operation `count` operations from installation (1 is
// the next one) fail with DeviceFailure, and no other. It presents nothing.
class FailingCheckpoint : public Checkpoint {
public:
    explicit FailingCheckpoint(std::int64_t count)
        : m_count(count)
    {
    }

    std::int64_t operationsToNextStop() override
    {
        return m_failed ? std::numeric_limits<std::int64_t>::max() : m_count;
    }
    bool stop(Surface&) override
    {
        const bool failedBefore = m_failed;
        m_failed = true;
        return failedBefore;
    }

private:
    std::int64_t m_count;
    bool m_failed = false;
};
