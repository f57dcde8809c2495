// The reply manager against a recording main store (cache rules, paging),
// and on the real store: gateway replies stored, searched, deleted, exported.
#include <gtest/gtest.h>

#include <climits>
#include <map>
#include <string>
#include <vector>

#include "contracts/dmg/CDataManager.h"
#include "contracts/dmg/CLocalDataSerialize.h"
#include "contracts/fileserialize/CFileManager.h"
#include "contracts/net/CEmbeddedGateway.h"
#include "records/CReplyMsgsMag.h"
#include "records/ReplyInbox.h"
#include "tests/fakes/ScopedStore.h"
#include "tests/fakes/TempDir.h"

namespace {

using Replies = std::vector<Dmg::ReplyData>;

std::string numbers(const Replies& replies) {
    std::string out;
    for (const auto& r : replies) out += std::to_string(r.number) + " ";
    return out;
}

// Holds replies 0 .. count-1; records the searches and deletions.
struct FakeStore : Dmg::CLocalDataSerialize {
    int count = 12, removeResult = 1;
    std::vector<std::string> calls;
    int fill(Replies& out) {
        for (int i = 0; i < count; ++i) out.emplace_back().number = i;
        return 1;
    }
    int getReplyDatas(Replies& out) override { return fill(out); }
    int select(const std::string& f, const std::string& t, const std::string& k,
               Replies& out) override {
        calls.push_back(f + "|" + t + "|" + k);
        return fill(out);
    }
    int removeReplyData(const std::vector<int>& ns) override {
        std::string call = "remove ";
        for (const int n : ns) call += std::to_string(n) + " ";
        calls.push_back(call);
        return removeResult;
    }
};

TEST(ReplyMag, PagesAppendAndStayInsideTheCache) {
    FakeStore store;
    fakes::ScopedStore scoped("database", &store);
    SMS::CReplyMsgsMag mag;
    ASSERT_EQ(mag.loadAll(), 1);
    struct Row {
        int page, size, result;
        std::string out;
    };
    for (const Row& row : {Row{1, 5, 1, "-1 5 6 7 8 9 "}, Row{2, 5, 1, "-1 10 11 "},
                           Row{3, 5, 0, "-1 "}, Row{INT_MAX, INT_MAX, 0, "-1 "}}) {
        SCOPED_TRACE(row.page);
        Replies out(1);
        out[0].number = -1;
        EXPECT_EQ(mag.getLog(row.page, row.size, out), row.result);
        EXPECT_EQ(numbers(out), row.out);
    }
}

TEST(ReplyMag, DeletionsKeepTheCacheInStep) {
    struct Row {
        bool all;
        int result, expected, left;
        std::string call;
    };
    for (const Row& row : {Row{true, 1, 1, 0, "remove 0 1 2 "}, Row{true, 2, 0, 3, "remove 0 1 2 "},
                           Row{false, 0, 0, 2, "remove 1 1 "}}) {
        SCOPED_TRACE(row.call + std::to_string(row.result));
        FakeStore store;
        store.count = 3, store.removeResult = row.result;
        fakes::ScopedStore scoped("database", &store);
        SMS::CReplyMsgsMag mag;
        mag.loadAll();
        Replies chosen(3);
        chosen[0].number = chosen[1].number = 1, chosen[2].number = 99;  // 99 is not cached
        EXPECT_EQ(row.all ? mag.delAll() : mag.delSelect(chosen), row.expected);
        EXPECT_EQ(mag.getLogNum(), row.left);
        EXPECT_EQ(store.calls, std::vector<std::string>{row.call});
    }
    SMS::CReplyMsgsMag none;  // no store registered
    fakes::ScopedStore scoped("database", nullptr);
    EXPECT_EQ(none.loadAll() + none.delAll(), 0);
    SMS::NET::CEmbeddedGateway gateway;  // replies wait until a store takes them
    gateway.injectReply("1", "a", Dmg::CSmsData());
    EXPECT_EQ(SMS::records::storeReplies(gateway), 0);
    EXPECT_EQ(gateway.takeReplies().size(), 1u);
}

TEST(ReplyMag, SecondSelectDoesNotKeepTheFirstOnesReplies) {
    FakeStore store;
    fakes::ScopedStore scoped("database", &store);
    SMS::CReplyMsgsMag mag;
    Dmg::CSmsData from(2026, 1, 2, 3, 4), to;
    std::string key = "k";
    ASSERT_EQ(mag.select(from, to, key) + mag.select(from, to, key), 2);
    EXPECT_EQ(mag.getLogNum(), 12);
    EXPECT_EQ(store.calls.front(), "2026-01-02 03:04:00||k");
}

class ReplyStoreTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(Dmg::CDataManager::getSingleton().openUserData(dir.path()), 1);
    }
    void TearDown() override { Dmg::CDataManager::getSingleton().closeUserData(); }
    fakes::TempDir dir;
};

