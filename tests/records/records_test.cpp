// The sent-history and send-log managers: deletions with progress and
// cancel against a recording store, both paging rules, exports read back
// through the file library, and the send log on the real main store.
#include <gtest/gtest.h>

#include <climits>
#include <map>
#include <string>
#include <vector>

#include "contracts/dmg/CDataManager.h"
#include "contracts/dmg/CHistoryLogSerialize.h"
#include "contracts/dmg/CLocalDataSerialize.h"
#include "contracts/fileserialize/CFileManager.h"
#include "records/CHistoryLogMag.h"
#include "records/CSmsSendLogMag.h"
#include "tests/fakes/RecordingProgressDlg.h"
#include "tests/fakes/ScopedStore.h"
#include "tests/fakes/TempDir.h"

namespace {

using Strings = std::vector<std::string>;
using Ints = std::vector<int>;
using Table = std::map<int, Strings>;
using History = std::vector<Dmg::CHistoryMsg>;
using SendLog = std::vector<Dmg::CSendLosgMsg>;

template <typename Record>
std::vector<Record> numbered(const Ints& numbers) {
    std::vector<Record> out(numbers.size());
    for (std::size_t i = 0; i < out.size(); ++i) out[i].number = numbers[i], out[i].firstText = std::to_string(i);
    return out;
}

template <typename Record>
Strings texts(const std::vector<Record>& records) {
    Strings out;
    for (const Record& r : records) out.push_back(r.firstText);
    return out;
}

// Hands out `rows` (with `result`) for every load; records loads and deletions.
struct FakeHistory : Dmg::CHistoryLogSerialize {
    Strings calls;
    History rows;
    int result = 1;
    int fill(const std::string& call, History& out) {
        out.insert(out.end(), rows.begin(), rows.end());
        return calls.push_back(call), result;
    }
    int getAllLog(History& out) override { return fill("all", out); }
    int getNewLog(History& out) override { return fill("new", out); }
    int select(const int& a, const int& b, History& out) override {
        return fill(std::to_string(a) + " " + std::to_string(b), out);
    }
    int select(const Dmg::CSmsData& f, const Dmg::CSmsData& t, const bool& flag, const std::string& key,
               History& out) override {
        return fill(f.getString() + "|" + t.getString() + "|" + std::to_string(flag) + "|" + key, out);
    }
    int delLog(const int& number) override { return calls.push_back("del " + std::to_string(number)), 0; }
};

struct FakeMain : Dmg::CLocalDataSerialize {
    SendLog rows;
    int result = 2;
    int readAllSendLog(SendLog& out) override { return out.insert(out.end(), rows.begin(), rows.end()), result; }
};

// Answers non-zero from the `cancelAt`-th question on (0: never).
struct CancellingProgress : fakes::RecordingProgressDlg {
    int cancelAt = 0, asked = 0;
    int isCanceled() override { return RecordingProgressDlg::isCanceled(), ++asked == cancelAt; }
};

class RecordsTest : public ::testing::Test {
protected:
    FakeHistory history;
    FakeMain main;
    fakes::ScopedStore historyReg{"historylog", &history}, mainReg{"database", &main};
    fakes::TempDir dir;

