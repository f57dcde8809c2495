#include <gmock/gmock.h>
#include <sqlite3.h>

#include <atomic>
#include <cctype>
#include <chrono>
#include <filesystem>
#include <thread>
#include <utility>

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

// Records the writes and syncs of write-ahead logs opened while it lives, one
// letter per event: the first letter of the log's name, lower case for a
// write, upper case for a sync ("hhH": two writes to HLog.dll-wal, a sync).
// Its default VFS gives each log a copy of the methods, one per letter, that
// notes the event and passes the call on. One thread at a time.
class WalEvents {
public:
    WalEvents() {
        vfs = *real, vfs.zName = "wal-events", vfs.xOpen = open;
        sqlite3_vfs_register(&vfs, 1);
    }
    ~WalEvents() { sqlite3_vfs_register(real, 1); }  // files already open keep their copy
    std::string take() { return std::exchange(events, ""); }

private:
    static int open(sqlite3_vfs*, const char* name, sqlite3_file* file, int flags, int* out) {
        const int rc = real->xOpen(real, name, file, flags, out);
        const std::string path = name && (flags & SQLITE_OPEN_WAL) ? name : "";
        const int first = path.empty() ? 0 : std::tolower(path[path.rfind('/') + 1]);
        if (rc == SQLITE_OK && file->pMethods && std::islower(first)) {
            realMethods = file->pMethods;
            for (auto& m : methods) m = *realMethods, m.xWrite = write, m.xSync = sync;
            file->pMethods = &methods[first - 'a'];
        }
        return rc;
    }
    static int write(sqlite3_file* f, const void* data, int size, sqlite3_int64 at) {
        events += char('a' + (f->pMethods - methods));
        return realMethods->xWrite(f, data, size, at);
    }
    static int sync(sqlite3_file* f, int how) {
        events += char('A' + (f->pMethods - methods));
        return realMethods->xSync(f, how);
    }

    static inline sqlite3_vfs* const real = sqlite3_vfs_find(nullptr);
    static inline sqlite3_vfs vfs{};
    static inline const sqlite3_io_methods* realMethods = nullptr;
    static inline sqlite3_io_methods methods[26]{};
    static inline std::string events;
};

// Regression: the history commit stayed in the write-ahead log unsynced while
// the queue rows were deleted, so a power cut could lose a packet from both
// files. The history log is synced after its last write, before the queue's
// log is first written.
TEST(LogMover, HistoryIsOnDiskBeforeQueueRowsAreDeleted) {
    const qtest::Files f;
    WalEvents events;  // before the files are opened
    const auto q = queueFive(f);
    Dmg::CLogSendQueueSerialize m;
    std::vector<Dmg::QueueData> records(1);
    std::vector<int> ids = {-1};
    ASSERT_TRUE(m.initializeHistroyDB(f.hlog, kPassword) == 1 &&
                m.initializeSendQueueDB(f.squ, kPassword) == 1 &&
                m.getAllSendData(records, ids) == 1);
    EXPECT_EQ(ids, (std::vector<int>{-1, q[0], q[1], q[3]}));  // appended
    EXPECT_TRUE(records.size() == 4 && records[3].recordId == q[3]);
    events.take();
    ASSERT_TRUE(m.writeLog(records) == 1 && m.deleteSendData(ids) == 1);
    EXPECT_THAT(events.take(), testing::MatchesRegex("[^s]*h[^s]*Hs.*"));
}

TEST(LogMover, FailedHistoryWriteKeepsPacketsAndReusedIdsStillMove) {
    const qtest::Files f;
    const auto ids = queueFive(f);
    ASSERT_TRUE(qtest::pass(f) && qtest::mark(f, ids[2], 1) && qtest::mark(f, ids[4], 1));
    ASSERT_TRUE(qtest::rawExec(f.hlog,
                               "CREATE TRIGGER boom BEFORE INSERT ON history WHEN NEW."
                               "first_text = x'65' BEGIN SELECT RAISE(ABORT, 'e'); END"));
    fakes::LogCapture log;
    EXPECT_FALSE(qtest::pass(f));  // c's row goes back with e's
    EXPECT_FALSE(log.texts(2).empty());
    EXPECT_EQ(qtest::where(f), "a:H b:H c:q d:h e:q ");
    ASSERT_TRUE(qtest::rawExec(f.hlog, "DROP TRIGGER boom") && qtest::pass(f));
    EXPECT_EQ(qtest::where(f), "a:H b:H c:H d:h e:H ");
    // A record id seen again, after the newest packet left the queue or after
    // the queue file was replaced, is not taken for a packet already moved.
    const int next = qtest::enqueue(f, {qtest::packet("f")}).at(0);
    ASSERT_TRUE(qtest::mark(f, next, 1) && qtest::pass(f));
    for (const char* end : {"", "-wal", "-shm"}) std::filesystem::remove(f.squ + end);
    const int first = qtest::enqueue(f, {qtest::packet("g")}).at(0);
    EXPECT_EQ(first, 1);  // a new file counts from the start again
    ASSERT_TRUE(qtest::mark(f, first, 1) && qtest::pass(f));
    EXPECT_EQ(qtest::where(f), "a:H b:H c:H d:h e:H f:H g:H ");
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
