// The saved messages on the main store: one row per text with the local
// time it was saved. Results are those of CLocalDataSerialize.
#pragma once

#include <string>
#include <vector>

#include "components/data/engine/Connection.h"
#include "components/data/stores/RecordTable.h"
#include "contracts/dmg/CSaveMsg.h"

namespace Dmg::local {

const engine::Schema& saveMsgSchema();
const RecordTable<CSaveMsg>& saveMsgTable();

// The messages whose text holds `key` (all for an empty key), in id order.
int selectSaveMsgs(engine::Connection& db, const std::string& key, std::vector<CSaveMsg>& out);

}  // namespace Dmg::local