    Table readBack(const std::string& path) {
        Table table;
        EXPECT_EQ(FileSerialize::CFileManager::getSingleton().importFromFile(path, table), 1);
        return table;
    }
};

TEST_F(RecordsTest, HistoryDeletionsFollowCacheOrderProgressAndCancel) {
    struct Row { const char* name; Ints cached; bool all; Ints chosen; int cancelAt, steps; Ints deleted; Strings left; };
    const Ints five{1, 2, 3, 4, 5};
    for (const Row& row : {
             Row{"all", five, true, {}, 0, 5, {1, 2, 3, 4, 5}, {}},
             Row{"all, cancelled at the third step", five, true, {}, 3, 3, {1, 2}, {}},
             Row{"chosen, duplicate and unknown", five, false, {4, 2, 2, 99}, 0, 5, {2, 4}, {"0", "2", "4"}},
             Row{"later cached duplicate wins", {1, 7, 3, 7, 5}, false, {7}, 0, 5, {7}, {"0", "1", "2", "4"}},
             Row{"chosen, cancelled at the fourth step", five, false, {2, 4}, 4, 4, {2}, {"0", "2", "3", "4"}},
             Row{"none cached", five, false, {99}, 0, 5, {}, {"0", "1", "2", "3", "4"}},
         }) {
        SCOPED_TRACE(row.name);
        history.rows = numbered<Dmg::CHistoryMsg>(row.cached);
        SMS::CHistoryLogMag mag;
        ASSERT_EQ(mag.loadAllLog(), 1);
        history.calls.clear();
        CancellingProgress progress;
        progress.cancelAt = row.cancelAt;
        EXPECT_EQ(row.all ? mag.delAllLog(&progress) : mag.delLog(row.chosen, &progress), 1);
        Strings dels, steps{"setRange(0,5,1)", "setText(正在删除历史记录...\n\n)"};
        for (const int n : row.deleted) dels.push_back("del " + std::to_string(n));
        for (int i = 0; i < row.steps; ++i) steps.insert(steps.end(), {"refresh()", "offsetPos(1)", "isCanceled()"});
        EXPECT_EQ(history.calls, dels);
        EXPECT_EQ(progress.calls, steps);
        History left;
        mag.getAllLog(left);
        EXPECT_EQ(texts(left), row.left);
    }
}

TEST_F(RecordsTest, HistoryLoadsAndMendedFailures) {
    history.rows = numbered<Dmg::CHistoryMsg>({1, 2});
    history.result = 5;
    SMS::CHistoryLogMag mag;
    EXPECT_EQ(mag.loadNewLog() + mag.select(3, 4) + mag.select({2011, 3, 7, 8, 5}, {}, true, "k"), 15);
    EXPECT_EQ(mag.getLogNum(), 2);  // each load empties the cache first
    EXPECT_EQ(history.calls, (Strings{"new", "3 4", "2011-03-07 08:05||1|k"}));
    history.calls.clear();
    fakes::RecordingProgressDlg progress;
    EXPECT_EQ(mag.delAllLog(nullptr) + mag.delLog({1}, nullptr), 0);
    {
        fakes::ScopedStore none("historylog", nullptr);
        EXPECT_EQ(mag.delAllLog(&progress) + mag.delLog({1}, &progress) + mag.getLogNum(), 2);
        EXPECT_TRUE(progress.calls.empty());
        EXPECT_EQ(mag.loadAllLog(), 0);
    }
    EXPECT_TRUE(history.calls.empty());
}

TEST_F(RecordsTest, PagingTables) {
    struct Row { int page, size; Ints history, sendLog; };  // first texts appended / copied
    const int big = 65536;  // big * big wraps to page 0 in 32 bits
    history.rows = numbered<Dmg::CHistoryMsg>({0, 1, 2, 3, 4});
    main.rows = numbered<Dmg::CSendLosgMsg>(Ints(12));
    SMS::CHistoryLogMag hist;
    SMS::CSmsSendLogMag sends;
    ASSERT_EQ(hist.loadAllLog() + sends.loadAll(), 2);
    for (const Row& row : {Row{0, 3, {0, 1, 2}, {0, 1, 2}}, Row{1, 3, {3, 4}, {3, 4, 5}}, Row{1, 10, {}, {10, 11}},
                           Row{1, 5, {}, {5, 6, 7, 8, 9}}, Row{3, 5, {}, {}}, Row{0, 0, {}, {}},
                           Row{big, big, {}, {}}, Row{INT_MAX, INT_MAX, {}, {}}, Row{1, INT_MAX, {}, {}},
                           Row{-1, 3, {}, {}}, Row{0, -3, {}, {}}, Row{-1, -3, {}, {}}, Row{-2, -3, {}, {}}}) {
        SCOPED_TRACE(std::to_string(row.page) + " x " + std::to_string(row.size));
        History h = numbered<Dmg::CHistoryMsg>({9});
        SendLog s = numbered<Dmg::CSendLosgMsg>({9});
        EXPECT_EQ(hist.getLog(row.page, row.size, h) + sends.getLog(row.page, row.size, s), 2);
        Strings expectH{"0"}, expectS;  // the history appends, the send log replaces
        for (const int i : row.history) expectH.push_back(std::to_string(i));
        for (const int i : row.sendLog) expectS.push_back(std::to_string(i));
        EXPECT_EQ(texts(h), expectH);
        EXPECT_EQ(texts(s), expectS);
    }
    SMS::CHistoryLogMag emptyHist;
    SMS::CSmsSendLogMag emptySends;
    History h(1);
    SendLog s(1);
    EXPECT_EQ(emptyHist.getLog(0, 3, h) * 10 + emptySends.getLog(0, 3, s), 10);
    EXPECT_EQ(h.size() * 10 + s.size(), 10u);
}

TEST_F(RecordsTest, ExportsReadBack) {
    History records = numbered<Dmg::CHistoryMsg>({1, 2});
    records[0].time = {2011, 3, 7, 8, 5}, records[0].firstText = "a,\"b\"\n", records[0].success = true;
    records[1].secondText = "13800138000";
    SMS::CHistoryLogMag hist;
    ASSERT_EQ(hist.exportLog(dir.file("h.csv"), records), 1);
    EXPECT_EQ(readBack(dir.file("h.csv")), (Table{{0, {"2011-3-7-8:5", "a,\"b\"\n", "成功", ""}},
                                                  {1, {"-1--1--1--1:-1", "1", "失败", "13800138000"}}}));
    main.rows = numbered<Dmg::CSendLosgMsg>({1});
    main.rows[0].time = {2026, 12, 6, 23, 59}, main.rows[0].secondText = "id", main.rows[0].thirdText = "x";
    SMS::CSmsSendLogMag sends;
    ASSERT_EQ(sends.loadAll(), 1);
    ASSERT_EQ(sends.ExportAll(dir.file("s.csv")), 1);
    EXPECT_EQ(readBack(dir.file("s.csv")), (Table{{0, {"2026-12-6-23:59", "0", "id", "x"}}}));
}

TEST(RecordsStoreTest, SendLogOnTheRealStore) {
    fakes::TempDir dir;
    ASSERT_EQ(Dmg::CDataManager::getSingleton().openUserData(dir.path()), 1);
    SMS::CSmsSendLogMag sends;
    EXPECT_EQ(sends.loadAll(), 0);  // the store gives 1 for no entries
    auto* store = static_cast<Dmg::CLocalDataSerialize*>(Dmg::CDataManager::getSingleton().getDataSerialize("database"));
    ASSERT_EQ(store->writeSendLog("u1", "e1", "第一") + store->writeSendLog("u2", "e2", "第二"), 2);
    EXPECT_EQ(sends.loadAll(), 1);
    SendLog page;
    EXPECT_EQ(sends.getLog(1, 1, page), 1);
    ASSERT_EQ(page.size(), 1u);
    EXPECT_EQ(page[0].firstText + page[0].secondText + page[0].thirdText, "第二u2e2");
    Dmg::CDataManager::getSingleton().closeUserData();
}

}  // namespace
