#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <stdexcept>
#include <thread>

#include "contracts/base/BaseNativeThread.h"
#include "contracts/base/CLogCapture.h"
#include "tests/fakes/WaitUntil.h"

namespace {

// A thread whose body is given by the test. (The service's tests cover a
// thread destroyed from its own procedure, and stop() cutting its pauses short.)
struct Worker : Base::BaseNativeThread {
    explicit Worker(std::function<void(Worker&)> b) : body(std::move(b)) {}
    ~Worker() override { stop(); }
    bool running() const { return m_bRun; }
    int threadProc_() override {
        ++runs;
        body(*this);
        return 0;
    }
    std::function<void(Worker&)> body;
    std::atomic<int> runs{0};
    std::atomic<bool> done{false};
};

}  // namespace

// Run 1 loops until stopped; the later ones return, stop themselves or throw.
TEST(BaseNativeThread, StopsLoopAndRestartsAfterEachWayOfEnding) {
    Base::CLogCapture capture;
    Worker w([](Worker& self) {
        while (self.runs == 1 && self.running()) std::this_thread::yield();
        if (self.runs == 3) self.stop();  // from the thread itself: must not wait for itself
        if (self.runs == 4) throw std::runtime_error("boom");
        if (self.runs == 5) throw 42;
    });
    EXPECT_FALSE(w.isActive());
    ASSERT_TRUE(w.start());
    EXPECT_TRUE(w.isActive());
    EXPECT_FALSE(w.start());  // already active
    w.stop();
    EXPECT_FALSE(w.isActive());  // the loop has ended
    for (int run = 2; run <= 5; ++run) {
        SCOPED_TRACE(run);
        ASSERT_TRUE(w.start());
        ASSERT_TRUE(fakes::waitUntil([&] { return !w.isActive(); }));
        EXPECT_EQ(w.runs, run);
    }
    const auto lines = capture.lines();
    ASSERT_EQ(lines.size(), 2u);  // one per exception
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(lines[i].level, 2);
        EXPECT_NE(lines[i].text.find(i ? "exception" : "boom"), std::string::npos) << lines[i].text;
    }
}

// A thread that stopped itself and goes on for a while must still be waited
// for by a later stop() (and the destructor), or it runs on freed memory.
TEST(BaseNativeThread, OutsideStopWaitsForAThreadThatStoppedItself) {
    std::atomic<bool> selfStopped{false};
    auto w = std::make_unique<Worker>([&selfStopped](Worker& self) {
        self.stop();
        selfStopped = true;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        self.done = true;
    });
    ASSERT_TRUE(w->start());
    ASSERT_TRUE(fakes::waitUntil([&] { return selfStopped.load(); }));
    w->stop();
    EXPECT_TRUE(w->done);
}
