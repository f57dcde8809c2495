// The group tree of the address book on the main store, and the relations
// that file contacts under groups. Group 1, the default group, comes with
// the tables and is never deleted. Results are those of
// CLocalDataSerialize: 1 success, 0 failure (logged).
#pragma once

#include <string>
#include <vector>

#include "components/data/engine/Connection.h"
#include "contracts/dmg/CFriend.h"
#include "contracts/dmg/CFriendGroup.h"

namespace Dmg::local {

const engine::Schema& friendGroupSchema();

// False, logged, when the lookup fails.
bool groupExists(engine::Connection& db, int id, bool& exists);
// Appends the groups `contactId` is filed under, in id order.
bool groupsOfContact(engine::Connection& db, int contactId, std::vector<CFriendGroup>& out);

// `parentId` 0 adds a root group; any other parent must exist.
int addGroup(engine::Connection& db, int parentId, const std::string& name, int* newId);
int renameGroup(engine::Connection& db, int id, const std::string& name);
// The group, its subgroups and their relations; the contacts stay.
int deleteGroupTree(engine::Connection& db, int id);
// Appends the groups whose parent is `parentId`, in id order.
int readGroups(engine::Connection& db, int parentId, std::vector<CFriendGroup>& out);

// Relating twice is a success; unrelating what is not related is 0.
int relate(engine::Connection& db, int contactId, int groupId);
int unrelate(engine::Connection& db, int contactId, int groupId);

// Contacts filed directly under `groupId`, in id order: their number (0
// also on failure); the first `limit` of them (all when `limit` is
// negative); taking them all out of the group.
int countGroupContacts(engine::Connection& db, int groupId);
int readGroupContacts(engine::Connection& db, int groupId, int limit, std::vector<CFriend>& out);
int emptyGroup(engine::Connection& db, int groupId);

}  // namespace Dmg::local
