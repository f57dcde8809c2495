// Shared pieces of the queue tests: labelled packets, the log thread's pass,
// and where each label ended up.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "components/data/engine/Database.h"
#include "contracts/dmg/CHistoryLogSerialize.h"
#include "contracts/dmg/CLocalDataSerialize.h"
#include "contracts/dmg/CLogSendQueueSerialize.h"
#include "contracts/dmg/CSendQueueSerialize.h"
#include "tests/fakes/TempDir.h"

namespace qtest {

inline const std::string kPassword = "Quenp19990812";

// A temporary user folder and its three files.
struct Files {
    fakes::TempDir dir;
    const std::string squ = dir.file("SQu.dll"), hlog = dir.file("HLog.dll"),
                      main = dir.file("Main.dll");
};

// Runs `sql` on an encrypted file through a connection of the test's own copy
// of the engine, outside the stores' pool (to plant a failing trigger).
inline bool rawExec(const std::string& path, const std::string& sql) {
    Dmg::engine::Database db;
    return db.open(path, kPassword, {"faults", {}}) && db.connection().exec(sql);
}

// A packet whose display text (the history's first text) is `label`.
inline Dmg::QueueData packet(const std::string& label,
                             const Dmg::CSmsData& queued = {2024, 5, 6, 7, 8}) {
    Dmg::QueueData p;
    p.displayText = label;
    p.phoneList = "13800138000,";
    p.queuedTime = queued;
    return p;
}

inline std::vector<int> enqueue(const Files& f, const std::vector<Dmg::QueueData>& packets) {
    Dmg::CSendQueueSerialize q;
    std::vector<int> ids;
    EXPECT_TRUE(q.initialize(f.squ, kPassword) == 1 && q.writeQueue(packets, ids) == 1);
    return ids;
}

inline bool mark(const Files& f, int id, int status) {
    Dmg::CSendQueueSerialize q;
    return q.initialize(f.squ, kPassword) == 1 && q.modifyStatus(id, status) == 1;
}

// One pass of the log thread: like the thread, it makes every call, in this
// order, whatever the results. `before(n, mover)` runs before step n (1..9);
// false abandons the pass there.
using Before = std::function<bool(int, Dmg::CLogSendQueueSerialize&)>;
inline bool pass(const Files& f, const Before& before = nullptr) {
    Dmg::CLogSendQueueSerialize m;
    std::vector<Dmg::QueueData> records;
    std::vector<int> ids;
    const std::function<int()> steps[] = {[&] { return m.initializeHistroyDB(f.hlog, kPassword); },
                                          [&] { return m.initializeSendQueueDB(f.squ, kPassword); },
                                          [&] { return m.initializeMainDB(f.main, kPassword); },
                                          [&] { return m.getAllSendData(records, ids); },
                                          [&] { return m.writeLog(records); },
                                          [&] { return m.deleteSendData(ids); },
                                          [&] { return m.closeSendQueueDB(); },
                                          [&] { return m.closeHistoryDB(); },
                                          [&] { return m.closeMainDB(); }};
    bool ok = true;
    for (int n = 1; n <= 9; ++n) {
        if (before && !before(n, m)) return false;
        ok = steps[n - 1]() == 1 && ok;
    }
    return ok;
}

// "label:letters " for each label that starts with `prefix` (cut off), a
// letter per copy: Q waiting in the queue, q finished in the queue, H
// accepted in the history, h failed in the history, T<group><key> a timed
// message in Main.dll.
inline std::string where(const Files& f, const std::string& prefix = "") {
    Dmg::CSendQueueSerialize q;
    Dmg::CHistoryLogSerialize h;
    Dmg::CLocalDataSerialize local;
    std::vector<Dmg::QueueData> packets;
    std::vector<Dmg::CHistoryMsg> rows;
    std::vector<Dmg::CTimerMsg> timed;
    EXPECT_TRUE(q.initialize(f.squ, kPassword) == 1 && q.loadAllQueue(packets) == 1);
    EXPECT_TRUE(h.initialize(f.hlog, kPassword) == 1 && h.getAllLog(rows) == 1);
    EXPECT_TRUE(local.initialize(f.main, kPassword) == 1 && local.getAllTimerMsg(timed) == 1);
    std::map<std::string, std::string> letters;
    for (const auto& p : packets) letters[p.displayText] += p.state ? "q" : "Q";
    for (const auto& r : rows) letters[r.firstText] += r.success ? "H" : "h";
    for (const auto& m : timed) letters[m.content] += "T" + std::to_string(m.group) + m.serviceKey;
    std::string out;
    for (const auto& [label, found] : letters) {
        if (label.rfind(prefix, 0) == 0) out += label.substr(prefix.size()) + ":" + found + " ";
    }
    return out;
}

}  // namespace qtest
