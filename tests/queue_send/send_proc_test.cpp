// The sending procedure against the recording stores and a scripted gateway.
#include "tests/queue_send/QueueFakes.h"

namespace queuetest {
namespace {

using Calls = std::vector<std::pair<int, int>>;

TEST_F(QueueTest, PacketsAreSentOrFailedAndMovedToHistory) {
    auto gateway = std::make_shared<ScriptedGateway>(std::set<int>{3, 4});
    useGateway(gateway);
    // 2 is rejected: failed without sending, and no question for it.
    SMS::CSmsSendLoadMag::instance()->addSendQueue({packet(1), packet(2, 1, 0, 1), packet(3), packet(4)});
    ASSERT_TRUE(waitIdle(*service));

    EXPECT_EQ((std::vector<int>{1, 3, 4}), gateway->sent());
    EXPECT_EQ((Calls{{1, 1}, {2, 0}, {3, 0}, {4, 0}}), model.statusCalls);
    EXPECT_EQ((std::vector<int>{1, 2, 3, 4}), doneIds());
    EXPECT_EQ((std::vector<std::string>{"refused 3"}), questions);
    EXPECT_EQ(0, aborted.load());
    EXPECT_EQ(1, log.count("写成功"));
    EXPECT_EQ(3, log.count("写成功-通讯失败"));
    EXPECT_EQ(1, log.count("send packet failed"));
    EXPECT_EQ(1, log.count("LogStart Sleep9--"));
    EXPECT_EQ(model.opens, model.closes);
    std::sort(model.history.begin(), model.history.end());
    EXPECT_EQ((std::vector<int>{1, 2, 3, 4}), model.history);
    EXPECT_TRUE(settings.sendFinished);
    EXPECT_TRUE(SMS::CSmsSendLoadMag::instance()->isFinished());
}

TEST_F(QueueTest, CallerStopsAfterTheFirstFailure) {
    useGateway(std::make_shared<ScriptedGateway>(std::set<int>{1}));
    stopOnFailure = 1;
    settings.onSendAborted = [this] {
        ++aborted;
        SMS::CSmsSendLoadMag::instance()->ClearAll();
    };
    SMS::CSmsSendLoadMag::instance()->addSendQueue({packet(1), packet(2), packet(3)});
    ASSERT_TRUE(waitIdle(*service));
    EXPECT_EQ((Calls{{1, 0}}), model.statusCalls);
    EXPECT_TRUE(doneIds().empty());
    EXPECT_EQ(1, aborted.load());
    EXPECT_EQ(1u, questions.size());
}

TEST_F(QueueTest, StopDuringALongQueueKeepsTheRestQueued) {
    useGateway(std::make_shared<ScriptedGateway>(std::set<int>{}));
    settings.packetPauseMs = 20;
    std::vector<Dmg::QueueData> packets;
    for (int id = 1; id <= 200; ++id) packets.push_back(packet(id));
    SMS::CSmsSendLoadMag::instance()->addSendQueue(packets);
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    service->stop();
    EXPECT_EQ(0, service->isActive());

    const std::size_t sent = model.statusCalls.size();
    int left = 0;
    Dmg::QueueData r;
    while (SMS::CSmsSendLoadMag::instance()->getHead(r)) left += r.skipFlag == 0 ? 1 : 0;
    EXPECT_LT(sent, 200u);
    EXPECT_EQ(200u, sent + left);
}

// Sends added while the previous sender is ending must still be sent.
TEST_F(QueueTest, BackToBackSendsAreAllSentAndMoved) {
    useGateway(std::make_shared<ScriptedGateway>(std::set<int>{}));
    for (int id = 1; id <= 60; ++id) {
        SMS::CSmsSendLoadMag::instance()->addSendQueue({packet(id)});
        if (id % 3 == 0) std::this_thread::sleep_for(std::chrono::microseconds(200 * (id % 7)));
    }
    ASSERT_TRUE(waitIdle(*service));
    EXPECT_EQ(60u, doneIds().size());
    EXPECT_EQ(60u, model.history.size());
    EXPECT_TRUE(model.finishedRows.empty());
}

}  // namespace
}  // namespace queuetest
