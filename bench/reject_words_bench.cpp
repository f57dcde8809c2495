// Testing message texts against the reject-word list: the compiled matcher
// with 100, 5,000 and 50,000 words, and a naive per-word search of the same
// 5,000 words. Texts are 70 bytes of common Chinese characters mixed with
// ASCII; one in a hundred carries a word. Words are 2 to 8 characters from the
// same characters, generated from a fixed seed; the smaller lists are prefixes
// of the 50,000, so every list holds the planted words.
//
// Besides the per-benchmark counters, the run ends with the figures the
// matcher is held to: texts per second, the 50,000/100-word time ratio and
// the speed-up over the naive search.
#include <benchmark/benchmark.h>
#include <malloc.h>

#include <array>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <new>
#include <random>
#include <string>
#include <vector>

#include "bench/AllocationCounter.h"

#include "components/data/filters/RejectWordMatcher.h"

namespace {

constexpr int kTexts = 1000000;
constexpr std::size_t kTextBytes = 70;
constexpr int kMaxWords = 50000;
constexpr int kPlantedFrom = 100;  // planted words come from the first 100
constexpr int kNaiveTexts = 2000;  // the naive search runs over this prefix

// One of the 3,755 most common characters (rows 0xB0..0xD7 of GBK).
std::string commonCharacter(std::mt19937& rng) {
    return {static_cast<char>(0xB0 + rng() % 40), static_cast<char>(0xA1 + rng() % 94)};
}

const std::vector<std::string>& words() {
    static const std::vector<std::string> list = [] {
        std::mt19937 rng(7);
        std::vector<std::string> out(kMaxWords);
        for (auto& w : out) {
            const unsigned length = 2 + rng() % 7;
            for (unsigned i = 0; i < length; ++i) w += commonCharacter(rng);
        }
        return out;
    }();
    return list;
}

std::string makeText(std::mt19937& rng, const std::string* planted) {
    static const char kAscii[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJ0123456789 ,.:!?-";
    std::string text;
    while (text.size() < kTextBytes) {
        const std::size_t room = kTextBytes - text.size();
        if (planted != nullptr && planted->size() <= room &&
            (rng() % 8 == 0 || room <= planted->size() + 1)) {
            text += *planted;
            planted = nullptr;
        } else if (room >= 2 && rng() % 10 < 6) {
            text += commonCharacter(rng);
        } else {
            text += kAscii[rng() % (sizeof kAscii - 1)];
        }
    }
    return text;
}

const std::vector<std::string>& texts() {
    static const std::vector<std::string> list = [] {
        std::mt19937 rng(42);
        std::vector<std::string> out;
        out.reserve(kTexts);
        for (int i = 0; i < kTexts; ++i) {
            const bool plant = i % 100 == 0;
            out.push_back(makeText(rng, plant ? &words()[rng() % kPlantedFrom] : nullptr));
        }
        return out;
    }();
    return list;
}

// Nanoseconds per text of the last run of each benchmark, for the summary.
std::map<std::string, double>& nsPerText() {
    static std::map<std::string, double> results;
    return results;
}

std::size_t heapInUse() {
    const struct mallinfo2 info = mallinfo2();
    return info.uordblks + info.hblkhd;
}

// Times `pass` over the first `count` texts and reports per-text figures.
template <typename Pass>
void timePasses(benchmark::State& state, const std::string& name, int count, Pass pass) {
    const auto& list = texts();
    long long hits = 0;
    const long long before = bench::allocationCount();
    for (int i = 0; i < count; ++i) hits += pass(list[i]) ? 1 : 0;
    state.counters["allocs_in_one_pass"] = static_cast<double>(bench::allocationCount() - before);
    state.counters["hits_in_one_pass"] = static_cast<double>(hits);

    const auto start = std::chrono::steady_clock::now();
    for (auto _ : state) {
        for (int i = 0; i < count; ++i) benchmark::DoNotOptimize(pass(list[i]));
    }
    const std::chrono::duration<double, std::nano> elapsed =
        std::chrono::steady_clock::now() - start;
    const double items = static_cast<double>(state.iterations()) * count;
    state.SetItemsProcessed(static_cast<int64_t>(items));
    state.counters["ns_per_text"] = elapsed.count() / items;
    nsPerText()[name] = elapsed.count() / items;
}

void BM_Matcher(benchmark::State& state) {
    const auto count = static_cast<std::size_t>(state.range(0));
    const std::vector<std::string> list(words().begin(), words().begin() + count);
    texts();  // generated outside the heap figure below

    const std::size_t heapBefore = heapInUse();
    const auto buildStart = std::chrono::steady_clock::now();
    const Dmg::RejectWordMatcher matcher(list);
    const std::chrono::duration<double, std::milli> build =
        std::chrono::steady_clock::now() - buildStart;
    state.counters["matcher_heap_MB"] = static_cast<double>(heapInUse() - heapBefore) / 1e6;
    state.counters["build_ms"] = build.count();

    timePasses(state, "matcher/" + std::to_string(count), kTexts,
               [&matcher](const std::string& text) { return matcher.find(text, nullptr); });
}
BENCHMARK(BM_Matcher)->Arg(100)->Arg(5000)->Arg(50000)->Unit(benchmark::kMillisecond);

// For each word std::string::find, keeping occurrences on character boundaries.
bool naiveFind(const std::vector<std::string>& list, const std::string& text) {
    std::array<bool, kTextBytes + 1> boundary{};
    for (std::size_t i = 0; i < text.size();) {
        boundary[i] = true;
        const auto lead = static_cast<unsigned char>(text[i]);
        const auto trail = i + 1 < text.size() ? static_cast<unsigned char>(text[i + 1]) : 0;
        i +=
            lead >= 0x81 && lead <= 0xFE && trail >= 0x40 && trail <= 0xFE && trail != 0x7F ? 2 : 1;
    }
    boundary[text.size()] = true;
    for (const auto& w : list) {
        for (auto at = text.find(w); at != std::string::npos; at = text.find(w, at + 1)) {
            if (boundary[at] && boundary[at + w.size()]) return true;
        }
    }
    return false;
}

void BM_NaivePerWord(benchmark::State& state) {
    const auto count = static_cast<std::size_t>(state.range(0));
    const std::vector<std::string> list(words().begin(), words().begin() + count);
    timePasses(state, "naive/" + std::to_string(count), kNaiveTexts,
               [&list](const std::string& text) { return naiveFind(list, text); });
}
BENCHMARK(BM_NaivePerWord)->Arg(5000)->Unit(benchmark::kMillisecond);

void printSummary() {
    const auto& r = nsPerText();
    auto has = [&r](const char* key) { return r.count(key) != 0; };
    if (has("matcher/5000")) {
        std::printf("5,000 words: %.0f texts/s (target at least 1,000,000)\n",
                    1e9 / r.at("matcher/5000"));
    }
    if (has("matcher/100") && has("matcher/50000")) {
        std::printf("50,000 / 100 words time: %.2f (target at most 2)\n",
                    r.at("matcher/50000") / r.at("matcher/100"));
    }
    if (has("matcher/5000") && has("naive/5000")) {
        std::printf("naive / matcher at 5,000 words: %.0f (target at least 100)\n",
                    r.at("naive/5000") / r.at("matcher/5000"));
    }
}

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    printSummary();
    return 0;
}
