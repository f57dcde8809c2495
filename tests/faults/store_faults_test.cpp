// Every writing store operation under file faults: for each kind of call and
// N = 1, 2, ... the N-th call fails, on a user folder copied afresh, until N
// passes the calls the operation makes. After each failure the operation
// says so (0 and a log line), the files hold the data from before (or, for
// the log move, a state between its transactions), pass the integrity check,
// and the operation succeeds when run again.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
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
#include "contracts/dmg/CRejectPhonesDataSerialize.h"
#include "contracts/dmg/CRejectWordsDataSerialize.h"
#include "contracts/dmg/CSendQueueSerialize.h"
#include "contracts/dmg/CTestPhonesSerialize.h"
#include "contracts/dmg/UserConfigSerialize.h"
#include "tests/fakes/LogCapture.h"
#include "tests/fakes/TempDir.h"
#include "tests/faults/FaultVfs.h"

namespace {

using faults::Kind;
using Strings = std::vector<std::string>;

const std::string kPassword = "Quenp19990812";
const Strings kFiles = {"Main.dll", "SQu.dll", "HLog.dll"};
const Dmg::CSmsData kTime{2024, 5, 6, 7, 8};

// The library keeps idle connections; closing the user data closes them, so
// the next store opens the files afresh.
void dropPooledConnections() { Dmg::CDataManager::getSingleton().closeUserData(); }

std::string hex(const void* data, int size) {
    static const char digits[] = "0123456789abcdef";
    std::string out;
    for (int i = 0; i < size; ++i) {
        const unsigned char c = static_cast<const unsigned char*>(data)[i];
        out += digits[c >> 4];
        out += digits[c & 15];
    }
    return out;
}

// Every row of every table of the file, as text in a fixed order, read
// through a connection of the test's own (outside the library's pool), and
// whether the file passes the integrity check.
struct Contents {
    std::string rows;
    std::string sequences;  // the AUTOINCREMENT counters
    bool intact = false;
    bool operator==(const Contents& o) const { return rows == o.rows && sequences == o.sequences; }
};

std::string cell(sqlite3_stmt* s, int column) {
    switch (sqlite3_column_type(s, column)) {
        case SQLITE_NULL:
            return "null";
        case SQLITE_INTEGER:
            return std::to_string(sqlite3_column_int64(s, column));
        default:
            return hex(sqlite3_column_blob(s, column), sqlite3_column_bytes(s, column));
    }
}

Strings query(sqlite3* db, const std::string& sql) {
    Strings rows;
    sqlite3_stmt* s = nullptr;
    if (sqlite3_prepare_v2(db, sql.c_str(), -1, &s, nullptr) != SQLITE_OK) return {"error"};
    int rc;
    while ((rc = sqlite3_step(s)) == SQLITE_ROW) {
        std::string row;
        for (int c = 0; c < sqlite3_column_count(s); ++c) row += cell(s, c) + "|";
        rows.push_back(row);
    }
    sqlite3_finalize(s);
    if (rc != SQLITE_DONE) rows.push_back("error");
    return rows;
}

Contents contents(const std::string& path) {
    const auto c = Dmg::engine::Connection::open(path, kPassword);
    if (!c) return {"cannot open", "", false};
    Contents out;
    // Names come back as hex text, "|" after.
    for (const auto& table :
         query(c->db(), "SELECT name FROM sqlite_master WHERE type = 'table' ORDER BY 1")) {
        std::string name;
        for (std::size_t i = 0; i + 2 < table.size(); i += 2) {
            name += static_cast<char>(std::stoi(table.substr(i, 2), nullptr, 16));
        }
        Strings rows = query(c->db(), "SELECT * FROM \"" + name + "\"");
        std::sort(rows.begin(), rows.end());
        std::string& text = name == "sqlite_sequence" ? out.sequences : out.rows;
        text += name + ":\n";
        for (const auto& row : rows) text += "  " + row + "\n";
    }
    out.intact = query(c->db(), "PRAGMA integrity_check") == Strings{"6f6b|"};  // "ok"
    return out;
}

// A user folder: the one prepared once, and the one each run works on.
struct Folders {
    fakes::TempDir prepared, work;

    std::string path(const std::string& file) const { return work.file(file); }

    // Brings the work folder back to the prepared files alone.
    void reset() const {
        dropPooledConnections();
        for (const auto& entry : std::filesystem::directory_iterator(work.path())) {
            std::filesystem::remove(entry.path());
        }
        for (const auto& file : kFiles) {
            std::filesystem::copy_file(prepared.file(file), work.file(file));
        }
    }

