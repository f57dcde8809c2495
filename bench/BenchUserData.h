// User folders for the benchmarks that work on the real stores: a temporary
// folder opened as the library's user data, and a loop that times an
// operation on a fresh folder per iteration.
#pragma once

#include <benchmark/benchmark.h>

#include <memory>

#include "contracts/dmg/CDataManager.h"
#include "tests/fakes/TempDir.h"

namespace bench {

// A temporary folder opened as the user data for the life of the object.
struct UserData {
    fakes::TempDir dir;
    UserData() { Dmg::CDataManager::getSingleton().openUserData(dir.path()); }
    ~UserData() { Dmg::CDataManager::getSingleton().closeUserData(); }
};

// The folder that read benchmarks share, filled on first use; a benchmark
// that opens folders of its own resets it first.
inline std::unique_ptr<UserData>& sharedUserData() {
    static std::unique_ptr<UserData> data;
    return data;
}

// Per iteration, untimed: a fresh folder and `prepare()`; timed: `op` on
// what prepare gave.
template <typename Prepare, typename Op>
void eachOnFreshUserData(benchmark::State& state, Prepare prepare, Op op) {
    sharedUserData().reset();
    for (auto _ : state) {
        state.PauseTiming();
        auto data = std::make_unique<UserData>();
        auto input = prepare();
        state.ResumeTiming();
        benchmark::DoNotOptimize(op(input));
        state.PauseTiming();
        data.reset();
        state.ResumeTiming();
    }
}

}  // namespace bench
