#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <climits>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "contracts/dmg/CDataManager.h"
#include "contracts/dmg/CHistoryLogSerialize.h"
#include "contracts/dmg/CSendQueueSerialize.h"
#include "contracts/net/CNetInterfaceMag.h"
#include "queue/CSendQueueService.h"
#include "queue/CSmsSendLoadMag.h"
#include "queue/CSmsSendQueueMag.h"
#include "send/CUserInfo.h"
#include "tests/fakes/LogCapture.h"
#include "tests/fakes/ScopedStore.h"
#include "tests/fakes/TempDir.h"

namespace {

Dmg::QueueData packet(int recordId, int recipients, int state = Dmg::QueueData::kWaiting) {
    Dmg::QueueData p;
    p.recordId = recordId;
    p.recipientCount = recipients;
    p.state = state;
    p.phoneList = "13800138000,";
    return p;
}

std::vector<int> recordIds(const std::vector<Dmg::QueueData>& list) {
    std::vector<int> ids;
    for (const auto& p : list) ids.push_back(p.recordId);
    return ids;
}

// Records the store calls of the view and answers loads from `stored`.
struct RecordingQueue : Dmg::CSendQueueSerialize {
    std::vector<std::string> calls;
    std::vector<Dmg::QueueData> stored;
    std::vector<int> deleted;
    int initialize(const std::string& path, const std::string& password) override {
        return calls.push_back("initialize(" + path + "," + password + ")"), 1;
    }
    int close() override { return calls.push_back("close"), 1; }
    int loadAllQueue(std::vector<Dmg::QueueData>& out) override {
        calls.push_back("loadAllQueue");
        out.insert(out.end(), stored.begin(), stored.end());
        return 1;
    }
    int delQueue(const std::vector<int>& ids) override {
        deleted = ids;
        return calls.push_back("delQueue"), 1;
    }
};

class QueueViewFake : public ::testing::Test {
protected:
    void SetUp() override { SMS::CUserInfo::instance()->userDir = "/users/u1"; }
    RecordingQueue store;
    fakes::ScopedStore scoped{"sendqueuemodify", &store};
    SMS::CSmsSendQueueMag view;
    std::vector<Dmg::QueueData> out;
};

TEST_F(QueueViewFake, LoadKeepsOnlyWaitingPacketsInStoreOrder) {
    store.stored = {packet(1, 1), packet(2, 1, 1), packet(3, 1), packet(4, 1, 2), packet(5, 1)};
    view.addSendQueue({packet(99, 1)});  // reloading replaces what was there
    EXPECT_EQ(view.loadSendMsg(), 1);
    view.getAllSendQueue(out);
    EXPECT_EQ(recordIds(out), (std::vector<int>{1, 3, 5}));
    EXPECT_EQ(store.calls, (std::vector<std::string>{
                               "initialize(/users/u1/SQu.dll,Quenp19990812)", "loadAllQueue",
                               "close"}));
}

TEST_F(QueueViewFake, DeleteRemovesLoadedPacketsAndPassesEveryIdToTheStore) {
    view.addSendQueue({packet(4, 3), packet(7, 5)});
    int recipients = -1;
    EXPECT_EQ(view.delSendMsg({4, 9}, recipients), 1);
    EXPECT_EQ(recipients, 3);
    view.getAllSendQueue(out);
    EXPECT_EQ(recordIds(out), std::vector<int>{7});
    EXPECT_EQ(store.deleted, (std::vector<int>{4, 9}));
    EXPECT_EQ(store.calls.size(), 3u);
    Dmg::QueueData untouched = packet(42, 8);
    EXPECT_EQ(view.getSendQueue(4, untouched), 0);
    EXPECT_EQ(untouched.recordId, 42);
}

TEST(QueueViewLogs, PagesWithoutWrappingRound) {
    SMS::CSmsSendQueueMag view;
    for (int i = 0; i < 15; ++i) view.addLog(packet(i, 1));
    SMS::CSmsSendQueueMag empty;
    struct Case {
        SMS::CSmsSendQueueMag* view;
        int page, pageSize, result;
        std::vector<int> appended;
    };
    const Case cases[] = {
        {&view, 0, 10, 1, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9}},  // a full page that is not the last
        {&view, 1, 10, 1, {10, 11, 12, 13, 14}},
        {&view, 2, 10, 0, {}},
        {&empty, 0, 10, 0, {}},
        {&view, -1, 10, 0, {}},
        // 429496730 * 10 is 2^32 + 4: a 32-bit product would be page 4..13.
        {&view, 429496730, 10, 0, {}},
        {&view, INT_MAX, INT_MAX, 0, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("page " + std::to_string(c.page) + " size " + std::to_string(c.pageSize));
        std::vector<Dmg::QueueData> out = {packet(-7, 1)};  // kept: the page is appended
        EXPECT_EQ(c.view->getLogs(c.page, c.pageSize, out), c.result);
        std::vector<int> expected = {-7};
        expected.insert(expected.end(), c.appended.begin(), c.appended.end());
        EXPECT_EQ(recordIds(out), expected);
    }
}

// A user directory with real database files and `packets` in SQu.dll.
struct RealQueue {
    explicit RealQueue(std::vector<Dmg::QueueData> list) : packets(std::move(list)) {
        opened = Dmg::CDataManager::getSingleton().openUserData(dir.path()) == 1;
        SMS::CUserInfo::instance()->userDir = dir.path();
        Dmg::CSendQueueSerialize writer;
        opened = opened && writer.initialize(dir.file("SQu.dll"), "Quenp19990812") == 1 &&
                 writer.writeQueue(packets, ids) == 1 && ids.size() == packets.size();
        for (std::size_t i = 0; opened && i < ids.size(); ++i) packets[i].recordId = ids[i];
        writer.close();
    }
    ~RealQueue() { Dmg::CDataManager::getSingleton().closeUserData(); }
    fakes::TempDir dir;
    std::vector<Dmg::QueueData> packets;
    std::vector<int> ids;
    bool opened = false;
};

// Holds the first packet handed in until released, so the others are still
// in the sending thread's memory.
class HoldingGateway : public SMS::NET::IGateway {
public:
    SMS::NET::CNetSendResultB send(const Dmg::QueueData& packet) override {
        std::unique_lock<std::mutex> lock(mutex);
        sent.push_back(packet.recordId);
        changed.notify_all();
        changed.wait(lock, [this] { return released; });
        return {};
    }
    SMS::NET::CNetLogResult login(const std::string&, const std::string&) override { return {}; }
    std::mutex mutex;
    std::condition_variable changed;
    std::vector<int> sent;
    bool released = false;
};

// Of the packets deleted while a send runs, a queued one is never sent and
// leaves SQu.dll; the one the sender holds is sent all the same, keeps its
// row and reaches the history.
TEST(QueueViewRegression, DeletedPacketsDuringASend) {
    RealQueue real({packet(0, 1), packet(0, 1), packet(0, 1)});
    ASSERT_TRUE(real.opened);
    const int held = real.ids[0], kept = real.ids[1], deleted = real.ids[2];
    SMS::CSmsSendStartInstance* const settings = SMS::CSmsSendStartInstance::Instance();
    settings->packetPauseMs = 0;
    settings->onPacketDone = [](int&, int&) {};
    settings->onFirstSendFailure = [](std::string&) { return 0; };
    settings->onSendAborted = [] {};
    const auto gateway = std::make_shared<HoldingGateway>();
    SMS::NET::CNetInterfaceMag::instance()->setGateway(gateway);
    fakes::LogCapture log;
    {
        CSendQueueService service;
        SMS::CSmsSendLoadMag::instance()->addSendQueue(real.packets);
        {
            std::unique_lock<std::mutex> lock(gateway->mutex);
            ASSERT_TRUE(gateway->changed.wait_for(lock, std::chrono::seconds(30),
                                                  [&] { return !gateway->sent.empty(); }));
        }
        SMS::CSmsSendQueueMag().delSendMsg({held, deleted});
        {
            const std::lock_guard<std::mutex> lock(gateway->mutex);
            gateway->released = true;
            gateway->changed.notify_all();
        }
        for (int i = 0; i < 30000 && service.isActive(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(1));
        ASSERT_EQ(0, service.isActive());
    }
    SMS::NET::CNetInterfaceMag::instance()->setGateway(nullptr);
    EXPECT_EQ(gateway->sent, (std::vector<int>{held, kept}));
    EXPECT_EQ(log.count("发送队列: 数据包 " + std::to_string(held) + " 已在发送中, 未删除"), 1);
    Dmg::CSendQueueSerialize queue;
    std::vector<Dmg::QueueData> left;
    queue.initialize(real.dir.file("SQu.dll"), "Quenp19990812");
    queue.loadAllQueue(left);
    queue.close();
    EXPECT_TRUE(left.empty());
    std::vector<Dmg::CHistoryMsg> history;
    static_cast<Dmg::CHistoryLogSerialize*>(Dmg::CDataManager::getSingleton().getDataSerialize("historylog"))
        ->getAllLog(history);
    EXPECT_EQ(history.size(), 2u);
}

}  // namespace
