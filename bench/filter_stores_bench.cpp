// The filter stores on the send path, each next to a baseline measured in the
// same run:
// - testPhone against a 100,000-number list, baseline a linear scan of it;
// - testWord through the store with 5,000 words, baseline the bare matcher
//   (the difference is the store's own cost per message);
// - reAssignSendQueue on 10,000 recipients with 5 test numbers among them,
//   baseline copying the 10,000 recipients, which that loop does too;
// - replacing a stored list of 5,000 words (one transaction plus compiling),
//   baseline compiling the matcher alone.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "components/data/filters/RejectWordMatcher.h"
#include "contracts/dmg/CRejectPhonesDataSerialize.h"
#include "contracts/dmg/CRejectWordsDataSerialize.h"
#include "contracts/dmg/CTestPhonesSerialize.h"
#include "tests/fakes/TempDir.h"

namespace {

using Strings = std::vector<std::string>;

Strings numbers(std::size_t count, unsigned seed) {
    std::mt19937 random(seed);
    Strings out;
    for (std::size_t i = 0; i < count; ++i)
        out.push_back("138" + std::to_string(10000000 + random() % 90000000));
    return out;
}

// Words of 2 to 4 common characters, and 70-byte texts of the same characters.
Strings chinese(std::size_t count, std::size_t minChars, std::size_t maxChars, unsigned seed) {
    static const Strings chars = {"发", "票", "代", "开", "电", "话",
                                  "中", "文", "短", "信", "你", "好"};
    std::mt19937 random(seed);
    Strings out;
    for (std::size_t i = 0; i < count; ++i) {
        std::string s;
        const std::size_t n = minChars + random() % (maxChars - minChars + 1);
        for (std::size_t c = 0; c < n; ++c)
            s += chars[random() % chars.size()] + (random() % 4 ? "" : "a");
        out.push_back(s.substr(0, std::min<std::size_t>(s.size(), 70)));
    }
    return out;
}

const Strings& phoneList() {
    static const Strings list = numbers(100000, 1);
    return list;
}
// Half of them on the list, spread over it; half not.
const Strings& phoneQueries() {
    static const Strings list = [] {
        Strings out = numbers(1000, 5);
        for (std::size_t i = 0; i < out.size(); i += 2) out[i] = phoneList()[i * 100];
        return out;
    }();
    return list;
}
const Strings& words() {
    static const Strings list = chinese(5000, 3, 5, 2);
    return list;
}
const Strings& texts() {
    static const Strings list = chinese(1000, 30, 40, 3);
    return list;
}

// A folder of its own for Main.dll, removed afterwards: a store keeps a list
// only while it is open.
struct BenchFolder {
    template <typename Store>
    bool open(Store& store, benchmark::State& state) const {
        if (store.initialize(dir.file("Main.dll"), "Quenp19990812") == 1) return true;
        state.SkipWithError("open");
        return false;
    }
    fakes::TempDir dir;
};

void BM_TestPhone(benchmark::State& state) {
    const BenchFolder folder;
    Dmg::CRejectPhonesDataSerialize store;
    if (!folder.open(store, state)) return;
    store.setRejectPhones(phoneList());
    const Strings& queries = phoneQueries();
    std::size_t i = 0;
    for (auto _ : state) benchmark::DoNotOptimize(store.testPhone(queries[i++ % queries.size()]));
    store.close();
}
BENCHMARK(BM_TestPhone);

void BM_TestPhoneLinearScanBaseline(benchmark::State& state) {
    const Strings& queries = phoneQueries();
    std::size_t i = 0;
    for (auto _ : state) {
        const auto& q = queries[i++ % queries.size()];
        benchmark::DoNotOptimize(std::find(phoneList().begin(), phoneList().end(), q));
    }
}
BENCHMARK(BM_TestPhoneLinearScanBaseline);

void BM_TestWord(benchmark::State& state) {
    const BenchFolder folder;
    Dmg::CRejectWordsDataSerialize store;
    if (!folder.open(store, state)) return;
    store.setRejectWords(words());
    std::string word;
    std::size_t i = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(store.testWord(texts()[i++ % texts().size()], word));
    store.close();
}
BENCHMARK(BM_TestWord);

void BM_MatcherBaseline(benchmark::State& state) {
    const Dmg::RejectWordMatcher matcher(words());
    std::string word;
    std::size_t i = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(matcher.find(texts()[i++ % texts().size()], &word));
}
BENCHMARK(BM_MatcherBaseline);

std::vector<Dmg::CSendQueueElement> sendList() {
    std::vector<Dmg::CSendQueueElement> list(10000);
    const Strings phones = numbers(list.size(), 4);
    for (std::size_t i = 0; i < list.size(); ++i) {
        list[i].phone = phones[i];
        list[i].message = texts()[i % texts().size()];
    }
    return list;
}

void BM_ReAssign(benchmark::State& state) {
    const auto original = sendList();
    Strings tests = numbers(15, 9);
    for (std::size_t i = 0; i < 5; ++i) tests.push_back(original[i * 1999].phone);
    const BenchFolder folder;
    Dmg::CTestPhonesSerialize store;
    if (!folder.open(store, state)) return;
    store.setTestPhones(tests);
    for (auto _ : state) {
        auto list = original;
        benchmark::DoNotOptimize(store.reAssignSendQueue(list));
    }
    store.close();
}
BENCHMARK(BM_ReAssign)->Unit(benchmark::kMicrosecond);

void BM_CopySendListBaseline(benchmark::State& state) {
    const auto original = sendList();
    for (auto _ : state) {
        auto list = original;
        benchmark::DoNotOptimize(list.data());
    }
}
BENCHMARK(BM_CopySendListBaseline)->Unit(benchmark::kMicrosecond);

void BM_ReplaceStoredWords(benchmark::State& state) {
    const BenchFolder folder;
    Dmg::CRejectWordsDataSerialize store;
    if (!folder.open(store, state)) return;
    for (auto _ : state) benchmark::DoNotOptimize(store.setRejectWords(words()));
    store.close();
}
BENCHMARK(BM_ReplaceStoredWords)->Unit(benchmark::kMillisecond);

void BM_CompileWordsBaseline(benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(Dmg::RejectWordMatcher(words()).size());
}
BENCHMARK(BM_CompileWordsBaseline)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
