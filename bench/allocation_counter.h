#pragma once

#include <cstdint>

// Counts calls of the global operator new in this program, so a benchmark
// can show how many allocations a run makes. Allocations through malloc
// (Qt's containers and images) are not seen.
std::int64_t allocationCount();
