// The sent history with 1,000,000 records of about 70 recipients each:
// loadAllLog against two baselines on one thread (a raw SELECT of the same
// rows by number, and the same with each row kept), paging through all of it,
// delAllLog of 100,000 cached records with progress, and exportLog of 100,000.
#include <benchmark/benchmark.h>
#include <sqlite3.h>
#include <sys/resource.h>

#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "components/data/engine/Database.h"
#include "components/data/engine/WriteTransaction.h"
#include "components/data/stores/HistoryTable.h"
#include "contracts/dmg/CDataManager.h"
#include "contracts/progress.h"
#include "records/CHistoryLogMag.h"
#include "tests/fakes/TempDir.h"

namespace {

constexpr int kRecords = 1000000;
constexpr int kRecipients = 70;

// A progress object that never cancels.
struct QuietProgress : IBaseProgressDlg {
    void setRange(int, int, int) override {}
    void refresh() override {}
    void offsetPos(int) override {}
    void setText(const char*, ...) override {}
    int isCanceled() override { return 0; }
};

// Writes `count` history rows straight into HLog.dll of `dir`, as the log
// thread would, one transaction.
void fillHistory(const std::string& dir, int count) {
    Dmg::engine::Database db;
    if (!db.open(dir + "/HLog.dll", "Quenp19990812", Dmg::historytable::schema())) return;
    Dmg::engine::WriteTransaction tx(db.connection());
    Dmg::historytable::Writer writer(db.connection(), "bench");
    Dmg::QueueData packet;
    packet.displayText = "尊敬的客户您好，本店新品上市，欢迎光临选购，详情请回复咨询。";
    packet.state = Dmg::QueueData::kAccepted;
    for (int r = 0; r < kRecipients; ++r) {
        packet.phoneList += (r ? "," : "") + std::to_string(13800000000LL + r);
    }
    for (int i = 1; i <= count; ++i) {
        packet.recordId = i;
        // A packet a minute, as a busy sender logs them: times grow with numbers.
        const int minutes = i, hours = minutes / 60, days = hours / 24;
        writer.add(packet, Dmg::CSmsData(2024 + days / 336, 1 + days / 28 % 12, 1 + days % 28,
                                         hours % 24, minutes % 60));
    }
    tx.commit();
}

// The shared folder with 1,000,000 history rows, filled and opened as the
// user data on first use.
std::string filled() {
    static const fakes::TempDir dir;
    static const bool opened = [] {
        fillHistory(dir.path(), kRecords);
        return Dmg::CDataManager::getSingleton().openUserData(dir.path()) == 1;
    }();
    (void)opened;
    return dir.path();
}

long peakRssMb() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024;
}

