// The address book's group tree on the main store (GroupTree, kFriendGroups)
// and the relations that file contacts under its groups. Results are those
// of CLocalDataSerialize: 1 success, 0 failure (logged).
#pragma once

#include <string>
#include <vector>

#include "components/data/engine/Connection.h"
#include "components/data/stores/GroupTree.h"
#include "contracts/dmg/CFriend.h"
#include "contracts/dmg/CFriendGroup.h"

namespace Dmg::local {

const engine::Schema& friendGroupSchema();

// Appends the groups `contactId` is filed under, in id order.
bool groupsOfContact(engine::Connection& db, int contactId, std::vector<CFriendGroup>& out);

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
