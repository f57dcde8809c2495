// Every writing store operation under file faults: for each kind of call and
// N = 1, 2, ... the N-th call fails, on a user folder copied afresh, until N
// passes the calls the operation makes. After each failure the operation
// says so (0 and a log line), the files hold the data from before (or, for
// the log move, a state between its transactions), pass the integrity check,
// and the operation succeeds when run again.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "components/data/engine/Connection.h"
#include "contracts/dmg/CDataManager.h"
#include "contracts/dmg/CHistoryLogSerialize.h"
#include "contracts/dmg/CLocalDataSerialize.h"
#include "contracts/dmg/CLogSendQueueSerialize.h"
#include "contracts/dmg/CRejectWordsDataSerialize.h"
#include "contracts/dmg/CSendQueueSerialize.h"
#include "contracts/dmg/UserConfigSerialize.h"
#include "tests/fakes/LogCapture.h"
#include "tests/fakes/TempDir.h"
#include "tests/faults/FaultVfs.h"

namespace {

using faults::Kind;
using Strings = std::vector<std::string>;
using Q = Dmg::CSendQueueSerialize;
using H = Dmg::CHistoryLogSerialize;
using M = Dmg::CLocalDataSerialize;
using W = Dmg::CRejectWordsDataSerialize;
using C = Dmg::UserConfigSerialize;

const std::string kPassword = "Quenp19990812";
const Strings kFiles = {"Main.dll", "SQu.dll", "HLog.dll"};
const Dmg::CSmsData kTime{2024, 5, 6, 7, 8};

// The library keeps idle connections; closing the user data closes them, so
// the next store opens the files afresh.
void dropPooledConnections() { Dmg::CDataManager::getSingleton().closeUserData(); }

// Every row of every table of the file, as text in a fixed order, read
// through a connection of the test's own (outside the library's pool), and
// whether the file passes the integrity check.
struct Contents {
    std::string rows;
    std::string sequences;  // the AUTOINCREMENT counters
    bool intact = false;
    bool operator==(const Contents& o) const { return rows == o.rows && sequences == o.sequences; }
};

// Each row as its cells' types and bytes, "|" after each cell.
Strings query(sqlite3* db, const std::string& sql) {
    Strings rows;
    sqlite3_stmt* s = nullptr;
    if (sqlite3_prepare_v2(db, sql.c_str(), -1, &s, nullptr) != SQLITE_OK) return {"error"};
    int rc;
    while ((rc = sqlite3_step(s)) == SQLITE_ROW) {
        std::string row;
        for (int c = 0; c < sqlite3_column_count(s); ++c) {
            const int type = sqlite3_column_type(s, c);  // before a conversion changes it
            const auto* bytes = static_cast<const char*>(sqlite3_column_blob(s, c));
            row += std::to_string(type) + ":" +
                   std::string(bytes ? bytes : "", bytes ? sqlite3_column_bytes(s, c) : 0) + "|";
        }
        rows.push_back(row);
    }
    sqlite3_finalize(s);
    if (rc != SQLITE_DONE) rows.push_back("error");
    return rows;
}

// Contents by file name.
using State = std::map<std::string, Contents>;

Contents contents(const std::string& path) {
    const auto c = Dmg::engine::Connection::open(path, kPassword);
    if (!c) return {"cannot open", "", false};
    Contents out;
    // Names come back as "3:<name>|".
    for (const auto& table :
         query(c->db(), "SELECT name FROM sqlite_master WHERE type = 'table' ORDER BY 1")) {
        const std::string name = table.substr(2, table.size() - 3);
        Strings rows = query(c->db(), "SELECT * FROM \"" + name + "\"");
        std::sort(rows.begin(), rows.end());
        std::string& text = name == "sqlite_sequence" ? out.sequences : out.rows;
        text += name + ":\n";
        for (const auto& row : rows) text += "  " + row + "\n";
    }
    out.intact = query(c->db(), "PRAGMA integrity_check") == Strings{"3:ok|"};
    return out;
}

// The prepared user folder, once with the files alone (as closeUserData
// leaves them) and once with recent data still in -wal files beside them (as
// a crash leaves them), and the folder each run works on.
struct Folders {
    fakes::TempDir prepared, crashed, work;