    std::map<std::string, Contents> read() const {
        std::map<std::string, Contents> all;
        for (const auto& file : kFiles) all[file] = contents(work.file(file));
        return all;
    }
};

Dmg::QueueData packet(const std::string& label, int timerFlag = 0) {
    Dmg::QueueData p;
    p.displayText = label;
    p.packetText = "packet " + label;
    p.phoneList = "13800138000,13900139000,";
    p.queuedTime = kTime;
    p.timerFlag = timerFlag;
    if (timerFlag != 0) p.timerData = {2030, 1, 2, 9, 0};
    return p;
}

Dmg::CFriend contact(const std::string& name, const std::string& mobile) {
    Dmg::CFriend c;
    c.getFirendStrut().name = name;
    c.getFirendStrut().mobile = mobile;
    return c;
}

Dmg::CWord phrase(const std::string& text) {
    Dmg::CWord w;
    w.getWordStrut().content = text;
    w.getWordStrut().addTime = kTime;
    return w;
}

// What the operations below rely on in the prepared folder.
struct Prepared {
    int waitingPacket = 0;
    int contact = 0;
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

// Contacts in two groups, phrases, settings, the four lists; a history of two
// packets; a queue of a waiting packet and three finished ones, one of them
// an accepted timed packet.
Prepared prepare(const std::string& dir) {
    Prepared out;
    Dmg::CLocalDataSerialize main;
    int group = 0;
    EXPECT_EQ(main.initialize(dir + "/Main.dll", kPassword), 1);
    EXPECT_EQ(main.addRootFriendGroup("同事", group), 1);
    for (const auto& [name, mobile] : {std::pair{"张伟", "13800138001"}, {"王芳", "15012345602"}}) {
        Dmg::CFriend c = contact(name, mobile);
        EXPECT_EQ(main.addFriend(c, group, out.contact), 1);
    }
    std::vector<Dmg::CWord> words = {phrase("周六新品到店"), phrase("明早九点开会")};
    EXPECT_EQ(main.importWords(words, {}), 1);
    Dmg::CFriendSetMsg settings;
    settings.showFlags[3] = true;
    EXPECT_EQ(main.setSetting(settings), 1);
    Dmg::CRejectWordsDataSerialize words2;
    Dmg::CRejectPhonesDataSerialize phones;
    Dmg::CTestPhonesSerialize tests;
    Dmg::UserConfigSerialize config;
    EXPECT_TRUE(words2.initialize(dir + "/Main.dll", kPassword) == 1 &&
                words2.setRejectWords({"发票", "代开"}) == 1);
    EXPECT_TRUE(phones.initialize(dir + "/Main.dll", kPassword) == 1 &&
                phones.setRejectPhones({"13800138000"}) == 1);
    EXPECT_TRUE(tests.initialize(dir + "/Main.dll", kPassword) == 1 &&
                tests.setTestPhones({"13300133000"}) == 1);
    EXPECT_TRUE(config.initialize(dir + "/Main.dll", kPassword) == 1 &&
                config.setChinaMobileNumHeader({"134", "135"}) == 1);

    Dmg::CSendQueueSerialize queue;
    std::vector<int> ids;
    EXPECT_EQ(queue.initialize(dir + "/SQu.dll", kPassword), 1);
    EXPECT_EQ(queue.writeQueue({packet("a"), packet("b")}, ids), 1);
    for (const int id : ids) EXPECT_EQ(queue.modifyStatus(id, 1), 1);
    EXPECT_TRUE(moveLog(dir));
    ids.clear();
    EXPECT_EQ(queue.writeQueue({packet("c"), packet("d"), packet("e", 1), packet("f")}, ids), 1);
    EXPECT_TRUE(queue.modifyStatus(ids[0], 1) == 1 && queue.modifyStatus(ids[1], 0) == 1 &&
                queue.setServiceKey(ids[2], "TM1") == 1 && queue.modifyStatus(ids[2], 1) == 1);
    out.waitingPacket = ids[3];

    Dmg::CHistoryLogSerialize history;
    std::vector<Dmg::CHistoryMsg> rows;
    EXPECT_TRUE(history.initialize(dir + "/HLog.dll", kPassword) == 1 &&
                history.getAllLog(rows) == 1 && rows.size() == 2u);
    for (const auto& row : rows) out.historyRows.push_back(row.number);
    return out;
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
    std::function<std::string(const std::string& dir)> load;
};

// A list store: initialize, set, and the list it then holds.
template <class Store>
Outcome setList(const std::string& dir, int (Store::*set)(const Strings&),
                int (Store::*get)(Strings&), const Strings& list) {
    Store store;
    if (store.initialize(dir + "/Main.dll", kPassword) != 1) return {false, std::nullopt};
    const bool ok = (store.*set)(list) == 1;
    Strings held;
    (store.*get)(held);
    return {ok, joined(held)};
}

template <class Store>
std::string loadList(const std::string& dir, int (Store::*get)(Strings&)) {
    Store store;
    Strings held;
    if (store.initialize(dir + "/Main.dll", kPassword) != 1) return "cannot open";
    (store.*get)(held);
    return joined(held);
}

// The settings a store holds; nothing when it holds none.
std::optional<std::string> settingsText(Dmg::CLocalDataSerialize& main) {
    Dmg::CFriendSetMsg s;
    if (main.readSetting(s) != 1) return std::nullopt;
    std::string out;
    for (int i = 0; i < Dmg::CFriendSetMsg::kFieldCount; ++i) {
        out += (s.showFlags[i] ? "1" : "0") + std::string(s.personalFlags[i] ? "1" : "0");
    }
    return out;
}

// initialize on Main.dll, then `op`.
Outcome onMain(const std::string& dir, const std::function<bool(Dmg::CLocalDataSerialize&)>& op) {
    Dmg::CLocalDataSerialize main;
    return Outcome{main.initialize(dir + "/Main.dll", kPassword) == 1 && op(main), {}};
}

std::vector<Operation> operations(const Prepared& p) {
    using W = Dmg::CRejectWordsDataSerialize;
    using P = Dmg::CRejectPhonesDataSerialize;
    using T = Dmg::CTestPhonesSerialize;
    using C = Dmg::UserConfigSerialize;
    return {
        {"queue write",
         {"SQu.dll"},
         [](const std::string& dir) {
             Dmg::CSendQueueSerialize q;
             std::vector<int> ids;
             return Outcome{q.initialize(dir + "/SQu.dll", kPassword) == 1 &&
                                q.writeQueue({packet("g"), packet("h", 1)}, ids) == 1,
                            {}};
         },
         nullptr},
        {"status update",
         {"SQu.dll"},
         [id = p.waitingPacket](const std::string& dir) {
             Dmg::CSendQueueSerialize q;
             return Outcome{
                 q.initialize(dir + "/SQu.dll", kPassword) == 1 && q.modifyStatus(id, 1) == 1, {}};
         },
         nullptr},
        {"log move",
         {"Main.dll", "HLog.dll", "SQu.dll"},
         [](const std::string& dir) {
             return Outcome{moveLog(dir), {}};
         },
         nullptr},
        {"history deletion",
         {"HLog.dll"},
         [rows = p.historyRows](const std::string& dir) {
             Dmg::CHistoryLogSerialize h;
             return Outcome{h.initialize(dir + "/HLog.dll", kPassword) == 1 && h.delLogs(rows) == 1,
                            {}};
         },
         nullptr},
        {"contact deletion",
         {"Main.dll"},
         [id = p.contact](const std::string& dir) {
             return onMain(dir, [id](auto& main) { return main.delFriend(id) == 2; });
         },
         nullptr},
        {"contact import",
         {"Main.dll"},
         [](const std::string& dir) {
             return onMain(dir, [](auto& main) {
                 std::vector<Dmg::CFriend> rows = {contact("李娜", "13912345603"),
                                                   contact("刘洋", "18612345604")};
                 return main.importFriends(rows, {1, 2}) == 1;
             });
         },
         nullptr},
        {"phrase import",
         {"Main.dll"},
         [](const std::string& dir) {
             return onMain(dir, [](auto& main) {
                 std::vector<Dmg::CWord> rows = {phrase("节日快乐"), phrase("欢迎光临")};
                 return main.importWords(rows, {1}) == 1;
             });
         },
         nullptr},
        {"settings",
         {"Main.dll"},
         [](const std::string& dir) {
             Dmg::CLocalDataSerialize main;
             Dmg::CFriendSetMsg s;
             s.personalFlags[5] = true;
             const bool ok =
                 main.initialize(dir + "/Main.dll", kPassword) == 1 && main.setSetting(s) == 1;
             return Outcome{ok, settingsText(main)};
         },
         [](const std::string& dir) {
             Dmg::CLocalDataSerialize main;
             return main.initialize(dir + "/Main.dll", kPassword) == 1
                        ? settingsText(main).value_or("cannot read")
                        : "cannot open";
         }},
        {"reject words",
         {"Main.dll"},
         [](const std::string& dir) {
             return setList<W>(dir, &W::setRejectWords, &W::getRejectWords, {"赌博", "发票"});
         },
         [](const std::string& dir) { return loadList<W>(dir, &W::getRejectWords); }},
        {"reject numbers",
         {"Main.dll"},
         [](const std::string& dir) {
             return setList<P>(dir, &P::setRejectPhones, &P::getRejectPhones, {"13900139000"});
         },
         [](const std::string& dir) { return loadList<P>(dir, &P::getRejectPhones); }},
        {"test numbers",
         {"Main.dll"},
         [](const std::string& dir) {
             return setList<T>(dir, &T::setTestPhones, &T::getTestPhones, {"1", "2", "3"});
         },
         [](const std::string& dir) { return loadList<T>(dir, &T::getTestPhones); }},
        {"carrier prefixes",
         {"Main.dll"},
         [](const std::string& dir) {
             return setList<C>(dir, &C::setChinaMobileNumHeader, &C::getChinaMobileNumHeader,
                               {"150", "151", "152"});
         },
         [](const std::string& dir) { return loadList<C>(dir, &C::getChinaMobileNumHeader); }},
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
    {Kind::FileSize, SQLITE_IOERR_FSTAT, true, "size/all"},
    {Kind::Access, SQLITE_IOERR_ACCESS, false, "access"},
    {Kind::Access, SQLITE_IOERR_ACCESS, true, "access/all"},
    {Kind::Truncate, SQLITE_IOERR_TRUNCATE, false, "truncate"},
    {Kind::Delete, SQLITE_IOERR_DELETE, false, "delete"},
};

// Whether `now` is a state the operation's contract allows: its commits
// done in order up to some point (all of them after a success; after a
// failure none, or for several transactions some but not all), every other
// file as before.
bool allowed(const Operation& op, bool ok, const std::map<std::string, Contents>& now,
             const std::map<std::string, Contents>& before,
             const std::map<std::string, Contents>& after) {
    const std::size_t all = op.commits.size();
    const std::size_t first = ok ? all : 0, last = ok ? all : all - 1;
    for (std::size_t done = first; done <= last; ++done) {
        bool match = true;
        for (const auto& file : kFiles) {
            const auto at = std::find(op.commits.begin(), op.commits.end(), file);
            const bool committed = static_cast<std::size_t>(at - op.commits.begin()) < done;
            match = match && now.at(file) == (committed ? after : before).at(file);
        }
        if (match) return true;
    }
    return false;
}

TEST(StoreFaults, EveryWriteFailsCleanlyAndCanBeRetried) {
    faults::ScopedFaultVfs scoped;
    faults::FaultVfs& vfs = scoped.vfs();
    Folders folders;
    dropPooledConnections();
    const Prepared prepared = prepare(folders.prepared.path());
    dropPooledConnections();
    const std::string dir = folders.work.path();
    const auto started = std::chrono::steady_clock::now();

    for (const auto& op : operations(prepared)) {
        SCOPED_TRACE(op.name);
        folders.reset();
        const auto before = folders.read();
        vfs.resetCounts();
        ASSERT_TRUE(op.run(dir).ok);
        const faults::Counts calls = vfs.counts();
        const auto after = folders.read();
        ASSERT_NE(before.at(op.commits.front()).rows, after.at(op.commits.front()).rows);

        std::string figures;
        int failures = 0, reported = 0;
        for (const auto& fault : kFaultKinds) {
            SCOPED_TRACE(fault.label);
            int n = 1;
            for (;; ++n) {
                SCOPED_TRACE("call " + std::to_string(n));
                folders.reset();
                fakes::LogCapture log;
                vfs.arm({fault.kind, n, fault.error, fault.persistent});
                const Outcome outcome = op.run(dir);
                vfs.disarm();
                if (vfs.fired() == 0) {
                    EXPECT_TRUE(outcome.ok);
                    break;
                }
                failures += outcome.ok ? 0 : 1;
                const bool logged = outcome.ok || !log.texts(2).empty();
                EXPECT_TRUE(logged) << "a failure without a log line";
                const auto now = folders.read();
                const bool state = allowed(op, outcome.ok, now, before, after);
                EXPECT_TRUE(state) << (outcome.ok ? "reported success" : "reported failure");
                for (const auto& file : kFiles) EXPECT_TRUE(now.at(file).intact) << file;
                if (op.load && outcome.memory) {
                    EXPECT_EQ(*outcome.memory, op.load(dir)) << "memory and file differ";
                }
                reported += !outcome.ok && logged && state ? 1 : 0;
                if (outcome.ok) continue;
                // Run again on the same connections, without faults. The
                // counters may differ: a log move run again after part of it
                // was committed uses up ids of the rows it then passes over.
                EXPECT_TRUE(op.run(dir).ok) << "cannot succeed after the fault";
                const auto retried = folders.read();
                for (const auto& file : kFiles) {
                    EXPECT_EQ(retried.at(file).rows, after.at(file).rows) << file;
                    EXPECT_TRUE(retried.at(file).intact) << file;
                }
                if (::testing::Test::HasFailure()) return;
            }
            figures += std::string(" ") + fault.label + ":" + std::to_string(n - 1);
        }
        std::printf("%-17s calls r%d w%d s%d l%d o%d; failures %d, reported correctly %d;%s\n",
                    op.name, calls[0], calls[1], calls[2], calls[3], calls[4], failures, reported,
                    figures.c_str());
    }
    std::printf("fault loops: %.1f s\n",
                std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count());
    dropPooledConnections();
}

}  // namespace
