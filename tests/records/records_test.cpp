// The sent-history and send-log managers against recording stores:
// deletions with progress and cancel, both paging rules, exports read back
// through the file library.
#include <gtest/gtest.h>

#include <climits>
#include <utility>

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
using History = std::vector<Dmg::CHistoryMsg>;
using SendLog = std::vector<Dmg::CSendLosgMsg>;

// Record i gets number numbers[i] and first text "i".
template <typename R>
std::vector<R> numbered(const std::vector<int>& numbers) {
    std::vector<R> out(numbers.size());
    for (std::size_t i = 0; i < out.size(); ++i)
        out[i].number = numbers[i], out[i].firstText = std::to_string(i);
    return out;
}

template <typename R>
std::string texts(const std::vector<R>& records) {
    std::string out;
    for (const R& r : records) out += r.firstText;
    return out;
}

// Hands out `rows` with `result` for every load; records loads and deletions.
struct FakeHistory : Dmg::CHistoryLogSerialize {
    Strings calls;
    History rows;
    int result = 1;
    int fill(const std::string& call, History& out) {
        return out.insert(out.end(), rows.begin(), rows.end()), calls.push_back(call), result;
    }
    int getAllLog(History& out) override { return fill("all", out); }
    int getNewLog(History& out) override { return fill("new", out); }
    int select(const int& a, const int& b, History& out) override {
        return fill(std::to_string(a) + std::to_string(b), out);
    }
    int select(const Dmg::CSmsData& f, const Dmg::CSmsData& t, const bool& flag,
               const std::string& key, History& out) override {
        return fill(f.getString() + "|" + t.getString() + "|" + std::to_string(flag) + key, out);
    }
    int delResult = 1;
    int delLogs(const std::vector<int>& numbers) override {
        for (const int n : numbers) calls.push_back(std::to_string(n));
        return delResult;
    }
};

struct FakeMain : Dmg::CLocalDataSerialize {
    SendLog rows = numbered<Dmg::CSendLosgMsg>(std::vector<int>(12));
    int readAllSendLog(SendLog& out) override {  // 1 + the rows, as the real store
        return out.insert(out.end(), rows.begin(), rows.end()), 1 + static_cast<int>(rows.size());
    }
};

// Answers non-zero to the `cancelAt`-th question (0: never).
struct CancellingProgress : fakes::RecordingProgressDlg {
    int cancelAt = 0, asked = 0;
    int isCanceled() override { return RecordingProgressDlg::isCanceled(), ++asked == cancelAt; }
};

class RecordsTest : public ::testing::Test {
protected:
    FakeHistory history;
    FakeMain main;
    fakes::ScopedStore historyReg{"historylog", &history}, mainReg{"database", &main};
};

TEST_F(RecordsTest, HistoryDeletionsFollowCacheOrderProgressAndCancel) {
    struct Row {
        const char* name;
        std::vector<int> cached;
        bool all;
        std::vector<int> chosen;
        int cancelAt, steps;
        Strings deleted;
        std::string left;
        bool refused = false;  // the store refuses the deletions
    };
    const std::vector<int> five{1, 2, 3, 4, 5};
    for (const Row& row :
         {Row{"all", five, true, {}, 0, 5, {"1", "2", "3", "4", "5"}, ""},
          Row{"all, cancelled at step 3", five, true, {}, 3, 3, {"1", "2"}, ""},
          Row{"chosen, duplicate and unknown", five, false, {4, 2, 2, 99}, 0, 5, {"2", "4"}, "024"},
          Row{"later cached duplicate wins", {1, 7, 3, 7, 5}, false, {7}, 0, 5, {"7"}, "0124"},
          Row{"chosen, cancelled at step 4", five, false, {2, 4}, 4, 4, {"2"}, "0234"},
          Row{"all, refused, cancelled at step 3", five, true, {}, 3, 3, {"1", "2"}, "01", true},
          Row{"chosen, refused", five, false, {2, 4}, 0, 5, {"2", "4"}, "01234", true}}) {
        SCOPED_TRACE(row.name);
        history.rows = numbered<Dmg::CHistoryMsg>(row.cached);
        SMS::CHistoryLogMag mag;
        ASSERT_EQ(mag.loadAllLog(), 1);
        history.calls.clear();
        history.delResult = row.refused ? 0 : 1;
        CancellingProgress progress;
        progress.cancelAt = row.cancelAt;
        EXPECT_EQ(row.all ? mag.delAllLog(&progress) : mag.delLog(row.chosen, &progress),
                  row.refused ? 0 : 1);
        Strings steps{"setRange(0,5,1)", "setText(正在删除历史记录...\n\n)"};
        for (int i = 0; i < row.steps; ++i)
            steps.insert(steps.end(), {"refresh()", "offsetPos(1)", "isCanceled()"});
        EXPECT_EQ(history.calls, row.deleted);
        EXPECT_EQ(progress.calls, steps);
        History left = numbered<Dmg::CHistoryMsg>({9});  // replaced, not appended to
        ASSERT_EQ(mag.getAllLog(left), 1);
        EXPECT_EQ(texts(left), row.left);
    }
}

