// The caller's view of the send queue: against a recording store, and during
// a real send.
#include <climits>

#include "queue/CSmsSendQueueMag.h"
#include "tests/queue_send/QueueFakes.h"

namespace queuetest {
namespace {

// Loading keeps the waiting packets in store order; deleting counts the
// recipients of the listed packets and passes every id to the store.
TEST(QueueViewFake, LoadsWaitingPacketsAndDeletesEveryId) {
    SMS::CUserInfo::instance()->userDir = "/users/u1";
    RecordingQueue store;
    const fakes::ScopedStore scoped("sendqueuemodify", &store);
    SMS::CSmsSendQueueMag view;
    const auto listed = [&view] {
        Packets out;
        view.getAllSendQueue(out);
        return idsOf(out);
    };
    store.stored = {packet(1, 2), packet(2), packet(3, 4), packet(4), packet(5, 8)};
    store.stored[1].state = Dmg::QueueData::kAccepted;
    store.stored[3].state = Dmg::QueueData::kFailed;
    view.addSendQueue({packet(99)});  // reloading replaces what was there
    EXPECT_EQ(1, view.loadSendMsg());
    EXPECT_EQ((Ids{1, 3, 5}), listed());
    int recipients = -1;
    EXPECT_EQ(1, view.delSendMsg({3, 5, 9}, recipients));  // 9 was never listed
    EXPECT_EQ(12, recipients);
    EXPECT_EQ(Ids{1}, listed());
    EXPECT_EQ((Ids{3, 5, 9}), store.deleted);
    const std::string open = "initialize(/users/u1/SQu.dll,Quenp19990812)";
    EXPECT_EQ((Texts{open, "loadAllQueue", "close", open, "delQueue", "close"}), store.calls);
    Dmg::QueueData untouched = packet(42);
    EXPECT_EQ(0, view.getSendQueue(3, untouched));
    EXPECT_EQ(42, untouched.recordId);
}

TEST(QueueViewLogs, PagesWithoutWrappingRound) {
    SMS::CSmsSendQueueMag view;
    for (int i = 0; i < 15; ++i) view.addLog(packet(i));
    const struct { int page, pageSize, result; Ids appended; } cases[] = {
        {0, 10, 1, range(0, 9)},  // a full page that is not the last
        {1, 10, 1, range(10, 14)},
        {2, 10, 0, {}},
        {1, 15, 0, {}},  // starts right after the last record
        {-1, 10, 0, {}},
        // 429496730 * 10 is 2^32 + 4: a 32-bit product would be page 4..13.
        {429496730, 10, 0, {}},
        {INT_MAX, INT_MAX, 0, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE("page " + std::to_string(c.page) + " size " + std::to_string(c.pageSize));
        Packets out = {packet(-7)};  // kept: the page is appended
        EXPECT_EQ(c.result, view.getLogs(c.page, c.pageSize, out));
        Ids expected = {-7};
        expected.insert(expected.end(), c.appended.begin(), c.appended.end());
        EXPECT_EQ(expected, idsOf(out));
    }
}

class QueueViewRegression : public QueueBase {};

// Of the packets deleted while a send runs, a queued one is never sent and
// leaves SQu.dll; the one the sender holds is sent all the same, keeps its
// row and reaches the history.
TEST_F(QueueViewRegression, DeletedPacketsDuringASend) {
    Dmg::CDataManager& data = Dmg::CDataManager::getSingleton();
    ASSERT_EQ(1, data.openUserData(dir.path()));
    const std::shared_ptr<void> closeData(nullptr, [&data](void*) { data.closeUserData(); });
    Packets packets = {packet(0), packet(0), packet(0)};
    Ids ids;
    ASSERT_TRUE(withQueue(dir.path(), [&](auto& q) { return q.writeQueue(packets, ids) == 1; }));
    ASSERT_EQ(3u, ids.size());
    for (std::size_t i = 0; i < ids.size(); ++i) packets[i].recordId = ids[i];
    auto gateway = useGateway({}, ids[0]);
    addSendQueue(packets);
    ASSERT_TRUE(gateway->hold.reached());
    SMS::CSmsSendQueueMag().delSendMsg({ids[0], ids[2]});
    gateway->hold.open();
    ASSERT_TRUE(waitIdle(*service));
    EXPECT_EQ((Ids{ids[0], ids[1]}), gateway->sent());
    EXPECT_EQ(1, log.count("发送队列: 数据包 " + std::to_string(ids[0]) + " 已在发送中, 未删除"));
    SMS::CSmsSendQueueMag left;
    left.loadSendMsg();
    EXPECT_EQ(0, left.getMsgNum());
    EXPECT_EQ(2u, allHistory().size());
}

}  // namespace
}  // namespace queuetest
