// Two log threads in turn: one that is ending while a send starts the next.
#include "tests/queue_send/QueueFakes.h"

namespace queuetest {
namespace {

// The log threads' store, counting the passes that have the databases open.
class PassCountingLog : public FakeLogQueue {
public:
    using FakeLogQueue::FakeLogQueue;
    int initializeHistroyDB(const std::string&, const std::string&) override {
        const int now = ++open_;
        for (int seen = maxOpen.load(); now > seen && !maxOpen.compare_exchange_weak(seen, now);) {
        }
        return 1;
    }
    int closeMainDB() override { return --open_, 1; }
    std::atomic<int> maxOpen{0};

private:
    std::atomic<int> open_{0};
};

// The ending thread is held with the databases open before its last read; a
// send then starts a new log thread, whose first pass waits for it: one store
// object serves both.
TEST_F(QueueBase, NewLogThreadWaitsForTheEndingOnesLastRead) {
    QueueModel model;
    FakeSendQueue sendStore{model};
    PassCountingLog logStore{model};
    fakes::ScopedStore sendReg{"sendqueuemodifyW", &sendStore}, logReg{"logsendqueue", &logStore};
    Gate lastRead;
    std::atomic<int> lastReads{0};
    std::atomic<bool> waited{false};
    SMS::setQueueHook([&](SMS::QueuePoint p) {
        if (p == SMS::QueuePoint::LoggerLastRead && lastReads++ == 0) lastRead.pass();
        if (p == SMS::QueuePoint::LoggerWaitsForPass) waited = true;
    });
    useGateway();
    addSendQueue({packet(1)});
    ASSERT_TRUE(lastRead.reached());
    addSendQueue({packet(2)});
    const bool turnTaken = waitUntil([&] { return waited || logStore.maxOpen >= 2; });
    lastRead.open();
    EXPECT_TRUE(turnTaken);
    EXPECT_TRUE(waited);
    EXPECT_TRUE(waitIdle(*service));
    service.reset();  // before the stores go
    EXPECT_EQ(1, logStore.maxOpen.load());
    EXPECT_EQ((Ids{1, 2}), sorted(model.history));
}

}  // namespace
}  // namespace queuetest
