#include "contracts/platform/NamedEvent.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

namespace {

using Platform::NamedEvent;
using Result = NamedEvent::WaitResult;
using Clock = std::chrono::steady_clock;

// Runs `count` threads that each wait once and count releases. Gives them
// time to block, so that set() meets waiting threads. The long timeout keeps
// a lost wake-up from hanging the test.
struct Waiters {
    Waiters(NamedEvent& e, int count) : event(e) {
        for (int i = 0; i < count; ++i) {
            threads.emplace_back(
                [this] { released += event.wait(20000) == Result::Signalled; });
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    ~Waiters() {
        // Free any waiter a failed test left behind.
        for (size_t i = 0; i < threads.size(); ++i) {
            event.set();
        }
        for (auto& thread : threads) {
            thread.join();
        }
    }
    // Polls with a generous limit: true once `expected` waiters are released.
    bool reach(int expected) const {
        const auto deadline = Clock::now() + std::chrono::seconds(10);
        while (released.load() < expected && Clock::now() < deadline) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        return released.load() == expected;
    }
    NamedEvent& event;
    std::atomic<int> released{0};
    std::vector<std::thread> threads;
};

TEST(NamedEvent, SharesStateByNameOnlyWhileAlive) {
    NamedEvent a("platform-test-a", true, false);
    NamedEvent sameName("platform-test-a", false, false);  // keeps a's manual mode
    NamedEvent other("platform-test-b", false, false);
    NamedEvent unnamed("", false, false);
    a.set();
    EXPECT_EQ(other.wait(0), Result::TimedOut);
    EXPECT_EQ(unnamed.wait(0), Result::TimedOut);
    EXPECT_EQ(sameName.wait(0), Result::Signalled);
    EXPECT_EQ(sameName.wait(0), Result::Signalled);
    {
        NamedEvent gone("platform-test-gone", false, true);
    }
    EXPECT_EQ(NamedEvent("platform-test-gone", false, false).wait(0), Result::TimedOut);
}

TEST(NamedEvent, InitialSignalIsConsumedOnlyByAutoReset) {
    for (const bool manual : {false, true}) {
        SCOPED_TRACE(manual ? "manual" : "auto");
        NamedEvent event("", manual, true);
        EXPECT_EQ(event.wait(NamedEvent::kInfinite), Result::Signalled);
        EXPECT_EQ(event.wait(0), manual ? Result::Signalled : Result::TimedOut);
        event.reset();
        EXPECT_EQ(event.wait(0), Result::TimedOut);
    }
}

TEST(NamedEvent, TimedWaitTimesOutNoEarlier) {
    NamedEvent event("", false, false);
    const auto start = Clock::now();
    EXPECT_EQ(event.wait(50), Result::TimedOut);
    EXPECT_GE(Clock::now() - start, std::chrono::milliseconds(50));
}

TEST(NamedEvent, AutoResetReleasesOneWaiterPerSet) {
    NamedEvent event("platform-test-auto", false, false);
    Waiters waiters(event, 2);
    NamedEvent("platform-test-auto", false, false).set();
    ASSERT_TRUE(waiters.reach(1));
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_EQ(waiters.released.load(), 1) << "one set released a second waiter";
    EXPECT_EQ(event.wait(0), Result::TimedOut) << "the released waiter should have reset the event";
    event.set();
    EXPECT_TRUE(waiters.reach(2));
}

TEST(NamedEvent, ManualResetReleasesAllWaiters) {
    NamedEvent event("", true, false);
    Waiters waiters(event, 3);
    event.set();
    EXPECT_TRUE(waiters.reach(3));
    EXPECT_EQ(event.wait(0), Result::Signalled);
}

}  // namespace
