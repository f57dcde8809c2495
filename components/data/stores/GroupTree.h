// The group trees of the main store: the address book's, the phrase
// library's and the reminders'. Each tree is a table of (id, parent_id,
// name) whose group 1, the default group, comes with the table and is never
// deleted, plus a table of rows filed under its groups (column group_id)
// that go with a deleted group. Results are those of CLocalDataSerialize:
// 1 success, 0 failure (logged).
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "components/data/engine/Connection.h"

namespace Dmg::local {

struct GroupTree {
    const char* groups;   // the tree's table
    const char* members;  // rows filed under a group, deleted with it
    const char* label;    // names the tree in log lines
};

extern const GroupTree kFriendGroups;  // contacts are related, not deleted
extern const GroupTree kWordGroups;
extern const GroupTree kAlertGroups;

// The script that creates a tree's table, its parent index and group 1.
std::string groupTreeSql(const GroupTree& tree);

struct GroupRow {
    int id = 0;
    int parentId = 0;
    std::string name;
};

// False, logged, when the lookup fails.
bool groupExists(engine::Connection& db, const GroupTree& tree, int id, bool& exists);
// False, logged, unless every group of `ids` exists.
bool allGroupsExist(engine::Connection& db, const GroupTree& tree, const std::vector<int>& ids);

// `parentId` 0 adds a root group; any other parent must exist. `newId` is
// set on success only.
int addGroup(engine::Connection& db, const GroupTree& tree, int parentId, const std::string& name,
             int* newId);
// As addGroup, but 0 for parent 0: a subgroup needs a parent.
int addSubGroup(engine::Connection& db, const GroupTree& tree, int parentId,
                const std::string& name, int* newId);
int renameGroup(engine::Connection& db, const GroupTree& tree, int id, const std::string& name);
// The group, its subgroups and their member rows, in one transaction.
int deleteGroupTree(engine::Connection& db, const GroupTree& tree, int id);
// Appends the groups whose parent is `parentId`, in id order.
int readGroups(engine::Connection& db, const GroupTree& tree, int parentId,
               std::vector<GroupRow>& out);

// The same for a record type of the contract (CFriendGroup, CWordGroup,
// CAlertInfoGroup: id, parentId, name).
template <class Group>
int readGroups(engine::Connection& db, const GroupTree& tree, int parentId,
               std::vector<Group>& out) {
    std::vector<GroupRow> rows;
    if (readGroups(db, tree, parentId, rows) == 0) return 0;
    for (GroupRow& row : rows) {
        Group g;
        g.id = row.id;
        g.parentId = row.parentId;
        g.name = std::move(row.name);
        out.push_back(std::move(g));
    }
    return 1;
}

}  // namespace Dmg::local
