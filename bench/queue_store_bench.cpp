// Send-queue throughput.
//  (a) One status update per initialize/close cycle on SQu.dll (the sending
//      worker's pattern), against the same update on a store kept open.
//  (b) writeQueue of 10,000 packets of 70 recipients, and one log pass moving
//      them into the history, against a raw SQLCipher insert of the same
//      bytes, same cipher settings and journal, in one transaction.
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

void BM_LogPass(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        auto f = std::make_unique<Files>();
        enqueue(*f, packets());
        logPass(*f);  // creates the history and derives the keys
        sqlite3* raw = openRaw(f->squ);
        sqlite3_exec(raw, "UPDATE send_queue SET state = 1", nullptr, nullptr, nullptr);
        sqlite3_close(raw);
        state.ResumeTiming();
        const int moved = logPass(*f);
        state.PauseTiming();
        if (moved != kPackets) state.SkipWithError("pass moved too little");
        f.reset();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * kPackets);
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
BENCHMARK(BM_RawInsertBaseline)->Iterations(1)->Repetitions(3)->ReportAggregatesOnly(true)
    ->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_WriteQueue)->Iterations(1)->Repetitions(3)->ReportAggregatesOnly(true)
    ->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_LogPass)->Iterations(1)->Repetitions(3)->ReportAggregatesOnly(true)
    ->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