TEST_F(ReplyStoreTest, GatewayRepliesAreStoredSearchedDeletedAndExported) {
    SMS::NET::CEmbeddedGateway gateway;
    gateway.injectReply("13800000001", "好的,\"收到\"", Dmg::CSmsData(2026, 3, 7, 8, 5));
    gateway.injectReply("13800000002", std::string("x'%\0y", 5), Dmg::CSmsData(2026, 3, 9, 0, 0));
    gateway.injectReply("13900000003", "\xB0\xA1\xB0\xA1", Dmg::CSmsData(2026, 4, 1, 0, 0));
    ASSERT_EQ(SMS::records::storeReplies(gateway), 3);
    EXPECT_TRUE(gateway.takeReplies().empty());
    SMS::CReplyMsgsMag mag;
    ASSERT_EQ(mag.loadAll(), 1);
    ASSERT_EQ(mag.getLogNum(), 3);

    struct Row {
        Dmg::CSmsData from, to;
        std::string key;
        int found;
    };
    const Dmg::CSmsData unset, march7(2026, 3, 7, 8, 5), march9(2026, 3, 9, 0, 0),
        bad(0, 0, 0, 0, 0);
    for (const Row& row : {Row{march7, march9, "", 2}, Row{march9, unset, "", 2},
                           Row{unset, march7, "", 1}, Row{unset, unset, "138", 2},
                           Row{unset, unset, "'%", 1}, Row{unset, unset, std::string("\0y", 2), 1},
                           Row{unset, unset, "%", 1}, Row{unset, unset, "\xA1\xB0", 0},
                           Row{unset, unset, "\"收到\"", 1}, Row{bad, unset, "", 0}}) {
        SCOPED_TRACE(row.key + row.from.getString() + "/" + row.to.getString());
        Dmg::CSmsData from = row.from, to = row.to;
        std::string key = row.key;
        EXPECT_EQ(mag.select(from, to, key), 1);
        EXPECT_EQ(mag.getLogNum(), row.found);
    }

    ASSERT_EQ(mag.loadAll(), 1);
    Replies second;  // the NUL one, which no text file may hold
    mag.getLog(1, 1, second);
    EXPECT_EQ(mag.delSelect(second), 1);
    SMS::CReplyMsgsMag other;
    EXPECT_EQ(other.loadAll() + other.getLogNum(), 3);

    std::string path = dir.file("replies.csv");
    ASSERT_EQ(mag.ExportAll(path), 1);
    std::map<int, std::vector<std::string>> rows;
    ASSERT_EQ(FileSerialize::CFileManager::getSingleton().importFromFile(path, rows), 1);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows.at(0),
              (std::vector<std::string>{"2026-03-07 08:05", "13800000001", "", "好的,\"收到\""}));
    EXPECT_EQ(rows.at(1).at(3), "\xB0\xA1\xB0\xA1");

    EXPECT_EQ(mag.delAll() + other.loadAll() + other.getLogNum(), 2);
}

}  // namespace
