// The phrase library with 100,000 phrases in one group: loading the group,
// a content search (baseline: a search by record number), import of 100,000
// rows (baseline: the store's insert of the same phrases, already built) and
// export of all of them.
#include <benchmark/benchmark.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "contracts/dmg/CDataManager.h"
#include "contracts/dmg/CLocalDataSerialize.h"
#include "library/CWordMag.h"
#include "bench/BenchUserData.h"
#include "tests/fakes/TempDir.h"

namespace {

constexpr int kPhrases = 100000;
using Rows = std::map<int, std::vector<std::string>>;

// A phrase row as a user's file holds it: one cell of about 60 characters.
Rows rows() {
    Rows out;
    for (int i = 0; i < kPhrases; ++i) {
        out[i] = {"祝您新年快乐，万事如意！编号" + std::to_string(i) + "，欢迎光临本店选购各类商品。"};
    }
    return out;
}

// The shared folder with 100,000 phrases in group 1, made on first use.
void filled() {
    if (bench::sharedUserData()) return;
    bench::sharedUserData() = std::make_unique<bench::UserData>();
    Rows r = rows();
    SMS::CWordMag().importWord(r, {});
}

void BM_GroupLoad(benchmark::State& state) {
    filled();
    SMS::CWordMag mag;
    for (auto _ : state) benchmark::DoNotOptimize(mag.getGroupWordNum(1));
    state.counters["cached"] = mag.getCurWordNum();
}
BENCHMARK(BM_GroupLoad)->Unit(benchmark::kMillisecond);

struct IdSearch : SMS::CWordMag {
    using CWordMag::selectWord;
};

void BM_SearchById(benchmark::State& state) {  // baseline: the primary key
    filled();
    IdSearch mag;
    int i = 0;
    for (auto _ : state) benchmark::DoNotOptimize(mag.selectWord("ID", std::to_string(++i % kPhrases + 1)));
    state.counters["found"] = mag.getCurWordNum();
}
BENCHMARK(BM_SearchById)->Unit(benchmark::kMicrosecond);

void BM_SearchByContent(benchmark::State& state) {
    filled();
    SMS::CWordMag mag;
    int i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(mag.SelectWordByContent("编号" + std::to_string(++i % kPhrases) + "，"));
    }
    state.counters["found"] = mag.getCurWordNum();
}
BENCHMARK(BM_SearchByContent)->Unit(benchmark::kMillisecond);

// Baseline: the same phrases, already built, inserted by the store.
void BM_RawInsert(benchmark::State& state) {
    std::vector<Dmg::CWord> prepared(kPhrases);
    const Rows r = rows();
    for (int i = 0; i < kPhrases; ++i) {
        prepared[i].addPropetyAndValue("内容", r.at(i)[0]);
        prepared[i].addPropetyAndValue("添加时间", "2026-12-6-8-0");
    }
    bench::eachOnFreshUserData(
        state, [&] { return prepared; },
        [](std::vector<Dmg::CWord>& words) {
            return static_cast<Dmg::CLocalDataSerialize*>(
                       Dmg::CDataManager::getSingleton().getDataSerialize("database"))
                ->importWords(words, {});
        });
}
BENCHMARK(BM_RawInsert)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_ImportWord(benchmark::State& state) {
    const Rows parsed = rows();
    bench::eachOnFreshUserData(
        state, [&] { return parsed; },
        [](Rows& copy) { return SMS::CWordMag().importWord(copy, {}); });
}
BENCHMARK(BM_ImportWord)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_ExportWord(benchmark::State& state) {
    std::vector<Dmg::CWord> all(kPhrases);
    const Rows r = rows();
    for (int i = 0; i < kPhrases; ++i) all[i].addPropetyAndValue("内容", r.at(i)[0]);
    const fakes::TempDir dir;
    for (auto _ : state) {
        benchmark::DoNotOptimize(SMS::CWordMag().exportWord(dir.file("all.csv"), all));
    }
}
BENCHMARK(BM_ExportWord)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

BENCHMARK_MAIN();
