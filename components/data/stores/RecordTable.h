// The record tables of the main store that share one shape: phrases,
// reminders and saved messages. A row is a record with an AUTOINCREMENT id
// (never handed out again), filed under one group of a tree when the table
// has one. Results are those of CLocalDataSerialize (0 failure, logged).
#pragma once

#include <sqlite3.h>

#include <cstdint>
#include <string>
#include <vector>

#include "components/data/engine/Connection.h"
#include "components/data/engine/Statement.h"
#include "components/data/engine/WriteTransaction.h"
#include "components/data/stores/GroupTree.h"
#include "components/data/stores/StoreSearch.h"

namespace Dmg::local {

void logRecordFailure(const char* label, const std::string& what);

template <class Record>
struct RecordTable {
    const char* label;      // names the records in log lines
    const char* from;       // "<table> <alias>", for the columns below
    const char* idColumn;   // "<alias>.id"
    const char* columns;    // what `at` reads, id first
    const GroupTree* tree;  // null when records have no group
    const char* insert;     // group as ?1 (when grouped), fields from ?2
    const char* update;     // id as ?1, fields from ?2; the group stays
    const char* remove;     // id as ?1
    const char* removeAll;
    void (*bind)(engine::Statement&, const Record&);  // fields from ?2
    void (*read)(const engine::Statement&, Record&);  // the columns into a record
    void (*setIds)(Record&, int id, int group);
};

// Appends the records `q` finds (after "FROM <from>"), in id order.
template <class Record>
int findRecords(engine::Connection& db, const RecordTable<Record>& t, const std::string& from,
                const Query& q, std::vector<Record>& out) {
    // Read in place: the records are copied, never moved, when `out` grows.
    const std::size_t before = out.size();
    if (!runQuery(db, t.columns, from, q, t.idColumn,
                  [&](const engine::Statement& row) { t.read(row, out.emplace_back()); })) {
        out.resize(before);
        logRecordFailure(t.label, "cannot search");
        return 0;
    }
    return 1;
}

// 1 with the record `id`, or 0 when there is none.
template <class Record>
int readRecord(engine::Connection& db, const RecordTable<Record>& t, int id, Record& out) {
    Query q;
    q.where = std::string(" WHERE ") + t.idColumn + " = ?1";
    q.params.emplace_back(std::int64_t{id});
    std::vector<Record> found;
    if (findRecords(db, t, t.from, q, found) == 0) return 0;
    if (found.empty()) {
        logRecordFailure(t.label, "no record " + std::to_string(id));
        return 0;
    }
    out = found.front();
    return 1;
}

// Each record under every group of `groups` (all must exist; ignored when
// the table has no groups), in one transaction with statements prepared
// once. Once committed, each record gets the id it has in the first group.
template <class Record>
int addRecords(engine::Connection& db, const RecordTable<Record>& t, std::vector<Record>& records,
               const std::vector<int>& groups) {
    engine::WriteTransaction tx(db);
    if (!tx.ok() || (t.tree != nullptr && !allGroupsExist(db, *t.tree, groups))) {
        logRecordFailure(t.label, "cannot add");
        return 0;
    }
    const std::vector<int> each = t.tree != nullptr ? groups : std::vector<int>{0};
    engine::Statement insert(db.db(), t.insert);
    std::vector<int> ids;
    ids.reserve(records.size());
    bool ok = !each.empty();
    for (auto r = records.begin(); ok && r != records.end(); ++r) {
        for (auto g = each.begin(); ok && g != each.end(); ++g) {
            insert.reset();
            if (t.tree != nullptr) insert.bind(1, std::int64_t{*g});
            t.bind(insert, *r);
            ok = insert.run();
            if (g == each.begin())
                ids.push_back(static_cast<int>(sqlite3_last_insert_rowid(db.db())));
        }
    }
    if (!ok || !tx.commit()) {
        logRecordFailure(t.label, "cannot add");
        return 0;
    }
    for (std::size_t i = 0; i < ids.size(); ++i) t.setIds(records[i], ids[i], each.front());
    return 1;
}

// Rewrites the fields of record `id` with those of `record`, 0 when there
// is no such record. keep(given, stored) first copies from the stored
// record its id, its group and what `given` leaves unset; `record` gets the
// result.
template <class Record, class Keep>
int modifyRecord(engine::Connection& db, const RecordTable<Record>& t, int id, Record& record,
                 Keep keep) {
    engine::WriteTransaction tx(db);
    Record stored;
    if (!tx.ok() || readRecord(db, t, id, stored) == 0) return 0;
    Record merged = record;
    keep(merged, stored);
    engine::Statement update(db.db(), t.update);
    update.bind(1, std::int64_t{id});
    t.bind(update, merged);
    if (!update.run() || !tx.commit()) {
        logRecordFailure(t.label, "cannot modify record " + std::to_string(id));
        return 0;
    }
    record = merged;
    return 1;
}

// 2 when record `id` is gone, 1 when there was none.
template <class Record>
int deleteRecord(engine::Connection& db, const RecordTable<Record>& t, int id) {
    engine::WriteTransaction tx(db);
    engine::Statement remove(db.db(), t.remove);
    remove.bind(1, std::int64_t{id});
    const bool ok = tx.ok() && remove.run();
    const bool deleted = ok && sqlite3_changes(db.db()) > 0;
    if (!ok || !tx.commit()) {
        logRecordFailure(t.label, "cannot delete record " + std::to_string(id));
        return 0;
    }
    return deleted ? 2 : 1;
}

template <class Record>
int deleteAllRecords(engine::Connection& db, const RecordTable<Record>& t) {
    engine::WriteTransaction tx(db);
    if (!tx.ok() || !db.exec(t.removeAll) || !tx.commit()) {
        logRecordFailure(t.label, "cannot delete every record");
        return 0;
    }
    return 1;
}

}  // namespace Dmg::local
