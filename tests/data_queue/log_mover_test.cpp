#include <sqlite3.h>

#include <atomic>
#include <cctype>
#include <chrono>
#include <filesystem>
#include <set>
#include <thread>
#include <utility>

#include "tests/data_queue/QueueTestKit.h"
#include "tests/fakes/LogCapture.h"

namespace {

using qtest::kPassword;

// prefix + a..e: a and b accepted, d failed (queued time unset), c and e waiting.
std::vector<int> queueFive(const qtest::Files& f, const std::string& prefix = "") {
    std::vector<Dmg::QueueData> packets;
    for (const char* l : {"a", "b", "c", "d", "e"}) packets.push_back(qtest::packet(prefix + l));
    packets[3].queuedTime = Dmg::CSmsData();
    const auto ids = qtest::enqueue(f, packets);
    EXPECT_TRUE(qtest::mark(f, ids[0], 1) && qtest::mark(f, ids[1], 1) &&
                qtest::mark(f, ids[3], 0));
    return ids;
}

const std::string kMoved = "a:H b:H c:Q d:h e:Q ";

// Step N of a pass fails: the pass is abandoned there (a crash: N = 6 is a
// crash between writeLog and deleteSendData), or every file is closed just
// before it. A clean pass then finishes the move, adding nothing twice.
TEST(LogMover, PassFailingAtAnyStepLosesAndDuplicatesNothing) {
    fakes::TempDir dir;
    const qtest::Files f(dir);
    for (int n = 1; n <= 9; ++n) {
        for (const bool abandon : {true, false}) {
            const std::string name = std::to_string(n) + (abandon ? " abandon " : " closed ");
            SCOPED_TRACE(name);
            queueFive(f, name);
            fakes::LogCapture quiet;
            qtest::pass(f, [&](int step, Dmg::CLogSendQueueSerialize& m) {
                if (step == n && !abandon)
                    m.closeSendQueueDB(), m.closeHistoryDB(), m.closeMainDB();
                return step != n || !abandon;
            });
            ASSERT_TRUE(qtest::pass(f) && qtest::pass(f));
            EXPECT_EQ(qtest::where(f, name), kMoved);
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
    static char letter(sqlite3_file* f, char a) { return char(a + (f->pMethods - methods)); }
    static int write(sqlite3_file* f, const void* data, int size, sqlite3_int64 at) {
        events += letter(f, 'a');
        return realMethods->xWrite(f, data, size, at);
    }
    static int sync(sqlite3_file* f, int how) {
        events += letter(f, 'A');
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
    fakes::TempDir dir;
    const qtest::Files f(dir);
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
    const std::string seen = events.take();
    const std::string beforeDelete = seen.substr(0, seen.find('s'));
    EXPECT_NE(beforeDelete.find('h'), std::string::npos) << seen;
    EXPECT_EQ(beforeDelete.back(), 'H') << seen;
    EXPECT_NE(seen.find('s'), std::string::npos) << seen;
}

TEST(LogMover, FailedHistoryWriteKeepsPacketsQueued) {
    fakes::TempDir dir;
    const qtest::Files f(dir);
    const auto ids = queueFive(f);
    ASSERT_TRUE(qtest::pass(f) && qtest::mark(f, ids[2], 1) && qtest::mark(f, ids[4], 1));
    ASSERT_TRUE(qtest::rawExec(f.hlog,
                               "CREATE TRIGGER boom BEFORE INSERT ON history WHEN "
                               "NEW.first_text = CAST('e' AS BLOB) "
                               "BEGIN SELECT RAISE(ABORT, 'boom'); END"));
    fakes::LogCapture log;
    EXPECT_FALSE(qtest::pass(f));  // c's row goes back with e's
    EXPECT_FALSE(log.texts(2).empty());
    EXPECT_EQ(qtest::where(f), "a:H b:H c:q d:h e:q ");
    ASSERT_TRUE(qtest::rawExec(f.hlog, "DROP TRIGGER boom") && qtest::pass(f));
    EXPECT_EQ(qtest::where(f), "a:H b:H c:H d:h e:H ");
}

// A record id seen again, after the newest packet left the queue or after the
// queue file was replaced, must not be taken for a packet already moved.
TEST(LogMover, ReusedRecordIdsDoNotCollideWithEarlierHistory) {
    fakes::TempDir dir;
    const qtest::Files f(dir);
    std::vector<int> ids;
    for (const std::string label : {"first", "second", "third"}) {
        for (const char* end : {"", "-wal", "-shm"}) {
            if (label == "third") std::filesystem::remove(f.squ + end);
        }
        ids.push_back(qtest::enqueue(f, {qtest::packet(label)}).at(0));
        ASSERT_TRUE(qtest::mark(f, ids.back(), 1) && qtest::pass(f));
    }
    EXPECT_LT(ids[0], ids[1]);
    EXPECT_EQ(ids[2], ids[0]);  // a new file counts from the start again
    EXPECT_EQ(qtest::where(f), "first:H second:H third:H ");
}

// The sending worker, the log thread and the queue view on one SQu.dll at
// once, each with its own store object, opening and closing as they do.
TEST(QueueThreads, WriterMoverAndReaderShareTheQueue) {
    fakes::TempDir dir;
    const qtest::Files f(dir);
    std::vector<Dmg::QueueData> packets;
    for (int n = 1000; n < 1150; ++n) packets.push_back(qtest::packet(std::to_string(n)));
    const auto ids = qtest::enqueue(f, packets);
    ASSERT_TRUE(ids.size() == packets.size() && qtest::pass(f));  // keys derived up front
    std::string expected;  // the labels sort as they were queued
    for (std::size_t n = 0; n < ids.size(); ++n) {
        expected += packets[n].displayText + (ids[n] % 3 ? ":H " : ":h ");
    }
    fakes::LogCapture log;
    std::atomic<int> failures{0};
    std::atomic<bool> writerDone{false}, moverDone{false};
    std::thread writer([&] {
        Dmg::CSendQueueSerialize q;
        for (const int id : ids) {
            failures += q.initialize(f.squ, kPassword) != 1;
            failures += q.modifyStatus(id, id % 3 == 0 ? 0 : 1) != 1;
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
            std::set<int> unique;
            for (const auto& p : seen) unique.insert(p.recordId);
            failures += unique.size() != seen.size();
        }
    });
    for (auto* t : {&writer, &mover, &reader}) t->join();
    EXPECT_EQ(failures, 0);
    EXPECT_TRUE(log.texts(2).empty());
    EXPECT_EQ(qtest::where(f), expected);
}

}  // namespace
