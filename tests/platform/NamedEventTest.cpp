#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include "contracts/platform/NamedEvent.h"

namespace {

using Platform::NamedEvent;
using Result = NamedEvent::WaitResult;
using std::chrono::milliseconds;

TEST(NamedEvent, SharesStateByNameAndUnnamedIsPrivate) {
    NamedEvent a("platform-test-a", false, false);
    NamedEvent sameName("platform-test-a", false, false);
    NamedEvent unnamed("", false, false);
    a.set();
    EXPECT_EQ(unnamed.wait(0), Result::TimedOut);
    EXPECT_EQ(sameName.wait(0), Result::Signalled);
    EXPECT_EQ(a.wait(0), Result::TimedOut)
        << "the wait through the shared name should have consumed it";
}

TEST(NamedEvent, AutoResetWaitConsumesInitialSignalThenTimesOutNoEarlier) {
    NamedEvent event("", false, true);
    EXPECT_EQ(event.wait(NamedEvent::kInfinite), Result::Signalled);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(event.wait(50), Result::TimedOut);
    EXPECT_GE(std::chrono::steady_clock::now() - start, milliseconds(50));
}

// Waiters time out after 20 s, so a lost wake-up fails the test instead of hanging it.
TEST(NamedEvent, SetReleasesOneAutoResetWaiterOrAllManualResetWaiters) {
    for (const bool manual : {false, true}) {
        SCOPED_TRACE(manual ? "manual" : "auto");
        NamedEvent event("", manual, false);
        std::atomic<int> released{0};
        std::vector<std::thread> waiters;
        for (int i = 0; i < 2; ++i)
            waiters.emplace_back([&] { released += event.wait(20000) == Result::Signalled; });
        std::this_thread::sleep_for(milliseconds(50));  // let them block first
        event.set();
        if (!manual) {
            for (int i = 0; i < 10000 && released.load() == 0; ++i)
                std::this_thread::sleep_for(milliseconds(1));
            std::this_thread::sleep_for(milliseconds(100));
            EXPECT_EQ(released.load(), 1) << "one set of an auto-reset event released both waiters";
            event.set();
        }
        for (auto& waiter : waiters) waiter.join();
        EXPECT_EQ(released.load(), 2);
    }
}

}  // namespace