    // Brings the work folder back to one of the prepared ones.
    void reset(bool afterCrash) const {
        dropPooledConnections();
        for (const auto& entry : std::filesystem::directory_iterator(work.path()))
            std::filesystem::remove(entry.path());
        const fakes::TempDir& from = afterCrash ? crashed : prepared;
        for (const auto& entry : std::filesystem::directory_iterator(from.path())) {
            std::filesystem::copy_file(entry.path(), work.file(entry.path().filename().string()));
        }
    }

    State read(const Strings& files) const {
        State all;
        for (const auto& file : files) all[file] = contents(work.file(file));
        return all;
    }
};

Dmg::QueueData packet(const std::string& label, int timerFlag = 0) {
    Dmg::QueueData p;
    p.displayText = label, p.packetText = "packet " + label, p.queuedTime = kTime;
    p.phoneList = "13800138000,13900139000,", p.timerFlag = timerFlag;
    if (timerFlag != 0) p.timerData = {2030, 1, 2, 9, 0};
    return p;
}

Dmg::CFriend contact(const std::string& name, const std::string& mobile) {
    Dmg::CFriend c;
    c.getFirendStrut().name = name, c.getFirendStrut().mobile = mobile;
    return c;
}

Dmg::CWord phrase(const std::string& text) {
    Dmg::CWord w;
    w.getWordStrut().content = text, w.getWordStrut().addTime = kTime;
    return w;
}

// What the operations below rely on in the prepared folder.
struct Prepared {
    int waitingPacket = 0, finishedPacket = 0;
    int contact = 0, group = 0;
    std::vector<int> historyRows;
};

// One run of the log thread: every step, whatever the results before.
bool moveLog(const std::string& dir) {
    Dmg::CLogSendQueueSerialize m;
    std::vector<Dmg::QueueData> records;
    std::vector<int> ids;
    const int results[] = {m.initializeHistroyDB(dir + "/HLog.dll", kPassword),
                           m.initializeSendQueueDB(dir + "/SQu.dll", kPassword),
                           m.initializeMainDB(dir + "/Main.dll", kPassword),
                           m.getAllSendData(records, ids),
                           m.writeLog(records),
                           m.deleteSendData(ids),
                           m.closeSendQueueDB(),
                           m.closeHistoryDB(),
                           m.closeMainDB()};
    return std::all_of(std::begin(results), std::end(results), [](int r) { return r == 1; });
}

std::string joined(const Strings& list) {
    std::string out;
    for (const auto& item : list) out += item + ";";
    return out;
}

// What a run of an operation gives: whether it reported success and, for a
// store that keeps its data in memory too, that data as text afterwards.
struct Outcome {
    bool ok = false;
    std::optional<std::string> memory;
};

struct Operation {
    const char* name;
    // The files it commits to, in order; one for a single transaction.
    Strings commits;
    std::function<Outcome(const std::string& dir)> run;
    // For a store with data in memory: what a new store object loads.
    std::function<std::string(const std::string& dir)> load = nullptr;
};

// A list store: initialize, set `list` (none: only load), and the list it
// then holds.
template <class Store>
Outcome setList(const std::string& dir, int (Store::*set)(const Strings&),
                int (Store::*get)(Strings&), const Strings* list) {
    Store store;
    if (store.initialize(dir + "/Main.dll", kPassword) != 1) return {false, std::nullopt};
    const bool ok = list == nullptr || (store.*set)(*list) == 1;
    Strings held;
    (store.*get)(held);
    return {ok, joined(held)};
}

// The operation that sets a list store's list, and the list a new store
// object loads.
template <class Store>
Operation listOp(const char* name, int (Store::*set)(const Strings&), int (Store::*get)(Strings&),
                 const Strings& list) {
    return {name,
            {"Main.dll"},
            [=](const std::string& dir) { return setList<Store>(dir, set, get, &list); },
            [=](const std::string& dir) {
                return setList<Store>(dir, set, get, nullptr).memory.value_or("cannot open");
            }};
}

// The settings a store holds; nothing when it holds none.
std::optional<std::string> settingsText(M& main) {
    Dmg::CFriendSetMsg s;
    if (main.readSetting(s) != 1) return std::nullopt;
    std::string out;
    for (int i = 0; i < Dmg::CFriendSetMsg::kFieldCount; ++i)
        out += (s.showFlags[i] ? "1" : "0") + std::string(s.personalFlags[i] ? "1" : "0");
    return out;
}

// Contacts in a group of their own, phrases, settings, the two lists; a
// history of two packets, one of them timed, with its timed message; a queue
// of a waiting packet and three finished ones, one of them an accepted timed
// packet. Its second half (the history and the queue) is still in the -wal
// files of the crashed folder.
Prepared prepare(const Folders& folders) {
    const std::string dir = folders.prepared.path();
    Prepared out;
    {
        M main;
        EXPECT_TRUE(main.initialize(dir + "/Main.dll", kPassword) == 1 &&
                    main.addRootFriendGroup("同事", out.group) == 1);
        for (const auto& [name, mobile] :
             {std::pair{"张伟", "13800138001"}, {"王芳", "15012345602"}}) {
            Dmg::CFriend c = contact(name, mobile);
            EXPECT_EQ(main.addFriend(c, out.group, out.contact), 1);
        }
        std::vector<Dmg::CWord> words = {phrase("周六新品到店"), phrase("明早九点开会")};
        EXPECT_EQ(main.importWords(words, {}), 1);
        Dmg::CFriendSetMsg settings;
        settings.showFlags[3] = true;
        EXPECT_EQ(main.setSetting(settings), 1);
        for (const Operation& list :
             {listOp<W>("", &W::setRejectWords, &W::getRejectWords, {"发票", "代开"}),
              listOp<C>("", &C::setChinaMobileNumHeader, &C::getChinaMobileNumHeader,
                        {"134", "135"})}) {
            EXPECT_TRUE(list.run(dir).ok);
        }
        Q queue;
        std::vector<int> ids;
        EXPECT_TRUE(queue.initialize(dir + "/SQu.dll", kPassword) == 1 &&
                    queue.writeQueue({packet("a"), packet("b", 1)}, ids) == 1 &&
                    queue.setServiceKey(ids[1], "TM0") == 1);
        for (const int id : ids) EXPECT_EQ(queue.modifyStatus(id, 1), 1);
    }
    dropPooledConnections();
    {
        EXPECT_TRUE(moveLog(dir));
        Q queue;
        std::vector<int> ids;
        EXPECT_TRUE(
            queue.initialize(dir + "/SQu.dll", kPassword) == 1 &&
            queue.writeQueue({packet("c"), packet("d"), packet("e", 1), packet("f")}, ids) == 1 &&
            queue.modifyStatus(ids[0], 1) == 1 && queue.modifyStatus(ids[1], 0) == 1 &&
            queue.setServiceKey(ids[2], "TM1") == 1 && queue.modifyStatus(ids[2], 1) == 1);
        out.finishedPacket = ids.at(0), out.waitingPacket = ids.at(3);
        H history;
        std::vector<Dmg::CHistoryMsg> rows;
        EXPECT_TRUE(history.initialize(dir + "/HLog.dll", kPassword) == 1 &&
                    history.getAllLog(rows) == 1 && rows.size() == 2u);
        for (const auto& row : rows) out.historyRows.push_back(row.number);
    }
    // The pool's idle connections hold no transaction: the files and their
    // logs are as a crash would leave them.
    for (const auto& file : kFiles) {
        for (const auto& name : {file, file + "-wal"})
            std::filesystem::copy_file(folders.prepared.file(name), folders.crashed.file(name));
    }
    dropPooledConnections();
    return out;
}

// A run that opens a `Store` on `file` of the folder, then does `op`.
template <class Store>
std::function<Outcome(const std::string&)> on(const char* file, std::function<bool(Store&)> op) {
    return [file, op](const std::string& dir) {
        Store store;
        return Outcome{store.initialize(dir + "/" + file, kPassword) == 1 && op(store), {}};
    };
}

std::vector<Operation> operations(const Prepared& p) {
    const Strings queue = {"SQu.dll"}, history = {"HLog.dll"}, main = {"Main.dll"};
    return {
        {"queue write", queue,
         on<Q>("SQu.dll",
               [](Q& q) {
                   std::vector<int> ids;
                   return q.writeQueue({packet("g"), packet("h", 1)}, ids) == 1;
               })},
        {"status update", queue,
         on<Q>("SQu.dll", [id = p.waitingPacket](Q& q) { return q.modifyStatus(id, 1) == 1; })},
        {"queue deletion", queue,
         on<Q>("SQu.dll", [ids = std::vector<int>{p.waitingPacket, p.finishedPacket}](
                              Q& q) { return q.delQueue(ids) == 1; })},
        {"log move",
         {"Main.dll", "HLog.dll", "SQu.dll"},
         [](const std::string& dir) {
             return Outcome{moveLog(dir), {}};
         }},
        {"history deletion", history,
         on<H>("HLog.dll", [rows = p.historyRows](H& h) { return h.delLogs(rows) == 1; })},
        {"contact deletion", main,
         on<M>("Main.dll", [id = p.contact](M& m) { return m.delFriend(id) == 2; })},
        {"group deletion", main,
         on<M>("Main.dll", [id = p.group](M& m) { return m.delFriendGroup(id) == 1; })},
        {"timed message deletion", main,
         on<M>("Main.dll", [](M& m) { return m.deleteMsg(1) == 2; })},
        {"contact import", main,
         on<M>("Main.dll",
               [](M& m) {
                   std::vector<Dmg::CFriend> rows = {contact("李娜", "13912345603"),
                                                     contact("刘洋", "18612345604")};
                   return m.importFriends(rows, {1, 2}) == 1;
               })},
        {"phrase import", main,
         on<M>("Main.dll",
               [](M& m) {
                   std::vector<Dmg::CWord> rows = {phrase("节日快乐"), phrase("欢迎光临")};
                   return m.importWords(rows, {1}) == 1;
               })},
        {"settings", main,
         [](const std::string& dir) {
             M m;
             Dmg::CFriendSetMsg s;
             s.personalFlags[5] = true;
             const bool ok =
                 m.initialize(dir + "/Main.dll", kPassword) == 1 && m.setSetting(s) == 1;
             return Outcome{ok, settingsText(m)};
         },
         [](const std::string& dir) {
             M m;
             return m.initialize(dir + "/Main.dll", kPassword) == 1
                        ? settingsText(m).value_or("cannot read")
                        : "cannot open";
         }},
        listOp<W>("reject words", &W::setRejectWords, &W::getRejectWords, {"赌博", "发票"}),
        // The reject numbers and test numbers are the same list store as
        // the reject words, with another index.
        listOp<C>("carrier prefixes", &C::setChinaMobileNumHeader, &C::getChinaMobileNumHeader,
                  {"150", "151", "152"}),
    };
}

// A fault as the loops inject it.
struct FaultKind {
    Kind kind;
    int error;
    bool persistent;
    const char* label;
};

const FaultKind kFaultKinds[] = {
    {Kind::Write, SQLITE_IOERR_WRITE, false, "write"},
    {Kind::Write, SQLITE_FULL, false, "write/full"},
    {Kind::Write, SQLITE_IOERR_WRITE, true, "write/all"},
    {Kind::Sync, SQLITE_IOERR_FSYNC, false, "sync"},
    {Kind::Read, SQLITE_IOERR_READ, false, "read"},
    {Kind::Read, SQLITE_IOERR_READ, true, "read/all"},
    {Kind::Lock, SQLITE_BUSY, false, "lock/busy"},
    {Kind::Lock, SQLITE_IOERR_LOCK, false, "lock"},
    {Kind::Open, SQLITE_CANTOPEN, false, "open"},
    {Kind::Sync, SQLITE_IOERR_FSYNC, true, "sync/all"},
    {Kind::Open, SQLITE_CANTOPEN, true, "open/all"},
    {Kind::FileSize, SQLITE_IOERR_FSTAT, false, "size"},
    {Kind::Access, SQLITE_IOERR_ACCESS, false, "access"},
    {Kind::Access, SQLITE_IOERR_ACCESS, true, "access/all"},
};

// Whether `now` is a state the operation's contract allows: its commits
// done in order up to some point (all of them after a success; after a
// failure none, or for several transactions some but not all). It opens no
// other file.
bool allowed(const Operation& op, bool ok, const State& now, const State& before,
             const State& after) {
    const std::size_t all = op.commits.size();
    const std::size_t first = ok ? all : 0, last = ok ? all : all - 1;
    for (std::size_t done = first; done <= last; ++done) {
        bool match = true;
        for (std::size_t i = 0; i < all; ++i) {
            const std::string& file = op.commits[i];
            match = match && now.at(file) == (i < done ? after : before).at(file);
        }
        if (match) return true;
    }
    return false;
}

// An operation on one of the prepared folders, and what its fault-free run
// shows.
struct Case {
    const Operation& op;
    const Folders& folders;
    bool afterCrash;
    State before, after;

