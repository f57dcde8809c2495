// The service: starting, replacing and stopping threads, the hand-over
// between the caller's thread and the workers, the event, the birthday
// callback, the log thread's end condition.
#include "tests/queue_send/QueueFakes.h"

#include <boost/function/function_base.hpp>

namespace queuetest {
namespace {

// The library reaches the caller's own service; stop without threads does
// nothing; the event starts signalled and later waits last 300 ms; the
// birthday callback runs once, a call that threw does not count.
TEST_F(QueueTest, ServiceSingletonEventAndBirthdayCallback) {
    EXPECT_EQ(service.get(), CSendQueueService::getSingletonPtr());
    EXPECT_EQ(1, service->stop());
    EXPECT_EQ(Texts{}, log.texts());
    const auto wait = [&] { service->waitforSendQueue(); };
    EXPECT_LT(timed(wait), std::chrono::milliseconds(250));  // takes the initial signal
    EXPECT_GE(timed(wait), std::chrono::milliseconds(290));
    EXPECT_THROW(service->callBirthdayFun(), boost::bad_function_call);
    int calls = 0;
    service->birthdayFun = [&calls] { ++calls; };
    service->callBirthdayFun();
    service->callBirthdayFun();
    EXPECT_EQ(1, calls);
}

TEST_F(QueueTest, RunningThreadsAreNotReplacedAndEndedOnesAre) {
    auto gateway = useGateway({}, 1);  // the sender stays at packet 1
    addSendQueue({packet(1)});
    ASSERT_TRUE(gateway->hold.reached());
    log.clear();
    EXPECT_EQ(0, service->sendQueueData());
    EXPECT_EQ(2, log.count("WriteSendLog 0"));
    // Two idle passes later the log thread still waits for the sender.
    ASSERT_TRUE(waitUntil([&] { return log.count("LogStart Sleep6--") >= 2; }));
    EXPECT_EQ(1, service->isWriteThreadActive());
    gateway->hold.open();
    ASSERT_TRUE(waitIdle(*service));
    log.clear();
    EXPECT_EQ(1, service->WriteSendLog());
    Texts lines = log.texts(0);
    lines.resize(5);
    EXPECT_EQ((Texts{"WriteSendLog 0", "isWriteThreadActive 0", "isWriteThreadActive 1",
                     "isWriteThreadActive 2", "WriteSendLog 4"}), lines);
    EXPECT_EQ(1, service->sendQueueData());  // the ended sender is replaced
    ASSERT_TRUE(waitIdle(*service));
}

// A send added after the sender recorded its end, while its thread is still
// returning, gets a new sender; the old thread records nothing more, so the
// new run is not marked finished and the next add does not wait.
TEST_F(QueueTest, SendAddedWhileTheSenderReturnsIsSentByANewOne) {
    Gate leaving;
    holdFirst(SMS::QueuePoint::SenderReturning, leaving);
    auto gateway = useGateway({}, 2);
    addSendQueue({packet(1)});
    ASSERT_TRUE(leaving.reached());
    auto add = std::async(std::launch::async, [] { return addSendQueue({packet(2)}); });
    ASSERT_EQ(std::future_status::ready, add.wait_for(std::chrono::seconds(10)));
    ASSERT_TRUE(gateway->hold.reached());  // the new sender is at packet 2
    leaving.open();
    std::this_thread::sleep_for(std::chrono::milliseconds(100));  // the old thread returns
    EXPECT_FALSE(SMS::CSmsSendLoadMag::instance()->isFinished());
    auto again = std::async(std::launch::async, [] { return addSendQueue({packet(3)}); });
    EXPECT_EQ(std::future_status::ready, again.wait_for(std::chrono::seconds(10)));
    gateway->hold.open();
    ASSERT_TRUE(waitIdle(*service));
    EXPECT_EQ((Ids{1, 2, 3}), gateway->sent());
    EXPECT_EQ((Ids{1, 2, 3}), model.get(model.history));
}

// The sender finds the queue empty and records its end in one step under the
// queue lock: a send added in between waits for that step and then starts a
// new sender, instead of being left to a sender that is leaving.
TEST_F(QueueTest, SendAddedWhileTheSenderDecidesToEndIsSent) {
    Gate deciding;
    holdFirst(SMS::QueuePoint::SenderEnding, deciding);
    // The sender decides under the lock this thread's first add takes too:
    // packet 1 waits at the gateway until that add has returned.
    const auto gateway = useGateway({}, 1);
    addSendQueue({packet(1)});
    gateway->hold.open();
    ASSERT_TRUE(deciding.reached());
    auto add = std::async(std::launch::async, [] { return addSendQueue({packet(2)}); });
    add.wait_for(std::chrono::milliseconds(200));  // returns early only without the lock
    deciding.open();
    add.wait();
    ASSERT_TRUE(waitIdle(*service));
    EXPECT_EQ((Ids{1, 2}), doneIds());
}

// The log thread asks whether the sender has left before its last read: a
// status committed by a sender that goes on after the caller chose to stop
// is moved, not left behind.
TEST_F(QueueTest, LogThreadMovesTheLastStatusBeforeEnding) {
    auto gateway = useGateway({1}, 2);
    stopOnFailure = 1;  // finished is set while packet 2 is still to be sent
    int emptyReads = 0;
    model.onRead = [&](const Ids& found) {
        // The second empty read after the caller chose to stop lets the sender
        // finish packet 2 and leave, then answers "nothing".
        const bool finished = SMS::CSmsSendLoadMag::instance()->isFinished();
        emptyReads = found.empty() && finished ? emptyReads + 1 : 0;
        if (emptyReads != 2) return;
        gateway->hold.open();
        waitUntil([&] { return service->isSendThreadActive() == 0; });
    };
    addSendQueue(packets(1, 2));
    ASSERT_TRUE(waitIdle(*service));
    EXPECT_EQ((Ids{1, 2}), sorted(model.get(model.history)));
    EXPECT_TRUE(model.get(model.finishedRows).empty());
}

// While the history refuses its rows, or takes them and keeps nothing, the
// log thread backs off instead of spinning, says so once, keeps every packet
// queued, and moves them all once the history heals.
TEST_F(QueueTest, LogThreadBacksOffWhileTheHistoryFails) {
    useGateway();
    // One lost packet: a growing set of rows is not the same rows found again.
    const struct { int fails, first, last; } cases[] = {{QueueModel::kRefused, 1, 5},
                                                         {QueueModel::kLost, 6, 6}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.fails);
        model.historyFails = c.fails;  // no thread runs
        model.writeLogCalls = 0;
        addSendQueue(packets(c.first, c.last));
        ASSERT_TRUE(allDone(c.last));
        ASSERT_TRUE(waitUntil([&] { return !service->isSendThreadActive(); }));
        EXPECT_EQ(1, service->isActive());  // the log thread alone
        std::this_thread::sleep_for(std::chrono::milliseconds(1500));
        {
            const std::lock_guard<std::mutex> g(model.mutex);
            EXPECT_LE(model.writeLogCalls, 8);  // 300, 600, 1200 ms apart; spinning makes thousands
            EXPECT_EQ(static_cast<std::size_t>(c.last - c.first + 1), model.finishedRows.size());
            model.historyFails = 0;
        }
        ASSERT_TRUE(waitIdle(*service));
        EXPECT_EQ(range(1, c.last), model.get(model.history));
        EXPECT_EQ(c.fails, log.count("发送记录无法移入历史记录, 已发送的数据包留在发送队列中, 稍后重试"));
        EXPECT_EQ(c.fails, log.count("发送记录已恢复移入历史记录"));
    }
}

}  // namespace
}  // namespace queuetest
