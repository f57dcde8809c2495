#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "contracts/platform/CriticalSection.h"

namespace {

using Platform::CriticalSection;

TEST(CriticalSection, ReentrantOwnerAndExcludesOtherThreads) {
    CriticalSection cs;
    cs.enter();
    ASSERT_TRUE(cs.tryEnter());
    cs.leave();
    std::thread([&] {
        EXPECT_FALSE(cs.tryEnter() && (cs.leave(), true))
            << "one leave short of the enters must still hold it";
    }).join();
    cs.leave();
    std::thread([&] { EXPECT_TRUE(cs.tryEnter() && (cs.leave(), true)); }).join();

    long counter = 0;  // guarded only by cs; a data race shows as a lost update
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&] {
            for (int i = 0; i < 5000; ++i) {
                const CriticalSection::Guard outer(cs), nested(cs);
                ++counter;
            }
        });
    }
    for (auto& thread : threads) thread.join();
    EXPECT_EQ(counter, 4 * 5000);
}

}  // namespace
