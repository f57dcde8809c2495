// Timed messages: the manager's deletion and paging against a recording store
// and gateway (cancellation at the gateways: tests/net_gateway).
#include <gtest/gtest.h>

#include <climits>
#include <memory>

#include "contracts/dmg/CLocalDataSerialize.h"
#include "contracts/net/CNetInterfaceMag.h"
#include "records/CTimerSendMag.h"
#include "tests/fakes/RecordingProgressDlg.h"
#include "tests/fakes/ScopedStore.h"

namespace {

using Dmg::CTimerMsg;
using Keys = std::vector<std::string>;
using SMS::NET::CNetSendResultB;

CTimerMsg msg(int id, int group, const std::string& key) {
    CTimerMsg m;
    m.recordId = id, m.group = group, m.serviceKey = key;
    return m;
}

// "1 2 " for messages 1 and 2.
std::string ids(const std::vector<CTimerMsg>& list) {
    std::string out;
    for (const auto& m : list) out += std::to_string(m.recordId) + " ";
    return out;
}

std::string report(std::size_t deleted, int failed) {
    return "正确删除" + std::to_string(deleted) +
           "条定时信息  删除失败记录:" + std::to_string(failed);
}

struct RecordingStore : Dmg::CLocalDataSerialize {
    std::vector<CTimerMsg> rows;
    std::vector<int> deleted;
    int getAllTimerMsg(std::vector<CTimerMsg>& out) override {
        return out.insert(out.end(), rows.begin(), rows.end()), 1;
    }
    int deleteMsg(const int& id) override { return deleted.push_back(id), 2; }
};

// Records each cancellation as "group:keys"; refuses `refusedGroup`.
struct RecordingGateway : SMS::NET::IGateway {
    Keys requests;
    int refusedGroup = 0;
    CNetSendResultB send(const Dmg::QueueData&) override { return {}; }
    SMS::NET::CNetLogResult login(const std::string&, const std::string&) override { return {}; }
    void sendFriendInfo(const SMS::NET::CNetFriendInfo&) override {}
    CNetSendResultB DelTimerMsg(int group, const std::string& keys) override {
        requests.push_back(std::to_string(group) + ":" + keys);
        CNetSendResultB r;
        if (group == refusedGroup) r.code = 3, r.errorText = "refused";
        return r;
    }
};

struct ManagerTest : ::testing::Test {
    RecordingStore store;
    fakes::ScopedStore registered{"database", &store};
    std::shared_ptr<RecordingGateway> gateway = std::make_shared<RecordingGateway>();
    ManagerTest() { SMS::NET::CNetInterfaceMag::instance()->setGateway(gateway); }
    ~ManagerTest() override { SMS::NET::CNetInterfaceMag::instance()->setGateway(nullptr); }
};

TEST_F(ManagerTest, DeletionAsksOncePerGroupAndKeepsRefusedGroups) {
    const std::vector<CTimerMsg> listed = {msg(1, 7, "a"), msg(2, 9, "d"), msg(3, 7, "b"),
                                           msg(4, 7, "c")};
    struct Case {
        const char* name;
        std::vector<CTimerMsg> selection;
        int refusedGroup;
        Keys requests;
        std::vector<int> deleted;
        std::string left, report;
    };
    for (const Case& c :
         {Case{"all accepted", listed, 0, {"7:a,b,c", "9:d"}, {1, 2, 3, 4}, "", report(4, 0)},
          Case{"group 9 refused", listed, 9, {"7:a,b,c", "9:d"}, {1, 3, 4}, "2 ", report(3, 1)},
          Case{"empty selection", {}, 0, {}, {}, "1 2 3 4 ", report(0, 0)},
          // A selected record that is not listed is never deleted from the store.
          Case{"not listed", {msg(8, 7, "x")}, 0, {"7:x"}, {}, "1 2 3 4 ", report(1, 0)}}) {
        SCOPED_TRACE(c.name);
        store.deleted.clear(), gateway->requests.clear(), gateway->refusedGroup = c.refusedGroup;
        SMS::CTimerSendMag mag;
        mag.timerList = listed;
        fakes::RecordingProgressDlg progress;
        EXPECT_EQ(mag.deleteSelectList(c.selection, &progress), 1);
        EXPECT_EQ(gateway->requests, c.requests);
        EXPECT_EQ(store.deleted, c.deleted);
        EXPECT_EQ(ids(mag.timerList), c.left);
        EXPECT_EQ(mag.deleteReport, c.report);
        const std::size_t steps = c.requests.size() + c.selection.size();
        Keys calls = {"setRange(0," + std::to_string(steps) + ",1)",
                      "setText(正在删除定时信息...\n\n)"};
        for (std::size_t i = 0; i < steps; ++i)
            calls.insert(calls.end(), {"refresh()", "offsetPos(1)"});
        EXPECT_EQ(progress.calls, calls);
    }
}

// Pages replace `out`: 0 for an empty list or a negative page, 1 past the end.
TEST_F(ManagerTest, PagesAndMissingCollaborators) {
    for (int i = 0; i < 5; ++i) store.rows.push_back(msg(i, 1, std::to_string(i)));
    SMS::CTimerSendMag mag, empty;
    ASSERT_EQ(mag.loadAllTimerInfo() + mag.loadAllTimerInfo(), 2);  // reloading lists each once
    EXPECT_EQ(mag.getListInfoNum(), 5);
    struct Case {
        int page, size, result;
        std::string out;
    };
    for (const Case& c : {Case{0, 2, 1, "0 1 "}, Case{2, 2, 1, "4 "}, Case{3, 2, 1, ""},
                          Case{INT_MAX, INT_MAX, 1, ""}, Case{-1, 2, 0, ""}, Case{0, -2, 0, ""}}) {
        SCOPED_TRACE(std::to_string(c.page) + "x" + std::to_string(c.size));
        std::vector<CTimerMsg> out = {msg(99, 1, "stale")};
        EXPECT_EQ(mag.getListInfo(c.page, c.size, out), c.result);
        EXPECT_EQ(ids(out), c.out);
    }
    std::vector<CTimerMsg> out;
    EXPECT_EQ(empty.getListInfo(0, 10, out) + mag.deleteCurAllMsg(nullptr), 0);
    EXPECT_TRUE(gateway->requests.empty());
}

}  // namespace
