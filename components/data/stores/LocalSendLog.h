// The send log on the main store: one row per send request, in the order
// they were made.
#pragma once

#include <string>
#include <vector>

#include "components/data/engine/Connection.h"
#include "contracts/dmg/CSendLosgMsg.h"

namespace Dmg::local {

const engine::Schema& sendLogSchema();

// Adds one entry in its own transaction. False, logged, when it cannot.
bool appendSendLog(engine::Connection& db, const CSendLosgMsg& entry);

// Appends every entry, oldest first, to `out`; on failure `out` is left as
// it was.
bool readSendLog(engine::Connection& db, std::vector<CSendLosgMsg>& out);

}  // namespace Dmg::local
