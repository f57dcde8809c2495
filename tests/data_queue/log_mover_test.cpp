#include <gmock/gmock.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <thread>

#include "contracts/dmg/CDataManager.h"
#include "tests/data_queue/QueueTestKit.h"
#include "tests/fakes/LogCapture.h"

namespace {

using qtest::kPassword;

// prefix + a..e: a and b accepted, d failed (queued time unset), c and e
// waiting. With `timed`, a and d are timed packets of group 7, a with the
// service's key TM5.
std::vector<int> queueFive(const qtest::Files& f, const std::string& prefix = "",
                           bool timed = false) {
    std::vector<Dmg::QueueData> packets;
    for (const char* l : {"a", "b", "c", "d", "e"}) packets.push_back(qtest::packet(prefix + l));
    packets[3].queuedTime = Dmg::CSmsData();
    for (const int i : {0, 3}) packets[i].timerFlag = timed, packets[i].timerId = 7;
    const auto ids = qtest::enqueue(f, packets);
    Dmg::CSendQueueSerialize q;
    EXPECT_TRUE(!timed ||
                (q.initialize(f.squ, kPassword) == 1 && q.setServiceKey(ids[0], "TM5") == 1));
    q.close();
    EXPECT_TRUE(qtest::mark(f, ids[0], 1) && qtest::mark(f, ids[1], 1) &&
                qtest::mark(f, ids[3], 0));
    return ids;
}

// Step N of a pass fails: the pass is abandoned there (a crash: N = 6 is a
// crash between writeLog and deleteSendData), or every file is closed just
// before it. A clean pass then finishes the move, adding nothing twice: the
// accepted timed packet alone becomes one timed message, with its key.
TEST(LogMover, PassFailingAtAnyStepLosesAndDuplicatesNothing) {
    const qtest::Files f;
    for (int n = 1; n <= 9; ++n) {
        for (const bool crash : {true, false}) {
            const std::string name = std::to_string(n) + (crash ? " abandon " : " closed ");
            SCOPED_TRACE(name);
            queueFive(f, name, true);
            fakes::LogCapture quiet;
            qtest::pass(f, [&](int step, Dmg::CLogSendQueueSerialize& m) {
                if (step == n && !crash) m.closeHistoryDB(), m.closeSendQueueDB(), m.closeMainDB();
                return step != n || !crash;
            });
            ASSERT_TRUE(qtest::pass(f) && qtest::pass(f));
            EXPECT_EQ(qtest::where(f, name), "a:HT7TM5 b:H c:Q d:h e:Q ");
        }
    }
}

// A record id seen again, after the newest packet left the queue or after the
// queue file was replaced, is not taken for a packet already moved. (A failed
// history write keeps the packets queued: tests/faults, under every fault.)
TEST(LogMover, ReusedRecordIdsStillMove) {
    const qtest::Files f;
    queueFive(f);
    ASSERT_TRUE(qtest::pass(f));
    const int next = qtest::enqueue(f, {qtest::packet("f")}).at(0);
    ASSERT_TRUE(qtest::mark(f, next, 1) && qtest::pass(f));
    for (const char* end : {"", "-wal", "-shm"}) {
        // Windows removes no open file: there the library's idle connections
        // go first, as before a restore.
        std::error_code busy;
        if (!std::filesystem::remove(f.squ + end, busy) && busy) {
            Dmg::CDataManager::getSingleton().closeUserData();
            std::filesystem::remove(f.squ + end);
        }
    }
    const int first = qtest::enqueue(f, {qtest::packet("g")}).at(0);
    EXPECT_EQ(first, 1);  // a new file counts from the start again
    ASSERT_TRUE(qtest::mark(f, first, 1) && qtest::pass(f));
    EXPECT_EQ(qtest::where(f), "a:H b:H d:h f:H g:H ");  // c and e went with the file
}

// The sending worker, the log thread and the queue view on one SQu.dll at
// once, each with its own store object, opening and closing as they do.
TEST(QueueThreads, WriterMoverAndReaderShareTheQueue) {
    const qtest::Files f;
    std::vector<Dmg::QueueData> packets;
    for (int n = 1000; n < 1150; ++n) packets.push_back(qtest::packet(std::to_string(n)));
    const auto ids = qtest::enqueue(f, packets);
    ASSERT_TRUE(ids.size() == packets.size() && qtest::pass(f));  // keys derived up front
    std::string expected;  // the labels sort as they were queued
    for (std::size_t n = 0; n < ids.size(); ++n) {
        expected += packets[n].displayText + (ids[n] % 3 ? ":H " : ":h ");
    }
    fakes::LogCapture log;
    // All atomic, no lock: failures added to by every thread; writerDone set
    // by the writer, read by the mover; moverDone set by the mover, read by
    // the reader.
    std::atomic<int> failures{0};
    std::atomic<bool> writerDone{false}, moverDone{false};
    std::thread writer([&] {
        Dmg::CSendQueueSerialize q;
        for (const int id : ids) {
            failures +=
                q.initialize(f.squ, kPassword) != 1 || q.modifyStatus(id, id % 3 ? 1 : 0) != 1;
            q.close();
            std::this_thread::sleep_for(std::chrono::milliseconds(1));  // the packet pause
        }
        writerDone = true;
    });
    std::thread mover([&] {
        for (bool last = false; !last; std::this_thread::sleep_for(std::chrono::milliseconds(3))) {
            last = writerDone;  // read first: then this pass sees every mark
            failures += !qtest::pass(f);
        }
        moverDone = true;
    });
    std::thread reader([&] {
        for (Dmg::CSendQueueSerialize q; !moverDone; q.close()) {
            std::vector<Dmg::QueueData> seen;
            failures += q.initialize(f.squ, kPassword) != 1 || q.loadAllQueue(seen) != 1;
            failures += std::adjacent_find(seen.begin(), seen.end(), [](auto& a, auto& b) {
                            return a.recordId >= b.recordId;  // listed once each, in order
                        }) != seen.end();
        }
    });
    for (auto* t : {&writer, &mover, &reader}) t->join();
    EXPECT_EQ(failures, 0);
    EXPECT_TRUE(log.texts(2).empty());
    EXPECT_EQ(qtest::where(f), expected);
}

}  // namespace
