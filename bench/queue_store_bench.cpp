// Send-queue throughput.
//  (a) One status update per initialize/close cycle on SQu.dll (the sending
//      worker's pattern), against the same update on a store kept open and
//      a raw UPDATE synced by its commit (the floor: an outcome is synced).
//  (b) writeQueue of 10,000 packets of 70 recipients against a raw SQLCipher
//      insert of the same bytes, same cipher settings and journal, in one
//      transaction.
//  (c) A log pass moving N finished packets (10, as while sending, and
//      10,000): the store's pass, and the same statements on raw connections
//      with the history committed at synchronous NORMAL (1) and FULL (2).
//      FULL against NORMAL is the cost of syncing the history before the
//      queue rows are deleted; the store's pass pays it.
// Every figure is items (cycles or rows) per second of wall time; read the
// medians.
#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <cstdint>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "contracts/dmg/CLogSendQueueSerialize.h"
#include "contracts/dmg/CSendQueueSerialize.h"
#include "tests/fakes/TempDir.h"

namespace {

const std::string kPassword = "Quenp19990812";
constexpr int kPackets = 10000;
constexpr int kRecipients = 70;

// A packet as the packer makes it: 70 numbers of 11 digits, a GBK text.
Dmg::QueueData makePacket(std::mt19937& rng, int packetId) {
    const std::string text =
        "【万家乐超市】尊敬的会员您好！本店周年庆全场商品八折优惠，活动时间为本月一日至十五日，"
        "欢迎光临选购。详询４００８８８６６６６，退订回Ｔ";
    std::string phones, carriers, numbers;
    for (int i = 0; i < kRecipients; ++i) {
        std::string phone = "13";
        for (int d = 0; d < 9; ++d) phone += static_cast<char>('0' + rng() % 10);
        phones += phone + ",";
        numbers += phone + ";";
        carriers += std::to_string(1 + rng() % 3) + ";";
    }
    Dmg::QueueData p;
    p.packetText = "A1|" + std::to_string(packetId) + "|" + numbers + "|" + carriers + "|" +
                   std::string(kRecipients, '0') + "|" + std::string(kRecipients, ';') + "|" + text;
    p.commonMsg = 1;
    p.packetId = packetId;
    p.displayText = text;
    p.packetMarker = 1;
    p.recipientCount = kRecipients;
    p.segmentCount = kRecipients * 2;
    p.phoneList = phones;
    p.queuedTime = {2025, 3, 14, 9, 26};
    return p;
}

const std::vector<Dmg::QueueData>& packets() {
    static const std::vector<Dmg::QueueData> all = [] {
        std::mt19937 rng(42);
        std::vector<Dmg::QueueData> out;
        for (int i = 0; i < kPackets; ++i) out.push_back(makePacket(rng, 1000 + i));
        return out;
    }();
    return all;
}

struct Files {
    fakes::TempDir dir;
    std::string squ = dir.file("SQu.dll"), hlog = dir.file("HLog.dll"), main = dir.file("Main.dll");
};

std::vector<int> enqueue(const Files& f, const std::vector<Dmg::QueueData>& list) {
    Dmg::CSendQueueSerialize q;
    std::vector<int> ids;
    q.initialize(f.squ, kPassword);
    q.writeQueue(list, ids);
    return ids;
}

int logPass(const Files& f) {
    Dmg::CLogSendQueueSerialize m;
    std::vector<Dmg::QueueData> records;
    std::vector<int> ids;
    m.initializeHistroyDB(f.hlog, kPassword);
    m.initializeSendQueueDB(f.squ, kPassword);
    m.initializeMainDB(f.main, kPassword);
    m.getAllSendData(records, ids);
    m.writeLog(records);
    m.deleteSendData(ids);
    m.closeSendQueueDB();
    m.closeHistoryDB();
    m.closeMainDB();
    return static_cast<int>(ids.size());
}

// A raw connection with the stores' cipher settings and journal.
sqlite3* openRaw(const std::string& path) {
    sqlite3* db = nullptr;
    sqlite3_open(path.c_str(), &db);
    sqlite3_key(db, kPassword.data(), static_cast<int>(kPassword.size()));
    sqlite3_exec(db, "PRAGMA cipher_page_size = 4096; PRAGMA journal_mode = WAL; "
                     "PRAGMA synchronous = NORMAL", nullptr, nullptr, nullptr);
    return db;
}

void BM_StatusCycle(benchmark::State& state) {
    Files f;
    const auto ids = enqueue(f, std::vector<Dmg::QueueData>(1000, packets()[0]));
    Dmg::CSendQueueSerialize q;
    std::size_t i = 0;
    for (auto _ : state) {
        q.initialize(f.squ, kPassword);
        benchmark::DoNotOptimize(q.modifyStatus(ids[i++ % ids.size()], 1));
        q.close();
    }
    state.SetItemsProcessed(state.iterations());
}

void BM_StatusOpenStore(benchmark::State& state) {
    Files f;
    const auto ids = enqueue(f, std::vector<Dmg::QueueData>(1000, packets()[0]));
    Dmg::CSendQueueSerialize q;
    q.initialize(f.squ, kPassword);
    std::size_t i = 0;
    for (auto _ : state) benchmark::DoNotOptimize(q.modifyStatus(ids[i++ % ids.size()], 1));
    state.SetItemsProcessed(state.iterations());
}

// The floor of a synced outcome: one raw UPDATE per commit, synchronous FULL.
void BM_RawSyncedUpdate(benchmark::State& state) {
    Files f;
    const auto ids = enqueue(f, std::vector<Dmg::QueueData>(1000, packets()[0]));
    sqlite3* queue = openRaw(f.squ);
    sqlite3_exec(queue, "PRAGMA synchronous = FULL", nullptr, nullptr, nullptr);
    sqlite3_stmt* update = nullptr;
    sqlite3_prepare_v2(queue, "UPDATE send_queue SET state = 1 WHERE id = ?", -1, &update,
                       nullptr);
    std::size_t i = 0;
    for (auto _ : state) {
        sqlite3_reset(update);
        sqlite3_bind_int64(update, 1, ids[i++ % ids.size()]);
        if (sqlite3_step(update) != SQLITE_DONE) state.SkipWithError("update failed");
    }
    sqlite3_finalize(update);
    sqlite3_close(queue);
    state.SetItemsProcessed(state.iterations());
}

void BM_WriteQueue(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        auto f = std::make_unique<Files>();
        auto q = std::make_unique<Dmg::CSendQueueSerialize>();
        q->initialize(f->squ, kPassword);
        std::vector<int> ids;
        state.ResumeTiming();
        q->writeQueue(packets(), ids);
        state.PauseTiming();
        if (ids.size() != packets().size()) state.SkipWithError("writeQueue failed");
        q.reset();
        f.reset();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * kPackets);
}

