// The reply manager against a recording main store (cache rules, paging),
// and on the real store: gateway replies stored, searched, deleted, exported.
#include <gtest/gtest.h>

#include <climits>
#include <map>

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

// Holds replies 0, 1 and 2; records deletions and answers them with `result`.
struct FakeStore : Dmg::CLocalDataSerialize {
    int result = 1;
    std::string removed;
    int getReplyDatas(Replies& out) override {
        for (int i = 0; i < 3; ++i) out.emplace_back().number = i;
        return 1;
    }
    int removeReplyData(const std::vector<int>& ns) override {
        for (const int n : ns) removed += std::to_string(n) + " ";
        return result;
    }
};

// Pages append and answer 0 outside the cache. delAll empties the cache only
// on the store's 1; delSelect drops the chosen whatever the store says, and
// sends a number chosen twice twice.
TEST(ReplyMag, PagingAndDeletionCacheRules) {
    FakeStore store;
    fakes::ScopedStore scoped("database", &store);
    SMS::CReplyMsgsMag mag;
    struct Row {
        bool all;
        int result, expected, left;
        std::string removed;
    };
    for (const Row& row : {Row{true, 1, 1, 0, "0 1 2 "}, Row{true, 2, 0, 3, "0 1 2 "},
                           Row{false, 0, 0, 2, "1 1 "}}) {
        SCOPED_TRACE(row.removed + std::to_string(row.result));
        store.result = row.result, store.removed.clear();
        ASSERT_EQ(mag.loadAll(), 1);
        Replies chosen(3);
        chosen[0].number = chosen[1].number = 1, chosen[2].number = 99;  // 99 is not cached
        EXPECT_EQ(row.all ? mag.delAll() : mag.delSelect(chosen), row.expected);
        EXPECT_EQ(mag.getLogNum(), row.left);
        EXPECT_EQ(store.removed, row.removed);
    }
    for (const int page : {0, 1, 2, INT_MAX}) {  // the two left: 0 and 2
        SCOPED_TRACE(page);
        Replies out(1);
        out[0].number = -1;
        EXPECT_EQ(mag.getLog(page, page == INT_MAX ? INT_MAX : 1, out), page < 2 ? 1 : 0);
        EXPECT_EQ(numbers(out), page == 0 ? "-1 0 " : page == 1 ? "-1 2 " : "-1 ");
    }
    const fakes::ScopedStore none("database", nullptr);
    EXPECT_EQ(mag.loadAll() + mag.delAll(), 0);
    SMS::NET::CEmbeddedGateway gateway;  // replies wait until a store takes them
    gateway.injectReply("1", "a", Dmg::CSmsData());
    EXPECT_EQ(SMS::records::storeReplies(gateway), 0);
    EXPECT_EQ(gateway.takeReplies().size(), 1u);
}

// On the real store: replies taken from the gateway, searched (each search
// lists only its own; how keys match bytes is the stores' search test's, in
// data_local), one deleted, the rest exported.
TEST(ReplyStoreTest, GatewayRepliesAreStoredSearchedDeletedAndExported) {
    fakes::TempDir dir;
    Dmg::CDataManager& data = Dmg::CDataManager::getSingleton();
    ASSERT_EQ(data.openUserData(dir.path()), 1);
    SMS::NET::CEmbeddedGateway gateway;
    const Dmg::CSmsData unset, march7(2026, 3, 7, 8, 5), march9(2026, 3, 9, 0, 0);
    gateway.injectReply("13800000001", "好的,\"收到\"", march7);
    gateway.injectReply("13800000002", std::string("x'%\0y", 5), march9);
    gateway.injectReply("13900000003", "\xB0\xA1\xB0\xA1", Dmg::CSmsData(2026, 4, 1, 0, 0));
    ASSERT_EQ(SMS::records::storeReplies(gateway), 3);
    EXPECT_TRUE(gateway.takeReplies().empty());
    SMS::CReplyMsgsMag mag;
    const struct {
        Dmg::CSmsData from, to;
        std::string key;
        int found;
    } rows[] = {{march7, march9, "", 2}, {unset, march7, "", 1}, {unset, unset, "138", 2},
                {unset, unset, std::string("\0y", 2), 1}, {{0, 0, 0, 0, 0}, unset, "", 0}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.key + row.from.getString() + "/" + row.to.getString());
        Dmg::CSmsData from = row.from, to = row.to;
        std::string key = row.key;
        EXPECT_EQ(mag.select(from, to, key) + mag.getLogNum(), 1 + row.found);
    }
    ASSERT_EQ(mag.loadAll(), 1);
    Replies second;  // the NUL one, which no text file may hold
    mag.getLog(1, 1, second);
    EXPECT_EQ(mag.delSelect(second), 1);
    SMS::CReplyMsgsMag other;
    EXPECT_EQ(other.loadAll() + other.getLogNum(), 3);
    std::string path = dir.file("replies.csv");
    ASSERT_EQ(mag.ExportAll(path), 1);
    std::map<int, std::vector<std::string>> exported;
    ASSERT_EQ(FileSerialize::CFileManager::getSingleton().importFromFile(path, exported), 1);
    ASSERT_EQ(exported.size(), 2u);
    EXPECT_EQ(exported.at(0),
              (std::vector<std::string>{"2026-03-07 08:05", "13800000001", "", "好的,\"收到\""}));
    EXPECT_EQ(mag.delAll() + other.loadAll() + other.getLogNum(), 2);
    data.closeUserData();
}

}  // namespace
