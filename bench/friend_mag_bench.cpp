// The address book with 100,000 contacts in one group: the first load of the
// group, the complete load, a search by mobile number (baseline: by id), and
// contact files: import of parsed rows with storing against the baseline of
// a raw insert of the same contacts, parse plus import, and export.
#include <benchmark/benchmark.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "addressbook/CFriendMag.h"
#include "contracts/dmg/CDataManager.h"
#include "contracts/dmg/CLocalDataSerialize.h"
#include "bench/BenchUserData.h"
#include "tests/fakes/TempDir.h"

namespace {

constexpr int kContacts = 100000;
constexpr const char* kPassword = "Quenp19990812";
using Rows = std::vector<std::vector<std::string>>;

std::string mobile(int i) { return "138" + std::to_string(10000000 + i); }

// One contact row as a user's file holds it, in export column order.
std::vector<std::string> row(int i) {
    const std::string n = std::to_string(i);
    return {mobile(i), "联系人" + n, "010-" + n, "user" + n + "@example.com", "先生", "男",
            "1980-5-17", "是", "公司" + n, "职员", "北京市海淀区" + n + "号", "100080",
            "备注" + n, "", "", "", "", "", ""};
}

const std::vector<std::string>& columns() {
    static const std::vector<std::string> c{"手机", "名字", "电话", "邮箱", "尊称", "性别",
                                            "生日", "婚否", "公司", "职业", "地址", "邮编",
                                            "注释", "备用1", "备用2", "备用3", "备用4",
                                            "备用5", "备用6"};
    return c;
}

Rows rows() {
    Rows out;
    out.reserve(kContacts);
    for (int i = 0; i < kContacts; ++i) out.push_back(row(i));
    return out;
}

// The shared folder with 100,000 contacts in group 1, made on first use.
void filled() {
    if (bench::sharedUserData()) return;
    bench::sharedUserData() = std::make_unique<bench::UserData>();
    Rows r = rows();
    SMS::CFriendMag().importFriend(r, columns(), {});
}

void BM_GroupFirstLoad(benchmark::State& state) {
    filled();
    SMS::CFriendMag mag;
    for (auto _ : state) benchmark::DoNotOptimize(mag.getGroupFriendNum(1));
    state.counters["cached"] = mag.getCurFriendNum();
}
BENCHMARK(BM_GroupFirstLoad)->Unit(benchmark::kMillisecond);

void BM_GroupCompleteLoad(benchmark::State& state) {
    filled();
    SMS::CFriendMag mag;
    for (auto _ : state) {
        mag.getGroupFriendNum(1);
        benchmark::DoNotOptimize(mag.getGroupFriendW());
    }
    state.counters["cached"] = mag.getCurFriendNum();
}
BENCHMARK(BM_GroupCompleteLoad)->Unit(benchmark::kMillisecond);

void BM_SearchById(benchmark::State& state) {  // baseline: the primary key
    filled();
    SMS::CFriendMag mag;
    int i = 0;
    for (auto _ : state) benchmark::DoNotOptimize(mag.selectFriendNum("ID", std::to_string(++i % kContacts + 1)));
    state.counters["found"] = mag.getCurFriendNum();
}
BENCHMARK(BM_SearchById)->Unit(benchmark::kMicrosecond);

void BM_SearchByMobile(benchmark::State& state) {
    filled();
    SMS::CFriendMag mag;
    int i = 0;
    for (auto _ : state) benchmark::DoNotOptimize(mag.selectFriendNum("手机", mobile(++i % kContacts)));
    state.counters["found"] = mag.getCurFriendNum();
}
BENCHMARK(BM_SearchByMobile)->Unit(benchmark::kMicrosecond);

std::vector<Dmg::CFriend> contactsOf(const Rows& r) {
    std::vector<Dmg::CFriend> out(r.size());
    for (std::size_t i = 0; i < r.size(); ++i)
        for (std::size_t j = 0; j < columns().size(); ++j)
            out[i].addPropetyAndValue(columns()[j], r[i][j]);
    return out;
}

// Baseline: the same contacts, already converted, inserted by the store.
void BM_RawInsert(benchmark::State& state) {
    const std::vector<Dmg::CFriend> prepared = contactsOf(rows());
    bench::eachOnFreshUserData(
        state, [&] { return prepared; },
        [](std::vector<Dmg::CFriend>& contacts) {
            return static_cast<Dmg::CLocalDataSerialize*>(
                       Dmg::CDataManager::getSingleton().getDataSerialize("database"))
                ->importFriends(contacts, {});
        });
}
BENCHMARK(BM_RawInsert)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_ImportFriend(benchmark::State& state) {
    const Rows parsed = rows();
    bench::eachOnFreshUserData(
        state, [&] { return parsed; },
        [](Rows& copy) { return SMS::CFriendMag().importFriend(copy, columns(), {}); });
}
BENCHMARK(BM_ImportFriend)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_ExportFriend(benchmark::State& state) {
    const std::vector<Dmg::CFriend> all = contactsOf(rows());
    const fakes::TempDir dir;
    for (auto _ : state) benchmark::DoNotOptimize(SMS::CFriendMag().exportFriend(dir.file("all.csv"), all));
}
BENCHMARK(BM_ExportFriend)->Unit(benchmark::kMillisecond)->Iterations(3);

// The whole file road: parse the exported file, then import its rows.
void BM_ParseAndImport(benchmark::State& state) {
    const fakes::TempDir dir;
    const std::string path = dir.file("all.csv");
    SMS::CFriendMag().exportFriend(path, contactsOf(rows()));
    bench::eachOnFreshUserData(
        state, [] { return 0; },
        [&](int) {
            std::map<int, std::vector<std::string>> table;
            SMS::CFriendMag mag;
            mag.parseFile(path, table);
            table.erase(0);
            Rows parsed;
            parsed.reserve(table.size());
            for (auto& entry : table) parsed.push_back(std::move(entry.second));
            return mag.importFriend(parsed, columns(), {});
        });
}
BENCHMARK(BM_ParseAndImport)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

BENCHMARK_MAIN();