// Baseline: the store's query stepped raw on one thread, every column read,
// nothing kept.
void BM_RawSelect(benchmark::State& state) {
    const std::string dir = filled();
    Dmg::engine::Database db;
    if (!db.open(dir + "/HLog.dll", "Quenp19990812", Dmg::historytable::schema())) {
        return state.SkipWithError("open");
    }
    std::int64_t bytes = 0;
    sqlite3* const raw = db.connection().db();
    for (auto _ : state) {
        sqlite3_stmt* s = nullptr;
        sqlite3_prepare_v2(raw,
                           "SELECT number, year, month, day, hour, minute, first_text, success, "
                           "second_text FROM history WHERE number BETWEEN ?1 AND ?2 ORDER BY number",
                           -1, &s, nullptr);
        sqlite3_bind_int64(s, 1, std::numeric_limits<std::int64_t>::min());
        sqlite3_bind_int64(s, 2, std::numeric_limits<std::int64_t>::max());
        while (sqlite3_step(s) == SQLITE_ROW) {
            for (int c : {0, 1, 2, 3, 4, 5, 7}) benchmark::DoNotOptimize(sqlite3_column_int(s, c));
            for (int c : {6, 8}) {
                benchmark::DoNotOptimize(sqlite3_column_blob(s, c));
                bytes += sqlite3_column_bytes(s, c);
            }
        }
        sqlite3_finalize(s);
    }
    state.counters["bytes"] = benchmark::Counter(static_cast<double>(bytes),
                                                 benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_RawSelect)->Unit(benchmark::kMillisecond)->Iterations(2);

// Second baseline: the same raw read on one thread, each row kept as a record
// (the memory the records take is most of the cost).
void BM_RawSelectKept(benchmark::State& state) {
    const std::string dir = filled();
    Dmg::engine::Database db;
    if (!db.open(dir + "/HLog.dll", "Quenp19990812", Dmg::historytable::schema())) {
        return state.SkipWithError("open");
    }
    sqlite3* const raw = db.connection().db();
    for (auto _ : state) {
        std::vector<Dmg::CHistoryMsg> rows;
        sqlite3_stmt* s = nullptr;
        sqlite3_prepare_v2(raw,
                           "SELECT number, year, month, day, hour, minute, first_text, success, "
                           "second_text FROM history ORDER BY number",
                           -1, &s, nullptr);
        while (sqlite3_step(s) == SQLITE_ROW) {
            Dmg::CHistoryMsg m;
            m.number = sqlite3_column_int(s, 0);
            m.time = Dmg::CSmsData(sqlite3_column_int(s, 1), sqlite3_column_int(s, 2),
                                   sqlite3_column_int(s, 3), sqlite3_column_int(s, 4),
                                   sqlite3_column_int(s, 5));
            m.firstText.assign(static_cast<const char*>(sqlite3_column_blob(s, 6)),
                               static_cast<std::size_t>(sqlite3_column_bytes(s, 6)));
            m.success = sqlite3_column_int(s, 7) != 0;
            m.secondText.assign(static_cast<const char*>(sqlite3_column_blob(s, 8)),
                                static_cast<std::size_t>(sqlite3_column_bytes(s, 8)));
            rows.push_back(std::move(m));
        }
        sqlite3_finalize(s);
        state.PauseTiming();
        rows = {};
        state.ResumeTiming();
    }
}
BENCHMARK(BM_RawSelectKept)->Unit(benchmark::kMillisecond)->Iterations(2);


void BM_LoadAllLog(benchmark::State& state) {
    filled();
    for (auto _ : state) {
        SMS::CHistoryLogMag mag;
        benchmark::DoNotOptimize(mag.loadAllLog());
        state.counters["records"] = mag.getLogNum();
        state.PauseTiming();
        mag = SMS::CHistoryLogMag();
        state.ResumeTiming();
    }
    state.counters["peak_rss_mb"] = peakRssMb();
}
BENCHMARK(BM_LoadAllLog)->Unit(benchmark::kMillisecond)->Iterations(2)->UseRealTime();

void BM_PageThroughAll(benchmark::State& state) {
    filled();
    SMS::CHistoryLogMag mag;
    mag.loadAllLog();
    for (auto _ : state) {
        for (int page = 0; page * 100 < mag.getLogNum(); ++page) {
            std::vector<Dmg::CHistoryMsg> out;
            mag.getLog(page, 100, out);
            benchmark::DoNotOptimize(out.data());
        }
    }
}
BENCHMARK(BM_PageThroughAll)->Unit(benchmark::kMillisecond)->Iterations(2);

void BM_DelAllLog100k(benchmark::State& state) {
    filled();
    for (auto _ : state) {
        state.PauseTiming();
        const fakes::TempDir dir;
        fillHistory(dir.path(), 100000);
        Dmg::CDataManager::getSingleton().openUserData(dir.path());
        SMS::CHistoryLogMag mag;
        mag.loadAllLog();
        QuietProgress progress;
        state.ResumeTiming();
        benchmark::DoNotOptimize(mag.delAllLog(&progress));
        state.PauseTiming();
        Dmg::CDataManager::getSingleton().openUserData(filled());
        state.ResumeTiming();
    }
}
BENCHMARK(BM_DelAllLog100k)->Unit(benchmark::kMillisecond)->Iterations(2);

void BM_ExportLog100k(benchmark::State& state) {
    filled();
    SMS::CHistoryLogMag mag;
    mag.select(1, 100000);
    std::vector<Dmg::CHistoryMsg> records;
    mag.getAllLog(records);
    const fakes::TempDir dir;
    for (auto _ : state) benchmark::DoNotOptimize(mag.exportLog(dir.file("h.csv"), records));
    state.counters["records"] = static_cast<double>(records.size());
}
BENCHMARK(BM_ExportLog100k)->Unit(benchmark::kMillisecond)->Iterations(2);

}  // namespace

BENCHMARK_MAIN();
