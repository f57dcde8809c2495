// Classifying a large recipient list: the four carrier tests in the order
// callers use, against a baseline loop that only checks length and digits.
// Heap allocations are counted to show the tests allocate nothing.
#include <benchmark/benchmark.h>

#include <atomic>
#include <cstdlib>
#include <new>
#include <random>
#include <string>
#include <vector>

#include "bench/AllocationCounter.h"

#include "phone/CPhoneNumMag.h"

namespace {

constexpr int kNumbers = 1000000;

// Mixed carriers, area-code numbers, unknown prefixes and invalid strings.
const std::vector<std::string>& numbers() {
    static const std::vector<std::string> list = [] {
        const char* prefixes[] = {"138", "159", "130", "156", "133", "189", "150", "147"};
        std::mt19937 rng(42);
        std::vector<std::string> out;
        out.reserve(kNumbers);
        for (int i = 0; i < kNumbers; ++i) {
            std::string n;
            switch (i % 10) {
                case 8:  // area-code form, 11 or 12 bytes
                    n = "0" + std::to_string(1000000000ull + rng() % 9000000000ull);
                    break;
                case 9:  // invalid: letters, wrong length, country code
                    n = i % 3 == 0 ? "+8613800138000" : i % 3 == 1 ? "1380013800a" : "1380";
                    break;
                default:
                    n = prefixes[rng() % 8] + std::to_string(10000000 + rng() % 90000000);
            }
            out.push_back(std::move(n));
        }
        return out;
    }();
    return list;
}

int classOf(const SMS::CPhoneNumMag& mag, const std::string& n) {
    if (mag.isYDNumber(n)) return 1;
    if (mag.isLTNumber(n)) return 2;
    if (mag.isDXNumber(n)) return 3;
    if (mag.isXLTNumber(n)) return 4;
    return 0;
}

bool lengthAndDigits(const std::string& n) {
    if (n.size() < 11 || n.size() > 12) return false;
    for (const char c : n) {
        if (c < '0' || c > '9') return false;
    }
    return true;
}

// Runs `pass` over the list once outside the timing to count its heap
// allocations exactly, then times it.
template <typename Pass>
void run(benchmark::State& state, Pass pass) {
    const auto& list = numbers();
    const long long before = bench::allocationCount();
    benchmark::DoNotOptimize(pass(list));
    state.counters["allocs_in_one_pass"] = static_cast<double>(bench::allocationCount() - before);
    for (auto _ : state) benchmark::DoNotOptimize(pass(list));
    const double items = static_cast<double>(state.iterations()) * kNumbers;
    state.SetItemsProcessed(static_cast<int64_t>(items));
    state.counters["time_per_number"] =
        benchmark::Counter(items, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void BM_BaselineLengthAndDigits(benchmark::State& state) {
    run(state, [](const std::vector<std::string>& list) {
        int valid = 0;
        for (const auto& n : list) valid += lengthAndDigits(n) ? 1 : 0;
        return valid;
    });
}
BENCHMARK(BM_BaselineLengthAndDigits)->Unit(benchmark::kMillisecond);

void BM_ClassifyFourTests(benchmark::State& state) {
    const SMS::CPhoneNumMag& mag = *SMS::CPhoneNumMag::inistance();
    run(state, [&mag](const std::vector<std::string>& list) {
        int sum = 0;
        for (const auto& n : list) sum += classOf(mag, n);
        return sum;
    });
}
BENCHMARK(BM_ClassifyFourTests)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
