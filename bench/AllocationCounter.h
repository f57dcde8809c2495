// Counts heap allocations made through operator new in a benchmark program,
// so a benchmark can show that a hot path allocates nothing. Link
// AllocationCounter.cpp into the program to replace the global operators.
#pragma once

namespace bench {

// Allocations made so far in this process.
long long allocationCount();

}  // namespace bench