TEST_F(RecordsTest, HistoryLoadsAndMendedFailures) {
    history.rows = numbered<Dmg::CHistoryMsg>({1, 2});
    history.result = 5;
    SMS::CHistoryLogMag mag;
    EXPECT_EQ(mag.select(3, 4) + mag.select({2011, 3, 7, 8, 5}, {}, true, "k") + mag.loadNewLog(),
              15);
    EXPECT_EQ(mag.getLogNum(), 2);  // each load empties the cache first
    EXPECT_EQ(history.calls, (Strings{"34", "2011-03-07 08:05||1k", "new"}));
    history.calls.clear();
    fakes::RecordingProgressDlg progress;
    EXPECT_EQ(mag.delAllLog(nullptr) + mag.delLog({1}, nullptr), 0);
    fakes::ScopedStore none("historylog", nullptr);
    EXPECT_EQ(mag.delAllLog(&progress) + mag.delLog({1}, &progress) + mag.loadAllLog(), 0);
    EXPECT_TRUE(progress.calls.empty() && history.calls.empty());
}

// The history appends a page and always answers 1; the send log empties
// `out` first (see the real-store test for an empty cache).
TEST_F(RecordsTest, PagingTables) {
    struct Row {
        int page, size;
        std::string history, sendLog;
    };                      // first texts appended / copied
    const int big = 65536;  // big * big wraps to page 0 in 32 bits
    history.rows = numbered<Dmg::CHistoryMsg>({0, 1, 2, 3, 4});
    SMS::CHistoryLogMag hist;
    SMS::CSmsSendLogMag sends;
    ASSERT_EQ(hist.loadAllLog() + sends.loadAll(), 2);
    for (const Row& row : {Row{0, 3, "012", "012"}, Row{1, 3, "34", "345"}, Row{1, 10, "", "1011"},
                           Row{1, 5, "", "56789"}, Row{3, 5, "", ""}, Row{0, 0, "", ""},
                           Row{big, big, "", ""}, Row{INT_MAX, INT_MAX, "", ""}, Row{-1, 3, "", ""},
                           Row{0, -3, "", ""}, Row{-1, -3, "", ""}, Row{-2, -3, "", ""}}) {
        SCOPED_TRACE(std::to_string(row.page) + " x " + std::to_string(row.size));
        History h(1);
        SendLog s(1);
        h[0].firstText = s[0].firstText = "-";  // kept by the history only
        EXPECT_EQ(hist.getLog(row.page, row.size, h) + sends.getLog(row.page, row.size, s), 2);
        EXPECT_EQ(texts(h) + "|" + texts(s), "-" + row.history + "|" + row.sendLog);
    }
}

// Both exports read back through the file library; a send log of no
// entries (the store's 1) is no log.
TEST_F(RecordsTest, ExportsReadBackAndAnEmptySendLogIsNone) {
    fakes::TempDir dir;
    FileSerialize::CFileManager& files = FileSerialize::CFileManager::getSingleton();
    std::map<int, Strings> table;
    History records = numbered<Dmg::CHistoryMsg>({1, 2});
    records[0].time = {2011, 3, 7, 8, 5}, records[0].firstText = "a,\"b\"\n";
    records[0].success = true, records[1].secondText = "13800138000";
    ASSERT_EQ(SMS::CHistoryLogMag().exportLog(dir.file("h.csv"), records), 1);
    ASSERT_EQ(files.importFromFile(dir.file("h.csv"), table), 1);
    EXPECT_EQ(table, (std::map<int, Strings>{{0, {"2011-3-7-8:5", "a,\"b\"\n", "成功", ""}},
                                             {1, {"-1--1--1--1:-1", "1", "失败", "13800138000"}}}));

    SMS::CSmsSendLogMag sends;
    SendLog page(1);
    const SendLog rows = std::exchange(main.rows, {});
    EXPECT_EQ(sends.loadAll() + sends.getLog(0, 3, page) + page.size(), 0u);
    main.rows = rows;
    main.rows[1].secondText = "u2", main.rows[1].thirdText = "e2";
    ASSERT_EQ(sends.loadAll() + sends.loadAll() + sends.getLogNum(), 14);
    ASSERT_EQ(sends.ExportAll(dir.file("s.csv")), 1);
    ASSERT_EQ(files.importFromFile(dir.file("s.csv"), table), 1);
    const Strings row = table.at(1);  // the time column: the history's
    EXPECT_EQ(Strings(row.begin() + 1, row.end()), (Strings{"1", "u2", "e2"}));
}

}  // namespace