// Marks every waiting packet accepted.
void finishAll(sqlite3* queue) {
    sqlite3_exec(queue, "UPDATE send_queue SET state = 1 WHERE state = 0", nullptr, nullptr,
                 nullptr);
}

// The files of a pass bench, with keys derived and tables made.
struct PassFiles : Files {
    PassFiles() { logPass(*this); }
    std::vector<Dmg::QueueData> batch(std::int64_t n) const {
        return {packets().begin(), packets().begin() + n};
    }
};

void BM_LogPass(benchmark::State& state) {
    PassFiles f;
    const auto batch = f.batch(state.range(0));
    sqlite3* queue = openRaw(f.squ);
    for (auto _ : state) {
        state.PauseTiming();
        enqueue(f, batch);
        finishAll(queue);
        state.ResumeTiming();
        if (logPass(f) != state.range(0)) state.SkipWithError("pass moved too little");
    }
    sqlite3_close(queue);
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

// The store's pass in raw statements: read the finished packets, copy them
// into the history in one transaction, delete them from the queue.
std::int64_t rawPass(sqlite3* queue, sqlite3* history) {
    sqlite3_stmt* select = nullptr;
    sqlite3_stmt* insert = nullptr;
    sqlite3_stmt* del = nullptr;
    sqlite3_prepare_v2(queue, "SELECT id, state = 1, display_text, phone_list, queued_year, "
                       "queued_month, queued_day, queued_hour, queued_minute FROM send_queue "
                       "WHERE state <> 0 ORDER BY id", -1, &select, nullptr);
    sqlite3_prepare_v2(history, "INSERT OR IGNORE INTO history (origin, queue_id, success, "
                       "first_text, second_text, year, month, day, hour, minute) "
                       "VALUES (x'00', ?, ?, ?, ?, ?, ?, ?, ?, ?)", -1, &insert, nullptr);
    sqlite3_prepare_v2(queue, "DELETE FROM send_queue WHERE id = ? AND state <> 0", -1, &del,
                       nullptr);
    std::vector<std::int64_t> ids;
    sqlite3_exec(history, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
    while (sqlite3_step(select) == SQLITE_ROW) {
        ids.push_back(sqlite3_column_int64(select, 0));
        sqlite3_reset(insert);
        for (int c = 0; c < 9; ++c) {
            sqlite3_bind_value(insert, c + 1, sqlite3_column_value(select, c));
        }
        sqlite3_step(insert);
    }
    sqlite3_exec(history, "COMMIT", nullptr, nullptr, nullptr);
    sqlite3_exec(queue, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
    for (const auto id : ids) {
        sqlite3_reset(del);
        sqlite3_bind_int64(del, 1, id);
        sqlite3_step(del);
    }
    sqlite3_exec(queue, "COMMIT", nullptr, nullptr, nullptr);
    for (auto* s : {select, insert, del}) sqlite3_finalize(s);
    return static_cast<std::int64_t>(ids.size());
}

void BM_LogPassRawSync(benchmark::State& state) {
    PassFiles f;
    const auto batch = f.batch(state.range(0));
    sqlite3* queue = openRaw(f.squ);
    sqlite3* history = openRaw(f.hlog);
    // As the store deletes moved packets.
    sqlite3_exec(queue, "PRAGMA secure_delete = 0", nullptr, nullptr, nullptr);
    const std::string sync = "PRAGMA synchronous = " + std::to_string(state.range(1));
    sqlite3_exec(history, sync.c_str(), nullptr, nullptr, nullptr);
    for (auto _ : state) {
        state.PauseTiming();
        enqueue(f, batch);
        finishAll(queue);
        state.ResumeTiming();
        if (rawPass(queue, history) != state.range(0)) state.SkipWithError("pass moved too little");
    }
    sqlite3_close(history);
    sqlite3_close(queue);
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

// Binds to consecutive parameters of a raw statement.
struct RawBinder {
    sqlite3_stmt* s;
    int next = 1;
    RawBinder& operator<<(std::int64_t v) {
        sqlite3_bind_int64(s, next++, v);
        return *this;
    }
    RawBinder& operator<<(const std::string& v) {
        sqlite3_bind_blob64(s, next++, v.data(), v.size(), SQLITE_STATIC);
        return *this;
    }
    RawBinder& operator<<(const Dmg::CSmsData& t) {
        return *this << t.year << t.month << t.day << t.hour << t.minute;
    }
};

// The same bytes, one prepared INSERT per packet, one transaction.
void insertRaw(sqlite3* db) {
    sqlite3_stmt* insert = nullptr;
    sqlite3_prepare_v2(db, "INSERT INTO q VALUES (NULL, 0, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, "
                           "?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)", -1, &insert, nullptr);
    sqlite3_exec(db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
    for (const auto& p : packets()) {
        sqlite3_reset(insert);
        RawBinder{insert} << p.packetText << p.extra << p.commonMsg << p.packetId << p.timerId
                          << p.displayText << p.packetMarker << p.recipientCount
                          << p.segmentCount << p.timerFlag << p.timerDetail << p.timerData
                          << p.phoneList << p.queuedTime << p.skipFlag << p.packetCount
                          << p.rejected;
        sqlite3_step(insert);
    }
    sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    sqlite3_finalize(insert);
}

void BM_RawInsertBaseline(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        auto f = std::make_unique<Files>();
        sqlite3* db = openRaw(f->squ);
        std::string columns = "id INTEGER PRIMARY KEY AUTOINCREMENT, state INTEGER";
        for (int c = 0; c < 25; ++c) columns += ", c" + std::to_string(c);
        sqlite3_exec(db, ("CREATE TABLE q (" + columns + ")").c_str(), nullptr, nullptr, nullptr);
        state.ResumeTiming();
        insertRaw(db);
        state.PauseTiming();
        sqlite3_close(db);
        f.reset();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * kPackets);
}

BENCHMARK(BM_StatusCycle)->Repetitions(5)->ReportAggregatesOnly(true)->MinTime(0.3)
    ->UseRealTime();
BENCHMARK(BM_StatusOpenStore)->Repetitions(5)->ReportAggregatesOnly(true)->MinTime(0.3)
    ->UseRealTime();
BENCHMARK(BM_RawSyncedUpdate)->Repetitions(5)->ReportAggregatesOnly(true)->MinTime(0.3)
    ->UseRealTime();
BENCHMARK(BM_RawInsertBaseline)->Iterations(1)->Repetitions(3)->ReportAggregatesOnly(true)
    ->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_WriteQueue)->Iterations(1)->Repetitions(3)->ReportAggregatesOnly(true)
    ->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_LogPass)->Arg(10)->Iterations(200)->Repetitions(3)->ReportAggregatesOnly(true)
    ->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_LogPassRawSync)->Args({10, 1})->Args({10, 2})->Iterations(200)->Repetitions(3)
    ->ReportAggregatesOnly(true)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_LogPass)->Arg(kPackets)->Iterations(1)->Repetitions(3)->ReportAggregatesOnly(true)
    ->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_LogPassRawSync)->Args({kPackets, 1})->Args({kPackets, 2})->Iterations(1)
    ->Repetitions(3)->ReportAggregatesOnly(true)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
