// The sending procedure against the recording stores and a scripted gateway.
#include "queue/CSmsSendQueueMag.h"
#include "tests/queue_send/QueueFakes.h"

namespace queuetest {
namespace {

using Calls = std::vector<std::pair<int, int>>;

// Sent, refused and rejected packets are recorded and moved; the caller is
// asked about the first refusal of each run, and may stop the send there.
TEST_F(QueueTest, PacketsAreSentOrFailedAndMovedToHistory) {
    auto gateway = useGateway({3, 4, 5});
    // 2 is rejected: failed without sending, and no question for it.
    addSendQueue({packet(1), packet(2, 1, 0, 1), packet(3), packet(4)});
    ASSERT_TRUE(waitIdle(*service));
    EXPECT_EQ((Ids{1, 3, 4}), gateway->sent());
    EXPECT_EQ((Calls{{1, 1}, {2, 0}, {3, 0}, {4, 0}}), model.statusCalls);
    EXPECT_EQ((Ids{1, 2, 3, 4}), doneIds());
    const std::pair<const char*, int> lines[] = {
        {"写成功", 1}, {"写成功-通讯失败", 3}, {"send packet failed", 1}, {"LogStart Sleep9--", 1}};
    for (const auto& [text, n] : lines) EXPECT_EQ(n, log.count(text)) << text;
    EXPECT_EQ(model.opens, model.closes);
    EXPECT_EQ((Ids{1, 2, 3, 4}), sorted(model.history));
    EXPECT_TRUE(settings.sendFinished);
    EXPECT_TRUE(SMS::CSmsSendLoadMag::instance()->isFinished());

    // The next run asks again; this time the caller stops and empties the queue.
    stopOnFailure = 1;
    settings.onSendAborted = [this] { ++aborted, SMS::CSmsSendLoadMag::instance()->ClearAll(); };
    addSendQueue(packets(5, 7));
    ASSERT_TRUE(waitIdle(*service));
    EXPECT_EQ((Calls{{1, 1}, {2, 0}, {3, 0}, {4, 0}, {5, 0}}), model.statusCalls);
    EXPECT_EQ((Ids{1, 2, 3, 4}), doneIds());
    EXPECT_EQ((std::vector<std::string>{"refused 3", "refused 5"}), questions);
    EXPECT_EQ(1, aborted.load());
}

// stop() does not sit out a long pause; what is left stays queued, calling
// sendQueueData() directly resumes the send, and a send added meanwhile
// neither waits for it nor starts a second sender.
TEST_F(QueueTest, StopCutsThePauseShortAndSendQueueDataResumes) {
    auto gateway = useGateway({}, 2);
    settings.packetPauseMs = 60000;
    addSendQueue(packets(1, 50));
    ASSERT_TRUE(waitUntil([&] { return log.count("getHead 4") == 1; }));  // the summary, then the pause
    EXPECT_LT(timed([&] { service->stop(); }), std::chrono::seconds(20));
    EXPECT_EQ(0, service->isActive());
    EXPECT_TRUE(doneIds().empty());

    settings.packetPauseMs = 0;
    EXPECT_EQ(1, service->sendQueueData());
    EXPECT_EQ(1, service->WriteSendLog());
    ASSERT_TRUE(gateway->hold.reached());
    auto add = std::async(std::launch::async, [] { return addSendQueue({packet(51)}); });
    EXPECT_EQ(std::future_status::ready, add.wait_for(std::chrono::seconds(10)));
    gateway->hold.open();
    ASSERT_TRUE(allDone(51));
    ASSERT_TRUE(waitIdle(*service));
    EXPECT_EQ(range(1, 51), gateway->sent());
    EXPECT_EQ(range(1, 51), sorted(model.history));
}

// A status that cannot be written is kept, never shown as waiting, tried
// again before the next packet and at the end of the queue, and written once
// the store takes it again; the packet is sent once.
TEST_F(QueueTest, UnwritableStatusIsKeptAndWrittenLater) {
    auto gateway = useGateway({}, 3);
    model.failStatus = {2, 5};
    RecordingQueue viewStore;
    viewStore.stored = {packet(2)};
    const fakes::ScopedStore viewReg("sendqueuemodify", &viewStore);
    addSendQueue(packets(1, 5));
    ASSERT_TRUE(gateway->hold.reached());
    SMS::CSmsSendQueueMag view;
    view.loadSendMsg();
    EXPECT_EQ(0, view.getMsgNum());
    const auto heal = [this](int id) {
        const std::lock_guard<std::mutex> g(model.mutex);
        model.failStatus.erase(id);
    };
    heal(2);
    gateway->hold.open();
    // 4 + 1 failures for 2, 4 for 5, then it is tried at the end of the queue.
    ASSERT_TRUE(waitUntil([&] { return model.get(model.failedStatusCalls) >= 11; }));
    EXPECT_EQ(1, service->isSendThreadActive());  // still trying
    heal(5);
    ASSERT_TRUE(waitIdle(*service));
    EXPECT_EQ((Calls{{1, 1}, {3, 1}, {2, 1}, {4, 1}, {5, 1}}), model.statusCalls);
    EXPECT_EQ(range(1, 5), sorted(model.history));
    EXPECT_EQ(range(1, 5), gateway->sent());
    EXPECT_TRUE(SMS::CSmsSendLoadMag::instance()->unstoredIds().empty());
}

// Each callback of the sending thread may stop the service, or destroy it;
// the thread ends by itself, nothing is freed under it, and a later send
// sends what was left. (Destroying it while the caller's thread is still in
// one of its calls would be the caller's own race, so the test waits.)
TEST_F(QueueTest, CallbacksMayStopOrDestroyTheService) {
    enum class Via { Done, Question, Aborted, DestroyInDone };
    for (const Via via : {Via::Done, Via::Question, Via::Aborted, Via::DestroyInDone}) {
        SCOPED_TRACE(static_cast<int>(via));  // the service exists: the end of the loop remakes it
        std::atomic<int> left{0};
        SMS::setQueueHook([&left](SMS::QueuePoint p) { left += p == SMS::QueuePoint::SenderReturning; });
        auto gateway = useGateway({1});
        stopOnFailure = via == Via::Aborted ? 1 : 0;
        // added: the caller has left addSendQueue, and the service with it
        std::atomic<bool> once{false}, added{false};
        const auto stopHere = [&] {
            if (once.exchange(true)) return;
            if (via != Via::DestroyInDone) return static_cast<void>(service->stop());
            waitUntil([&] { return added.load(); });
            service.reset();
        };
        onDone = [&](int) { if (via == Via::Done || via == Via::DestroyInDone) stopHere(); };
        settings.onFirstSendFailure = [&](std::string&) { if (via == Via::Question) stopHere(); return stopOnFailure; };
        settings.onSendAborted = [&] { if (via == Via::Aborted) stopHere(); };
        addSendQueue(packets(1, 3));
        added = true;
        ASSERT_TRUE(waitUntil([&] { return left == 1; }));
        EXPECT_EQ(Ids{1}, gateway->sent());

        onDone = nullptr;
        if (!service) service = std::make_unique<CSendQueueService>();
        addSendQueue({packet(4)});
        ASSERT_TRUE(waitIdle(*service));
        EXPECT_EQ((Ids{1, 2, 3, 4}), gateway->sent());
        SMS::setQueueHook(nullptr);
    }
}

}  // namespace
}  // namespace queuetest
