// The contacts of the address book on the main store: one row per contact
// with every field of its record and its upload status (0 new, 1 uploaded).
// Results are those of CLocalDataSerialize: 1 success, 0 failure (logged).
#pragma once

#include <string>
#include <variant>
#include <vector>

#include "components/data/engine/Connection.h"
#include "components/data/engine/Statement.h"
#include "contracts/dmg/CFriend.h"
#include "contracts/dmg/CFriendGroup.h"
#include "contracts/dmg/CSmsData.h"

namespace Dmg::local {

const engine::Schema& contactSchema();

// The columns contactAt reads, for a query on "contacts c".
extern const char* const kContactColumns;
CFriend contactAt(const engine::Statement& row);
// Appends every row of `select` (columns kContactColumns) to `out`, or
// nothing when a step fails.
bool readContacts(engine::Statement& select, std::vector<CFriend>& out);

// Adds each contact under every group of `groups` (all must exist) in one
// transaction; the new ids go to `contacts` only once it is committed.
int addContacts(engine::Connection& db, std::vector<CFriend>& contacts,
                const std::vector<int>& groups);
// Rewrites every field and marks the contact as not uploaded.
int modifyContact(engine::Connection& db, int id, const CFriend& contact);
// 1, or 0 when there is no such contact. `groups`, when given, gets the
// groups the contact is filed under.
int readContact(engine::Connection& db, int id, CFriend& contact,
                std::vector<CFriendGroup>* groups);
// 2 when the contact and its relations are gone, 1 when there was none.
int deleteContact(engine::Connection& db, int id);
int deleteAllContacts(engine::Connection& db);

using SearchValue = std::variant<int, std::string, bool, CSmsData>;
// The contacts whose `column` matches `value`; 0 for an unknown column or
// one of another type.
int selectContacts(engine::Connection& db, const std::string& column, const SearchValue& value,
                   std::vector<CFriend>& out);

// The first `count` contacts whose status is not 1, in id order.
int readNotUploaded(engine::Connection& db, int count, std::vector<CFriend>& out);
int setUploadStatus(engine::Connection& db, int id, int status);

}  // namespace Dmg::local
