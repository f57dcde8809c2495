#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <stdexcept>
#include <thread>
#include <vector>

#include "contracts/base/BaseNativeThread.h"
#include "contracts/base/CLogCapture.h"

namespace {

// A thread whose body is given by the test.
class Worker : public Base::BaseNativeThread {
public:
    explicit Worker(std::function<int(Worker&)> body = {}) : body_(std::move(body)) {}
    Worker(const Worker& other) : BaseNativeThread(other), body_(other.body_) {}
    Worker& operator=(const Worker& other) {
        if (this == &other) return *this;  // keeps running: nothing to assign
        BaseNativeThread::operator=(other);
        body_ = other.body_;
        return *this;
    }
    ~Worker() override { stop(); }

    bool running() const { return m_bRun; }
    std::atomic<int> runs{0};

protected:
    int threadProc_() override {
        ++runs;
        return body_ ? body_(*this) : 0;
    }

private:
    std::function<int(Worker&)> body_;
};

// Generous: only a hang should fail it.
bool waitUntil(const std::function<bool()>& done) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

int loopUntilStopped(Worker& w) {
    while (w.running()) std::this_thread::yield();
    return 0;
}

}  // namespace

TEST(BaseNativeThread, StartRunsLoopUntilStop) {
    std::atomic<bool> release{false};
    std::atomic<bool> exited{false};
    Worker w([&](Worker& self) {
        while (!release || self.running()) std::this_thread::yield();
        exited = true;
        return 0;
    });
    EXPECT_FALSE(w.isActive());
    ASSERT_TRUE(w.start());
    EXPECT_TRUE(w.isActive());  // at once, even before the thread is scheduled
    EXPECT_TRUE(w.running());
    EXPECT_FALSE(w.start());    // already active
    release = true;
    EXPECT_TRUE(w.isActive());
    w.stop();
    EXPECT_TRUE(exited);
    EXPECT_FALSE(w.isActive());
    EXPECT_FALSE(w.running());
    EXPECT_EQ(w.runs, 1);
    w.stop();  // idempotent
}

TEST(BaseNativeThread, RestartsAfterThreadProcReturnsWithoutStop) {
    Worker w;
    for (int run = 1; run <= 3; ++run) {
        SCOPED_TRACE(run);
        ASSERT_TRUE(w.start());
        ASSERT_TRUE(waitUntil([&] { return !w.isActive(); }));
        EXPECT_EQ(w.runs, run);
    }
}

TEST(BaseNativeThread, StopFromInsideThreadProc) {
    std::atomic<bool> flagAfterStop{true};
    Worker w([&](Worker& self) {
        self.stop();
        flagAfterStop = self.running();
        return 0;
    });
    ASSERT_TRUE(w.start());
    ASSERT_TRUE(waitUntil([&] { return !w.isActive(); }));
    EXPECT_FALSE(flagAfterStop);
    // The detached thread does not block a new run.
    ASSERT_TRUE(w.start());
    ASSERT_TRUE(waitUntil([&] { return !w.isActive(); }));
    EXPECT_EQ(w.runs, 2);
}

TEST(BaseNativeThread, EveryConcurrentStopWaitsForTheThread) {
    std::atomic<bool> exited{false};
    Worker w([&](Worker& self) {
        loopUntilStopped(self);
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        self.stop();  // must not wait for the outside stops that are joining it
        exited = true;
        return 0;
    });
    ASSERT_TRUE(w.start());
    std::vector<std::thread> stoppers;
    std::atomic<int> sawExit{0};
    for (int i = 0; i < 3; ++i)
        stoppers.emplace_back([&] {
            w.stop();
            if (exited && !w.isActive()) ++sawExit;
        });
    for (auto& s : stoppers) s.join();
    EXPECT_EQ(sawExit, 3);
}

TEST(BaseNativeThread, ExceptionEndsThreadAndIsLogged) {
    const struct {
        const char* name;
        std::function<int(Worker&)> body;
        const char* expectedInLog;
    } cases[] = {
        {"std::exception", [](Worker&) -> int { throw std::runtime_error("boom"); }, "boom"},
        {"other", [](Worker&) -> int { throw 42; }, "exception"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Base::CLogCapture capture;
        Worker w(c.body);
        ASSERT_TRUE(w.start());
        ASSERT_TRUE(waitUntil([&] { return !w.isActive(); }));
        const auto lines = capture.lines();
        ASSERT_EQ(lines.size(), 1u);
        EXPECT_EQ(lines[0].level, 2);
        EXPECT_NE(lines[0].text.find(c.expectedInLog), std::string::npos) << lines[0].text;
        EXPECT_TRUE(w.start());  // still usable
    }
}

TEST(BaseNativeThread, DestructorStopsLoopingThread) {
    std::atomic<bool> exited{false};
    {
        Worker w([&](Worker& self) {
            loopUntilStopped(self);
            exited = true;
            return 0;
        });
        ASSERT_TRUE(w.start());
    }
    EXPECT_TRUE(exited);
}

TEST(BaseNativeThread, CopiesAreIdleAndAssignmentStopsTarget) {
    Worker running(loopUntilStopped);
    ASSERT_TRUE(running.start());

    Worker copy(running);
    EXPECT_FALSE(copy.isActive());
    EXPECT_FALSE(copy.running());
    EXPECT_TRUE(running.isActive());
    ASSERT_TRUE(copy.start());  // its own thread
    EXPECT_TRUE(copy.isActive());

    Worker idle;
    copy = idle;
    EXPECT_FALSE(copy.isActive());
    EXPECT_TRUE(running.isActive());
    running = running;  // self-assignment leaves it running
    EXPECT_TRUE(running.isActive());
}
