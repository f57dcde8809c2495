// A send builds a CFriendSet per contact recipient to learn the personal
// fields. Measured against the real main store, which answers from memory
// after the first read, with the baseline of no store at all: the cost of
// building the label table and the lists alone.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "addressbook/CFriendSet.h"
#include "contracts/dmg/CDataManager.h"

namespace {

void BM_FriendSetWithMainStore(benchmark::State& state) {
    const auto dir = std::filesystem::temp_directory_path() /
                     ("smslogic-bench-friendset-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    Dmg::CDataManager& data = Dmg::CDataManager::getSingleton();
    if (data.openUserData(dir.string()) != 1) return state.SkipWithError("open");
    std::vector<std::string> personal;
    for (auto _ : state) {
        CFriendSet().getPersonalField(personal);
        benchmark::DoNotOptimize(personal.data());
    }
    data.closeUserData();
    std::filesystem::remove_all(dir);
}
BENCHMARK(BM_FriendSetWithMainStore);

// Baseline: no "database" store, so nothing is read.
void BM_FriendSetWithoutStore(benchmark::State& state) {
    Dmg::CDataManager& data = Dmg::CDataManager::getSingleton();
    Dmg::IDataSerialize* const previous = data.registerDataSerialize("database", nullptr);
    std::vector<std::string> personal;
    for (auto _ : state) {
        CFriendSet().getPersonalField(personal);
        benchmark::DoNotOptimize(personal.data());
    }
    data.registerDataSerialize("database", previous);
}
BENCHMARK(BM_FriendSetWithoutStore);

}  // namespace

BENCHMARK_MAIN();
