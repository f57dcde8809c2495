#include "contracts/platform/CriticalSection.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

namespace {

using Platform::CriticalSection;

bool enterableFromOtherThread(CriticalSection& cs) {
    bool entered = false;
    std::thread([&] { entered = cs.tryEnter() && (cs.leave(), true); }).join();
    return entered;
}

TEST(CriticalSection, OwnerReentersAndHoldsUntilLastLeave) {
    CriticalSection cs;
    cs.enter();
    ASSERT_TRUE(cs.tryEnter());
    cs.leave();
    EXPECT_FALSE(enterableFromOtherThread(cs)) << "one leave short of the enters must still hold it";
    cs.leave();
    EXPECT_TRUE(enterableFromOtherThread(cs));
}

TEST(CriticalSection, ExcludesOtherThreads) {
    CriticalSection cs;
    long counter = 0;  // guarded only by cs
    std::atomic<int> inside{0};
    std::atomic<int> overlaps{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&] {
            for (int i = 0; i < 5000; ++i) {
                const CriticalSection::Guard outer(cs);
                const CriticalSection::Guard nested(cs);
                overlaps += ++inside != 1;
                ++counter;
                --inside;
            }
        });
    }
    for (auto& thread : threads) {
        thread.join();
    }
    EXPECT_EQ(counter, 4 * 5000);
    EXPECT_EQ(overlaps.load(), 0);
}

}  // namespace
