// The service: starting, replacing and stopping threads, the event, the
// birthday callback, the log thread's end condition.
#include "tests/queue_send/QueueFakes.h"

#include <boost/function/function_base.hpp>

namespace queuetest {
namespace {

using Texts = std::vector<std::string>;

TEST_F(QueueTest, SingletonIsTheConstructedService) {
    EXPECT_EQ(service.get(), CSendQueueService::getSingletonPtr());
    EXPECT_EQ(1, service->stop());  // no threads: nothing else happens
    EXPECT_EQ(0, service->isActive());
}

TEST_F(QueueTest, RunningThreadsAreNotReplacedAndEndedOnesAre) {
    useGateway(std::make_shared<ScriptedGateway>(std::set<int>{}));
    settings.packetPauseMs = 400;  // the sender sleeps after its packet; finished stays clear
    SMS::CSmsSendLoadMag::instance()->addSendQueue({packet(1)});
    std::this_thread::sleep_for(std::chrono::milliseconds(350));
    log.clear();
    EXPECT_EQ(0, service->sendQueueData());
    EXPECT_EQ(2, log.count("WriteSendLog 0"));
    // More than one idle pass later the log thread still waits for the sender.
    EXPECT_EQ(1, service->isWriteThreadActive());
    ASSERT_TRUE(waitIdle(*service));
    EXPECT_EQ(1, log.count("LogStart Sleep9--"));

    log.clear();
    EXPECT_EQ(1, service->WriteSendLog());
    const Texts lines = log.texts(0);
    ASSERT_GE(lines.size(), 5u);
    EXPECT_EQ((Texts{"WriteSendLog 0", "isWriteThreadActive 0", "isWriteThreadActive 1", "isWriteThreadActive 2",
                     "WriteSendLog 4"}),
              Texts(lines.begin(), lines.begin() + 5));
    EXPECT_EQ(1, service->sendQueueData());  // the ended sender is joined and replaced
    ASSERT_TRUE(waitIdle(*service));
}

TEST_F(QueueTest, EventWaitConsumesTheInitialSignal) {
    using Clock = std::chrono::steady_clock;
    auto t0 = Clock::now();
    service->waitforSendQueue();
    EXPECT_LT(Clock::now() - t0, std::chrono::milliseconds(250));
    t0 = Clock::now();
    service->waitforSendQueue();
    EXPECT_GE(Clock::now() - t0, std::chrono::milliseconds(290));
}

TEST_F(QueueTest, BirthdayCallbackRunsOnce) {
    EXPECT_THROW(service->callBirthdayFun(), boost::bad_function_call);
    int calls = 0;
    service->birthdayFun = [&calls] { ++calls; };
    service->callBirthdayFun();  // the failed call did not count
    service->callBirthdayFun();
    EXPECT_EQ(1, calls);
}

}  // namespace
}  // namespace queuetest
