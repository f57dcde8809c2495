// The main store's hot paths. A send reads the contact field settings once
// per contact: the shared in-memory copy is measured against the baseline of
// a fresh store object that must open and query the file. Also the
// initialize/close cycle every caller pays, one send-log write, and reading
// the whole log.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "contracts/dmg/CLocalDataSerialize.h"

namespace {

constexpr const char* kPassword = "Quenp19990812";

// A fresh folder per benchmark, removed afterwards.
class Folder {
public:
    explicit Folder(const std::string& name)
        : path_(std::filesystem::temp_directory_path() /
                ("smslogic-bench-" + std::to_string(::getpid()) + "-" + name)) {
        std::filesystem::remove_all(path_);
        std::filesystem::create_directories(path_);
    }
    ~Folder() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    std::string file() const { return (path_ / "Main.dll").string(); }

private:
    std::filesystem::path path_;
};

void BM_ReadSettingFromMemory(benchmark::State& state) {
    const Folder folder("memory");
    Dmg::CLocalDataSerialize store;
    if (store.initialize(folder.file(), kPassword) != 1) return state.SkipWithError("open");
    Dmg::CFriendSetMsg settings;
    for (auto _ : state) benchmark::DoNotOptimize(store.readSetting(settings));
}
BENCHMARK(BM_ReadSettingFromMemory);

// Baseline: a new store object per read, so the record comes from the file.
void BM_ReadSettingFromFile(benchmark::State& state) {
    const Folder folder("file");
    Dmg::CLocalDataSerialize warm;  // keeps a pooled connection, as a running client does
    if (warm.initialize(folder.file(), kPassword) != 1) return state.SkipWithError("open");
    warm.close();
    Dmg::CFriendSetMsg settings;
    for (auto _ : state) {
        Dmg::CLocalDataSerialize store;
        store.initialize(folder.file(), kPassword);
        benchmark::DoNotOptimize(store.readSetting(settings));
    }
}
BENCHMARK(BM_ReadSettingFromFile);

void BM_InitializeClose(benchmark::State& state) {
    const Folder folder("cycle");
    Dmg::CLocalDataSerialize store;
    for (auto _ : state) {
        benchmark::DoNotOptimize(store.initialize(folder.file(), kPassword));
        store.close();
    }
}
BENCHMARK(BM_InitializeClose);

void BM_WriteSendLog(benchmark::State& state) {
    const Folder folder("write");
    Dmg::CLocalDataSerialize store;
    if (store.initialize(folder.file(), kPassword) != 1) return state.SkipWithError("open");
    const std::string text = "发送3条信息,信息含有12个字(不含个性信息)";
    for (auto _ : state) benchmark::DoNotOptimize(store.writeSendLog("user01", "", text));
}
BENCHMARK(BM_WriteSendLog);

void BM_ReadAllSendLog(benchmark::State& state) {
    const Folder folder("read" + std::to_string(state.range(0)));
    Dmg::CLocalDataSerialize store;
    if (store.initialize(folder.file(), kPassword) != 1) return state.SkipWithError("open");
    for (int64_t i = 0; i < state.range(0); ++i) store.writeSendLog("user01", "", "发送3条信息");
    for (auto _ : state) {
        std::vector<Dmg::CSendLosgMsg> log;
        benchmark::DoNotOptimize(store.readAllSendLog(log));
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_ReadAllSendLog)->Arg(1000)->Arg(10000);

}  // namespace

BENCHMARK_MAIN();
