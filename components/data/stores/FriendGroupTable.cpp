#include "components/data/stores/FriendGroupTable.h"

#include <sqlite3.h>

#include <cstdint>
#include <iterator>

#include "components/data/engine/Statement.h"
#include "components/data/engine/WriteTransaction.h"
#include "components/data/stores/ContactTable.h"
#include "contracts/base/CLog.h"
#include "contracts/base/NeverDestroyed.h"

namespace Dmg::local {
namespace {

void logFailure(const std::string& what) {
    Base::CLog::getSingleton().writeMessage("data: address book: " + what, 2);
}

std::string group(int id) { return "group " + std::to_string(id); }

// Runs `sql` with `first` and `second` as ?1, ?2 and tells whether it
// changed a row.
bool change(engine::Connection& db, const char* sql, std::int64_t first, std::int64_t second,
            bool& changed) {
    engine::Statement s(db.db(), sql);
    s.bind(1, first).bind(2, second);
    if (!s.run()) return false;
    changed = sqlite3_changes(db.db()) > 0;
    return true;
}

}  // namespace

const engine::Schema& friendGroupSchema() {
    // Relations are keyed by group first: a group's contacts are one range,
    // already in contact id order.
    static Base::NeverDestroyed<const engine::Schema> schema{engine::Schema{
        "friend_groups",
        {groupTreeSql(kFriendGroups) +
         "CREATE TABLE friend_relations (group_id INTEGER NOT NULL, contact_id INTEGER NOT NULL, "
         "PRIMARY KEY (group_id, contact_id)) WITHOUT ROWID;"
         "CREATE INDEX friend_relations_contact ON friend_relations (contact_id);"}}};
    return schema.get();
}

bool groupsOfContact(engine::Connection& db, int contactId, std::vector<CFriendGroup>& out) {
    engine::Statement select(db.db(),
                             "SELECT g.id, g.parent_id, g.name FROM friend_relations r "
                             "JOIN friend_groups g ON g.id = r.group_id WHERE r.contact_id = ? "
                             "ORDER BY g.id");
    select.bind(1, std::int64_t{contactId});
    std::vector<CFriendGroup> rows;
    engine::Statement::Step step;
    while ((step = select.step()) == engine::Statement::Step::Row) {
        CFriendGroup g;
        g.id = select.int32(0);
        g.parentId = select.int32(1);
        g.name = select.bytes(2);
        rows.push_back(std::move(g));
    }
    if (step != engine::Statement::Step::Done) {
        logFailure("cannot read the groups of contact " + std::to_string(contactId));
        return false;
    }
    out.insert(out.end(), std::make_move_iterator(rows.begin()),
               std::make_move_iterator(rows.end()));
    return true;
}

int relate(engine::Connection& db, int contactId, int groupId) {
    engine::WriteTransaction tx(db);
    bool groupFound = false;
    if (!tx.ok() || !groupExists(db, kFriendGroups, groupId, groupFound)) {
        logFailure("cannot file a contact under " + group(groupId));
        return 0;
    }
    engine::Statement contact(db.db(), "SELECT 1 FROM contacts WHERE id = ?");
    contact.bind(1, std::int64_t{contactId});
    const auto step = contact.step();
    if (!groupFound || step != engine::Statement::Step::Row) {
        logFailure("no contact " + std::to_string(contactId) + " or no " + group(groupId) +
                   " to relate");
        return 0;
    }
    bool added = false;
    if (!change(db, "INSERT OR IGNORE INTO friend_relations (group_id, contact_id) VALUES (?, ?)",
                groupId, contactId, added) ||
        !tx.commit()) {
        logFailure("cannot file a contact under " + group(groupId));
        return 0;
    }
    return 1;
}

int unrelate(engine::Connection& db, int contactId, int groupId) {
    engine::WriteTransaction tx(db);
    bool removed = false;
    if (!tx.ok() ||
        !change(db, "DELETE FROM friend_relations WHERE group_id = ? AND contact_id = ?", groupId,
                contactId, removed)) {
        logFailure("cannot take a contact out of " + group(groupId));
        return 0;
    }
    if (!removed) {
        logFailure("contact " + std::to_string(contactId) + " is not in " + group(groupId));
        return 0;
    }
    if (!tx.commit()) {
        logFailure("cannot take a contact out of " + group(groupId));
        return 0;
    }
    return 1;
}

int countGroupContacts(engine::Connection& db, int groupId) {
    engine::Statement count(db.db(), "SELECT count(*) FROM friend_relations WHERE group_id = ?");
    count.bind(1, std::int64_t{groupId});
    if (count.step() != engine::Statement::Step::Row) {
        logFailure("cannot count the contacts of " + group(groupId));
        return 0;
    }
    return static_cast<int>(count.int64(0));
}

int readGroupContacts(engine::Connection& db, int groupId, int limit, std::vector<CFriend>& out) {
    const std::string sql = std::string("SELECT ") + kContactColumns +
                            " FROM friend_relations r JOIN contacts c ON c.id = r.contact_id "
                            "WHERE r.group_id = ? ORDER BY r.contact_id LIMIT ?";
    // Room for a whole group first: a contact is a large record to move.
    if (limit < 0)
        out.reserve(out.size() + static_cast<std::size_t>(countGroupContacts(db, groupId)));
    engine::Statement select(db.db(), sql.c_str());
    select.bind(1, std::int64_t{groupId}).bind(2, std::int64_t{limit < 0 ? -1 : limit});
    if (!readContacts(select, out)) {
        logFailure("cannot read the contacts of " + group(groupId));
        return 0;
    }
    return 1;
}

int emptyGroup(engine::Connection& db, int groupId) {
    engine::WriteTransaction tx(db);
    bool exists = false;
    if (!tx.ok() || !groupExists(db, kFriendGroups, groupId, exists)) {
        logFailure("cannot empty " + group(groupId));
        return 0;
    }
    if (!exists) {
        logFailure("no " + group(groupId) + " to empty");
        return 0;
    }
    engine::Statement remove(db.db(), "DELETE FROM friend_relations WHERE group_id = ?");
    remove.bind(1, std::int64_t{groupId});
    if (!remove.run() || !tx.commit()) {
        logFailure("cannot empty " + group(groupId));
        return 0;
    }
    return 1;
}

}  // namespace Dmg::local
