#include "components/data/stores/GroupTree.h"

#include <sqlite3.h>

#include <cstdint>
#include <iterator>

#include "components/data/engine/Statement.h"
#include "components/data/engine/WriteTransaction.h"
#include "contracts/base/CLog.h"

namespace Dmg::local {
namespace {

constexpr int kDefaultGroup = 1;

void logFailure(const GroupTree& tree, const std::string& what) {
    Base::CLog::getSingleton().writeMessage(std::string("data: ") + tree.label + ": " + what, 2);
}

std::string group(int id) { return "group " + std::to_string(id); }

std::string sql(const GroupTree& tree, const char* head, const char* tail) {
    return head + std::string(tree.groups) + tail;
}

// The ids of the group `id` and of every group below it.
bool subtree(engine::Connection& db, const GroupTree& tree, int id,
             std::vector<std::int64_t>& ids) {
    const std::string text = "WITH RECURSIVE tree(id) AS (SELECT ?1 UNION SELECT g.id FROM " +
                             std::string(tree.groups) +
                             " g JOIN tree t ON g.parent_id = t.id) SELECT id FROM tree";
    engine::Statement select(db.db(), text.c_str());
    select.bind(1, std::int64_t{id});
    engine::Statement::Step step;
    while ((step = select.step()) == engine::Statement::Step::Row) ids.push_back(select.int64(0));
    return step == engine::Statement::Step::Done;
}

}  // namespace

const GroupTree kFriendGroups{"friend_groups", "friend_relations", "address book"};
const GroupTree kWordGroups{"word_groups", "words", "phrases"};
const GroupTree kAlertGroups{"alert_groups", "alerts", "reminders"};

std::string groupTreeSql(const GroupTree& tree) {
    // AUTOINCREMENT: a group's id is never handed out again. The default
    // group's name is GBK bytes.
    const std::string t = tree.groups;
    return "CREATE TABLE " + t +
           " (id INTEGER PRIMARY KEY AUTOINCREMENT, parent_id INTEGER NOT NULL, "
           "name BLOB NOT NULL);"
           "CREATE INDEX " +
           t + "_parent ON " + t +
           " (parent_id, id);"
           "INSERT INTO " +
           t + " (id, parent_id, name) VALUES (1, 0, X'C4ACC8CFB7D6D7E9');";
}

bool groupExists(engine::Connection& db, const GroupTree& tree, int id, bool& exists) {
    engine::Statement select(db.db(), sql(tree, "SELECT 1 FROM ", " WHERE id = ?").c_str());
    select.bind(1, std::int64_t{id});
    const auto step = select.step();
    if (step == engine::Statement::Step::Error) {
        logFailure(tree, "cannot look up " + group(id));
        return false;
    }
    exists = step == engine::Statement::Step::Row;
    return true;
}

bool allGroupsExist(engine::Connection& db, const GroupTree& tree, const std::vector<int>& ids) {
    for (const int id : ids) {
        bool exists = false;
        if (!groupExists(db, tree, id, exists)) return false;
        if (!exists) {
            logFailure(tree, "no " + group(id));
            return false;
        }
    }
    return true;
}

int addGroup(engine::Connection& db, const GroupTree& tree, int parentId, const std::string& name,
             int* newId) {
    engine::WriteTransaction tx(db);
    bool parentExists = parentId == 0;
    if (!tx.ok() || (!parentExists && !groupExists(db, tree, parentId, parentExists))) {
        logFailure(tree, "cannot add a group");
        return 0;
    }
    if (!parentExists) {
        logFailure(tree, "no parent " + group(parentId) + " to add a group under");
        return 0;
    }
    engine::Statement insert(db.db(),
                             sql(tree, "INSERT INTO ", " (parent_id, name) VALUES (?, ?)").c_str());
    insert.bind(1, std::int64_t{parentId}).bind(2, name);
    if (!insert.run()) {
        logFailure(tree, "cannot add a group");
        return 0;
    }
    const auto id = static_cast<int>(sqlite3_last_insert_rowid(db.db()));
    if (!tx.commit()) {
        logFailure(tree, "cannot add a group");
        return 0;
    }
    if (newId != nullptr) *newId = id;
    return 1;
}

int addSubGroup(engine::Connection& db, const GroupTree& tree, int parentId,
                const std::string& name, int* newId) {
    if (parentId == 0) {
        logFailure(tree, "a subgroup without a parent group");
        return 0;
    }
    return addGroup(db, tree, parentId, name, newId);
}

int renameGroup(engine::Connection& db, const GroupTree& tree, int id, const std::string& name) {
    engine::WriteTransaction tx(db);
    engine::Statement update(db.db(), sql(tree, "UPDATE ", " SET name = ? WHERE id = ?").c_str());
    update.bind(1, name).bind(2, std::int64_t{id});
    if (!tx.ok() || !update.run()) {
        logFailure(tree, "cannot rename " + group(id));
        return 0;
    }
    if (sqlite3_changes(db.db()) == 0) {
        logFailure(tree, "no " + group(id) + " to rename");
        return 0;
    }
    if (!tx.commit()) {
        logFailure(tree, "cannot rename " + group(id));
        return 0;
    }
    return 1;
}

int deleteGroupTree(engine::Connection& db, const GroupTree& tree, int id) {
    if (id == kDefaultGroup) {
        logFailure(tree, "the default group is not deleted");
        return 0;
    }
    engine::WriteTransaction tx(db);
    bool exists = false;
    std::vector<std::int64_t> ids;
    if (!tx.ok() || !groupExists(db, tree, id, exists) || (exists && !subtree(db, tree, id, ids))) {
        logFailure(tree, "cannot delete " + group(id));
        return 0;
    }
    if (!exists) {
        logFailure(tree, "no " + group(id) + " to delete");
        return 0;
    }
    const std::string members = "DELETE FROM " + std::string(tree.members) + " WHERE group_id = ?";
    engine::Statement removeMembers(db.db(), members.c_str());
    engine::Statement remove(db.db(), sql(tree, "DELETE FROM ", " WHERE id = ?").c_str());
    bool ok = true;
    for (auto it = ids.begin(); ok && it != ids.end(); ++it) {
        removeMembers.reset();
        remove.reset();
        removeMembers.bind(1, *it);
        remove.bind(1, *it);
        ok = removeMembers.run() && remove.run();
    }
    if (!ok || !tx.commit()) {
        logFailure(tree, "cannot delete " + group(id));
        return 0;
    }
    return 1;
}

int readGroups(engine::Connection& db, const GroupTree& tree, int parentId,
               std::vector<GroupRow>& out) {
    engine::Statement select(
        db.db(),
        sql(tree, "SELECT id, parent_id, name FROM ", " WHERE parent_id = ? ORDER BY id").c_str());
    select.bind(1, std::int64_t{parentId});
    std::vector<GroupRow> rows;
    engine::Statement::Step step;
    while ((step = select.step()) == engine::Statement::Step::Row)
        rows.push_back(GroupRow{select.int32(0), select.int32(1), select.bytes(2)});
    if (step != engine::Statement::Step::Done) {
        logFailure(tree, "cannot read the groups under " + group(parentId));
        return 0;
    }
    out.insert(out.end(), std::make_move_iterator(rows.begin()),
               std::make_move_iterator(rows.end()));
    return 1;
}

}  // namespace Dmg::local
