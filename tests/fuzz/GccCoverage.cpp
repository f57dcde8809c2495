// Coverage of GCC-built code for libFuzzer's engine. GCC instruments with
// -fsanitize-coverage=trace-pc (a call at every basic block) and trace-cmp;
// libFuzzer takes the comparisons as they are but no longer reads trace-pc,
// so this file turns each call into an edge counter, AFL-style (this block
// and the one before it), in a counter array handed to the engine as one
// module of inline 8-bit counters. Built without instrumentation.
#include <cstddef>
#include <cstdint>

extern "C" void __sanitizer_cov_8bit_counters_init(std::uint8_t* start, std::uint8_t* stop);

namespace {

constexpr std::size_t kCounters = std::size_t{1} << 18;
alignas(64) std::uint8_t g_counters[kCounters];
// The block before, per thread: each thread's own path.
thread_local std::uintptr_t t_previous = 0;

struct Register {
    Register() { __sanitizer_cov_8bit_counters_init(g_counters, g_counters + kCounters); }
} const g_register;

}  // namespace

extern "C" void __sanitizer_cov_trace_pc() {
    const auto pc = reinterpret_cast<std::uintptr_t>(__builtin_return_address(0));
    const std::uintptr_t block = (pc * 0x9E3779B97F4A7C15ull) >> 40;
    ++g_counters[(block ^ t_previous) & (kCounters - 1)];
    t_previous = block >> 1;
}

// GCC also traces floating-point comparisons, which the engine does not take.
extern "C" void __sanitizer_cov_trace_cmpf(float, float) {}
extern "C" void __sanitizer_cov_trace_cmpd(double, double) {}