    Case(const Operation& o, const Folders& f, bool crash) : op(o), folders(f), afterCrash(crash) {
        folders.reset(afterCrash);
        before = folders.read(op.commits);
        folders.reset(afterCrash);
        EXPECT_TRUE(op.run(dir()).ok);
        after = folders.read(op.commits);
        EXPECT_NE(before.at(op.commits.front()).rows, after.at(op.commits.front()).rows);
    }
    std::string dir() const { return folders.work.path(); }
};

// One run with `fault` armed and the checks after it. False when the fault
// did not fire (past the operation's last call of its kind).
bool runWithFault(const Case& c, const faults::Fault& fault) {
    SCOPED_TRACE("call " + std::to_string(fault.n));
    faults::FaultVfs& vfs = faults::FaultVfs::instance();
    c.folders.reset(c.afterCrash);
    const fakes::LogCapture log;
    vfs.arm(fault);
    const Outcome outcome = c.op.run(c.dir());
    vfs.disarm();
    if (vfs.fired() == 0) {
        EXPECT_TRUE(outcome.ok);
        return false;
    }
    EXPECT_TRUE(outcome.ok || !log.texts(2).empty()) << "a failure without a log line";
    const State now = c.folders.read(c.op.commits);
    EXPECT_TRUE(allowed(c.op, outcome.ok, now, c.before, c.after))
        << (outcome.ok ? "reported success" : "reported failure");
    for (const auto& [file, contents] : now) EXPECT_TRUE(contents.intact) << file;
    if (c.op.load && outcome.memory) {
        EXPECT_EQ(*outcome.memory, c.op.load(c.dir())) << "memory and file differ";
    }
    if (outcome.ok) return true;
    // Again on the same connections, without faults. The counters may
    // differ: a log move run again after part of it was committed uses up
    // ids of the rows it then passes over.
    EXPECT_TRUE(c.op.run(c.dir()).ok) << "cannot succeed after the fault";
    for (const auto& [file, contents] : c.folders.read(c.op.commits)) {
        EXPECT_EQ(contents.rows, c.after.at(file).rows) << file;
        EXPECT_TRUE(contents.intact) << file;
    }
    return true;
}

// Wine's file calls are about 15 times slower: the Windows build's tests fail
// every third call of a kind, the native build every call.
#ifdef _WIN32
constexpr int kCallStep = 3;
#else
constexpr int kCallStep = 1;
#endif

TEST(StoreFaults, EveryWriteFailsCleanlyAndCanBeRetried) {
    const faults::ScopedFaultVfs scoped;
    Folders folders;
    dropPooledConnections();
    const Prepared prepared = prepare(folders);
    for (const auto& op : operations(prepared)) {
        for (const bool afterCrash : {false, true}) {
            SCOPED_TRACE(std::string(op.name) + (afterCrash ? ", after a crash" : ""));
            const Case c(op, folders, afterCrash);
            ASSERT_FALSE(::testing::Test::HasFailure());
            for (const auto& fault : kFaultKinds) {
                SCOPED_TRACE(fault.label);
                // One failure is enough to see; the rest would repeat it.
                for (int n = 1;
                     runWithFault(c, {fault.kind, n, fault.error, fault.persistent});
                     n += kCallStep) {
                    if (::testing::Test::HasFailure()) return;
                }
            }
        }
    }
    dropPooledConnections();
}

}  // namespace
